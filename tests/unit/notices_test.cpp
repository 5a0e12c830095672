#include <gtest/gtest.h>

#include "base/notices.h"
#include "support/fake_user_facing.h"

namespace {

using namespace qb;

TEST(NoticesTest, EachKindHasItsStyleAndOthersShowNothing) {
    struct Case {
        NoticeKind kind;
        unsigned style;
    };
    const Case cases[] = {{NoticeKind::Error, 0x00010010},
                          {NoticeKind::Information, 0x00010040},
                          {NoticeKind::Plain, 0x00010000},
                          {NoticeKind::Warning, 0x00010030}};
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
    EXPECT_EQ(ui.boxes[0].style, 0x00050124u);
    EXPECT_EQ(ui.boxes[0].caption, "cap");
}

}  // namespace
