// What Quenbrook assumes about the host browser, Velmaris: its main window
// classes and the board networks' domains it files under one site folder.
#pragma once

#include <cstdint>

namespace qb {

// Main window class of each browser generation.
constexpr const char* kWindowClassGen1 = "TVelmarisForm";
constexpr const char* kWindowClassGen2 = "TVelmarisWindow";

inline const char* BrowserWindowClass(std::int32_t generation) {
    return generation == 1 ? kWindowClassGen1 : kWindowClassGen2;
}

// Generation 2 files a board under the first label of its network's
// canonical domain. Each row replaces the first occurrence of `alias` in the
// board host by `canonical`; the rows apply in order.
struct DomainAlias {
    const char* alias;
    const char* canonical;
};
constexpr DomainAlias kDomainAliases[] = {
    // The adult board network runs on the same servers as the main network
    // and is filed with it.
    {"bbspink.com", "5ch.net"},
    // The regional network's short domain; its long domain names the folder.
    {"machi.to", "machibbs.com"},
};

}  // namespace qb
