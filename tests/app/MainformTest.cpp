// The main window: texts and states, settings at creation and close, the
// choosers, the link label, transparency and export runs started with the
// mouse.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>

#include "CommandLineUnit.h"
#include "CxfHTMLExporterUnit.h"
#include "CxfImageBuilder.h"
#include "FakeAppServices.h"
#include "HtmlHeaderEditWindowUnit.h"
#include "MainformUnit.h"
#include "TestNames.h"

namespace fs = std::filesystem;
using Texts = std::vector<QString>;

namespace {

// Through UTF-16: on Windows the narrow form of a path is the ANSI code
// page's, which loses "Каналы".
QString Q(const fs::path& Path) {
    return QString::fromStdU16String(Path.u16string());
}

class MainformTest : public testing::Test {
protected:
    MainformTest() { Services.SettingsFile = Q(StoreFile()); }
    fs::path StoreFile() const { return Dir / "Morvane" / "Zanvero.conf"; }
    QString WriteCxf() const {
        testsupport::CxfImageBuilder Builder;
        Builder.Satellite(0, {"Hotbird", 130});
        Builder.Transponder(0, {12111, 27500, 0, 0, 318, 5});
        Builder.Channel(0, {"Rai 1", 0, 160, 161, 160, 0, 3401});
        return Q(Builder.WriteTo(Dir / "hotbird.cxf"));
    }
    Texts Shown() const {
        Texts Result;
        for (const TShownMessage& Message : Services.Messages) Result.push_back(Message.Text);
        return Result;
    }
    testsupport::TempDir Dir;
    TFakeAppServices Services;
};

TEST_F(MainformTest, TextsAndInitialStates) {
    TMainform Form(Services);
    EXPECT_EQ(Form.windowTitle(), "Televio - Zanvero v0.4 alpha");
    EXPECT_EQ(Form.minimumSize(), QSize(388, 320));
    EXPECT_EQ(Form.maximumSize(), QSize(388, 320));
    EXPECT_DOUBLE_EQ(Form.windowOpacity(), 245 / 255.0);
    const std::pair<QString, QString> Captions[] = {
        {Form.GroupBox2->title(), " Input / Output: "},
        {Form.Label1->text(), ".cxf-Datei:"},
        {Form.Label2->text(), "Zielverzeichnis (HTML-Export):"},
        {Form.ExportTypeRadioGroup->title(), " Exportart: "},
        {Form.ExportTypeRadioGroup->Item(0)->text(), "HTML, 3 unterschiedlich sortierte Dateien pro Satellit"},
        {Form.ExportTypeRadioGroup->Item(1)->text(), "CSV \"Comma separated values\" (Excel-Style), eine große Datei"},
        {Form.ExportTypeRadioGroup->Item(2)->text(), "SQL-Dump incl. DROP+CREATE TABLE (MySql), eine große Datei"},
        {Form.ExportTypeRadioGroup->Item(3)->text(), "Irgendwelche anderen Formate"},
        {Form.Button1->text(), "Html-Header"},
        {Form.GroupBox1->title(), " Vom Export ausschließen: "},
        {Form.ExcludeChannelUFCheckBox->text(), "Kanäle mit gesetztem UF"},
        {Form.ExcludeTransponderUFCheckBox->text(), "Transponder mit gesetztem UF"},
        {Form.ExcludeChannelVPIDCheckBox->text(), "Kanäle mit VPID = 0"},
        {Form.ExcludeSatelliteUFCheckBox->text(), "Satelliten mit gesetztem UF"},
        {Form.ExportStartButton->text(), "&Exportieren"},
        {Form.MorvaneLabel->text(), QString(89, ' ') + "https://www.morvane.example"},
        {Form.CxfFileOpenDialog->windowTitle(), "Bitte eine Inout-Date auswählen"},
        {Form.CxfFileOpenDialog->nameFilters().join('|'), "Digenius Setting-Dateien (*.cxf)"},
        {Form.CSVFileSaveDialog->windowTitle(), "CSV-Datei Speichern"},
        {Form.CSVFileSaveDialog->nameFilters().join('|') + Form.CSVFileSaveDialog->defaultSuffix(),
         "Comma Separated Values (*.CSV)CSV"},
        {Form.SQLFileSaveDialog->windowTitle(), "SQL-Dump-Datei Speichern"},
        {Form.SQLFileSaveDialog->nameFilters().join('|') + Form.SQLFileSaveDialog->defaultSuffix(),
         "SQL-Dump (*.SQL)SQL"},
    };
    for (const auto& [Actual, Expected] : Captions) EXPECT_EQ(Actual, Expected);
    EXPECT_EQ(Form.ExportTypeRadioGroup->ItemIndex(), 0);
    for (QFileDialog* Dialog : {Form.CSVFileSaveDialog, Form.SQLFileSaveDialog})
        EXPECT_FALSE(Dialog->testOption(QFileDialog::DontConfirmOverwrite));

    // Tab order among the controls the keyboard reaches; the export button
    // has the focus first.
    std::vector<QWidget*> Chain;
    for (QWidget* W = Form.ExportStartButton; Chain.empty() || W != Form.ExportStartButton; W = W->nextInFocusChain())
        if (W->focusPolicy() & Qt::TabFocus) Chain.push_back(W);
    const std::vector<QWidget*> Expected{
        Form.ExportStartButton, Form.CompareButton, Form.ExportTypeRadioGroup->Item(0), Form.ExportTypeRadioGroup->Item(1),
        Form.ExportTypeRadioGroup->Item(2), Form.ExportTypeRadioGroup->Item(3), Form.ExcludeTransponderUFCheckBox,
        Form.ExcludeChannelUFCheckBox, Form.ExcludeSatelliteUFCheckBox, Form.ExcludeChannelVPIDCheckBox, Form.Button1};
    EXPECT_EQ(Chain, Expected);
    EXPECT_EQ(Form.focusWidget(), Form.ExportStartButton);
}

TEST_F(MainformTest, FirstStartWithAnEmptyStore) {
    TMainform Form(Services);
    const QString Cwd = QDir::toNativeSeparators(QDir::currentPath());
    EXPECT_EQ(Form.CxfFileNameLabel->text(), "");
    EXPECT_EQ(Form.ExportPathLabel->text(), Cwd.endsWith(QDir::separator()) ? Cwd : Cwd + QDir::separator());
    EXPECT_EQ(Form.CxfFileOpenDialogInitialDir, Cwd);
    EXPECT_EQ(Form.CSVFileSaveDialogInitialDir, Cwd);
    for (QCheckBox* Box : Form.GroupBox1->findChildren<QCheckBox*>()) EXPECT_TRUE(Box->isChecked());
    EXPECT_EQ(Form.HtmlHeaderLines, std::vector<std::string>{DefaultHtmlHeadText});
    EXPECT_FALSE(fs::exists(StoreFile())) << "nothing is written before the close";
    QTest::mousePress(Form.ExportStartButton, Qt::LeftButton);
    EXPECT_EQ(Shown(), Texts{".cxf-Datei nicht gefunden."});
}

TEST_F(MainformTest, ValueOfTheWrongKindIsShownAndLoadingStops) {
    fs::create_directories(StoreFile().parent_path());
    testsupport::WriteFileBytes(StoreFile(), "[General]\nExportType=2\nExcludeChannelUF=ja\nExcludeSatelliteUF=0\n");
    TMainform Form(Services);
    ASSERT_EQ(Shown(), Texts{"Invalid data type for 'ExcludeChannelUF'"});
    EXPECT_EQ(Services.Messages[0].Icon, QMessageBox::Critical);
    EXPECT_EQ(Services.Messages[0].Caption, "Zanvero");
    EXPECT_EQ(Form.ExportTypeRadioGroup->ItemIndex(), 2);
    EXPECT_TRUE(Form.ExcludeSatelliteUFCheckBox->isChecked());
    EXPECT_TRUE(Form.HtmlHeaderLines.empty());
    // The activation handlers are attached all the same; the editor is never
    // see-through.
    THtmlHeaderEditWindow Editor(&Form);
    emit qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_DOUBLE_EQ(Form.windowOpacity(), 220 / 255.0);
    emit qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_DOUBLE_EQ(Form.windowOpacity(), 1.0);
    EXPECT_DOUBLE_EQ(Editor.windowOpacity(), 1.0);
}

TEST_F(MainformTest, ClosingSavesOnce) {
    {
        TMainform Form(Services);
        Form.CxfFileNameLabel->setText("/daten/sender.cxf");
        Form.ExportTypeRadioGroup->SetItemIndex(-1);
        Form.HtmlHeaderLines = {"x", "y z"};
        Form.show();
        EXPECT_TRUE(Form.close());
        EXPECT_TRUE(Form.HtmlHeaderLines.empty());
        Form.HtmlHeaderLines = {"changed after the close"};
    }
    TMainform Again(Services);
    EXPECT_EQ(Again.CxfFileNameLabel->text(), "/daten/sender.cxf");
    EXPECT_EQ(Again.ExportTypeRadioGroup->ItemIndex(), -1);
    EXPECT_EQ(Again.HtmlHeaderLines, (std::vector<std::string>{"x", "y z"}));
    EXPECT_TRUE(Services.Messages.empty());
}

TEST_F(MainformTest, StoreThatCannotBeWrittenStillLetsTheWindowClose) {
    testsupport::WriteFileBytes(Dir / "Morvane", "not a folder");
    TMainform Form(Services);
    Form.show();
    EXPECT_TRUE(Form.close());
    EXPECT_FALSE(Form.isVisible());
    EXPECT_EQ(Shown(), Texts{"Die Einstellungen konnten nicht gespeichert werden."});
}

TEST_F(MainformTest, ChoosingFileAndFolder) {
    TMainform Form(Services);
    fs::create_directories(Dir / "Daten");
    Services.FileAnswers = {std::nullopt, Q(Dir / "Daten" / "neu.cxf")};
    Form.CxfFileSelectSpeedButtonClick();
    EXPECT_EQ(Form.CxfFileNameLabel->text(), "") << "cancelled";
    Form.CxfFileSelectSpeedButtonClick();
    Form.CxfFileSelectSpeedButtonClick();
    EXPECT_EQ(Form.CxfFileNameLabel->text(), Q(Dir / "Daten" / "neu.cxf"));
    ASSERT_EQ(Services.FileDialogs.size(), 3u);
    EXPECT_EQ(Services.FileDialogs[0].Directory, QDir::currentPath());
    EXPECT_EQ(Services.FileDialogs[2].Directory, QDir::fromNativeSeparators(Q(Dir / "Daten")))
        << "opens where the last file was";

    Form.ExportPathLabel->setText(Q(Dir / "missing/"));
    Form.ExportDirectorySpeedButtonClick();
    EXPECT_EQ(Form.ExportPathLabel->text(), Q(Dir / "missing/")) << "cancelled";
    for (const QString& Chosen : {Q(Dir / "Daten"), QString("/")}) {
        Services.DirectoryAnswer = Chosen;
        Form.ExportDirectorySpeedButtonClick();
    }
    EXPECT_EQ(Form.ExportPathLabel->text(), QDir::toNativeSeparators("/"))
        << "one separator at the end, also for the root";
    ASSERT_EQ(Services.Chooser.size(), 3u);
    EXPECT_EQ(Services.Chooser[0].Title, "Exportverzeichnis wählen:");
    EXPECT_EQ(Services.Chooser[0].Directory, "") << "a missing directory is not preselected";
    EXPECT_EQ(Services.Chooser[2].Directory, QDir::toNativeSeparators(Q(Dir / "Daten/")));
}

// A file named on the command line, relative to the working directory, and
// one that does not exist: chosen as the chooser would choose them.
TEST_F(MainformTest, FileNamedOnTheCommandLineIsChosenAsInTheChooser) {
    fs::create_directories(Dir / "Daten");
    const QString Missing = Q(Dir / "Daten" / "fehlt.cxf");
    {
        TMainform Form(Services);
        const TCommandLine CommandLine({"zanvero", QDir::current().relativeFilePath(Missing)});
        Form.ChooseCxfFile(CommandLine.CxfFileName());
        EXPECT_EQ(Form.CxfFileNameLabel->text(), QDir::toNativeSeparators(Missing)) << "the full path";
        QTest::mousePress(Form.ExportStartButton, Qt::LeftButton);
        EXPECT_EQ(Shown(), Texts{".cxf-Datei nicht gefunden."});
        Form.CxfFileSelectSpeedButtonClick();
        ASSERT_EQ(Services.FileDialogs.size(), 1u);
        EXPECT_EQ(Services.FileDialogs[0].Directory, QDir::fromNativeSeparators(Q(Dir / "Daten")));
        Form.show();
        Form.close();
    }
    TMainform Again(Services);
    EXPECT_EQ(Again.CxfFileNameLabel->text(), QDir::toNativeSeparators(Missing)) << "saved at the close";
    EXPECT_EQ(Again.CxfFileOpenDialogInitialDir, QDir::toNativeSeparators(Q(Dir / "Daten")));
}

// Drags as a file manager or a browser sends them, dropped over the file
// label: one local file is taken, anything else refused and left alone.
TEST_F(MainformTest, DropTakesOneLocalFileAndNothingElse) {
    TMainform Form(Services);
    Form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form));
    fs::create_directories(Dir / "Ordner");
    const QString Cxf = WriteCxf();
    const QUrl File = QUrl::fromLocalFile(Cxf);
    const struct {
        const char* What;
        QList<QUrl> Urls;
        QString Text;
        bool Taken;
    } Cases[] = {
        {"two files", {File, QUrl::fromLocalFile(Q(Dir / "b.cxf"))}, "", false},
        {"a folder", {QUrl::fromLocalFile(Q(Dir / "Ordner"))}, "", false},
        {"a web address", {QUrl("https://www.morvane.example/liste.cxf")}, "", false},
        {"text", {}, Cxf, false},
        {"one file", {File}, "", true},
    };
    const QPoint OverLabel = Form.CxfFileNameLabel->mapTo(&Form, QPoint(5, 5));
    for (const auto& Case : Cases) {
        QMimeData Data;
        if (!Case.Urls.isEmpty()) Data.setUrls(Case.Urls);
        if (!Case.Text.isEmpty()) Data.setText(Case.Text);
        QDragEnterEvent Enter(OverLabel, Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Form.windowHandle(), &Enter);
        EXPECT_EQ(Enter.isAccepted(), Case.Taken) << Case.What;
        QDropEvent Drop(OverLabel, Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Form.windowHandle(), &Drop);
        EXPECT_EQ(Form.CxfFileNameLabel->text(), Case.Taken ? QDir::toNativeSeparators(Cxf) : "") << Case.What;
    }
    EXPECT_EQ(Form.CxfFileOpenDialogInitialDir, QDir::toNativeSeparators(Q(Dir.Path())));
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
    QTest::mouseClick(Form.MorvaneLabel, Qt::LeftButton);
    EXPECT_EQ(Services.OpenedUrls,
              Texts{"https://www.morvane.example/html/index.php?page=tools&lang=deutsch&menu=on"});
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
    for (const Qt::MouseButton Button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
        QTest::mousePress(Form.ExportStartButton, Button);
    EXPECT_EQ(Shown(), Texts(3, ".cxf-Datei nicht gefunden."));
}

