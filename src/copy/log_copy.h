// Making sure of the destination folder and copying the two log files.
#pragma once

#include <string>

#include "base/run_state.h"
#include "platform/platform.h"

namespace qb {

// CopyDir\<key> + extension.
std::string CopiedLogPath(const RunState& state, const char* extension);

// CopyDir must exist or be created (silently); a notice when it cannot. A
// CopyDir that, however it is reached, lies outside the destination root
// (CopyRoot), or is or lies inside the log folder (LogRoot) unless the root
// itself is or lies inside it and '_' folders are asked for, is neither
// created nor used: the copy-error notice.
bool EnsureCopyFolder(const RunState& state, UserFacing& ui);
// Copies <key>.dat and then, only if that worked, <key>.inf, overwriting.
bool CopyLogFiles(const RunState& state, UserFacing& ui);

}  // namespace qb
