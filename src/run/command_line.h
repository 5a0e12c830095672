// Splitting a raw command line into arguments.
#pragma once

#include <string>
#include <vector>

namespace qb {

// Every item of the command line, the program as typed first. Items are
// separated by runs of bytes 0x01 to 0x20; a double quote opens a stretch
// that keeps blanks up to the next double quote (or the end) and joins the
// bytes around it; the quotes are dropped and there is no escape byte. An
// empty pair of quotes standing alone is no item. The list ends before the
// first empty item, which only a lone quote at the end of the line yields.
std::vector<std::string> SplitCommandLine(const std::string& line);

}  // namespace qb
