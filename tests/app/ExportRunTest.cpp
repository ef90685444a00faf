// The export run through a fake window: the order of its steps, what it
// creates when, its messages and its clean-up on every way out.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "CxfHTMLExporterUnit.h"
#include "CxfImageBuilder.h"
#include "ExportRunUnit.h"

namespace fs = std::filesystem;
using testsupport::CxfImageBuilder;
using testsupport::TempDir;

namespace {

const std::string NormalCaption = "&Exportieren";

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
    void SetExportButtonCaption(const std::string& Text) override {
        Caption = Text;
        Log.push_back("Caption " + Text);
    }
    std::optional<std::string> RunSaveDialog(TSaveDialogKind Kind) override {
        Log.push_back("Dialog " + KindName(Kind));
        return DialogAnswer;
    }
    void SetSaveDialogInitialDir(TSaveDialogKind Kind, const std::string& Directory) override {
        Log.push_back("InitialDir " + KindName(Kind) + " " + Directory);
    }
    void ShowErrorMessage(const std::string& Text) override { Log.push_back("Error " + Text); }
    void ShowInformationMessage(const std::string& Text) override { Log.push_back("Information " + Text); }

    std::string FileName, ExportPath;
    int ExportType = etHTML;
    bool Flags[4] = {true, true, true, true};
    std::vector<std::string> HeadText{"<title>t</title>"};
    std::string Caption = NormalCaption;
    std::optional<std::string> DialogAnswer;
    std::vector<std::string> Log;
};

// Loads with the real loader and records every call, with what the options
// hold at that moment; each step can be made to fail.
class TRecordingBackend : public IExportBackend {
public:
    explicit TRecordingBackend(std::vector<std::string>& Log) : Log(Log) {}
    std::unique_ptr<TCxfFile> Load(const std::string& FileName) override {
        Log.push_back("Load " + FileName);
        if (FailLoad) throw EInOutError("File not found", 2);
        return std::make_unique<TCxfFile>(FileName, '.');
    }
    void ExportHTML(const TExportOptions& Options, const std::vector<std::string>& HeadText) override {
        Record("ExportHTML", Options);
        HeadTextSeen = &HeadText;
    }
    void ExportCSV(const TExportOptions& Options) override { Record("ExportCSV", Options); }
    void ExportSQL(const TExportOptions& Options) override { Record("ExportSQL", Options); }

    std::vector<std::string>& Log;
    bool FailLoad = false;
    bool FailExport = false;
    TExportOptions Seen;
    bool DatabaseLoaded = false;
    const std::vector<std::string>* HeadTextSeen = nullptr;

private:
    void Record(const std::string& Name, const TExportOptions& Options) {
        Log.push_back(Name);
        Seen = Options;
        DatabaseLoaded = Options.CxfFile && *Options.CxfFile;
        if (FailExport) throw EFCreateError("Cannot create file \"x\". Permission denied");
    }
};

class ExportRunTest : public testing::Test {
protected:
    ExportRunTest() : Backend(Host.Log) {
        Host.FileName = CxfImageBuilder().WriteTo(Dir / "in.cxf").string();
        Host.ExportPath = (Dir / "out" / "html").string() + "/";
    }
    TempDir Dir;
    TFakeHost Host;
    TRecordingBackend Backend;
};

struct TMissingFileCase {
    const char* Name;
    std::function<std::string(const TempDir&)> FileName;
};

class MissingCxfFile : public ExportRunTest, public testing::WithParamInterface<TMissingFileCase> {};

TEST_P(MissingCxfFile, OnlyReportsAndChangesNothing) {
    Host.FileName = GetParam().FileName(Dir);
    RunExport(Host, Backend);
    EXPECT_EQ(Host.Log, std::vector<std::string>{"Error .cxf-Datei nicht gefunden."});
    EXPECT_FALSE(fs::exists(Dir / "out"));
    EXPECT_EQ(Host.Caption, NormalCaption);
}

