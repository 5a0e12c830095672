#include "base/notices.h"

#include "base/messages.h"

namespace qb {

int ShowNotice(UserFacing& ui, const std::string& text, char kind,
               const std::string& caption) {
    unsigned icon;
    switch (kind) {
        case 'e': icon = kBoxIconHand; break;
        case 'i': icon = kBoxIconAsterisk; break;
        case 'n': icon = 0; break;
        case 'w': icon = kBoxIconExclamation; break;
        default: return -1;
    }
    return ui.ShowBox(text, caption, kBoxOk | icon | kBoxSetForeground);
}

int ShowNotice(UserFacing& ui, const std::string& text, char kind) {
    return ShowNotice(ui, text, kind, msg::kCaption);
}

bool AskYesNo(UserFacing& ui, const std::string& text, const std::string& caption) {
    const unsigned style = kBoxYesNo | kBoxIconQuestion | kBoxDefButton2 |
                           kBoxSetForeground | kBoxTopmost;
    return ui.ShowBox(text, caption, style) == kIdYes;
}

}  // namespace qb
