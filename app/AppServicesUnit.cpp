#include "AppServicesUnit.h"

#include <QFileDialog>
#include <QStringList>
#include <stdexcept>

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
    if (!Message.isEmpty() && Message.back() > QLatin1Char('.')) return Message + QLatin1Char('.');
    return Message;
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