INSTANTIATE_TEST_SUITE_P(
    Names, MissingCxfFile,
    testing::Values(TMissingFileCase{"Empty", [](const TempDir&) { return std::string(); }},
                    TMissingFileCase{"Absent", [](const TempDir& D) { return (D / "none.cxf").string(); }},
                    TMissingFileCase{"Directory", [](const TempDir& D) { return D.Path().string(); }}),
    [](const auto& Info) { return std::string(Info.param.Name); });

struct TBranchCase {
    const char* Name;
    int ExportType;
    std::optional<std::string> DialogAnswer;  // relative to the temp dir
    std::vector<std::string> Steps;           // between loading and the caption coming back
};

class ExportBranch : public ExportRunTest, public testing::WithParamInterface<TBranchCase> {};

TEST_P(ExportBranch, StepsInOrder) {
    const TBranchCase& Case = GetParam();
    Host.ExportType = Case.ExportType;
    if (Case.DialogAnswer) Host.DialogAnswer = (Dir / *Case.DialogAnswer).string();

    RunExport(Host, Backend);

    std::vector<std::string> Expected{"Caption ..bitte warten..", "Load " + Host.FileName};
    for (std::string Step : Case.Steps) {
        if (const auto At = Step.find("$D"); At != std::string::npos) Step.replace(At, 2, Dir.Path().string());
        Expected.push_back(Step);
    }
    Expected.push_back("Caption " + NormalCaption);
    EXPECT_EQ(Host.Log, Expected);
    // The export directory is made for every type, also where nothing uses it.
    EXPECT_TRUE(fs::is_directory(Dir / "out" / "html"));
}