TEST_F(MainformTest, HtmlExportFromAMousePressWithTheEditedHeadText) {
    TMainform Form(Services);
    THtmlHeaderEditWindow Editor(&Form);
    Form.SetHtmlHeaderEditWindow(&Editor);
    Form.CxfFileNameLabel->setText(WriteCxf());
    // Names beyond the local code page reach the core's file calls intact.
    const fs::path Folder = Dir.Path() / u8"Kanäle Каналы" / "neu";
    Form.ExportPathLabel->setText(Q(Folder / ""));
    Form.show();
    QTimer::singleShot(0, &Editor, [&] {
        Editor.TextMemo->setPlainText("\t\t<title>Meine Liste</title>\n");
        Editor.OKButton->click();
    });
    QTest::mouseClick(Form.Button1, Qt::LeftButton);

    QTest::mousePress(Form.ExportStartButton, Qt::RightButton);
    EXPECT_TRUE(Services.Messages.empty());
    EXPECT_EQ(Form.ExportStartButton->text(), "&Exportieren");
    for (const char* Page : {"Hotbird_(BY_NAME).html", "Hotbird_(BY_FREQUENCY).html", "Hotbird_(BY_PACKAGE).html"}) {
        const fs::path File = Folder / Page;
        ASSERT_TRUE(fs::exists(File)) << File;
        const std::string Text = testsupport::ReadFileBytes(File);
        EXPECT_NE(Text.find("\r\n\t\t<title>Meine Liste</title>\r\n"), std::string::npos);
        EXPECT_NE(Text.find("Rai 1"), std::string::npos);
        EXPECT_EQ(Text.find("Digitalfernsehen"), std::string::npos);
    }

    EXPECT_TRUE(fs::exists(Folder / "index.html"));
    // A start page of the user's own takes the overview's place: it stays,
    // and the window says why there is no overview.
    testsupport::WriteFileBytes(Folder / "index.html", "<html>mine</html>");
    QTest::mousePress(Form.ExportStartButton, Qt::LeftButton);
    ASSERT_EQ(Services.Messages.size(), 1u);
    EXPECT_EQ(Services.Messages[0].Icon, QMessageBox::Information);
    EXPECT_EQ(Services.Messages[0].Text, QString::fromStdString(ForeignOverviewKeptText));
    EXPECT_EQ(testsupport::ReadFileBytes(Folder / "index.html"), "<html>mine</html>");
}

