// The command-line splitter on arbitrary bytes.
#include <cstdint>
#include <string>

#include "app/command_line.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> items = qb::SplitCommandLine(line);
    std::size_t total = 0;
    for (const std::string& item : items) {
        QB_CHECK(!item.empty());                           // the list ends before an empty item
        QB_CHECK(item.find('"') == std::string::npos);     // quotes are dropped
        QB_CHECK(item.find('\0') == std::string::npos);
        total += item.size();
    }
    QB_CHECK(total <= size);  // never more bytes than it was given
    // Splitting is stable: an item without blanks or quotes comes back alone.
    for (const std::string& item : items) {
        bool plain = true;
        for (unsigned char c : item) plain = plain && c > 0x20;
        if (plain) QB_CHECK(qb::SplitCommandLine(item) == std::vector<std::string>{item});
    }
    return 0;
}
