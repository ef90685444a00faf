// Zanvero: turns the channel settings of a receiver's .cxf file into HTML
// pages, a CSV file or an SQL dump.
#include <QApplication>
#include <QIcon>

#include "AppServicesUnit.h"
#include "HtmlHeaderEditWindowUnit.h"
#include "MainformUnit.h"
#include "QtTranslationsUnit.h"
#include "SettingsStoreUnit.h"

int main(int argc, char* argv[]) {
    QApplication Application(argc, argv);
    QApplication::setApplicationName(ApplicationTitle);
    QApplication::setOrganizationName(QLatin1String(SettingsOrganization));
    // The menu entry that started the program, for its icon in task bars.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.morvane.Zanvero"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("zanvero")));
    // Before any window exists, so that every dialog speaks German.
    const auto QtGermanTexts = InstallQtGermanTexts(QtTranslationsDirectory());

    // Created first, the main window loads the settings while it is created.
    TMainform Mainform;
    THtmlHeaderEditWindow HtmlHeaderEditWindow(&Mainform);
    Mainform.SetHtmlHeaderEditWindow(&HtmlHeaderEditWindow);

    Mainform.show();
    const int ExitCode = QApplication::exec();
    Mainform.SetHtmlHeaderEditWindow(nullptr);
    return ExitCode;
}