TEST_F(MainformTest, CsvExportRemembersTheFolderAndErrorsKeepTheWindowUsable) {
    TMainform Form(Services);
    Form.CxfFileNameLabel->setText(WriteCxf());
    Form.ExportPathLabel->setText(Q(Dir / "html/"));
    Form.ExportTypeRadioGroup->SetItemIndex(etCSV);
    fs::create_directories(Dir / "Listen");
    Services.FileAnswers = {Q(Dir / "Listen" / "sender.CSV"), std::nullopt};
    QTest::mousePress(Form.ExportStartButton, Qt::LeftButton);
    QTest::mousePress(Form.ExportStartButton, Qt::LeftButton);
    EXPECT_TRUE(fs::exists(Dir / "Listen" / "sender.CSV"));
    EXPECT_TRUE(fs::is_directory(Dir / "html")) << "made even though the CSV export does not use it";
    ASSERT_EQ(Services.FileDialogs.size(), 2u);
    EXPECT_EQ(Services.FileDialogs[1].Directory, QDir::fromNativeSeparators(Q(Dir / "Listen")));
    EXPECT_EQ(Form.CSVFileSaveDialogInitialDir, Q(Dir / "Listen"));

    // Too short to load: the box appends the full stop, the caption is back.
    testsupport::WriteFileBytes(Dir / "short.cxf", "CXF2");
    Form.CxfFileNameLabel->setText(Q(Dir / "short.cxf"));
    QTest::mousePress(Form.ExportStartButton, Qt::LeftButton);
    EXPECT_EQ(Shown(), Texts{"Read beyond end of file."});
    EXPECT_EQ(Form.ExportStartButton->text(), "&Exportieren");
    EXPECT_EQ(Services.FileDialogs.size(), 2u) << "no dialog after a failed load";
}

