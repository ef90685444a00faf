// Runs the built zanvero-cli on generated .cxf files and checks exit codes,
// messages and what lands on disk or on standard output.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

#include "CliRun.h"
#include "CxfImageBuilder.h"
#include "ExportRunUnit.h"
#include "TestNames.h"
#include "TestProcess.h"

namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;
using testsupport::CxfImageBuilder;
using testsupport::DirectorySnapshot;
using testsupport::ReadFileBytes;
using testsupport::RunCli;
using testsupport::TResult;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

// Satellite 1 "Astra 19.2E" at 19.2 E, satellite 2 "Hot Bird" with UF.
// Channel 1 plain, 2 VPID 0, 3 UF, 4 on a UF transponder, 5 on satellite 2:
// each exclusion item takes away exactly one of channels 2 to 5.
CxfImageBuilder CliImage() {
    CxfImageBuilder Image;
    Image.Satellite(0, {"Astra 19.2E", 192})
        .Satellite(1, {"Hot Bird", 130 | 0x1000})
        .Transponder(0, {11494, 22000, 0, 0, 1, 1101})
        .Transponder(1, {11836, 27500, 0, 1, 1, 1102})
        .Transponder(2, {12111, 27500, 1, 0, 318, 5400})
        .Channel(0, {"Das Erste", 0, 101, 102, 101, 104, 28106})
        .Channel(1, {"Null", 0, 0, 1, 0, 0, 2})
        .Channel(2, {"Flag", 0, 0x2000 | 5, 6, 5, 0, 3})
        .Channel(3, {"OnUFTp", 1, 7, 8, 7, 0, 4})
        .Channel(4, {"OnUFSat", 2, 9, 10, 9, 0, 5});
    return Image;
}

class CliTest : public testing::Test {
protected:
    void SetUp() override { CliImage().WriteTo(Input); }
    TempDir Dir;
    const std::string Input = (Dir / "in.cxf").string();
};

// --- usage errors ------------------------------------------------------------

struct TUsageCase {
    const char* Label;
    std::vector<std::string> Args;  // "IN" stands for the input file, "OUT" for an output path
    const char* Message;
};

void PrintTo(const TUsageCase& Case, std::ostream* Out) { *Out << Case.Label; }

class CliUsage : public CliTest, public testing::WithParamInterface<TUsageCase> {};

