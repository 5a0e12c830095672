// The title reader on arbitrary .inf bytes.
#include <cstdint>
#include <string>

#include "base/messages.h"
#include "fuzz/fuzz_support.h"
#include "support/temp_folder.h"
#include "title/thread_title.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    qb::Places places;
    places.destination_inf = qbfuzz::ScratchFolder() + "/1.inf";
    qb::ThreadUrl url;
    url.key = "1";
    url.board = "b";
    qbtest::WriteBytes(places.destination_inf, bytes);
    qbfuzz::RecordingUserFacing ui;
    qb::ShowThreadTitle(places, url, ui);
    QB_CHECK(ui.boxes.size() == 1);
    const std::string& text = ui.boxes[0].text;
    QB_CHECK(ui.boxes[0].caption == qb::FillText(qb::msg::kTitleBoxCaption, {"1"}));
    QB_CHECK(ui.boxes[0].style == (qb::kBoxOk | qb::kBoxSetForeground));
    // The box is the title between what comes before {1} and after it.
    const std::string box = qb::FillText(qb::msg::kTitleBox, {"{1}", "b"});
    const std::string open = box.substr(0, box.find("{1}"));
    const std::string close = box.substr(open.size() + 3);
    QB_CHECK(text.compare(0, open.size(), open) == 0);
    QB_CHECK(text.size() >= open.size() + close.size());
    QB_CHECK(text.compare(text.size() - close.size(), close.size(), close) == 0);
    const std::string title = text.substr(open.size(), text.size() - open.size() - close.size());
    // The title is the input's own bytes after "TITLE=", or the fallback.
    if (title != qb::msg::kTitleEmpty) {
        QB_CHECK(bytes.find("TITLE=" + title) != std::string::npos);
        QB_CHECK(title.find('\r') == std::string::npos);
        QB_CHECK(title.find('\x1A') == std::string::npos);
    }
    return 0;
}
