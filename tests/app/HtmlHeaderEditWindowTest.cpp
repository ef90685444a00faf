// The head text editor: its window, and accepting or abandoning an edit.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "HtmlHeaderEditWindowUnit.h"

using Lines = std::vector<std::string>;

// Sizes in a test's name and in its failure messages.
[[maybe_unused]] static void PrintTo(const QSize& Size, std::ostream* Out) {
    *Out << Size.width() << 'x' << Size.height();
}

namespace {

// The smallest client area is the outer limit 320 x 150 less the frame
// the window was designed with (687 x 616 around 679 x 589).
class EditorSizes : public testing::TestWithParam<QSize> {};

TEST_P(EditorSizes, EditorFillsAndButtonsKeepToTheCorners) {
    THtmlHeaderEditWindow Editor;
    EXPECT_EQ(Editor.windowTitle(), "Html Header (Javascript + Stylesheets)");
    EXPECT_FALSE(Editor.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(Editor.size(), QSize(679, 589));
    Editor.show();
    Editor.resize(GetParam());
    const int W = Editor.width(), H = Editor.height();
    EXPECT_EQ(Editor.size(), GetParam().expandedTo(QSize(312, 123)));
    EXPECT_EQ(Editor.TextMemo->geometry(), QRect(0, 0, W - 2, H - 28));
    EXPECT_EQ(Editor.AbortButton->geometry(), QRect(0, H - 25, 145, 25));
    EXPECT_EQ(Editor.OKButton->geometry(), QRect(W - 145, H - 25, 145, 25));
}

INSTANTIATE_TEST_SUITE_P(Sizes, EditorSizes, testing::Values(QSize(679, 589), QSize(100, 50), QSize(1000, 700)),
                         testing::PrintToStringParamName());

TEST(HtmlHeaderEditWindow, AcceptReplacesTheListAbortKeepsIt) {
    THtmlHeaderEditWindow Editor;
    Lines List{"one", "two"};
    auto Edit = [&](std::function<void()> WhileOpen) {
        QTimer::singleShot(0, &Editor, [&] {
            EXPECT_TRUE(Editor.isVisible() && Editor.isModal());
            WhileOpen();
        });
        Editor.EditHeader(List);
        EXPECT_FALSE(Editor.isVisible());
    };

    Edit([&] {
        EXPECT_EQ(Editor.TextMemo->toPlainText(), "one\ntwo\n");
        Editor.TextMemo->setPlainText("changed");
        QTest::mouseClick(Editor.AbortButton, Qt::LeftButton);
    });
    EXPECT_EQ(List, (Lines{"one", "two"}));

    Edit([&] {
        EXPECT_EQ(Editor.TextMemo->toPlainText(), "one\ntwo\n") << "unaccepted edits are gone";
        Editor.TextMemo->setFocus();
        Editor.TextMemo->moveCursor(QTextCursor::End);
        QTest::keyClick(Editor.TextMemo, Qt::Key_Tab);
        QTest::keyClicks(Editor.TextMemo, "x");
        QTest::mouseClick(Editor.OKButton, Qt::LeftButton);
    });
    EXPECT_EQ(List, (Lines{"one", "two", "\tx"}));

    Edit([&] {
        Editor.TextMemo->clear();
        Editor.OKButton->click();
    });
    EXPECT_TRUE(List.empty());
}

}  // namespace