TEST_P(CliUsage, ExitsWithTwoAndWritesNothing) {
    std::vector<std::string> Args = GetParam().Args;
    for (auto& Arg : Args) {
        if (Arg == "IN") Arg = Input;
        if (Arg == "OUT") Arg = (Dir / "out.csv").string();
    }
    const auto Before = DirectorySnapshot(Dir.Path());
    const TResult Result = RunCli(Args);
    EXPECT_EQ(Result.Exit, 2);
    EXPECT_THAT(Result.Err, testing::StartsWith(std::string("zanvero-cli: ") + GetParam().Message + "\n"));
    EXPECT_EQ(Result.Out, "");
    EXPECT_EQ(DirectorySnapshot(Dir.Path()), Before);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, CliUsage,
    testing::Values(
        TUsageCase{"NoArguments", {}, "missing --format (html, csv or sql)"},
        TUsageCase{"UnknownFormat", {"--format", "pdf", "--output", "OUT", "IN"},
                   "unknown format \"pdf\" (expected html, csv or sql)"},
        TUsageCase{"FormatTwice", {"--format", "csv", "--format", "sql", "--output", "OUT", "IN"},
                   "--format given more than once"},
        TUsageCase{"MissingOutput", {"--format", "csv", "IN"}, "missing --output"},
        TUsageCase{"EmptyOutput", {"--format", "csv", "--output", "", "IN"}, "--output needs a path"},
        TUsageCase{"EmptyOutputAfterEquals", {"--format", "csv", "--output=", "IN"}, "--output needs a path"},
        TUsageCase{"MissingInput", {"--format", "csv", "--output", "OUT"}, "missing INPUT.cxf"},
        TUsageCase{"TwoInputs", {"--format", "csv", "--output", "OUT", "IN", "IN"},
                   "exactly one INPUT.cxf expected, got 2"},
        TUsageCase{"UnknownExcludeItem", {"--format", "sql", "--output", "OUT", "--exclude", "channel-uf,bogus", "IN"},
                   "unknown --exclude item \"bogus\" (expected channel-uf, channel-vpid, transponder-uf, "
                   "satellite-uf or all)"},
        TUsageCase{"EmptyExcludeItem", {"--format", "sql", "--output", "OUT", "--exclude", "channel-uf,", "IN"},
                   "unknown --exclude item \"\" (expected channel-uf, channel-vpid, transponder-uf, "
                   "satellite-uf or all)"},
        TUsageCase{"TwoCharacterSeparator", {"--format", "csv", "--output", "OUT", "--decimal-separator", ",,", "IN"},
                   "--decimal-separator takes exactly one character, not \",,\""},
        TUsageCase{"EmptySeparator", {"--format", "csv", "--output", "OUT", "--decimal-separator", "", "IN"},
                   "--decimal-separator takes exactly one character, not \"\""},
        TUsageCase{"SeparatorOutsideWindows1252",
                   {"--format", "csv", "--output", "OUT", "--decimal-separator", "\xE2\x80\xA2", "IN"},
                   "--decimal-separator \"\xE2\x80\xA2\" is not a printable Windows-1252 character"},
        TUsageCase{"UnknownOption", {"--format", "csv", "--output", "OUT", "--bogus", "IN"}, "Unknown option 'bogus'."},
        TUsageCase{"OptionWithoutValue", {"IN", "--format"}, "Missing value after '--format'."},
        TUsageCase{"CompareToSql", {"--compare", "IN", "--format", "sql", "--output", "OUT", "IN"},
                   "the change report has no format \"sql\" (expected csv or html)"},
        TUsageCase{"CompareWithHeadText",
                   {"--compare", "IN", "--format", "html", "--output", "OUT", "--head-text", "IN", "IN"},
                   "--head-text does not apply to --compare"},
        TUsageCase{"CompareWithoutFile", {"--compare=", "--format", "csv", "--output", "OUT", "IN"},
                   "--compare needs the older .cxf file"}),
    [](const testing::TestParamInfo<TUsageCase>& Info) { return std::string(Info.param.Label); });

// A name that a spreadsheet would run, guarded unless the option says not to.
TEST_F(CliTest, LiteralNamesTurnTheFormulaGuardOff) {
    CxfImageBuilder Image;
    Image.Satellite(0, {"Astra 19.2E", 192}).Transponder(0, {11494, 22000, 0, 0, 1, 1101}).Channel(0, {"=1+1", 0, 1});
    Image.WriteTo(Input);
    const TResult Guarded = RunCli({"--format", "csv", "--output", "-", Input});
    const TResult Literal = RunCli({"--format", "csv", "--output", "-", "--literal-names", Input});
    EXPECT_THAT(Guarded.Out, HasSubstr(";\"'=1+1\";"));
    EXPECT_THAT(Literal.Out, HasSubstr(";\"=1+1\";"));
}

// The option acts on a change report's names as on the CSV file's.
TEST_F(CliTest, LiteralNamesActOnTheChangeReport) {
    const std::string Old = CliImage().WriteTo(Dir / "old.cxf").string();
    CliImage().Channel(0, {"=1+1", 0, 101, 102, 101, 104, 28106}).WriteTo(Input);
    const TResult Guarded = RunCli({"--compare", Old, "--format", "csv", "--output", "-", Input});
    const TResult Literal = RunCli({"--compare", Old, "--format", "csv", "--output", "-", "--literal-names", Input});
    EXPECT_THAT(Guarded.Out, HasSubstr(";\"Das Erste\";\"'=1+1\"\r\n"));
    EXPECT_THAT(Literal.Out, HasSubstr(";\"Das Erste\";\"=1+1\"\r\n"));
}

