// Zanvero: turns the channel settings of a receiver's .cxf file into HTML
// pages, a CSV file or an SQL dump.
#include <QApplication>

#include "AppServicesUnit.h"
#include "HtmlHeaderEditWindowUnit.h"
#include "MainformUnit.h"
#include "SettingsStoreUnit.h"

int main(int argc, char* argv[]) {
    QApplication Application(argc, argv);
    QApplication::setApplicationName(ApplicationTitle);
    QApplication::setOrganizationName(QLatin1String(SettingsOrganization));

    // Created first, the main window loads the settings while it is created.
    TMainform Mainform;
    THtmlHeaderEditWindow HtmlHeaderEditWindow(&Mainform);
    Mainform.SetHtmlHeaderEditWindow(&HtmlHeaderEditWindow);

    Mainform.show();
    const int ExitCode = QApplication::exec();
    Mainform.SetHtmlHeaderEditWindow(nullptr);
    return ExitCode;
}
