// The notice boxes through which every stage speaks, and the one question.
#pragma once

#include <string>

#include "platform/platform.h"

namespace qb {

// Shows a modal box of kind 'e' (error), 'i' (information), 'n' (plain) or
// 'w' (warning) and returns what the box returns; any other kind shows
// nothing and returns -1.
int ShowNotice(UserFacing& ui, const std::string& text, char kind,
               const std::string& caption);
// Same, with the program's name as caption.
int ShowNotice(UserFacing& ui, const std::string& text, char kind);

// Asks a yes/no question with No as the default; true only on an explicit yes.
bool AskYesNo(UserFacing& ui, const std::string& text, const std::string& caption);

}  // namespace qb
