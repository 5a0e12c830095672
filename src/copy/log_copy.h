// Making sure of the destination folder and copying the two log files.
#pragma once

#include <string>

#include "base/run_state.h"
#include "platform/platform.h"

namespace qb {

// CopyDir\<key> + extension.
std::string CopiedLogPath(const RunState& state, const char* extension);

// CopyDir must exist or be created (silently); a notice when it cannot.
// Links on the way are followed, but a CopyDir that, however it is reached,
// is or lies inside the log folder (LogRoot), unless the destination root
// (CopyRoot) itself is or lies inside it and CopyDir lies inside the root,
// is neither created nor used: the copy-error notice.
bool EnsureCopyFolder(const RunState& state, UserFacing& ui);
// Copies <key>.dat and then, only if that worked, <key>.inf, overwriting.
bool CopyLogFiles(const RunState& state, UserFacing& ui);

}  // namespace qb
