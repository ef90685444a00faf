#include "HtmlHeaderEditWindowUnit.h"

#include "AppServicesUnit.h"
#include "HeadTextUnit.h"
#include "ScreenPlacementUnit.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>

namespace {

// Client area the window was laid out in, and the frame of that layout:
// the limits below are outer sizes.
constexpr int ClientWidth = 679;
constexpr int ClientHeight = 589;
constexpr int FrameWidth = 687 - ClientWidth;
constexpr int FrameHeight = 616 - ClientHeight;
constexpr int MinOuterWidth = 320;
constexpr int MinOuterHeight = 150;

constexpr int ButtonWidth = 145;
constexpr int ButtonHeight = 25;
constexpr int MemoRightGap = ClientWidth - 677;
constexpr int MemoBottomGap = ClientHeight - 561;

}  // namespace

QString HeaderLinesToEditorText(const std::vector<std::string>& Lines) {
    return QString::fromStdString(HeadLinesToEditorText(Lines));
}

std::vector<std::string> EditorTextToHeaderLines(const QString& Text) {
    return EditorTextToHeadLines(Text.toStdString());
}

THtmlHeaderEditWindow::THtmlHeaderEditWindow(QWidget* Parent) : THtmlHeaderEditWindow(TAppServices::Default(), Parent) {}

THtmlHeaderEditWindow::THtmlHeaderEditWindow(TAppServices& AppServices, QWidget* Parent)
    : QDialog(Parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinMaxButtonsHint),
      Services(AppServices) {
    setObjectName(QStringLiteral("HtmlHeaderEditWindow"));
    setWindowTitle(QStringLiteral("Html Header (Javascript + Stylesheets)"));
    setFont(WindowFont());
    setSizeGripEnabled(false);

    TextMemo = new QPlainTextEdit(this);
    TextMemo->setObjectName(QStringLiteral("TextMemo"));
    QFont MemoFont(QStringLiteral("Courier New"), 11);
    // Where Courier New is missing, a fixed-pitch font of the system: the
    // style hint alone does not bring one on Windows (under Wine it gives a
    // proportional serif).
    MemoFont.setFamilies({QStringLiteral("Courier New"), QStringLiteral("DejaVu Sans Mono")});
    MemoFont.setStyleHint(QFont::TypeWriter);
    TextMemo->setFont(MemoFont);
    // Tab stops every eight characters, as head text is usually indented.
    TextMemo->setTabStopDistance(8 * QFontMetricsF(MemoFont).horizontalAdvance(QLatin1Char(' ')));
    TextMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    TextMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    TextMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    TextMemo->setTabChangesFocus(false);
    // Reached with the mouse only, never with Tab: Tab belongs to the text.
    TextMemo->setFocusPolicy(Qt::ClickFocus);

    AbortButton = new QPushButton(QStringLiteral("&Abbruch"), this);
    AbortButton->setObjectName(QStringLiteral("AbortButton"));
    OKButton = new QPushButton(QStringLiteral("&Übernehmen"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    setTabOrder(AbortButton, OKButton);

    connect(AbortButton, &QPushButton::clicked, this, &THtmlHeaderEditWindow::AbortButtonClick);
    connect(OKButton, &QPushButton::clicked, this, &THtmlHeaderEditWindow::OKButtonClick);

    setMinimumSize(MinOuterWidth - FrameWidth, MinOuterHeight - FrameHeight);
    resize(ClientWidth, ClientHeight);
    PlaceOnScreen(*this, QPoint(141, 104));
    ArrangeControls();
}

void THtmlHeaderEditWindow::EditHeader(std::vector<std::string>& Lines) {
    HeaderLines = &Lines;
    TextMemo->clear();
    TextMemo->setPlainText(HeaderLinesToEditorText(Lines));
    exec();
    HeaderLines = nullptr;
}

void THtmlHeaderEditWindow::OKButtonClick() {
    // The window closes even if taking over the text fails; the list is then
    // left as it was.
    RunGuarded(Services, this, [this] {
        if (HeaderLines) *HeaderLines = EditorTextToHeaderLines(TextMemo->toPlainText());
    });
    reject();
}

void THtmlHeaderEditWindow::AbortButtonClick() {
    reject();
}

void THtmlHeaderEditWindow::resizeEvent(QResizeEvent* Event) {
    QDialog::resizeEvent(Event);
    ArrangeControls();
}

// The editor follows all four edges, the buttons keep to the bottom corners.
void THtmlHeaderEditWindow::ArrangeControls() {
    const int W = width();
    const int H = height();
    TextMemo->setGeometry(0, 0, W - MemoRightGap, H - MemoBottomGap);
    AbortButton->setGeometry(0, H - ButtonHeight, ButtonWidth, ButtonHeight);
    OKButton->setGeometry(W - ButtonWidth, H - ButtonHeight, ButtonWidth, ButtonHeight);
}
