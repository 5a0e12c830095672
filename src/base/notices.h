// The notice boxes through which every stage speaks, and the one question.
#pragma once

#include <string>

#include "platform/desktop.h"

namespace qb {

// What a notice box says by its icon.
enum class NoticeKind { Error, Information, Plain, Warning };

// Shows a modal box of the given kind and returns what the box returns; a
// value outside the enumeration shows nothing and returns -1.
int ShowNotice(UserFacing& ui, const std::string& text, NoticeKind kind,
               const std::string& caption);
// Same, with the program's name as caption.
int ShowNotice(UserFacing& ui, const std::string& text, NoticeKind kind);

// Asks a yes/no question with No as the default; true only on an explicit yes.
bool AskYesNo(UserFacing& ui, const std::string& text, const std::string& caption);

}  // namespace qb
