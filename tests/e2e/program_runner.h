// Runs the native Quenbrook binary as a user's browser would, and collects
// what it showed (the notice blocks on standard error) and its exit code.
#pragma once

#include <string>
#include <vector>

#include "support/process.h"

namespace qbtest {

// Copies the program into `folder` so that its settings file sits beside it.
std::string InstallProgram(const std::string& folder);

// Runs `program` with `args`; `input` is standard input, which then ends.
ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input = "");

// The notice blocks "== <caption> [<k>] ==\n<text>\n\n" of an output, each as
// "<caption> [<k>] <text>".
std::vector<std::string> NoticeBlocks(const std::string& errors);

}  // namespace qbtest
