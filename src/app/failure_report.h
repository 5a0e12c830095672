// The report of a failure that nothing caught: an error box, then exit code 1.
#pragma once

#include <cstdint>
#include <string>

#include "platform/desktop.h"

namespace qb {

// The message for a system error number of a file operation.
std::string InOutErrorMessage(std::uint32_t code);

// "<kind>がモジュール <module> の <8 hex digits> で発生しました。" LF message,
// with "." added when the message does not end in one.
std::string FailureReportText(const std::string& kind, const std::string& module,
                              std::uintptr_t location, const std::string& message);

// Shows the report box (task-modal, error icon, OK only).
void ShowFailureReport(UserFacing& ui, const std::string& text);

}  // namespace qb
