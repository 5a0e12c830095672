// Splitting a raw command line into arguments.
#pragma once

#include <string>
#include <vector>

namespace qb {

// Every item of the command line, the program as typed first. Items are
// separated by runs of characters 0x01 to 0x20; a double quote opens a
// stretch that keeps blanks up to the next double quote (or the end) and
// joins the characters around it; the quotes are dropped and there is no
// escape character. An empty pair of quotes standing alone is no item. The
// list ends before the first empty item, which only a lone quote at the end
// of the line yields. The same rules hold for code-page-932 bytes and for
// the system's wide text: no byte of a double-byte character is a blank or
// a quote, so splitting before or after the conversion gives the same items.
template <class Text>
std::vector<Text> SplitCommandLine(const Text& line);

extern template std::vector<std::string> SplitCommandLine(const std::string&);
extern template std::vector<std::wstring> SplitCommandLine(const std::wstring&);

}  // namespace qb
