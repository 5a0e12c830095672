#include "app/command_line.h"

#include <type_traits>

namespace qb {

namespace {

template <class Char>
bool IsBlank(Char c) {
    const auto u = static_cast<std::make_unsigned_t<Char>>(c);
    return u >= 0x01 && u <= 0x20;
}

// Reads the item that starts at or after `pos` into `item`; returns the
// position after it.
template <class Text>
std::size_t NextItem(const Text& line, std::size_t pos, Text& item) {
    item.clear();
    const std::size_t n = line.size();
    for (;;) {
        while (pos < n && IsBlank(line[pos])) ++pos;
        if (pos + 1 < n && line[pos] == '"' && line[pos + 1] == '"') {
            pos += 2;  // an empty pair standing alone
            continue;
        }
        break;
    }
    while (pos < n && line[pos] != '\0' && !IsBlank(line[pos])) {
        if (line[pos] == '"') {
            ++pos;
            while (pos < n && line[pos] != '\0' && line[pos] != '"') item += line[pos++];
            if (pos < n && line[pos] == '"') ++pos;
        } else {
            item += line[pos++];
        }
    }
    return pos;
}

}  // namespace

template <class Text>
std::vector<Text> SplitCommandLine(const Text& line) {
    std::vector<Text> items;
    Text item;
    std::size_t pos = 0;
    for (;;) {
        pos = NextItem(line, pos, item);
        if (item.empty()) break;
        items.push_back(item);
    }
    return items;
}

template std::vector<std::string> SplitCommandLine(const std::string&);
template std::vector<std::wstring> SplitCommandLine(const std::wstring&);

}  // namespace qb
