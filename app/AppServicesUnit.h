// The toolkit services the windows use that block or leave the program:
// modal message boxes, file and folder dialogs, the browser, the settings
// store. The windows reach them through TAppServices so that tests can stand
// in for them. What depends on the desktop the program runs on (the folder
// chooser, the browser, the window font, the form of paths and texts the
// core takes and gives) lives in AppServicesPosix.cpp and
// AppServicesWindows.cpp.
#pragma once

#include <QFont>
#include <QMessageBox>
#include <QString>
#include <QUrl>
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "SettingsStoreUnit.h"

class QFileDialog;
class QWidget;

// Caption of the message boxes and name of the application.
inline const QString ApplicationTitle = QStringLiteral("Zanvero");

// The font the windows are laid out for, "MS Sans Serif" 8 pt. The controls
// have fixed pixel sizes, so where that font is missing the substitute is
// made as small as it takes for the texts to fit as they did in it.
QFont WindowFont();
// Whether the texts fit the controls as they did in that font.
bool FitsWindowLayout(const QFont& Font);
// The font at 8 pt, or smaller in half points down to 6 pt, until it fits.
QFont ShrunkToWindowLayout(QFont Font);

// Paths and messages as the core takes and gives them: UTF-8 on Windows
// (the core's file calls convert to the wide API), the local 8-bit encoding
// elsewhere.
std::string ToCoreText(const QString& Text);
QString FromCoreText(const std::string& Text);

class TAppServices {
public:
    virtual ~TAppServices() = default;

    // A modal box with the single button OK.
    virtual void ShowMessage(QWidget* Parent, QMessageBox::Icon Icon, const QString& Caption, const QString& Text);
    // Runs a prepared file dialog modally; the chosen file or nothing.
    virtual std::optional<QString> RunFileDialog(QFileDialog& Dialog);
    // The folder chooser; the chosen directory or nothing.
    virtual std::optional<QString> ChooseDirectory(QWidget* Parent, const QString& Title, const QString& StartDirectory);
    // Hands the address to the user's browser; the outcome is not looked at.
    virtual void OpenUrl(const QUrl& Url);
    // The key of this user's settings store (OpenSettingsStore).
    virtual std::unique_ptr<ISettingsKey> OpenSettingsStore();

    // The services of the running program.
    static TAppServices& Default();
};

// An error's text as the error box shows it (the rule of FrontendRulesUnit).
QString ErrorBoxText(const QString& Message);

// The text of an exception from the core (local 8-bit) or of anything else.
QString ExceptionText(const std::exception_ptr& Error);

// Shows the error that reached a handler's boundary the way the
// application's top-level handler does.
void ShowErrorBox(TAppServices& Services, QWidget* Parent, const QString& Message);

// Runs one event handler; no exception leaves it, each one is shown in an
// error box and the window stays usable.
template <typename Handler>
void RunGuarded(TAppServices& Services, QWidget* Parent, Handler&& Body) noexcept {
    try {
        Body();
    } catch (...) {
        try {
            ShowErrorBox(Services, Parent, ExceptionText(std::current_exception()));
        } catch (...) {
        }
    }
}
