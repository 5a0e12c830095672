#include "fuzz/fuzz_support.h"

#include <stdlib.h>
#include <unistd.h>

namespace qbfuzz {

const std::string& ScratchFolder() {
    static const std::string folder = [] {
        std::string pattern = "/tmp/qbfuzz-XXXXXX";
        if (::mkdtemp(&pattern[0]) == nullptr) std::abort();
        return pattern;
    }();
    return folder;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) std::abort();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::string ReadFileBytes(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return std::string();
    std::string bytes;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    std::fclose(f);
    return bytes;
}

}  // namespace qbfuzz
