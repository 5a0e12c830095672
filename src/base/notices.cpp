#include "base/notices.h"

#include "base/messages.h"

namespace qb {

int ShowNotice(UserFacing& ui, const std::string& text, NoticeKind kind,
               const std::string& caption) {
    unsigned icon;
    switch (kind) {
        case NoticeKind::Error: icon = kBoxIconHand; break;
        case NoticeKind::Information: icon = kBoxIconAsterisk; break;
        case NoticeKind::Plain: icon = 0; break;
        case NoticeKind::Warning: icon = kBoxIconExclamation; break;
        default: return -1;
    }
    return ui.ShowBox(text, caption, kBoxOk | icon | kBoxSetForeground);
}

int ShowNotice(UserFacing& ui, const std::string& text, NoticeKind kind) {
    return ShowNotice(ui, text, kind, msg::kCaption);
}

bool AskYesNo(UserFacing& ui, const std::string& text, const std::string& caption) {
    const unsigned style = kBoxYesNo | kBoxIconQuestion | kBoxDefButton2 |
                           kBoxSetForeground | kBoxTopmost;
    return ui.ShowBox(text, caption, style) == kIdYes;
}

}  // namespace qb