TEST_F(CliTest, HelpAndVersionExitWithZero) {
    const TResult Help = RunCli({"--help"});
    EXPECT_EQ(Help.Exit, 0);
    EXPECT_THAT(Help.Out, testing::StartsWith("Usage: zanvero-cli [options] INPUT.cxf\n"));
    EXPECT_THAT(Help.Out, HasSubstr("--format <html|csv|sql>"));
    EXPECT_THAT(Help.Out, HasSubstr("--decimal-separator <C>"));
    EXPECT_THAT(Help.Out, HasSubstr("--literal-names "));
    EXPECT_THAT(Help.Out, testing::Not(HasSubstr("--help-all")));

    const TResult Version = RunCli({"--version"});
    EXPECT_EQ(Version.Exit, 0);
    EXPECT_EQ(Version.Out, std::string("zanvero-cli ") + ZANVERO_VERSION + "\n");
}

// --- load and write errors ---------------------------------------------------

struct TFailureCase {
    const char* Label;
    std::vector<std::string> Args;  // "DIR/" is replaced by the test directory
    const char* Message;            // the whole of standard error after "zanvero-cli: "
};

void PrintTo(const TFailureCase& Case, std::ostream* Out) { *Out << Case.Label; }

class CliFailure : public CliTest, public testing::WithParamInterface<TFailureCase> {};

TEST_P(CliFailure, ExitsWithOneAndKeepsTheOldOutput) {
    WriteFileBytes(Dir / "short.cxf", "CXF2");
    WriteFileBytes(Dir / "zeros.cxf", std::string(CxfFileSize, '\0'));
    WriteFileBytes(Dir / "existing.out", "the previous export\r\n");
    fs::create_directory(Dir / "pages");
    auto Expand = [&](std::string Text) {
        for (std::size_t At; (At = Text.find("DIR/")) != std::string::npos;)
            Text.replace(At, 4, Dir.Path().string() + "/");
        return Text;
    };
    std::vector<std::string> Args = GetParam().Args;
    for (auto& Arg : Args) Arg = Expand(Arg);
    const auto Before = DirectorySnapshot(Dir.Path());

    const TResult Result = RunCli(Args);
    EXPECT_EQ(Result.Exit, 1);
    EXPECT_EQ(Result.Err, "zanvero-cli: " + Expand(GetParam().Message) + "\n");
    EXPECT_EQ(Result.Out, "");
    EXPECT_EQ(DirectorySnapshot(Dir.Path()), Before);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, CliFailure,
    testing::Values(
        TFailureCase{"InputMissing", {"--format", "csv", "--output", "DIR/existing.out", "DIR/none.cxf"},
                     "DIR/none.cxf: File not found"},
        TFailureCase{"InputTooShort", {"--format", "sql", "--output", "DIR/existing.out", "DIR/short.cxf"},
                     "DIR/short.cxf: Read beyond end of file"},
        TFailureCase{"InputMissingToStandardOutput", {"--format", "sql", "--output", "-", "DIR/none.cxf"},
                     "DIR/none.cxf: File not found"},
        TFailureCase{"InputNotACxfFile", {"--format", "csv", "--output", "DIR/existing.out", "DIR/zeros.cxf"},
                     "DIR/zeros.cxf: Die Datei ist keine .cxf-Datei: sie beginnt nicht mit „CXF2“."},
        TFailureCase{"OutputDirectoryMissing", {"--format", "csv", "--output", "DIR/missing/out.csv", "DIR/in.cxf"},
                     "Cannot create file \"DIR/missing/out.csv\". No such file or directory"},
        TFailureCase{"OutputIsADirectory", {"--format", "sql", "--output", "DIR/pages", "DIR/in.cxf"},
                     "Cannot create file \"DIR/pages\". Is a directory"},
        TFailureCase{"PageDirectoryUnderAFile", {"--format", "html", "--output", "DIR/existing.out/pages", "DIR/in.cxf"},
                     "Unable to create directory \"DIR/existing.out/pages\". Not a directory"},
        TFailureCase{"HeadTextMissing",
                     {"--format", "html", "--output", "DIR/pages", "--head-text", "DIR/none.txt", "DIR/in.cxf"},
                     "Cannot open file \"DIR/none.txt\". No such file or directory"},
        TFailureCase{"HeadTextIsADirectory",
                     {"--format", "html", "--output", "DIR/out", "--head-text", "DIR/pages", "DIR/in.cxf"},
                     "Cannot open file \"DIR/pages\". Is a directory"},
        TFailureCase{"CompareOlderMissing",
                     {"--compare", "DIR/none.cxf", "--format", "csv", "--output", "DIR/existing.out", "DIR/in.cxf"},
                     "DIR/none.cxf: File not found"},
        TFailureCase{"CompareNewerTooShort",
                     {"--compare", "DIR/in.cxf", "--format", "html", "--output", "DIR/existing.out", "DIR/short.cxf"},
                     "DIR/short.cxf: Read beyond end of file"},
        TFailureCase{"HeadTextUnderAFile",
                     {"--format", "html", "--output", "DIR/pages", "--head-text", "DIR/short.cxf/x", "DIR/in.cxf"},
                     "Cannot open file \"DIR/short.cxf/x\". Not a directory"}),
    [](const testing::TestParamInfo<TFailureCase>& Info) { return std::string(Info.param.Label); });