// The test screen is 1024 x 768 (tests/app/CMakeLists.txt): the main window
// at its place would reach past the right edge, the editor fits at its own.
TEST_F(MainformTest, WindowsOpenInsideASmallScreen) {
    const QRect Screen = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(Screen, QRect(0, 0, 1024, 768));
    TMainform Form(Services);
    THtmlHeaderEditWindow Editor(&Form);
    Form.show();
    Editor.show();
    EXPECT_EQ(Form.frameGeometry().topLeft(), QPoint(1024 - Form.frameGeometry().width(), 284));
    EXPECT_TRUE(Screen.contains(Form.frameGeometry()));
    EXPECT_EQ(Editor.frameGeometry().topLeft(), QPoint(141, 104));

    // Later openings keep the place the user left the editor at.
    Editor.hide();
    Editor.move(900, 700);
    Editor.show();
    EXPECT_EQ(Editor.pos(), QPoint(900, 700));
}

// --- the comparison with an older file ------------------------------------

class MainformCompareTest : public MainformTest {
protected:
    // The chosen file; the older one names its channel "Rai Uno".
    QString ChooseFiles(TMainform& Form) {
        testsupport::CxfImageBuilder Older;
        Older.Satellite(0, {"Hotbird", 130});
        Older.Transponder(0, {12111, 27500, 0, 0, 318, 5});
        Older.Channel(0, {"Rai Uno", 0, 160, 161, 160, 0, 3401});
        Older.WriteTo(Dir / "Sicherung" / "alt.cxf");
        const QString Chosen = WriteCxf();
        Form.ChooseCxfFile(Chosen);
        return Chosen;
    }
    void SetUp() override { fs::create_directories(Dir / "Sicherung"); }
};

