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

// The editor text of a list and the list of an editor text, by the rules
// of HeadTextUnit.
QString HeaderLinesToEditorText(const std::vector<std::string>& Lines);
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
