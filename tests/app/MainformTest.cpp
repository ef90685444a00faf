// The main window: layout, settings at creation and close, the choosers, the
// link label, transparency and export runs started with the mouse.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>

#include "CxfHTMLExporterUnit.h"
#include "CxfImageBuilder.h"
#include "FakeAppServices.h"
#include "HtmlHeaderEditWindowUnit.h"
#include "MainformUnit.h"

namespace fs = std::filesystem;
using testsupport::TempDir;

namespace {

QString Q(const fs::path& Path) {
    return QString::fromStdString(Path.string());
}

class MainformTest : public testing::Test {
protected:
    MainformTest() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Q(Dir.Path())); }
    fs::path StoreFile() const { return Dir / "Morvane" / "Zanvero.conf"; }
    void WriteStore(const std::string& Body) const {
        fs::create_directories(StoreFile().parent_path());
        testsupport::WriteFileBytes(StoreFile(), "[General]\n" + Body);
    }
    QString WriteCxf(const std::string& Name) const {
        testsupport::CxfImageBuilder Builder;
        Builder.Satellite(0, {"Hotbird", 130});
        Builder.Transponder(0, {12111, 27500, 0, 0, 318, 5});
        Builder.Channel(0, {"Rai 1", 0, 160, 161, 160, 0, 3401});
        return Q(Builder.WriteTo(Dir / Name));
    }
    std::vector<QString> MessageTexts() const {
        std::vector<QString> Texts;
        for (const TShownMessage& Message : Services.Messages) Texts.push_back(Message.Text);
        return Texts;
    }
    TempDir Dir;
    TFakeAppServices Services;
};