TEST_F(CliTest, FullStandardOutputIsAWriteError) {
    const TResult Result = RunCli({"--format", "csv", "--output", "-", Input}, "/dev/full");
    EXPECT_EQ(Result.Exit, 1);
    EXPECT_EQ(Result.Err, "zanvero-cli: Stream write error\n");
}

struct TBytesCase {
    const char* Label;
    const char* Bytes;
};

void PrintTo(const TBytesCase& Case, std::ostream* Out) { *Out << Case.Label; }

class CliHeadTextNotUtf8 : public CliTest, public testing::WithParamInterface<TBytesCase> {};

TEST_P(CliHeadTextNotUtf8, IsRefused) {
    WriteFileBytes(Dir / "head.txt", std::string("<title>") + GetParam().Bytes + "</title>\n");
    const TResult Result =
        RunCli({"--format", "html", "--output", (Dir / "pages").string(), "--head-text", (Dir / "head.txt").string(),
                Input});
    EXPECT_EQ(Result.Exit, 1);
    EXPECT_EQ(Result.Err, "zanvero-cli: Head text file \"" + (Dir / "head.txt").string() + "\" is not UTF-8\n");
    EXPECT_FALSE(fs::exists(Dir / "pages"));
}

INSTANTIATE_TEST_SUITE_P(Bytes, CliHeadTextNotUtf8,
                         testing::Values(TBytesCase{"Latin1", "K\xE4se"}, TBytesCase{"OverlongSlash", "\xC0\xAF"},
                                         TBytesCase{"SurrogateHalf", "\xED\xA0\x80"},
                                         TBytesCase{"AboveU10FFFF", "\xF4\x90\x80\x80"},
                                         TBytesCase{"CutShort", "\xE2\x82"}),
                         testsupport::LabelName());

// --- output ------------------------------------------------------------------

class CliStandardOutput : public CliTest, public testing::WithParamInterface<const char*> {};

TEST_P(CliStandardOutput, EqualsTheFileOutput) {
    const std::string File = (Dir / "out").string();
    const TResult ToFile = RunCli({"--format", GetParam(), "--output", File, "--exclude", "channel-vpid", Input});
    const TResult ToStdout = RunCli({"--format", GetParam(), "--output", "-", "--exclude", "channel-vpid", Input});
    ASSERT_EQ(ToFile.Exit, 0) << ToFile.Err;
    ASSERT_EQ(ToStdout.Exit, 0) << ToStdout.Err;
    EXPECT_EQ(ToFile.Out, "");
    EXPECT_EQ(ToStdout.Err, "");
    EXPECT_EQ(ToStdout.Out, ReadFileBytes(File));
    EXPECT_THAT(ToStdout.Out, HasSubstr("Das Erste"));
    EXPECT_THAT(ToStdout.Out, testing::Not(HasSubstr("Null")));
    EXPECT_FALSE(fs::exists("-"));
}

