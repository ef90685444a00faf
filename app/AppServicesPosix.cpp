// The desktop services on Linux and other systems without the Win32 API:
// Qt's own folder chooser and URL handling, a stand-in for the window font
// (Linux has no "MS Sans Serif").
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>

#include "AppServicesUnit.h"

QFont WindowFont() {
    QFont Font;
    Font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans Condensed")});
    return ShrunkToWindowLayout(Font);
}

std::string ToCoreText(const QString& Text) {
    return QFile::encodeName(Text).toStdString();
}

QString FromCoreText(const std::string& Text) {
    return QFile::decodeName(QByteArray::fromStdString(Text));
}

std::optional<QString> TAppServices::ChooseDirectory(QWidget* Parent, const QString& Title,
                                                     const QString& StartDirectory) {
    const QString Chosen = QFileDialog::getExistingDirectory(Parent, Title, StartDirectory, QFileDialog::ShowDirsOnly);
    if (Chosen.isEmpty()) return std::nullopt;
    return Chosen;
}

void TAppServices::OpenUrl(const QUrl& Url) {
    QDesktopServices::openUrl(Url);
}