TEST_F(MainformTest, LayoutAsDesigned) {
    TMainform Form(Services);
    EXPECT_EQ(Form.windowTitle(), "Televio - Zanvero v0.4 alpha");
    EXPECT_EQ(Form.minimumSize(), QSize(388, 320));
    EXPECT_EQ(Form.maximumSize(), QSize(388, 320));
    EXPECT_EQ(Form.pos(), QPoint(736, 284));
    EXPECT_FALSE(Form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(Form.windowFlags() & Qt::WindowCloseButtonHint);

    struct TControl {
        QWidget* Widget;
        QWidget* Parent;
        QString Text;
        QRect Geometry;
    } Controls[] = {  // a null text: filled from the settings
        {Form.GroupBox2, &Form, " Input / Output: ", {8, 8, 369, 105}},
        {Form.Label1, Form.GroupBox2, ".cxf-Datei:", {16, 20, 48, 13}},
        {Form.CxfFileBevel, Form.GroupBox2, "", {16, 35, 321, 16}},
        {Form.CxfFileNameLabel, Form.GroupBox2, "", {17, 36, 319, 14}},
        {Form.CxfFileSelectSpeedButton, Form.GroupBox2, "...", {344, 35, 17, 16}},
        {Form.Label2, Form.GroupBox2, "Zielverzeichnis (HTML-Export):", {16, 60, 145, 13}},
        {Form.ExportDirectoryBevel, Form.GroupBox2, "", {16, 76, 321, 16}},
        {Form.ExportPathLabel, Form.GroupBox2, QString(), {17, 77, 319, 14}},
        {Form.ExportDirectorySpeedButton, Form.GroupBox2, "...", {344, 76, 17, 16}},
        {Form.ExportTypeRadioGroup, &Form, " Exportart: ", {8, 120, 369, 89}},
        {Form.Button1, &Form, "Html-Header", {289, 132, 81, 17}},
        {Form.GroupBox1, &Form, " Vom Export ausschließen: ", {8, 216, 369, 57}},
        {Form.ExcludeChannelUFCheckBox, Form.GroupBox1, "Kanäle mit gesetztem UF", {16, 16, 169, 17}},
        {Form.ExcludeTransponderUFCheckBox, Form.GroupBox1, "Transponder mit gesetztem UF", {192, 16, 167, 17}},
        {Form.ExcludeChannelVPIDCheckBox, Form.GroupBox1, "Kanäle mit VPID = 0", {16, 32, 169, 17}},
        {Form.ExcludeSatelliteUFCheckBox, Form.GroupBox1, "Satelliten mit gesetztem UF", {192, 32, 167, 17}},
        {Form.ExportStartButton, &Form, "&Exportieren", {8, 280, 369, 25}},
        {Form.MorvaneLabel, &Form, QString(89, ' ') + "https://www.morvane.example", {11, 307, 366, 13}},
    };
    for (const TControl& Control : Controls) {
        SCOPED_TRACE(Control.Widget->objectName().toStdString() + " " + Control.Text.toStdString());
        EXPECT_EQ(Control.Widget->parentWidget(), Control.Parent);
        EXPECT_EQ(Control.Widget->geometry(), Control.Geometry);
        QString Text;
        if (auto* Label = qobject_cast<QLabel*>(Control.Widget)) Text = Label->text();
        if (auto* Button = qobject_cast<QAbstractButton*>(Control.Widget)) Text = Button->text();
        if (auto* Group = qobject_cast<QGroupBox*>(Control.Widget)) Text = Group->title();
        if (!Control.Text.isNull()) {
            EXPECT_EQ(Text, Control.Text);
        }
        if (auto* Box = qobject_cast<QCheckBox*>(Control.Widget)) {
            EXPECT_TRUE(Box->isChecked());
        }
    }
    EXPECT_EQ(Form.MorvaneLabel->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);

    const QStringList Items{"HTML, 3 unterschiedlich sortierte Dateien pro Satellit",
                            "CSV \"Comma separated values\" (Excel-Style), eine große Datei",
                            "SQL-Dump incl. DROP+CREATE TABLE (MySql), eine große Datei",
                            "Irgendwelche anderen Formate"};
    ASSERT_EQ(Form.ExportTypeRadioGroup->ItemCount(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Form.ExportTypeRadioGroup->Item(i)->text(), Items[i]);
    EXPECT_EQ(Form.ExportTypeRadioGroup->ItemIndex(), 0);

    // Tab order among the controls that take the focus from the keyboard.
    std::vector<QWidget*> Chain;
    QWidget* W = Form.ExportStartButton;
    do {
        if (W->focusPolicy() & Qt::TabFocus) Chain.push_back(W);
        W = W->nextInFocusChain();
    } while (W != Form.ExportStartButton);
    const std::vector<QWidget*> Expected{Form.ExportStartButton,        Form.ExportTypeRadioGroup->Item(0),
                                         Form.ExportTypeRadioGroup->Item(1), Form.ExportTypeRadioGroup->Item(2),
                                         Form.ExportTypeRadioGroup->Item(3), Form.ExcludeTransponderUFCheckBox,
                                         Form.ExcludeChannelUFCheckBox,   Form.ExcludeSatelliteUFCheckBox,
                                         Form.ExcludeChannelVPIDCheckBox, Form.Button1};
    EXPECT_EQ(Chain, Expected);
    EXPECT_EQ(Form.focusWidget(), Form.ExportStartButton);
}

TEST_F(MainformTest, DialogsAsDesigned) {
    TMainform Form(Services);
    struct TDialog {
        QFileDialog* Dialog;
        const char* Title;
        const char* Filter;
        const char* Suffix;
        QFileDialog::AcceptMode Mode;
    } Dialogs[] = {
        {Form.CxfFileOpenDialog, "Bitte eine Inout-Date auswählen", "Digenius Setting-Dateien (*.cxf)", "",
         QFileDialog::AcceptOpen},
        {Form.CSVFileSaveDialog, "CSV-Datei Speichern", "Comma Separated Values (*.CSV)", "CSV",
         QFileDialog::AcceptSave},
        {Form.SQLFileSaveDialog, "SQL-Dump-Datei Speichern", "SQL-Dump (*.SQL)", "SQL", QFileDialog::AcceptSave},
    };
    for (const TDialog& D : Dialogs) {
        SCOPED_TRACE(D.Title);
        EXPECT_EQ(D.Dialog->windowTitle(), QString::fromUtf8(D.Title));
        EXPECT_EQ(D.Dialog->nameFilters(), QStringList{D.Filter});
        EXPECT_EQ(D.Dialog->defaultSuffix(), D.Suffix);
        EXPECT_EQ(D.Dialog->acceptMode(), D.Mode);
        EXPECT_EQ(D.Dialog->fileMode(), QFileDialog::AnyFile);
        EXPECT_FALSE(D.Dialog->testOption(QFileDialog::DontConfirmOverwrite));
    }
}

TEST_F(MainformTest, FirstStartWithAnEmptyStore) {
    TMainform Form(Services);
    const QString Cwd = QDir::currentPath();
    EXPECT_EQ(Form.CxfFileNameLabel->text(), "");
    EXPECT_EQ(Form.ExportPathLabel->text(), Cwd == "/" ? Cwd : Cwd + "/");
    EXPECT_EQ(Form.CxfFileOpenDialogInitialDir, Cwd);
    EXPECT_EQ(Form.CSVFileSaveDialogInitialDir, Cwd);
    EXPECT_EQ(Form.SQLFileSaveDialogInitialDir, "");
    EXPECT_EQ(Form.HtmlHeaderLines, std::vector<std::string>{DefaultHtmlHeadText});
    EXPECT_TRUE(Services.Messages.empty());
    EXPECT_FALSE(fs::exists(StoreFile())) << "nothing is written before the close";

    QTest::mousePress(Form.ExportStartButton, Qt::LeftButton);
    EXPECT_EQ(MessageTexts(), std::vector<QString>{".cxf-Datei nicht gefunden."});
}

TEST_F(MainformTest, ValueOfTheWrongKindIsShownAndLoadingStops) {
    WriteStore("CxfFileName=/x.cxf\nExportType=2\nExcludeChannelUF=ja\nExcludeSatelliteUF=0\n");
    TMainform Form(Services);
    ASSERT_EQ(Services.Messages.size(), 1u);
    EXPECT_EQ(Services.Messages[0].Icon, QMessageBox::Critical);
    EXPECT_EQ(Services.Messages[0].Caption, "Zanvero");
    EXPECT_EQ(Services.Messages[0].Text, "Invalid data type for 'ExcludeChannelUF'");
    EXPECT_EQ(Form.CxfFileNameLabel->text(), "/x.cxf");
    EXPECT_EQ(Form.ExportTypeRadioGroup->ItemIndex(), 2);
    EXPECT_TRUE(Form.ExcludeSatelliteUFCheckBox->isChecked());
    EXPECT_TRUE(Form.HtmlHeaderLines.empty());
    // The activation handlers are attached all the same.
    emit qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_DOUBLE_EQ(Form.windowOpacity(), 220 / 255.0);
}

TEST_F(MainformTest, ClosingSavesWhatTheControlsHold) {
    {
        TMainform Form(Services);
        Form.CxfFileNameLabel->setText("/daten/sender.cxf");
        Form.ExportTypeRadioGroup->SetItemIndex(-1);
        Form.ExcludeChannelVPIDCheckBox->setChecked(false);
        Form.HtmlHeaderLines = {"x", "y z"};
        Form.show();
        EXPECT_TRUE(Form.close());
        EXPECT_TRUE(Form.HtmlHeaderLines.empty());
    }
    const std::string File = testsupport::ReadFileBytes(StoreFile());
    for (const char* Line : {"CxfFileName=/daten/sender.cxf\n", "ExportType=-1\n", "ExcludeChannelVPID=0\n",
                             "ExcludeChannelUF=1\n", "HtmlHeaderText=\"x,\\\"y z\\\"\"\n"})
        EXPECT_NE(File.find(Line), std::string::npos) << Line << " in\n" << File;

    TMainform Again(Services);
    EXPECT_EQ(Again.CxfFileNameLabel->text(), "/daten/sender.cxf");
    EXPECT_EQ(Again.ExportTypeRadioGroup->ItemIndex(), -1);
    EXPECT_FALSE(Again.ExcludeChannelVPIDCheckBox->isChecked());
    EXPECT_EQ(Again.HtmlHeaderLines, (std::vector<std::string>{"x", "y z"}));
    EXPECT_TRUE(Services.Messages.empty());
}

TEST_F(MainformTest, StoreThatCannotBeWrittenStillLetsTheWindowClose) {
    testsupport::WriteFileBytes(Dir / "Morvane", "not a folder");
    TMainform Form(Services);
    Form.show();
    EXPECT_TRUE(Form.close());
    EXPECT_FALSE(Form.isVisible());
    EXPECT_EQ(MessageTexts(), std::vector<QString>{"Die Einstellungen konnten nicht gespeichert werden."});
}

TEST_F(MainformTest, ChoosingFileAndFolder) {
    TMainform Form(Services);
    fs::create_directories(Dir / "Daten");
    fs::create_directories(Dir / "Export");
    Form.CxfFileOpenDialogInitialDir = Q(Dir.Path());

    Services.FileAnswers = {std::nullopt, Q(Dir / "Daten" / "neu.cxf")};
    Form.CxfFileSelectSpeedButtonClick();
    EXPECT_EQ(Form.CxfFileNameLabel->text(), "");
    EXPECT_EQ(Form.CxfFileOpenDialogInitialDir, Q(Dir.Path()));
    Form.CxfFileSelectSpeedButtonClick();
    EXPECT_EQ(Form.CxfFileNameLabel->text(), Q(Dir / "Daten" / "neu.cxf"));
    EXPECT_EQ(Form.CxfFileOpenDialogInitialDir, Q(Dir / "Daten"));
    Form.CxfFileSelectSpeedButtonClick();
    ASSERT_EQ(Services.FileDialogs.size(), 3u);
    EXPECT_EQ(Services.FileDialogs[2].Directory, Q(Dir / "Daten")) << "opens where the last file was";

    Form.ExportPathLabel->setText(Q(Dir / "missing") + "/");
    Form.ExportDirectorySpeedButtonClick();
    EXPECT_EQ(Form.ExportPathLabel->text(), Q(Dir / "missing") + "/") << "cancelled";
    Services.DirectoryAnswer = Q(Dir / "Export");
    Form.ExportDirectorySpeedButtonClick();
    EXPECT_EQ(Form.ExportPathLabel->text(), Q(Dir / "Export") + "/");
    Form.ExportDirectorySpeedButtonClick();
    ASSERT_EQ(Services.Chooser.size(), 3u);
    EXPECT_EQ(Services.Chooser[0].Title, "Exportverzeichnis wählen:");
    EXPECT_EQ(Services.Chooser[0].Directory, "") << "a missing directory is not preselected";
    EXPECT_EQ(Services.Chooser[2].Directory, Q(Dir / "Export") + "/");
    Services.DirectoryAnswer = "/";
    Form.ExportDirectorySpeedButtonClick();
    EXPECT_EQ(Form.ExportPathLabel->text(), "/");
}

TEST_F(MainformTest, LinkLabelColoursAndClick) {
    TMainform Form(Services);
    auto Colour = [&] { return Form.MorvaneLabel->palette().color(QPalette::WindowText); };
    EXPECT_EQ(Colour(), Form.palette().color(QPalette::Link));
    QEnterEvent Enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(Form.MorvaneLabel, &Enter);
    EXPECT_EQ(Colour(), QColor(255, 0, 0));
    QEvent Leave(QEvent::Leave);
    QCoreApplication::sendEvent(Form.MorvaneLabel, &Leave);
    EXPECT_EQ(Colour(), QColor(0, 0, 255));

    QTest::mouseClick(Form.MorvaneLabel, Qt::RightButton);
    EXPECT_TRUE(Services.OpenedUrls.empty());
    QTest::mouseClick(Form.MorvaneLabel, Qt::LeftButton);
    EXPECT_EQ(Services.OpenedUrls,
              std::vector<QString>{"https://www.morvane.example/html/index.php?page=tools&lang=deutsch&menu=on"});
}

TEST_F(MainformTest, OpacityFollowsTheApplicationState) {
    TMainform Form(Services);
    THtmlHeaderEditWindow Editor(&Form);
    EXPECT_DOUBLE_EQ(Form.windowOpacity(), 245 / 255.0);
    emit qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_DOUBLE_EQ(Form.windowOpacity(), 1.0);
    emit qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_DOUBLE_EQ(Form.windowOpacity(), 220 / 255.0);
    EXPECT_DOUBLE_EQ(Editor.windowOpacity(), 1.0);
}

TEST_F(MainformTest, AnyMouseButtonStartsARunTheKeyboardNone) {
    TMainform Form(Services);
    Form.show();
    Form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));
    int Clicks = 0;
    QObject::connect(Form.ExportStartButton, &QPushButton::clicked, [&] { ++Clicks; });
    for (const Qt::Key Key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter})
        QTest::keyClick(Form.ExportStartButton, Key);
    QTest::keyClick(&Form, Qt::Key_E, Qt::AltModifier);
    QTest::qWait(300);  // the accelerator's animated click
    EXPECT_EQ(Clicks, 2) << "Space and Alt+E activate the button";
    EXPECT_TRUE(Services.Messages.empty()) << "and start nothing";
    for (const Qt::MouseButton Button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        Services.Messages.clear();
        QTest::mousePress(Form.ExportStartButton, Button);
        QTest::mouseRelease(Form.ExportStartButton, Button);
        EXPECT_EQ(MessageTexts(), std::vector<QString>{".cxf-Datei nicht gefunden."}) << Button;
    }
}

