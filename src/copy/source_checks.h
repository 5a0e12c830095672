// Checks on the source side, before anything is changed.
#pragma once

#include <string>

#include "base/run_state.h"
#include "platform/platform.h"

namespace qb {

// LogDir\<key> + extension.
std::string SourceLogPath(const RunState& state, const char* extension);

// LogDir must be an existing folder.
bool CheckSourceFolder(const RunState& state, UserFacing& ui);
// <key>.dat and then <key>.inf must exist in LogDir.
bool CheckSourceFiles(const RunState& state, UserFacing& ui);

}  // namespace qb
