// Checks on the source side, before anything is changed.
#pragma once

#include <string>

#include "platform/platform.h"
#include "run/run_state.h"

namespace qb {

// LogDir\<key> + extension.
std::string SourceLogPath(const RunState& state, const char* extension);

// LogDir must be an existing folder.
bool CheckSourceFolder(const RunState& state, UserFacing& ui);
// <key>.dat and then <key>.inf must exist in LogDir.
bool CheckSourceFiles(const RunState& state, UserFacing& ui);

}  // namespace qb