TEST_F(MainformTest, HtmlExportFromAMousePressWithTheEditedHeadText) {
    TMainform Form(Services);
    THtmlHeaderEditWindow Editor(&Form);
    Form.SetHtmlHeaderEditWindow(&Editor);
    Form.CxfFileNameLabel->setText(WriteCxf("hotbird.cxf"));
    Form.ExportPathLabel->setText(Q(Dir / "Seiten" / "neu") + "/");
    Form.show();

    QTimer::singleShot(0, &Editor, [&] {
        Editor.TextMemo->setPlainText("\t\t<title>Meine Liste</title>\n");
        Editor.OKButton->click();
    });
    QTest::mouseClick(Form.Button1, Qt::LeftButton);
    EXPECT_EQ(Form.HtmlHeaderLines, std::vector<std::string>{"\t\t<title>Meine Liste</title>"});

    QTest::mousePress(Form.ExportStartButton, Qt::RightButton);
    EXPECT_TRUE(Services.Messages.empty());
    EXPECT_EQ(Form.ExportStartButton->text(), "&Exportieren");
    for (const char* Page : {"Hotbird_(BY_NAME).html", "Hotbird_(BY_FREQUENCY).html", "Hotbird_(BY_PACKAGE).html"}) {
        const fs::path File = Dir / "Seiten" / "neu" / Page;
        ASSERT_TRUE(fs::exists(File)) << File;
        const std::string Text = testsupport::ReadFileBytes(File);
        EXPECT_NE(Text.find("\r\n\t\t<title>Meine Liste</title>\r\n"), std::string::npos);
        EXPECT_NE(Text.find("Rai 1"), std::string::npos);
        EXPECT_EQ(Text.find("Digitalfernsehen"), std::string::npos);
    }
}