INSTANTIATE_TEST_SUITE_P(Formats, CliStandardOutput, testing::Values("csv", "sql"),
                         [](const auto& Info) { return testsupport::TestName(Info.param); });

// The change report against an older file in which "Das Erste" had another
// name: one file either way, to a file or to standard output alike.
class CliCompare : public CliTest, public testing::WithParamInterface<const char*> {};

TEST_P(CliCompare, ReportOnStandardOutputEqualsTheFile) {
    CxfImageBuilder Older = CliImage();
    Older.Channel(0, {"ARD", 0, 101, 102, 101, 104, 28106});
    const std::string Old = Older.WriteTo(Dir / "old.cxf").string();
    const std::string File = (Dir / "report").string();
    const TResult ToFile = RunCli({"--compare", Old, "--format", GetParam(), "--output", File, Input});
    const TResult ToStdout = RunCli({"--compare", Old, "--format", GetParam(), "--output", "-", Input});
    ASSERT_EQ(ToFile.Exit, 0) << ToFile.Err;
    ASSERT_EQ(ToStdout.Exit, 0) << ToStdout.Err;
    EXPECT_EQ(ToFile.Out + ToFile.Err + ToStdout.Err, "");
    EXPECT_EQ(ToStdout.Out, ReadFileBytes(File));
    EXPECT_THAT(ToStdout.Out, HasSubstr("Das Erste"));
    EXPECT_THAT(ToStdout.Out, HasSubstr(std::string(GetParam()) == "csv" ? "\"changed\"" : "Ge&auml;ndert"));
}

INSTANTIATE_TEST_SUITE_P(Formats, CliCompare, testing::Values("csv", "html"),
                         [](const auto& Info) { return testsupport::TestName(Info.param); });

struct TExcludeCase {
    const char* Label;
    std::vector<std::string> Options;
    std::vector<int> Channels;  // IDs in the dump, sorted
};

void PrintTo(const TExcludeCase& Case, std::ostream* Out) { *Out << Case.Label; }

class CliExclude : public CliTest, public testing::WithParamInterface<TExcludeCase> {};

TEST_P(CliExclude, ListItemsSetTheirFlags) {
    std::vector<std::string> Args = {"--format", "sql", "--output", "-"};
    Args.insert(Args.end(), GetParam().Options.begin(), GetParam().Options.end());
    Args.push_back(Input);
    const TResult Result = RunCli(Args);
    ASSERT_EQ(Result.Exit, 0) << Result.Err;

    std::vector<int> Channels;
    const std::string Prefix = "INSERT INTO channel VALUES ('";
    for (std::size_t At = Result.Out.find(Prefix); At != std::string::npos; At = Result.Out.find(Prefix, At + 1))
        Channels.push_back(std::stoi(Result.Out.substr(At + Prefix.size())));
    std::sort(Channels.begin(), Channels.end());
    EXPECT_EQ(Channels, GetParam().Channels);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, CliExclude,
    testing::Values(TExcludeCase{"Nothing", {}, {1, 2, 3, 4, 5}},
                    TExcludeCase{"ChannelUF", {"--exclude", "channel-uf"}, {1, 2, 4, 5}},
                    TExcludeCase{"ChannelVPID", {"--exclude", "channel-vpid"}, {1, 3, 4, 5}},
                    TExcludeCase{"TransponderUF", {"--exclude", "transponder-uf"}, {1, 2, 3, 5}},
                    TExcludeCase{"SatelliteUF", {"--exclude", "satellite-uf"}, {1, 2, 3, 4}},
                    TExcludeCase{"All", {"--exclude", "all"}, {1}},
                    TExcludeCase{"BlanksAroundItems", {"--exclude", " satellite-uf , channel-vpid"}, {1, 3, 4}},
                    TExcludeCase{"RepeatedOption", {"--exclude", "transponder-uf", "--exclude=channel-uf"}, {1, 2, 5}}),
    [](const testing::TestParamInfo<TExcludeCase>& Info) { return std::string(Info.param.Label); });

