#include <QApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include "AppServicesUnit.h"

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", ZANVERO_TEST_PLATFORM);
    // Keeps Qt's own files (file dialog history) away from the user's folders;
    // every test points the settings store at a folder of its own.
    QStandardPaths::setTestModeEnabled(true);
    QApplication Application(argc, argv);
    QApplication::setApplicationName(ApplicationTitle);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