INSTANTIATE_TEST_SUITE_P(
    Types, ExportBranch,
    testing::Values(
        TBranchCase{"Html", etHTML, std::nullopt, {"ExportHTML"}},
        TBranchCase{"Csv", etCSV, "Listen/sender.csv", {"Dialog CSV", "InitialDir CSV $D/Listen", "ExportCSV"}},
        TBranchCase{"CsvCancelled", etCSV, std::nullopt, {"Dialog CSV"}},
        TBranchCase{"Sql", etSQL, "dump.sql", {"Dialog SQL", "InitialDir SQL $D", "ExportSQL"}},
        TBranchCase{"SqlCancelled", etSQL, std::nullopt, {"Dialog SQL"}},
        TBranchCase{"OtherFormats", etOther, std::nullopt,
                    {"Information Spezielles Ausgabeformat erwünscht? zanvero@morvane.example"}},
        TBranchCase{"NoneSelected", -1, std::nullopt, {}}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(ExportRunTest, OptionsCarryFlagsDestinationAndTheLoadedDatabase) {
    Host.Flags[0] = false;
    Host.Flags[3] = false;
    RunExport(Host, Backend);
    EXPECT_TRUE(Backend.DatabaseLoaded);
    EXPECT_FALSE(Backend.Seen.ExcludeChannelUF);
    EXPECT_TRUE(Backend.Seen.ExcludeChannelVPID);
    EXPECT_TRUE(Backend.Seen.ExcludeTransponderUF);
    EXPECT_FALSE(Backend.Seen.ExcludeSatelliteUF);
    EXPECT_EQ(Backend.Seen.ExportDirectory, Host.ExportPath);
    EXPECT_EQ(Backend.Seen.FileName, "");
    EXPECT_EQ(Backend.HeadTextSeen, &Host.HeadText) << "the window's own list, not a copy";

    Host.ExportType = etCSV;
    Host.DialogAnswer = (Dir / "a.csv").string();
    RunExport(Host, Backend);
    EXPECT_EQ(Backend.Seen.FileName, *Host.DialogAnswer);
    EXPECT_EQ(Backend.Seen.ExportDirectory, "");
}

TEST_F(ExportRunTest, CancelledDialogLeavesTheNextRunUnchanged) {
    Host.ExportType = etCSV;
    RunExport(Host, Backend);
    const std::vector<std::string> First = Host.Log;
    Host.Log.clear();
    RunExport(Host, Backend);
    EXPECT_EQ(Host.Log, First);
}

TEST_F(ExportRunTest, FailuresLeaveTheRunWithTheCaptionRestored) {
    for (const bool LoadFails : {true, false}) {
        SCOPED_TRACE(LoadFails ? "load" : "export");
        Host.Log.clear();
        Backend.FailLoad = LoadFails;
        Backend.FailExport = !LoadFails;
        EXPECT_THROW(RunExport(Host, Backend), ECxfError);
        EXPECT_EQ(Host.Caption, NormalCaption);
        EXPECT_EQ(Host.Log.back(), "Caption " + NormalCaption);
        EXPECT_EQ(Host.Log.size(), LoadFails ? 3u : 4u) << "nothing runs after the failing step";
    }
}

TEST_F(ExportRunTest, EmptyExportDirectoryFailsBeforeAnythingElse) {
    Host.ExportPath.clear();
    try {
        RunExport(Host, Backend);
        FAIL() << "no error";
    } catch (const ECxfError& Error) {
        EXPECT_STREQ(Error.what(), "Unable to create directory");
    }
    EXPECT_TRUE(Host.Log.empty());
}

TEST_F(ExportRunTest, DirectoryWithMissingParentsExistsBeforeTheFileIsLoaded) {
    Host.ExportPath = (Dir / "a" / "b" / "c").string() + "/";
    Host.ExportType = etOther;
    bool ExistedAtLoad = false;
    struct TProbe : TRecordingBackend {
        using TRecordingBackend::TRecordingBackend;
        std::function<void()> OnLoad;
        std::unique_ptr<TCxfFile> Load(const std::string& Name) override {
            OnLoad();
            return TRecordingBackend::Load(Name);
        }
    } Probe(Host.Log);
    Probe.OnLoad = [&] { ExistedAtLoad = fs::is_directory(Dir / "a" / "b" / "c"); };
    RunExport(Host, Probe);
    EXPECT_TRUE(ExistedAtLoad);
}

// With the real loader and exporter: a file that is too short, and a real
// export into the directory the run creates.
TEST_F(ExportRunTest, CoreBackendReportsLoadErrorsAndWritesPages) {
    TCoreExportBackend Core('.');
    const std::string Image = testsupport::ReadFileBytes(Host.FileName);
    testsupport::WriteFileBytes(Dir / "short.cxf", Image.substr(0, 1000));
    Host.FileName = (Dir / "short.cxf").string();
    try {
        RunExport(Host, Core);
        FAIL() << "no error";
    } catch (const EInOutError& Error) {
        EXPECT_STREQ(Error.what(), "Read beyond end of file");
    }
    EXPECT_EQ(Host.Caption, NormalCaption);

    CxfImageBuilder Builder;
    Builder.Satellite(0, {"Astra", 192});
    Builder.Transponder(0, {11494, 22000, 0, 0, 1, 1});
    Builder.Channel(0, {"Das Erste", 0, 101, 102, 101, 0, 28106});
    Host.FileName = Builder.WriteTo(Dir / "astra.cxf").string();
    RunExport(Host, Core);
    for (const char* Order : {"BY_NAME", "BY_FREQUENCY", "BY_PACKAGE"}) {
        const fs::path Page = Dir / "out" / "html" / (std::string("Astra_(") + Order + ").html");
        ASSERT_TRUE(fs::exists(Page)) << Page;
        const std::string Text = testsupport::ReadFileBytes(Page);
        EXPECT_NE(Text.find("<title>t</title>\r\n"), std::string::npos);
        EXPECT_NE(Text.find("Das Erste"), std::string::npos);
    }
}

}  // namespace