struct TSeparatorCase {
    const char* Label;
    std::vector<std::string> Options;
    const char* PositionField;  // Windows-1252
};

void PrintTo(const TSeparatorCase& Case, std::ostream* Out) { *Out << Case.Label; }

class CliSeparator : public CliTest, public testing::WithParamInterface<TSeparatorCase> {};

TEST_P(CliSeparator, ShapesThePositionTextOfTheCsvFile) {
    std::vector<std::string> Args = {"--format", "csv", "--output", "-"};
    Args.insert(Args.end(), GetParam().Options.begin(), GetParam().Options.end());
    Args.push_back(Input);
    const TResult Result = RunCli(Args);
    ASSERT_EQ(Result.Exit, 0) << Result.Err;
    EXPECT_THAT(Result.Out, HasSubstr(std::string("\"Astra 19.2E\";\"") + GetParam().PositionField + "\";\"11494\""));
}

INSTANTIATE_TEST_SUITE_P(
    Separators, CliSeparator,
    testing::Values(TSeparatorCase{"LocaleDefault", {}, "19.2\xB0 0"},
                    TSeparatorCase{"Comma", {"--decimal-separator", ","}, "19,2\xB0 0"},
                    TSeparatorCase{"Latin1MiddleDot", {"--decimal-separator", "\xC2\xB7"}, "19\xB7"
                                                                                          "2\xB0 0"}),
    [](const testing::TestParamInfo<TSeparatorCase>& Info) { return std::string(Info.param.Label); });

const std::set<std::string> PageNames = {
    "Astra_19_2E_(BY_NAME).html",  "Astra_19_2E_(BY_FREQUENCY).html", "Astra_19_2E_(BY_PACKAGE).html",
    "Hot_Bird_(BY_NAME).html",     "Hot_Bird_(BY_FREQUENCY).html",    "Hot_Bird_(BY_PACKAGE).html",
    "index.html"};

std::set<std::string> FileNames(const fs::path& Dir) {
    std::set<std::string> Names;
    for (const auto& Entry : fs::directory_iterator(Dir)) Names.insert(Entry.path().filename().string());
    return Names;
}

class CliHtml : public CliTest, public testing::WithParamInterface<const char*> {};

TEST_P(CliHtml, CreatesTheMissingDirectoryAndItsParents) {
    const fs::path Pages = Dir / "a" / "b" / "c";
    const TResult Result = RunCli({"--format", "html", "--output", Pages.string() + GetParam(), Input});
    ASSERT_EQ(Result.Exit, 0) << Result.Err;
    EXPECT_EQ(Result.Out, "");
    EXPECT_EQ(FileNames(Pages), PageNames);
    EXPECT_THAT(ReadFileBytes(Pages / "Astra_19_2E_(BY_NAME).html"),
                HasSubstr("\" />\r\n\t\t<title>Digitalfernsehen Frequenzliste - Televio</title>\r\n"));
}

INSTANTIATE_TEST_SUITE_P(TrailingSlashes, CliHtml, testing::Values("", "/", "//"),
                         [](const auto& Info) { return std::to_string(std::string(Info.param).size()); });

TEST_F(CliTest, ForeignIndexIsLeftAloneWithAWarning) {
    const fs::path Pages = Dir / "pages";
    fs::create_directory(Pages);
    WriteFileBytes(Pages / "index.html", "<html>mine</html>");
    const TResult Result = RunCli({"--format", "html", "--output", Pages.string(), Input});
    EXPECT_EQ(Result.Exit, 0);
    EXPECT_EQ(Result.Err, "zanvero-cli: warning: " + ForeignOverviewKeptText + "\n");
    EXPECT_EQ(ReadFileBytes(Pages / "index.html"), "<html>mine</html>");
    EXPECT_EQ(FileNames(Pages), PageNames);
}

