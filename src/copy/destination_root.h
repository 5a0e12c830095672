// The destination root the browser names on the command line.
#pragma once

#include <optional>
#include <string>

#include "platform/desktop.h"

namespace qb {

// The root `argument` names (one trailing separator removed), created with
// its parents when missing (announced); nothing, after a notice, when it
// cannot be made, or when its name did not convert to code page 932 exactly
// (`exact` false): such a name would name another folder, so it is refused
// before anything is created or asked. Raises FolderCreatorError for a root
// that is empty once the separator is removed.
std::optional<std::string> EnsureDestinationRoot(const std::string& argument, bool exact,
                                                 UserFacing& ui);

}  // namespace qb
