#include <gtest/gtest.h>

#include "base/notices.h"
#include "support/fake_user_facing.h"

namespace {

using namespace qb;

// The one place that pins the named box styles and answers to their Win32
// values (MB_..., ID...): the Windows build hands them to the system as they
// are, and every other test names them.
static_assert(kBoxOk == 0x0 && kBoxYesNo == 0x4, "buttons");
static_assert(kBoxIconHand == 0x10 && kBoxIconQuestion == 0x20 && kBoxIconExclamation == 0x30 &&
                  kBoxIconAsterisk == 0x40,
              "icons");
static_assert(kBoxDefButton2 == 0x100 && kBoxTaskModal == 0x2000 &&
                  kBoxSetForeground == 0x10000 && kBoxTopmost == 0x40000,
              "modifiers");
static_assert(kIdOk == 1 && kIdYes == 6 && kIdNo == 7, "answers");

TEST(NoticesTest, EachKindHasItsStyleAndOthersShowNothing) {
    struct Case {
        NoticeKind kind;
        unsigned style;
    };
    const Case cases[] = {{NoticeKind::Error, qbtest::kErrorStyle},
                          {NoticeKind::Information, qbtest::kInformationStyle},
                          {NoticeKind::Plain, qbtest::kPlainStyle},
                          {NoticeKind::Warning, qbtest::kWarningStyle}};
    for (const Case& c : cases) {
        qbtest::FakeUserFacing ui;
        EXPECT_EQ(ShowNotice(ui, "text\r\nmore", c.kind), kIdOk);
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].style, c.style) << static_cast<int>(c.kind);
        EXPECT_EQ(ui.boxes[0].caption, "Quenbrook");
        EXPECT_EQ(ui.boxes[0].text, "text\r\nmore");
    }
    for (int kind : {-1, 4, 101, 255}) {
        qbtest::FakeUserFacing ui;
        EXPECT_EQ(ShowNotice(ui, "t", static_cast<NoticeKind>(kind)), -1);
        EXPECT_TRUE(ui.boxes.empty());
    }
}

TEST(NoticesTest, TheQuestionIsYesOnlyOnAnExplicitYes) {
    qbtest::FakeUserFacing ui;
    ui.answers = {true, false};
    EXPECT_TRUE(AskYesNo(ui, "q?", "cap"));
    EXPECT_FALSE(AskYesNo(ui, "q?", "cap"));
    EXPECT_FALSE(AskYesNo(ui, "q?", "cap"));  // no answer: the default, No
    ASSERT_EQ(ui.boxes.size(), 3u);
    EXPECT_EQ(ui.boxes[0].style, qbtest::kQuestionStyle);
    EXPECT_EQ(ui.boxes[0].caption, "cap");
}

}  // namespace