TEST_F(CliTest, HeadTextFileGivesOneEntryPerLine) {
    // A byte-order mark, both kinds of line end and a last line without one.
    WriteFileBytes(Dir / "head.txt", "\xEF\xBB\xBF<title>Mine \xE2\x82\xAC</title>\n\t<!-- two -->\r\n\r\n<!-- end -->");
    const TResult Result = RunCli(
        {"--format", "html", "--output", (Dir / "pages").string(), "--head-text", (Dir / "head.txt").string(), Input});
    ASSERT_EQ(Result.Exit, 0) << Result.Err;
    const std::string Page = ReadFileBytes(Dir / "pages" / "Hot_Bird_(BY_FREQUENCY).html");
    EXPECT_THAT(Page, HasSubstr("\" />\r\n<title>Mine \xE2\x82\xAC</title>\r\n\t<!-- two -->\r\n\r\n<!-- end -->\r\n"
                                "\t</head>\r\n"));
    EXPECT_THAT(Page, testing::Not(HasSubstr("\xEF\xBB\xBF")));
    EXPECT_THAT(Page, testing::Not(HasSubstr("Televio")));
}

TEST_F(CliTest, PathsThatAreNotUtf8AreUsedByteForByte) {
    // Names from an older Latin-1 system: the byte E4 alone is no UTF-8.
    const fs::path LatinInput = Dir / "Kan\xE4le.cxf";
    CliImage().WriteTo(LatinInput);
    const fs::path LatinOutput = Dir / "Liste \xFC.sql";
    const TResult Result = RunCli({"--format", "sql", "--output", LatinOutput.string(), LatinInput.string()});
    ASSERT_EQ(Result.Exit, 0) << Result.Err;
    EXPECT_THAT(ReadFileBytes(LatinOutput), HasSubstr("'Das Erste'"));
}

// --- --charset ---------------------------------------------------------------

INSTANTIATE_TEST_SUITE_P(
    CharsetCommandLines, CliUsage,
    testing::Values(TUsageCase{"UnknownCharset", {"--format", "csv", "--output", "OUT", "--charset", "latin1", "IN"},
                               "unknown charset \"latin1\" (expected windows-1252 or utf-8)"}),
    [](const testing::TestParamInfo<TUsageCase>& Info) { return std::string(Info.param.Label); });

struct TCharsetCase {
    const char* Label;
    std::vector<std::string> Options;
    std::string Start;  // of the CSV file
    std::string Name;   // its first channel field
};

void PrintTo(const TCharsetCase& Case, std::ostream* Out) { *Out << Case.Label; }

class CliCharset : public CliTest, public testing::WithParamInterface<TCharsetCase> {};

// The option reaches the load: a Czech name as each character set writes it.
TEST_P(CliCharset, ChoosesTheCharacterSetOfTheNames) {
    CxfImageBuilder Image;
    Image.Satellite(0, {"Astra 23.5E", 235}).Transponder(0, {12070, 27500, 0, 0, 3, 3211}).Channel(0, {"ČT1", 0, 1});
    Image.WriteTo(Input);
    std::vector<std::string> Args = {"--format", "csv", "--output", "-"};
    Args.insert(Args.end(), GetParam().Options.begin(), GetParam().Options.end());
    Args.push_back(Input);
    const TResult Result = RunCli(Args);
    ASSERT_EQ(Result.Exit, 0) << Result.Err;
    EXPECT_THAT(Result.Out, testing::StartsWith(GetParam().Start + "\"Index\""));
    EXPECT_THAT(Result.Out, HasSubstr(";\"" + GetParam().Name + "\";"));
}

INSTANTIATE_TEST_SUITE_P(Charsets, CliCharset,
                         testing::Values(TCharsetCase{"Default", {}, "", "CT1"},
                                         TCharsetCase{"Windows1252", {"--charset", "windows-1252"}, "", "CT1"},
                                         TCharsetCase{"Utf8", {"--charset=utf-8"}, "\xEF\xBB\xBF", "ČT1"}),
                         testsupport::LabelName());

}  // namespace
