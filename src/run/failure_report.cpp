#include "run/failure_report.h"

#include <cstdio>

#include "run/messages.h"

namespace qb {

std::string InOutErrorMessage(std::uint32_t code) {
    switch (code) {
        case 2: return msg::kFileNotFound;
        case 3: return msg::kInvalidFileName;
        case 4: return msg::kTooManyOpenFiles;
        case 5: return msg::kAccessDenied;
        case 100: return msg::kReadBeyondEnd;
        case 101: return msg::kDiskFull;
        case 106: return msg::kNotNumeric;
        default: break;
    }
    char number[16];
    std::snprintf(number, sizeof number, "%u", static_cast<unsigned>(code));
    return std::string(msg::kIoErrorHead) + number + ")";
}

std::string FailureReportText(const std::string& kind, const std::string& module,
                              std::uintptr_t location, const std::string& message) {
    char address[16];
    std::snprintf(address, sizeof address, "%08X",
                  static_cast<unsigned>(location & 0xFFFFFFFFu));
    std::string text = kind + msg::kFailureOccurredAt + module + msg::kFailureOf +
                       address + msg::kFailureHappened + "\n" + message;
    if (message.empty() || message.back() != '.') text += '.';
    return text;
}

void ShowFailureReport(UserFacing& ui, const std::string& text) {
    ui.ShowBox(text, msg::kFailureCaption, kBoxOk | kBoxIconHand | kBoxTaskModal);
}

}  // namespace qb
