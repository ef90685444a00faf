// Stands in for message boxes, file dialogs, the folder chooser, the browser
// and the settings store: records what the window asks for and answers from
// a script. The settings are an INI file of the test's own, on every system.
#pragma once

#include <QFileDialog>
#include <QSettings>
#include <deque>
#include <vector>

#include "AppServicesUnit.h"

struct TShownMessage {
    QMessageBox::Icon Icon;
    QString Caption, Text;
};

struct TRunDialog {
    QString Title, Directory;
};

class TFakeAppServices : public TAppServices {
public:
    void ShowMessage(QWidget*, QMessageBox::Icon Icon, const QString& Caption, const QString& Text) override {
        Messages.push_back({Icon, Caption, Text});
    }
    std::optional<QString> RunFileDialog(QFileDialog& Dialog) override {
        FileDialogs.push_back({Dialog.windowTitle(), Dialog.directory().absolutePath()});
        if (FileAnswers.empty()) return std::nullopt;
        const std::optional<QString> Answer = FileAnswers.front();
        FileAnswers.pop_front();
        return Answer;
    }
    std::optional<QString> ChooseDirectory(QWidget*, const QString& Title, const QString& Start) override {
        Chooser.push_back({Title, Start});
        return DirectoryAnswer;
    }
    void OpenUrl(const QUrl& Url) override { OpenedUrls.push_back(Url.toString()); }
    std::unique_ptr<ISettingsKey> OpenSettingsStore() override {
        return std::make_unique<TQSettingsKey>(std::make_unique<QSettings>(SettingsFile, QSettings::IniFormat));
    }

    std::vector<TShownMessage> Messages;
    std::vector<TRunDialog> FileDialogs, Chooser;
    std::deque<std::optional<QString>> FileAnswers;  // nothing: cancelled
    std::optional<QString> DirectoryAnswer;
    std::vector<QString> OpenedUrls;
    QString SettingsFile;
};
