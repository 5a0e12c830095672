#include "run/command_line.h"

namespace qb {

namespace {

bool IsBlank(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return u >= 0x01 && u <= 0x20;
}

// Reads the item that starts at or after `pos` into `item`; returns the
// position after it.
std::size_t NextItem(const std::string& line, std::size_t pos, std::string& item) {
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

std::vector<std::string> SplitCommandLine(const std::string& line) {
    std::vector<std::string> items;
    std::string item;
    std::size_t pos = 0;
    for (;;) {
        pos = NextItem(line, pos, item);
        if (item.empty()) break;
        items.push_back(item);
    }
    return items;
}

}  // namespace qb
