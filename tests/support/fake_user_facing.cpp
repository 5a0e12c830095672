#include "support/fake_user_facing.h"

#include "platform/posix/encoding.h"

namespace qbtest {

int FakeUserFacing::ShowBox(const std::string& text, const std::string& caption,
                            unsigned style) {
    boxes.push_back(Box{text, caption, style});
    if ((style & 0xF) == qb::kBoxYesNo) {
        if (while_asking) while_asking();
        const bool yes = !answers.empty() && answers.front();
        if (!answers.empty()) answers.pop_front();
        return yes ? qb::kIdYes : qb::kIdNo;
    }
    return qb::kIdOk;
}

std::uint32_t FakeUserFacing::FindTopWindow(const std::string& window_class) {
    looked_up.push_back(window_class);
    return window;
}

std::string Sjis(const std::string& utf8) { return qb::Utf8ToCp932(utf8); }
std::string Utf8(const std::string& sjis) { return qb::Cp932ToUtf8(sjis); }

}  // namespace qbtest
