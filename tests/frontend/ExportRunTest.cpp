// The export run through a fake window: the order of its steps, what it
// creates when, its messages and its clean-up on every way out.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "CxfImageBuilder.h"
#include "CxfExportWriter.h"
#include "ExportRunUnit.h"

namespace fs = std::filesystem;
using Log = std::vector<std::string>;

namespace {

std::string KindName(TSaveDialogKind Kind) {
    return Kind == TSaveDialogKind::CSV ? "CSV" : "SQL";
}

class TFakeHost : public IExportHost {
public:
    std::string CxfFileNameText() const override { return FileName; }
    std::string ExportPathText() const override { return ExportPath; }
    int ExportTypeItemIndex() const override { return ExportType; }
    bool ExcludeChannelUFChecked() const override { return Flags[0]; }
    bool ExcludeChannelVPIDChecked() const override { return Flags[1]; }
    bool ExcludeTransponderUFChecked() const override { return Flags[2]; }
    bool ExcludeSatelliteUFChecked() const override { return Flags[3]; }
    const std::vector<std::string>& HeadTextLines() const override { return HeadText; }
    std::string ExportButtonCaption() const override { return Caption; }
    void SetExportButtonCaption(const std::string& Text) override { Steps.push_back("Caption " + (Caption = Text)); }
    std::optional<std::string> RunSaveDialog(TSaveDialogKind Kind) override {
        Steps.push_back("Dialog " + KindName(Kind));
        return DialogAnswer;
    }
    void SetSaveDialogInitialDir(TSaveDialogKind Kind, const std::string& Directory) override {
        Steps.push_back("InitialDir " + KindName(Kind) + " " + Directory);
    }
    void ShowErrorMessage(const std::string& Text) override { Steps.push_back("Error " + Text); }
    void ShowInformationMessage(const std::string& Text) override { Steps.push_back("Information " + Text); }

    std::string FileName, ExportPath;
    int ExportType = etHTML;
    bool Flags[4] = {true, false, false, true};
    std::vector<std::string> HeadText{"<title>t</title>"};
    std::string Caption = "&Exportieren";
    std::optional<std::string> DialogAnswer;
    Log Steps;
};

// Loads with the real loader and records each call into the host's log,
// with what the options hold then; loading or exporting can be made to fail.
class TRecordingBackend : public IExportBackend {
public:
    explicit TRecordingBackend(TFakeHost& Host) : Host(Host) {}
    std::unique_ptr<TCxfFile> Load(const std::string& FileName) override {
        Host.Steps.push_back(fs::is_directory(Host.ExportPath) ? "Load" : "Load without directory");
        if (FailLoad) throw EInOutError("File not found", 2);
        return std::make_unique<TCxfFile>(FileName, '.');
    }
    TOverviewResult ExportHTML(const TExportOptions& Options, const std::vector<std::string>& HeadText) override {
        HeadTextSeen = &HeadText;
        Record("ExportHTML", Options);
        return Overview;
    }
    void ExportCSV(const TExportOptions& Options) override { Record("ExportCSV", Options); }
    void ExportSQL(const TExportOptions& Options) override { Record("ExportSQL", Options); }