TEST_F(MainformCompareTest, ButtonAndDialogsSpeakGerman) {
    TMainform Form(Services);
    EXPECT_EQ(Form.CompareButton->text(), "&Vergleichen…");
    EXPECT_EQ(Form.CompareButton->geometry().left(), Form.ExportStartButton->geometry().right() + 7);
    EXPECT_EQ(Form.CompareButton->geometry().right(), Form.GroupBox1->geometry().right());
    EXPECT_EQ(Form.CompareOpenDialog->windowTitle(), "Ältere .cxf-Datei zum Vergleich wählen");
    EXPECT_EQ(Form.ReportSaveDialog->windowTitle(), "Änderungsbericht speichern");
    EXPECT_EQ(Form.ReportSaveDialog->nameFilters().join('|'),
              "Änderungsbericht als HTML-Seite (*.html)|Änderungsbericht als CSV-Datei (*.csv)");
    EXPECT_FALSE(Form.ReportSaveDialog->testOption(QFileDialog::DontConfirmOverwrite));
}

struct TReportCase {
    const char* Label;
    const char* FileName;  // as the save dialog answers
    bool CsvFilter;        // the filter chosen in it
    bool Csv;              // the report's format
};

void PrintTo(const TReportCase& Case, std::ostream* Out) { *Out << Case.Label; }

