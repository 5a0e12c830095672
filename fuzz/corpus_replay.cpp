// Runs a fuzz target's entry point once on every file of the folders (or on
// the files) it is given, for builds without libFuzzer. Each input is named
// before it runs, so that a crash, an abort or a sanitizer's report follows
// the name of the input that caused it.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "support/temp_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool ReadInput(const std::string& path, std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    const bool whole = std::ferror(f) == 0;
    std::fclose(f);
    return whole;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> inputs;
    for (int i = 1; i < argc; ++i) {
        if (!qbtest::IsFolder(argv[i])) {
            inputs.push_back(argv[i]);
            continue;
        }
        for (const std::string& name : qbtest::ListNames(argv[i])) {
            inputs.push_back(std::string(argv[i]) + "/" + name);
        }
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "no input to replay\n");
        return 1;
    }
    for (const std::string& input : inputs) {
        std::fprintf(stderr, "replaying %s\n", input.c_str());
        std::string bytes;
        if (!ReadInput(input, bytes)) {
            std::fprintf(stderr, "cannot read %s\n", input.c_str());
            return 1;
        }
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    std::fprintf(stderr, "%zu inputs replayed\n", inputs.size());
    return 0;
}
