#include "fuzz/fuzz_support.h"

#include "support/temp_folder.h"

namespace qbfuzz {

const std::string& ScratchFolder() {
    static const qbtest::TempFolder folder;
    return folder.path();
}

}  // namespace qbfuzz
