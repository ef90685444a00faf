// The desktop services on Linux and other systems without the Win32 API:
// Qt's own folder chooser and URL handling, a stand-in for the window font.
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QFontMetrics>
#include <QLibraryInfo>

#include "AppServicesUnit.h"

QFont WindowFont() {
    // The widest label of the main window with the width it has in the
    // original font; a font that fits it fits the other texts as well.
    static const QString Reference = QStringLiteral("Zielverzeichnis (HTML-Export):");
    constexpr int ReferenceWidth = 145;
    QFont Font;
    Font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans Condensed")});
    for (qreal Size = 8.0; Size >= 6.0; Size -= 0.5) {
        Font.setPointSizeF(Size);
        if (QFontMetrics(Font).horizontalAdvance(Reference) <= ReferenceWidth) break;
    }
    return Font;
}

std::string ToCoreText(const QString& Text) {
    return QFile::encodeName(Text).toStdString();
}

QString FromCoreText(const std::string& Text) {
    return QFile::decodeName(QByteArray::fromStdString(Text));
}

QString QtTranslationsDirectory() {
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
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
