#include "QtTranslationsUnit.h"

#include <QCoreApplication>
#include <QLocale>

std::unique_ptr<QTranslator> InstallQtGermanTexts(const QString& Directory) {
    auto Translator = std::make_unique<QTranslator>();
    // qtbase_de.qm: the texts of the widgets module's dialogs and buttons.
    if (!Translator->load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"), QStringLiteral("_"),
                          Directory))
        return nullptr;
    QCoreApplication::installTranslator(Translator.get());
    return Translator;
}
