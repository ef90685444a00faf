// zanvero-cli on Windows: Unicode paths through the wide command line, and
// the system's own texts (and "\" paths) in its messages.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>

#include "CliRun.h"
#include "CxfImageBuilder.h"
#include "WindowsTextUnit.h"

namespace {

namespace fs = std::filesystem;
using namespace testsupport;

std::string Utf8(const fs::path& Path) { return Utf8FromWide(Path.wstring()); }

CxfImageBuilder OneChannel() {
    CxfImageBuilder Image;
    Image.Satellite(0, {"Astra 19.2E", 192})
        .Transponder(0, {11494, 22000, 0, 0, 1, 1101})
        .Channel(0, {"Das Erste", 0, 101, 102, 101, 104, 28106});
    return Image;
}

TEST(CliWindows, UnicodeFoldersAndNamesWork) {
    const TempDir Dir;
    const fs::path Folder = Dir.Path() / L"Kan\u00e4le" / L"\u041a\u0430\u043d\u0430\u043b\u044b";
    fs::create_directories(Folder);
    OneChannel().WriteTo(Folder / L"Sender \u00fc.cxf");

    const fs::path Dump = Folder / L"Liste \u20ac.sql";
    const fs::path Pages = Folder / L"Seiten \u00df";
    const TResult Sql = RunCli({"--format", "sql", "--output", Utf8(Dump), Utf8(Folder / L"Sender \u00fc.cxf")});
    const TResult Html = RunCli({"--format", "html", "--output", Utf8(Pages), Utf8(Folder / L"Sender \u00fc.cxf")});
    ASSERT_EQ(Sql.Exit, 0) << Sql.Err;
    ASSERT_EQ(Html.Exit, 0) << Html.Err;
    EXPECT_THAT(ReadFileBytes(Dump), testing::HasSubstr("'Das Erste'"));
    EXPECT_TRUE(fs::exists(Pages / "Astra_19_2E_(BY_NAME).html"));
}

struct TWindowsFailure {
    const char* Label;
    const char* Format;
    const char* Output;  // below the test directory
    const char* Message;  // before the system's text
    unsigned long Error;
};

void PrintTo(const TWindowsFailure& Case, std::ostream* Out) { *Out << Case.Label; }

class CliWindowsFailure : public testing::TestWithParam<TWindowsFailure> {};

TEST_P(CliWindowsFailure, NamesThePathAndTheSystemsReason) {
    const TempDir Dir;
    OneChannel().WriteTo(Dir / "in.cxf");
    WriteFileBytes(Dir / "existing.out", "old");
    fs::create_directory(Dir / "pages");
    const std::string Output = Utf8(Dir.Path()) + "\\" + GetParam().Output;
    const TResult Result = RunCli({"--format", GetParam().Format, "--output", Output, Utf8(Dir / "in.cxf")});

    EXPECT_EQ(Result.Exit, 1);
    EXPECT_EQ(Result.Err, "zanvero-cli: " + std::string(GetParam().Message) + " \"" + Output + "\". " +
                              SystemErrorMessage(GetParam().Error) + "\n");
    EXPECT_EQ(ReadFileBytes(Dir / "existing.out"), "old");
}

INSTANTIATE_TEST_SUITE_P(
    Runs, CliWindowsFailure,
    testing::Values(
        TWindowsFailure{"OutputDirectoryMissing", "csv", "missing\\out.csv", "Cannot create file", ERROR_PATH_NOT_FOUND},
        TWindowsFailure{"OutputIsADirectory", "sql", "pages", "Cannot create file", ERROR_ACCESS_DENIED},
        TWindowsFailure{"PageDirectoryUnderAFile", "html", "existing.out\\pages", "Unable to create directory",
                        ERROR_DIRECTORY}),
    [](const testing::TestParamInfo<TWindowsFailure>& Info) { return std::string(Info.param.Label); });

}  // namespace
