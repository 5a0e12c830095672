#include <gtest/gtest.h>

#include "app/failure_report.h"
#include "base/messages.h"
#include "support/fake_user_facing.h"

namespace {

using namespace qb;
using qbtest::Sjis;
using qbtest::Utf8;

TEST(FailureReportTest, ErrorMessages) {
    struct Case {
        std::uint32_t code;
        const char* message;
    };
    const Case cases[] = {
        {2, "ファイルが見つかりません"},
        {3, "不正なファイル名です"},
        {4, "オープンしたファイルが多すぎます"},
        {5, "ファイルへのアクセスが拒否されました"},
        {100, "ファイルの末尾以降を読み込みました"},
        {101, "ディスクがいっぱいです"},
        {106, "入力値が数値ではありません"},
        {32, "I/O エラー (32)"},
        {1117, "I/O エラー (1117)"},
    };
    for (const Case& c : cases) EXPECT_EQ(Utf8(InOutErrorMessage(c.code)), c.message);
}

TEST(FailureReportTest, TextFormAndTheDotRule) {
    EXPECT_EQ(Utf8(FailureReportText(msg::kInOutErrorKind, "Quenbrook.exe", 0x4a2bc,
                                     InOutErrorMessage(5))),
              "EInOutErrorがモジュール Quenbrook.exe の 0004A2BC で発生しました。\n"
              "ファイルへのアクセスが拒否されました.");
    EXPECT_EQ(FailureReportText("Exception", "q", 0x1234567890ABCDEFull, "ends."),
              "Exception" + Sjis("がモジュール q の 90ABCDEF で発生しました。") + "\nends.");
}

TEST(FailureReportTest, BoxStyleAndCaption) {
    qbtest::FakeUserFacing ui;
    ShowFailureReport(ui, "x");
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].style, qbtest::kFailureReportStyle);
    EXPECT_EQ(Utf8(ui.boxes[0].caption), "アプリケーション エラー");
}

}  // namespace
