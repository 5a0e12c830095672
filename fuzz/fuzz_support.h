// Shared bits of the fuzz targets: a desktop stand-in that records boxes,
// a scratch folder, and a check that aborts with a message.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace qbfuzz {

struct RecordedBox {
    std::string text, caption;
    unsigned style;
};

class RecordingUserFacing : public qb::UserFacing {
public:
    int ShowBox(const std::string& text, const std::string& caption, unsigned style) override {
        boxes.push_back({text, caption, style});
        return qb::kIdNo;
    }
    std::uint32_t FindTopWindow(const std::string&) override { return 0; }
    std::vector<RecordedBox> boxes;
};

// A folder made once per process under the system's temporary folder and
// removed at its end.
const std::string& ScratchFolder();

#define QB_CHECK(cond)                                                        \
    do {                                                                      \
        if (!(cond)) {                                                        \
            std::fprintf(stderr, "property failed: %s (%s:%d)\n", #cond,      \
                         __FILE__, __LINE__);                                 \
            std::abort();                                                     \
        }                                                                     \
    } while (0)

}  // namespace qbfuzz
