#include <gtest/gtest.h>

#include "support/sandbox.h"

namespace {

using namespace qbtest;
using Texts = std::vector<std::string>;

const char* kUrl = "http://sv.5ch.net/test/read.cgi/news/123";

std::string Lines(int count) {
    std::string s;
    for (int i = 0; i < count; ++i) s += "KEY" + std::to_string(i) + "=v\r\n";
    return s;
}

TEST(TitleTest, TheTitleLineAndTheFallback) {
    const std::string fallback = "「（infファイル内の Title が空です）」 ＠ news";
    struct Case {
        std::string inf;
        std::string text;
    };
    const Case cases[] = {
        {"TITLE=" + Sjis("スレッド題") + "\r\n", "「スレッド題」 ＠ news"},
        {Lines(40) + "TITLE=line 41\r\n", "「line 41」 ＠ news"},
        {Lines(41) + "TITLE=line 42\r\n", fallback},
        {"TITLE=\r\nTITLE=second\r\n", fallback},
        {"title=x\r\n TITLE=y\r\n", fallback},
        {"A=1\r\nTITLE= spaced \r\nTITLE=later", "「 spaced 」 ＠ news"},
        {"", fallback},
        {"TITLE=a\x1A" "b", "「a」 ＠ news"},
    };
    for (const Case& c : cases) {
        Sandbox box;
        box.Settings(1);
        box.AddThread({"sv.5ch.net", "news", "123", "d", c.inf});
        EXPECT_EQ(box.Run({box.root(), kUrl}), 0);
        ASSERT_EQ(box.Texts(), Texts{c.text}) << c.inf;
        EXPECT_EQ(box.ui.boxes[0].caption, "123" + Sjis(" 成功"));
        EXPECT_EQ(box.ui.boxes[0].style, kPlainStyle);
    }
}

TEST(TitleTest, NothingWhenTurnedOffOrWhenTheRunFailed) {
    Sandbox box;
    box.Settings(1, "0", "0");
    box.AddThread({"sv.5ch.net", "news", "123", "d", "TITLE=t"});
    EXPECT_EQ(box.Run({box.root(), kUrl}), 0);
    EXPECT_EQ(box.Texts(), Texts{});
    box.Settings(1, "0", "no");
    box.Run({box.root(), "http://sv.5ch.net/test/read.cgi/news/999"});
    EXPECT_EQ(box.Texts().size(), 1u);
    EXPECT_EQ(box.Texts()[0].rfind("コピー元のファイル", 0), 0u);
}

}  // namespace
