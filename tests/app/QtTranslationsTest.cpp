// Qt's own dialogs and buttons in German, as the window installs them.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "QtTranslationsUnit.h"
#include "CxfImageBuilder.h"

namespace {

QString CancelButtonText() {
    QMessageBox Box(QMessageBox::Question, QStringLiteral("Zanvero"), QStringLiteral("?"),
                    QMessageBox::Ok | QMessageBox::Cancel);
    return Box.button(QMessageBox::Cancel)->text();
}

QString LookInLabelText() {
    QFileDialog Dialog;
    Dialog.setOption(QFileDialog::DontUseNativeDialog);
    const auto* Label = Dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"));
    return Label != nullptr ? Label->text() : QString();
}

TEST(QtGermanTexts, DialogsAndButtonsSpeakGermanWhileInstalled) {
    {
        const auto Texts = InstallQtGermanTexts(QtTranslationsDirectory());
        ASSERT_NE(Texts, nullptr) << "qtbase_de.qm missing in " << QtTranslationsDirectory().toStdString();
        EXPECT_EQ(CancelButtonText(), "Abbrechen");
        EXPECT_EQ(LookInLabelText(), "Suchen in:");
    }
    EXPECT_EQ(CancelButtonText(), "Cancel");
    EXPECT_EQ(LookInLabelText(), "Look in:");
}

TEST(QtGermanTexts, MissingTranslationsAreNoError) {
    const testsupport::TempDir Empty;
    EXPECT_EQ(InstallQtGermanTexts(QString::fromStdString(Empty.Path().string())), nullptr);
    EXPECT_EQ(CancelButtonText(), "Cancel");
}

}  // namespace
