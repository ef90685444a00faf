#include "AppServicesUnit.h"

#include <QFileDialog>
#include <QFontMetrics>
#include <QStringList>
#include <stdexcept>

#include "FrontendRulesUnit.h"

bool FitsWindowLayout(const QFont& Font) {
    // The widest label of the main window with the width it has in the font
    // the layout was made with; a font that fits it fits the other texts.
    static const QString Reference = QStringLiteral("Zielverzeichnis (HTML-Export):");
    constexpr int ReferenceWidth = 145;
    return QFontMetrics(Font).horizontalAdvance(Reference) <= ReferenceWidth;
}

QFont ShrunkToWindowLayout(QFont Font) {
    for (qreal Size = 8.0; Size >= 6.0; Size -= 0.5) {
        Font.setPointSizeF(Size);
        if (FitsWindowLayout(Font)) break;
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

std::unique_ptr<ISettingsKey> TAppServices::OpenSettingsStore() {
    return ::OpenSettingsStore();
}

TAppServices& TAppServices::Default() {
    static TAppServices Services;
    return Services;
}

QString ErrorBoxText(const QString& Message) {
    return QString::fromStdString(ErrorBoxText(Message.toStdString()));
}

QString ExceptionText(const std::exception_ptr& Error) {
    try {
        std::rethrow_exception(Error);
    } catch (const std::exception& E) {
        return FromCoreText(E.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

void ShowErrorBox(TAppServices& Services, QWidget* Parent, const QString& Message) {
    Services.ShowMessage(Parent, QMessageBox::Critical, ApplicationTitle, ErrorBoxText(Message));
}
