#include "platform/posix/encoding.h"

#include <iconv.h>

#include "platform/errors.h"
#include "platform/program.h"
#include "platform/posix/system_calls.h"

#include <cerrno>

namespace qb {

namespace {

bool IsAscii(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// One direction's converter, opened when the run first needs it and kept
// for the rest of the run; one that cannot be opened is not asked for again
// in the same run.
struct Converter {
    const char* to;
    const char* from;
    bool asked = false;
    iconv_t cd = kNoConverter;
};
Converter to_utf8{"UTF-8", "CP932"};
Converter to_cp932{"CP932", "UTF-8"};

iconv_t Descriptor(Converter& converter) {
    if (!converter.asked) {
        converter.cd = System().iconv_open(converter.to, converter.from);
        converter.asked = true;
    }
    return converter.cd;
}

void Forget(Converter& converter) {
    if (converter.cd != kNoConverter) System().iconv_close(converter.cd);
    converter.cd = kNoConverter;
    converter.asked = false;
}

// Converts with iconv; an unconvertible or incomplete sequence becomes '?'
// and the input moves on by one character of `from`. ASCII text is the same
// in both encodings and is passed through.
// `exact`, when given, is cleared at the first character replaced.
// `failed`, when given, is set when the converter itself fails (it cannot be
// opened, or it gives an error that is not about the text).
std::string Convert(Converter& converter, const std::string& text,
                    std::size_t (*char_length)(const std::string&, std::size_t),
                    bool* exact = nullptr, bool* failed = nullptr) {
    if (IsAscii(text)) return text;
    const iconv_t cd = Descriptor(converter);
    if (cd == kNoConverter) {
        if (exact != nullptr) *exact = false;
        if (failed != nullptr) *failed = true;
        return text;
    }
    System().iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    char buffer[1024];
    std::size_t in_pos = 0;
    while (in_pos < text.size()) {
        char* in = const_cast<char*>(text.data()) + in_pos;
        std::size_t in_left = text.size() - in_pos;
        char* out_ptr = buffer;
        std::size_t out_left = sizeof buffer;
        const std::size_t rc = System().iconv(cd, &in, &in_left, &out_ptr, &out_left);
        const int err = errno;
        out.append(buffer, out_ptr);
        in_pos = text.size() - in_left;
        if (rc == static_cast<std::size_t>(-1) && err != E2BIG) {
            if (failed != nullptr && err != EILSEQ && err != EINVAL) *failed = true;
            out += '?';
            if (exact != nullptr) *exact = false;
            in_pos += char_length(text, in_pos);
            System().iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

std::size_t Cp932CharLength(const std::string& text, std::size_t pos) {
    const unsigned char c = static_cast<unsigned char>(text[pos]);
    const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    return (lead && pos + 1 < text.size()) ? 2 : 1;
}

std::size_t Utf8CharLength(const std::string& text, std::size_t pos) {
    std::size_t n = 1;
    while (pos + n < text.size() &&
           (static_cast<unsigned char>(text[pos + n]) & 0xC0) == 0x80) {
        ++n;
    }
    return n;
}

}  // namespace

void CloseConverters() {
    Forget(to_utf8);
    Forget(to_cp932);
}

std::string Cp932ToUtf8(const std::string& text) {
    return Convert(to_utf8, text, Cp932CharLength);
}

std::string Utf8ToCp932(const std::string& text) {
    return Convert(to_cp932, text, Utf8CharLength);
}

// Exact only when every character converted and the result converts back to
// the very same bytes: a character that code page 932 holds only as a
// look-alike counts as unconvertible.
bool ToCp932(const std::string& text, std::string& out) {
    bool exact = true;
    out = Convert(to_cp932, text, Utf8CharLength, &exact);
    if (exact && (IsAscii(text) || Cp932ToUtf8(out) == text)) return true;
    // Again a character at a time, so that each look-alike shows as '?' too
    // (iconv turns U+00A5 into 0x5C, which reads as '\').
    out.clear();
    for (std::size_t pos = 0; pos < text.size();) {
        const std::string one = text.substr(pos, Utf8CharLength(text, pos));
        bool one_exact = true;
        const std::string converted = Convert(to_cp932, one, Utf8CharLength, &one_exact);
        out += one_exact && Cp932ToUtf8(converted) == one ? converted : "?";
        pos += one.size();
    }
    return false;
}

// The system's text is UTF-8 here: the same exact conversion.
bool Utf8ToCp932Exact(const std::string& text, std::string& out) { return ToCp932(text, out); }

std::string SystemPath(const std::string& path) {
    bool failed = false;
    std::string converted = Convert(to_utf8, path, Cp932CharLength, nullptr, &failed);
    // Passed on as it is, the path would name another file.
    if (failed) RaiseInOutError(kIoPathNotFound);
    for (char& c : converted) {
        if (c == '\\') c = '/';
    }
    return converted;
}

}  // namespace qb
