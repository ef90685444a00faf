// The modal editor of the HTML head text (title, script, style sheet) that
// the HTML export writes into every page.
#pragma once

#include <QDialog>
#include <QString>
#include <string>
#include <vector>

class QPlainTextEdit;
class TAppServices;
class QPushButton;

// Longest line the editor hands back; longer lines are cut.
inline constexpr int MaxHeaderLineLength = 4096;

// The editor text of a list: every line followed by a line break; a line
// that holds line breaks of its own shows as several lines.
QString HeaderLinesToEditorText(const std::vector<std::string>& Lines);
// The list of an editor text: one line per editor line, the empty line after
// a final line break not counted, each cut to MaxHeaderLineLength characters.
std::vector<std::string> EditorTextToHeaderLines(const QString& Text);

class THtmlHeaderEditWindow : public QDialog {
    Q_OBJECT

public:
    explicit THtmlHeaderEditWindow(QWidget* Parent = nullptr);
    THtmlHeaderEditWindow(TAppServices& Services, QWidget* Parent);

    // Shows Lines in the editor and returns when the window is closed. Lines
    // is replaced by the editor's text only when it is accepted.
    void EditHeader(std::vector<std::string>& Lines);

    void OKButtonClick();
    void AbortButtonClick();

    QPlainTextEdit* TextMemo;
    QPushButton* AbortButton;
    QPushButton* OKButton;

protected:
    void resizeEvent(QResizeEvent* Event) override;

private:
    void ArrangeControls();

    TAppServices& Services;
    std::vector<std::string>* HeaderLines = nullptr;
};
