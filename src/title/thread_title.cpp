#include "title/thread_title.h"

#include "base/messages.h"
#include "base/notices.h"
#include "base/text_file.h"
#include "platform/files.h"

namespace qb {

namespace {

constexpr int kTitleLinesRead = 41;

std::string ReadTitle(const std::string& inf) {
    TextFileReader reader(inf);
    std::string line;
    std::string title;
    for (int i = 0; i < kTitleLinesRead && reader.ReadLine(line); ++i) {
        if (line.compare(0, 6, "TITLE=") == 0) {
            title = line.substr(6);
            break;
        }
    }
    reader.Close();
    return title;
}

}  // namespace

void ShowThreadTitle(const Places& places, const ThreadUrl& url, UserFacing& ui) {
    const std::string& inf = places.destination_inf;
    if (!FileIsPresent(inf)) {
        ShowNotice(ui, FillText(msg::kTitleFileMissing, {inf}), NoticeKind::Error,
                   msg::kTitleCaption);
        return;
    }
    std::string title = ReadTitle(inf);
    if (title.empty()) title = msg::kTitleEmpty;
    ShowNotice(ui, FillText(msg::kTitleBox, {title, url.board}), NoticeKind::Plain,
               FillText(msg::kTitleBoxCaption, {url.key}));
}

}  // namespace qb
