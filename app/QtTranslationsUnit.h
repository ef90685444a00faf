// Qt's own texts (file dialogs, the folder chooser, message box buttons) in
// German, to match the window's own texts.
#pragma once

#include <QString>
#include <QTranslator>
#include <memory>

// Where this system keeps Qt's translations; one implementation per OS.
QString QtTranslationsDirectory();

// Loads Qt's German texts from Directory and installs them into the
// application for as long as the returned translator lives. Without the
// file (the translations are not installed) the result is empty and Qt
// keeps its English texts.
std::unique_ptr<QTranslator> InstallQtGermanTexts(const QString& Directory);
