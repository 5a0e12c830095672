// A stand-in for the desktop: records every box and answers from a script.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace qbtest {

struct Box {
    std::string text;     // code page 932
    std::string caption;  // code page 932
    unsigned style;
};

// The styles of the program's boxes, said with the named constants.
constexpr unsigned kErrorStyle = qb::kBoxOk | qb::kBoxIconHand | qb::kBoxSetForeground;
constexpr unsigned kInformationStyle = qb::kBoxOk | qb::kBoxIconAsterisk | qb::kBoxSetForeground;
constexpr unsigned kWarningStyle = qb::kBoxOk | qb::kBoxIconExclamation | qb::kBoxSetForeground;
constexpr unsigned kPlainStyle = qb::kBoxOk | qb::kBoxSetForeground;
constexpr unsigned kQuestionStyle = qb::kBoxYesNo | qb::kBoxIconQuestion | qb::kBoxDefButton2 |
                                    qb::kBoxSetForeground | qb::kBoxTopmost;
constexpr unsigned kFailureReportStyle = qb::kBoxOk | qb::kBoxIconHand | qb::kBoxTaskModal;

class FakeUserFacing : public qb::UserFacing {
public:
    int ShowBox(const std::string& text, const std::string& caption,
                unsigned style) override;
    std::uint32_t FindTopWindow(const std::string& window_class) override;

    std::vector<Box> boxes;
    std::vector<std::string> looked_up;  // window classes asked for
    std::deque<bool> answers;            // yes/no for the questions, in order
    std::function<void()> while_asking;  // runs while a question waits for its answer
    std::uint32_t window = 0;            // what FindTopWindow returns
};

// UTF-8 text in code page 932, so tests can be written readably.
std::string Sjis(const std::string& utf8);
// Code page 932 in UTF-8, for readable failure messages.
std::string Utf8(const std::string& sjis);

}  // namespace qbtest
