// Taking the thread URL of the command line, or refusing it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "locate/url_split.h"
#include "platform/desktop.h"

namespace qb {

// The pieces of `url`; nothing, after a notice, when they cannot name a
// thread (or `url` did not convert to code page 932 exactly, `exact` false),
// or when generation 1 finds no server name in them.
std::optional<ThreadUrl> CheckedThreadUrl(const std::string& url, bool exact,
                                          std::int32_t generation, UserFacing& ui);

}  // namespace qb