class MainformReport : public MainformCompareTest, public testing::WithParamInterface<TReportCase> {};

TEST_P(MainformReport, IsWrittenInTheFormatOfItsNameOrFilter) {
    TMainform Form(Services);
    const QString Chosen = ChooseFiles(Form);
    if (GetParam().CsvFilter) Form.ReportSaveDialog->selectNameFilter(CsvReportFilter);
    Services.FileAnswers = {Q(Dir / "Sicherung" / "alt.cxf"), Q(Dir / "Berichte" / GetParam().FileName)};
    fs::create_directories(Dir / "Berichte");
    Form.CompareButton->click();

    EXPECT_EQ(Shown(), Texts{});
    ASSERT_EQ(Services.FileDialogs.size(), 2u);
    EXPECT_EQ(Services.FileDialogs[0].Title, "Ältere .cxf-Datei zum Vergleich wählen");
    EXPECT_EQ(Services.FileDialogs[0].Directory, QDir::fromNativeSeparators(Q(Dir.Path())));
    EXPECT_EQ(Services.FileDialogs[1].Directory, QDir::fromNativeSeparators(Q(Dir.Path())));
    EXPECT_EQ(Form.ReportSaveDialogInitialDir, Q(Dir / "Berichte"));
    const std::string Report = testsupport::ReadFileBytes(Dir / "Berichte" / GetParam().FileName);
    if (GetParam().Csv) {
        EXPECT_NE(Report.find("\"Channel_Name\";\"Rai Uno\";\"Rai 1\"\r\n"), std::string::npos) << Report;
    } else {
        EXPECT_NE(Report.find("<td>Kanalname</td><td>Rai Uno</td><td>Rai 1</td>"), std::string::npos) << Report;
        EXPECT_NE(Report.find(ToCoreText(Chosen)), std::string::npos) << "names the chosen file";
    }
}

