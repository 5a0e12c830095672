#include "support/fake_user_facing.h"

#include <iconv.h>

#include <cerrno>

namespace qbtest {

namespace {

// The tests' own conversion, past the program's table of system calls, so
// that neither a failure made there nor a count of the program's calls
// takes it in. What does not convert becomes '?', a byte at a time.
std::string Converted(const char* to, const char* from, const std::string& text) {
    const iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return text;
    std::string out;
    char buffer[1024];
    char* in = const_cast<char*>(text.data());
    std::size_t in_left = text.size();
    while (in_left > 0) {
        char* out_ptr = buffer;
        std::size_t out_left = sizeof buffer;
        const std::size_t rc = ::iconv(cd, &in, &in_left, &out_ptr, &out_left);
        out.append(buffer, out_ptr);
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
            out += '?';
            ++in;
            --in_left;
        }
    }
    ::iconv_close(cd);
    return out;
}

}  // namespace

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

std::string Sjis(const std::string& utf8) { return Converted("CP932", "UTF-8", utf8); }
std::string Utf8(const std::string& sjis) { return Converted("UTF-8", "CP932", sjis); }

}  // namespace qbtest
