#include "app/failure_report.h"

#include "base/messages.h"
#include "platform/errors.h"

namespace qb {

namespace {

// Eight upper-case hexadecimal digits. Written by hand, as is the decimal
// number below: the C library's formatting would bring its whole
// floating-point printer into the Windows executable.
std::string Hex8(std::uint32_t value) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text(8, '0');
    for (std::size_t i = 8; i-- > 0; value >>= 4) text[i] = kDigits[value & 0xF];
    return text;
}

}  // namespace

std::string InOutErrorMessage(std::uint32_t code) {
    switch (code) {
        case kIoFileNotFound: return msg::kFileNotFound;
        case kIoPathNotFound: return msg::kInvalidFileName;
        case kIoTooManyOpenFiles: return msg::kTooManyOpenFiles;
        case kIoAccessDenied: return msg::kAccessDenied;
        case kIoReadBeyondEnd: return msg::kReadBeyondEnd;
        case kIoDiskFull: return msg::kDiskFull;
        case kIoNotNumeric: return msg::kNotNumeric;
        default: break;
    }
    return FillText(msg::kIoError, {std::to_string(code)});
}

std::string FailureReportText(const std::string& kind, const std::string& module,
                              std::uintptr_t location, const std::string& message) {
    const std::string address = Hex8(static_cast<std::uint32_t>(location & 0xFFFFFFFFu));
    std::string text = FillText(msg::kFailureReport, {kind, module, address, message});
    if (message.empty() || message.back() != '.') text += '.';
    return text;
}

void ShowFailureReport(UserFacing& ui, const std::string& text) {
    ui.ShowBox(text, msg::kFailureCaption, kBoxOk | kBoxIconHand | kBoxTaskModal);
}

}  // namespace qb
