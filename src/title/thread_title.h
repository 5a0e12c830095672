// Reporting the title of the thread just copied.
#pragma once

#include <string>

#include "locate/folder_paths.h"
#include "locate/url_split.h"
#include "platform/desktop.h"

namespace qb {

// Reads the title from the first "TITLE=" line among the first 41 lines of
// the copied .inf file and shows it with the board, the key in the caption.
// Raises InOutError when the file cannot be read.
void ShowThreadTitle(const Places& places, const ThreadUrl& url, UserFacing& ui);

}  // namespace qb
