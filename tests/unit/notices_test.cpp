#include <gtest/gtest.h>

#include "base/notices.h"
#include "support/fake_user_facing.h"

namespace {

using namespace qb;

TEST(NoticesTest, EachKindHasItsStyleAndOthersShowNothing) {
    struct Case {
        char kind;
        unsigned style;
    };
    const Case cases[] = {{'e', 0x00010010}, {'i', 0x00010040}, {'n', 0x00010000}, {'w', 0x00010030}};
    for (const Case& c : cases) {
        qbtest::FakeUserFacing ui;
        EXPECT_EQ(ShowNotice(ui, "text\r\nmore", c.kind), kIdOk);
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].style, c.style) << c.kind;
        EXPECT_EQ(ui.boxes[0].caption, "Quenbrook");
        EXPECT_EQ(ui.boxes[0].text, "text\r\nmore");
    }
    for (char kind : {'E', 'q', 'x', '\0'}) {
        qbtest::FakeUserFacing ui;
        EXPECT_EQ(ShowNotice(ui, "t", kind), -1);
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
