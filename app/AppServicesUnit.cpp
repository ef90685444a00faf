#include "AppServicesUnit.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFontMetrics>
#include <QStringList>
#include <stdexcept>

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

void TAppServices::ShowMessage(QWidget* Parent, QMessageBox::Icon Icon, const QString& Caption, const QString& Text) {
    QMessageBox Box(Icon, Caption, Text, QMessageBox::Ok, Parent);
    Box.exec();
}

std::optional<QString> TAppServices::RunFileDialog(QFileDialog& Dialog) {
    if (Dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList Files = Dialog.selectedFiles();
    if (Files.isEmpty() || Files.front().isEmpty()) return std::nullopt;
    return Files.front();
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

TAppServices& TAppServices::Default() {
    static TAppServices Services;
    return Services;
}

QString ErrorBoxText(const QString& Message) {
    if (!Message.isEmpty() && Message.back() > QLatin1Char('.')) return Message + QLatin1Char('.');
    return Message;
}

QString ExceptionText(const std::exception_ptr& Error) {
    try {
        std::rethrow_exception(Error);
    } catch (const std::exception& E) {
        return QString::fromLocal8Bit(E.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

void ShowErrorBox(TAppServices& Services, QWidget* Parent, const QString& Message) {
    Services.ShowMessage(Parent, QMessageBox::Critical, ApplicationTitle, ErrorBoxText(Message));
}
