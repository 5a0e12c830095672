#include <gtest/gtest.h>

#include "support/sandbox.h"

namespace {

using namespace qbtest;
using Texts = std::vector<std::string>;

const char* kUrl = "http://sv.5ch.net/test/read.cgi/news/123";

class DriverTest : public ::testing::Test {
protected:
    Sandbox box;
};

TEST_F(DriverTest, TheSettingsFileComesBeforeTheArgumentCount) {
    EXPECT_EQ(box.Run({}), 0);
    ASSERT_EQ(box.Texts().size(), 1u);
    EXPECT_EQ(box.Texts()[0].rfind("設定ファイル 'Quenbrook.ini' が", 0), 0u);
    EXPECT_TRUE(Exists(box.ini()));
}

TEST_F(DriverTest, ArgumentCounts) {
    box.Settings(2);
    struct Case {
        std::vector<std::string> args;
        const char* notice;
    };
    const Case cases[] = {
        {{}, "Velmaris の [ツール(T)｜ツールの設定(T)...] に登録して使用して下さい。"},
        {{"http://sv.5ch.net/test/read.cgi/news/1"}, "コピー先フォルダを登録して下さい。"},
        {{"http://"}, "コピー先フォルダを登録して下さい。"},
        {{"https://sv.5ch.net/test/read.cgi/news/1/"}, "コピー先フォルダを登録して下さい。"},
        {{"https:/"}, "スレッドを表示させてから実行して下さい。"},
        {{"HTTP://sv.5ch.net/"}, "スレッドを表示させてから実行して下さい。"},
        {{"http:/"}, "スレッドを表示させてから実行して下さい。"},
        {{"C:\\dest"}, "スレッドを表示させてから実行して下さい。"},
        {{"a", "b", "c"}, "引数が多すぎます。"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(box.Run(c.args), 0);
        EXPECT_EQ(box.Texts(), Texts{c.notice});
        EXPECT_EQ(box.ui.boxes[0].style, kErrorStyle);
        EXPECT_EQ(box.ui.boxes[0].caption, "Quenbrook");
    }
}

TEST_F(DriverTest, AMissingDestinationRootIsCreatedAndAnnounced) {
    box.Settings(2);
    const std::string root = box.root() + "/deep/er";
    EXPECT_EQ(box.Run({root + "/", kUrl}), 0);
    ASSERT_GE(box.Texts().size(), 1u);
    EXPECT_EQ(box.Texts()[0], "コピー先として指定されたフォルダ '" + root +
                                  "' が存在しなかったので、\r\n新たに作成しました。");
    EXPECT_EQ(box.ui.boxes[0].style, kInformationStyle);
    EXPECT_TRUE(IsFolder(root));
}

TEST_F(DriverTest, ARootThatCannotBeCreatedEndsTheRun) {
    box.Settings(2);
    WriteBytes(box.dir / "file", "x");
    const std::string root = box.dir / "file/sub";
    EXPECT_EQ(box.Run({root, kUrl}), 0);
    EXPECT_EQ(box.Texts(), Texts{"コピー先として指定されたフォルダ '" + root + "' が存在しません。"});
}

TEST_F(DriverTest, ARootReportedPresentButMissingIsNotAnnouncedAsCreated) {
    box.Settings(2);
    // Two bytes count as present without being created.
    EXPECT_EQ(box.Run({"zq", kUrl}), 0);
    EXPECT_EQ(box.Texts(), Texts{"コピー先として指定されたフォルダ 'zq' が存在しません。"});
}

TEST_F(DriverTest, UncaughtFailures) {
    box.Settings(2);
    for (const std::string root : {"\\", "/", "relative-name-not-here"}) {
        EXPECT_EQ(box.Run({root, kUrl}), 1) << root;
        ASSERT_EQ(box.Texts().size(), 1u);
        const std::string text = box.Texts()[0];
        EXPECT_EQ(text.rfind("Exceptionがモジュール Quenbrook の ", 0), 0u) << text;
        EXPECT_NE(text.find(" で発生しました。\nディレクトリを作成することができません."),
                  std::string::npos);
        EXPECT_EQ(Utf8(box.ui.boxes[0].caption), "アプリケーション エラー");
        EXPECT_EQ(box.ui.boxes[0].style, kFailureReportStyle);
    }
}

TEST_F(DriverTest, TheReportGivesTheLocationAsEightUpperCaseHexDigits) {
    MakeFolders(box.ini());  // a folder where the settings file should be
    EXPECT_EQ(box.Run({}), 1);
    ASSERT_EQ(box.Texts().size(), 1u);
    const std::string text = box.Texts()[0];
    const std::string head = "EInOutErrorがモジュール Quenbrook の ";
    ASSERT_EQ(text.rfind(head, 0), 0u) << text;
    const std::string location = text.substr(head.size(), 8);
    EXPECT_EQ(location.find_first_not_of("0123456789ABCDEF"), std::string::npos) << location;
    EXPECT_EQ(text.substr(head.size() + 8),
              " で発生しました。\nファイルへのアクセスが拒否されました.");
}

TEST_F(DriverTest, UrlNotices) {
    const std::string bad = "URL が正しくないようです。　非対応の BBS かもしれません。";
    const std::string no_server = "サーバ名を抽出できませんでした。　非対応の BBS かもしれません。";
    struct Case {
        int generation;
        const char* url;
        std::string notice;
    };
    const Case cases[] = {
        {2, "http://sv.5ch.net", bad},                          // no '/' after the host
        {2, "http://sv.5ch.net/news", bad},                     // board but no key
        {2, "http://sv.5ch.net/test/read.cgi/news/", bad},      // empty key
        {2, "https://sv.5ch.net/test/read.cgi/news/?v=pc", bad},  // empty key after the drop
        {1, "http://localhost/test/read.cgi/news/1", no_server},
        {1, "http://sv.5ch.net/test/read.cgi/../1", bad},      // pieces leading outside
        {2, "http://sv.5ch.net/test/read.cgi/news/..", bad},
        {2, "http://sv.5ch.net/test/read.cgi/news/../../x", bad},
        {2, "http://sv.5ch.net/test/read.cgi/news/. . /x", bad},
        {1, "http://sv.../test/read.cgi/news/1", bad},        // board host ".."
        {1, "http://a\\../test/read.cgi/news/1", bad},     // "a\" "." "." joins into ".."
    };
    for (const Case& c : cases) {
        box.Settings(c.generation);
        EXPECT_EQ(box.Run({box.root(), c.url}), 0);
        EXPECT_EQ(box.Texts(), Texts{c.notice}) << c.url;
    }
    // Generation 2 takes a host without a dot and goes on to the source check.
    box.Settings(2);
    box.Run({box.root(), "http://localhost/test/read.cgi/news/1"});
    EXPECT_EQ(box.Texts(),
              Texts{"コピー元のフォルダ '" + box.logs() + "//news' が、見つかりませんでした。"});
}

}  // namespace