TEST_F(MainformTest, CsvExportRemembersTheFolderAndErrorsKeepTheWindowUsable) {
    TMainform Form(Services);
    Form.CxfFileNameLabel->setText(WriteCxf("hotbird.cxf"));
    Form.ExportPathLabel->setText(Q(Dir / "html") + "/");
    Form.ExportTypeRadioGroup->SetItemIndex(etCSV);
    fs::create_directories(Dir / "Listen");
    Services.FileAnswers = {Q(Dir / "Listen" / "sender.CSV"), std::nullopt};

    QTest::mousePress(Form.ExportStartButton, Qt::LeftButton);
    EXPECT_TRUE(fs::exists(Dir / "Listen" / "sender.CSV"));
    EXPECT_TRUE(fs::is_directory(Dir / "html")) << "made even though the CSV export does not use it";
    EXPECT_EQ(Form.CSVFileSaveDialogInitialDir, Q(Dir / "Listen"));
    QTest::mousePress(Form.ExportStartButton, Qt::LeftButton);
    ASSERT_EQ(Services.FileDialogs.size(), 2u);
    EXPECT_EQ(Services.FileDialogs[0].Title, "CSV-Datei Speichern");
    EXPECT_EQ(Services.FileDialogs[1].Directory, Q(Dir / "Listen"));
    EXPECT_TRUE(Services.Messages.empty());

    // A file that is too short fails to load: the error box appends the
    // full stop, and the button has its caption back.
    testsupport::WriteFileBytes(Dir / "short.cxf", "CXF2");
    Form.CxfFileNameLabel->setText(Q(Dir / "short.cxf"));
    QTest::mousePress(Form.ExportStartButton, Qt::LeftButton);
    EXPECT_EQ(MessageTexts(), std::vector<QString>{"Read beyond end of file."});
    EXPECT_EQ(Services.Messages[0].Icon, QMessageBox::Critical);
    EXPECT_EQ(Services.Messages[0].Caption, "Zanvero");
    EXPECT_EQ(Form.ExportStartButton->text(), "&Exportieren");
    EXPECT_EQ(Services.FileDialogs.size(), 2u) << "no dialog after a failed load";
}

struct TErrorTextCase {
    const char* Message;
    const char* Shown;
};

class ErrorBox : public testing::TestWithParam<TErrorTextCase> {};

TEST_P(ErrorBox, FullStopAfterCharactersAboveIt) {
    EXPECT_EQ(ErrorBoxText(QString::fromUtf8(GetParam().Message)), QString::fromUtf8(GetParam().Shown));
}

INSTANTIATE_TEST_SUITE_P(Texts, ErrorBox,
                         testing::Values(TErrorTextCase{"File not found", "File not found."},
                                         TErrorTextCase{"Fertig.", "Fertig."}, TErrorTextCase{"", ""},
                                         TErrorTextCase{"Wirklich?", "Wirklich?."},
                                         TErrorTextCase{"for 'X'", "for 'X'"}, TErrorTextCase{"a-", "a-"},
                                         TErrorTextCase{"/tmp/", "/tmp/."}, TErrorTextCase{"Größe", "Größe."}));

}  // namespace
