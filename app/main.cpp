// Zanvero: turns the channel settings of a receiver's .cxf file into HTML
// pages, a CSV file or an SQL dump.
#include <QApplication>
#include <QIcon>
#include <cstdio>

#include "AppServicesUnit.h"
#include "CommandLineUnit.h"
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

    // A wrong command line is told in a box as well as on standard error:
    // a window program is started from a file manager as often as from a
    // terminal. The window does not open and no setting changes.
    TCommandLine CommandLine(QApplication::arguments());
    if (CommandLine.Outcome() == TCommandLine::TOutcome::Help) CommandLine.ShowHelp();
    if (CommandLine.Outcome() == TCommandLine::TOutcome::Wrong) {
        std::fprintf(stderr, "zanvero: %s\n", qPrintable(CommandLine.ErrorText()));
        TAppServices::Default().ShowMessage(nullptr, QMessageBox::Critical, ApplicationTitle, CommandLine.ErrorText());
        return 2;
    }

    // Created first, the main window loads the settings while it is created;
    // a file named on the command line is then chosen as the chooser would.
    TMainform Mainform;
    THtmlHeaderEditWindow HtmlHeaderEditWindow(&Mainform);
    Mainform.SetHtmlHeaderEditWindow(&HtmlHeaderEditWindow);
    if (!CommandLine.CxfFileName().isEmpty()) Mainform.ChooseCxfFile(CommandLine.CxfFileName());

    Mainform.show();
    const int ExitCode = QApplication::exec();
    Mainform.SetHtmlHeaderEditWindow(nullptr);
    return ExitCode;
}