    TFakeHost& Host;
    bool FailLoad = false, FailExport = false, DatabaseLoaded = false;
    TOverviewResult Overview = TOverviewResult::Written;
    TExportOptions Seen;
    const std::vector<std::string>* HeadTextSeen = nullptr;

private:
    void Record(const std::string& Name, const TExportOptions& Options) {
        Host.Steps.push_back(Name);
        Seen = Options;
        DatabaseLoaded = Options.CxfFile && *Options.CxfFile;
        if (FailExport) throw EFCreateError("Cannot create file");
    }
};

class ExportRunTest : public testing::Test {
protected:
    ExportRunTest() {
        Host.FileName = testsupport::CxfImageBuilder().WriteTo(Dir / "in.cxf").string();
        Host.ExportPath = (Dir / "out" / "html" / "").string();
    }
    testsupport::TempDir Dir;
    TFakeHost Host;
    TRecordingBackend Backend{Host};
};

TEST_F(ExportRunTest, MissingCxfFileIsOnlyReported) {
    for (const std::string& Name : {std::string(), (Dir / "none.cxf").string(), Dir.Path().string()}) {
        Host.FileName = Name;
        Host.Steps.clear();
        RunExport(Host, Backend);
        EXPECT_EQ(Host.Steps, Log{"Error .cxf-Datei nicht gefunden."}) << Name;
        EXPECT_FALSE(fs::exists(Dir / "out"));
    }
}

struct TBranchCase {
    const char* Name;
    int ExportType;
    std::optional<std::string> DialogAnswer;  // below the temp dir
    Log Steps;                                // between loading and the caption coming back
    TOverviewResult Overview = TOverviewResult::Written;  // of an HTML export
};

void PrintTo(const TBranchCase& Case, std::ostream* Out) { *Out << Case.Name; }

class ExportBranch : public ExportRunTest, public testing::WithParamInterface<TBranchCase> {};

TEST_P(ExportBranch, StepsInOrder) {
    const TBranchCase& Case = GetParam();
    Host.ExportType = Case.ExportType;
    Backend.Overview = Case.Overview;
    if (Case.DialogAnswer) Host.DialogAnswer = (Dir / *Case.DialogAnswer).string();

    RunExport(Host, Backend);

    // The export directory exists, with its parents, before the file is
    // loaded, whatever the type.
    Log Expected{"Caption ..bitte warten..", "Load"};
    for (std::string Step : Case.Steps) {
        // "$D/Listen": a folder below the temp dir, in the system's own form.
        if (const auto At = Step.find("$D"); At != std::string::npos) {
            const std::string Below = Step.substr(At + 2);
            Step = Step.substr(0, At) + (Below.empty() ? Dir.Path() : Dir.Path() / Below.substr(1)).string();
        }
        Expected.push_back(Step);
    }
    Expected.push_back("Caption &Exportieren");
    EXPECT_EQ(Host.Steps, Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Types, ExportBranch,
    testing::Values(
        TBranchCase{"Html", etHTML, std::nullopt, {"ExportHTML"}},
        TBranchCase{"HtmlBesideAForeignIndex", etHTML, std::nullopt,
                    {"ExportHTML", "Information " + ForeignOverviewKeptText}, TOverviewResult::ForeignKept},
        TBranchCase{"Csv", etCSV, "Listen/sender.csv", {"Dialog CSV", "InitialDir CSV $D/Listen", "ExportCSV"}},
        TBranchCase{"CsvCancelled", etCSV, std::nullopt, {"Dialog CSV"}},
        TBranchCase{"Sql", etSQL, "dump.sql", {"Dialog SQL", "InitialDir SQL $D", "ExportSQL"}},
        TBranchCase{"SqlCancelled", etSQL, std::nullopt, {"Dialog SQL"}},
        TBranchCase{"Other", etOther, std::nullopt,
                    {"Information Spezielles Ausgabeformat erwünscht? zanvero@morvane.example"}},
        TBranchCase{"NoneSelected", -1, std::nullopt, {}}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(ExportRunTest, OptionsCarryFlagsDestinationAndTheLoadedDatabase) {
    RunExport(Host, Backend);
    EXPECT_TRUE(Backend.DatabaseLoaded);
    EXPECT_TRUE(Backend.Seen.ExcludeChannelUF && Backend.Seen.ExcludeSatelliteUF);
    EXPECT_FALSE(Backend.Seen.ExcludeChannelVPID || Backend.Seen.ExcludeTransponderUF);
    EXPECT_EQ(Backend.Seen.ExportDirectory, Host.ExportPath);
    EXPECT_EQ(Backend.Seen.FileName, "");
    EXPECT_EQ(Backend.HeadTextSeen, &Host.HeadText) << "the window's own list, not a copy";

    Host.ExportType = etSQL;
    Host.DialogAnswer = (Dir / "a.sql").string();
    RunExport(Host, Backend);
    EXPECT_EQ(Backend.Seen.FileName, *Host.DialogAnswer);
    EXPECT_EQ(Backend.Seen.ExportDirectory, "");
}

TEST_F(ExportRunTest, FailuresEndTheRunWithTheCaptionRestored) {
    for (const bool LoadFails : {true, false}) {
        Host.Steps.clear();
        Backend.FailLoad = LoadFails;
        Backend.FailExport = !LoadFails;
        EXPECT_THROW(RunExport(Host, Backend), ECxfError);
        const Log Expected = LoadFails ? Log{"Caption ..bitte warten..", "Load", "Caption &Exportieren"}
                                       : Log{"Caption ..bitte warten..", "Load", "ExportHTML", "Caption &Exportieren"};
        EXPECT_EQ(Host.Steps, Expected);
    }
}

TEST_F(ExportRunTest, PagesGoInsideADirectoryGivenWithoutFinalSeparator) {
    testsupport::CxfImageBuilder()
        .Satellite(0, {"Astra 19.2E", 192})
        .Transponder(0, {11494, 22000, 0, 0, 1, 1101})
        .Channel(0, {"Das Erste", 0, 101, 102, 101, 104, 28106})
        .WriteTo(Host.FileName);
    Host.ExportPath = (Dir / "lists" / "c").string();
    TCoreExportBackend Core('.');
    RunExport(Host, Core);

    std::set<std::string> Names;
    for (const auto& Entry : fs::directory_iterator(Dir / "lists")) Names.insert(Entry.path().filename().string());
    EXPECT_EQ(Names, std::set<std::string>{"c"});
    EXPECT_TRUE(fs::exists(Dir / "lists" / "c" / "Astra_19_2E_(BY_NAME).html"));
}

TEST_F(ExportRunTest, EmptyExportDirectoryFailsBeforeAnythingElse) {
    Host.ExportPath.clear();
    try {
        RunExport(Host, Backend);
        ADD_FAILURE() << "no error";
    } catch (const ECxfError& Error) {
        EXPECT_STREQ(Error.what(), "Unable to create directory");
    }
    EXPECT_TRUE(Host.Steps.empty());
}

}  // namespace