INSTANTIATE_TEST_SUITE_P(Names, MainformReport,
                         testing::Values(TReportCase{"Html", "bericht.html", false, false},
                                         TReportCase{"CsvByName", "bericht.CSV", false, true},
                                         TReportCase{"HtmByName", "bericht.htm", true, false},
                                         TReportCase{"CsvByFilter", "bericht.txt", true, true},
                                         TReportCase{"HtmlByFilter", "bericht", false, false}),
                         testsupport::LabelName());

struct TCompareFailureCase {
    const char* Label;
    const char* Chosen;  // "" for none; the chosen file is written unless it names "fehlt"
    std::vector<const char*> Answers;  // of the two dialogs, in order; nullptr cancels
    const char* Message;  // shown, after the file's full path where it names one
    std::size_t Dialogs;
};

void PrintTo(const TCompareFailureCase& Case, std::ostream* Out) { *Out << Case.Label; }

class MainformCompareFailure : public MainformCompareTest, public testing::WithParamInterface<TCompareFailureCase> {};

TEST_P(MainformCompareFailure, ShowsWhyAndKeepsTheOldReport) {
    const TCompareFailureCase& Case = GetParam();
    TMainform Form(Services);
    ChooseFiles(Form);
    if (std::string(Case.Chosen).empty())
        Form.CxfFileNameLabel->clear();
    else
        Form.ChooseCxfFile(Q(Dir / Case.Chosen));
    testsupport::WriteFileBytes(Dir / "bericht.html", "the report of last week");
    for (const char* Answer : Case.Answers)
        Services.FileAnswers.push_back(Answer ? std::optional<QString>(Q(Dir / Answer)) : std::nullopt);
    Form.CompareButton->click();

    const std::string Message = Case.Message;
    const std::size_t Colon = Message.find(": ");
    EXPECT_EQ(Shown(), Message.empty() ? Texts{}
                       : Colon == std::string::npos
                           ? Texts{QString::fromStdString(Message)}
                           : Texts{QDir::toNativeSeparators(Q(Dir / Message.substr(0, Colon))) +
                                   QString::fromStdString(Message.substr(Colon))});
    EXPECT_EQ(Services.FileDialogs.size(), Case.Dialogs);
    EXPECT_EQ(testsupport::ReadFileBytes(Dir / "bericht.html"), "the report of last week");
}

INSTANTIATE_TEST_SUITE_P(
    Runs, MainformCompareFailure,
    testing::Values(
        TCompareFailureCase{"NoFileChosen", "", {}, ".cxf-Datei nicht gefunden.", 0},
        TCompareFailureCase{"ChosenFileMissing", "fehlt.cxf", {}, "fehlt.cxf: File not found.", 0},
        TCompareFailureCase{"OlderFileMissing", "hotbird.cxf", {"weg.cxf", "bericht.html"}, "weg.cxf: File not found.",
                            2},
        TCompareFailureCase{"OlderFileCancelled", "hotbird.cxf", {nullptr}, "", 1},
        TCompareFailureCase{"ReportCancelled", "hotbird.cxf", {"Sicherung/alt.cxf", nullptr}, "", 2}),
    testsupport::LabelName());

}  // namespace
