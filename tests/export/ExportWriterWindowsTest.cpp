// The writer on Windows: ReplaceFileW and MoveFileExW through the wide API,
// and the system's texts with the full "\" path when it fails.
#include <gtest/gtest.h>

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "CxfExportWriter.h"
#include "CxfImageBuilder.h"
#include "TestProcess.h"
#include "WindowsTextUnit.h"

namespace {

namespace fs = std::filesystem;
using namespace testsupport;

std::string Utf8(const fs::path& Path) { return Utf8FromWide(Path.wstring()); }

struct TWindowsFailCase {
    const char* Label;
    // Prepares the directory; returns the name handed to the writer and the
    // full path that the message must show.
    std::function<std::pair<std::string, std::string>(const fs::path&)> Prepare;
    DWORD Error;
};

void PrintTo(const TWindowsFailCase& Case, std::ostream* Out) { *Out << Case.Label; }

class WindowsWriterFailure : public testing::TestWithParam<TWindowsFailCase> {};

TEST_P(WindowsWriterFailure, NamesTheFullPathAndLeavesEverythingAsItWas) {
    const TempDir Dir;
    WriteFileBytes(Dir / "keep.csv", "old content\r\n");
    const auto [Name, Shown] = GetParam().Prepare(Dir.Path());
    const auto Before = DirectorySnapshot(Dir.Path());
    try {
        TFileReplacingSink().Write(Name, "new content\r\n");
        FAIL() << "no error for " << Name;
    } catch (const EFCreateError& Error) {
        EXPECT_EQ(std::string(Error.what()),
                  "Cannot create file \"" + Shown + "\". " + SystemErrorMessage(GetParam().Error));
    }
    EXPECT_EQ(DirectorySnapshot(Dir.Path()), Before);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, WindowsWriterFailure,
    testing::Values(
        TWindowsFailCase{"MissingDirectoryWithForwardSlashes",
                         [](const fs::path& D) {
                             return std::pair(Utf8(D) + "/missing/out.sql", Utf8(D / "missing" / "out.sql"));
                         },
                         ERROR_PATH_NOT_FOUND},
        TWindowsFailCase{"TargetIsADirectory",
                         [](const fs::path& D) {
                             fs::create_directory(D / "pages");
                             return std::pair(Utf8(D / "pages"), Utf8(D / "pages"));
                         },
                         ERROR_ACCESS_DENIED},
        TWindowsFailCase{"ReadOnlyTarget",
                         [](const fs::path& D) {
                             WriteFileBytes(D / "locked.csv", "keep me");
                             ::SetFileAttributesW((D / "locked.csv").c_str(), FILE_ATTRIBUTE_READONLY);
                             return std::pair(Utf8(D / "locked.csv"), Utf8(D / "locked.csv"));
                         },
                         ERROR_ACCESS_DENIED}),
    [](const testing::TestParamInfo<TWindowsFailCase>& Info) { return std::string(Info.param.Label); });

// Another program that holds the file open without sharing it.
class TExclusiveHolder {
public:
    explicit TExclusiveHolder(const fs::path& Path)
        : FHandle(::CreateFileW(Path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~TExclusiveHolder() { ::CloseHandle(FHandle); }
    bool Holds() const { return FHandle != INVALID_HANDLE_VALUE; }

private:
    HANDLE FHandle;
};

TEST(WindowsWriter, FileHeldOpenWithoutSharingFailsAndStaysUnchanged) {
    const TempDir Dir;
    WriteFileBytes(Dir / "open.sql", "the previous export\r\n");
    {
        const TExclusiveHolder Holder(Dir / "open.sql");
        ASSERT_TRUE(Holder.Holds());
        EXPECT_THROW(TFileReplacingSink().Write(Utf8(Dir / "open.sql"), "new"), EFCreateError);
    }
    EXPECT_EQ(DirectorySnapshot(Dir.Path()), std::set<std::string>{"open.sql=the previous export\r\n"});
}

TEST(WindowsWriter, ReplacingKeepsTheOldFilesAttributes) {
    const TempDir Dir;
    const fs::path Target = Dir / "hidden.csv";
    WriteFileBytes(Target, std::string(5000, 'o'));
    ::SetFileAttributesW(Target.c_str(), FILE_ATTRIBUTE_HIDDEN);

    TFileReplacingSink().Write(Utf8(Target), "short\r\n");
    EXPECT_EQ(DirectorySnapshot(Dir.Path()), std::set<std::string>{"hidden.csv=short\r\n"});
    EXPECT_NE(::GetFileAttributesW(Target.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
}

TEST(WindowsWriter, UnicodeNamesInUnicodeFolders) {
    const TempDir Dir;
    const fs::path Folder = Dir.Path() / L"\u041a\u0430\u043d\u0430\u043b\u044b";
    fs::create_directory(Folder);
    TFileReplacingSink().Write(Utf8(Folder / L"Kan\u00e4le.csv"), "neu\r\n");
    TFileReplacingSink().Write(Utf8(Folder / L"Kan\u00e4le.csv"), "neuer\r\n");
    EXPECT_EQ(ReadFileBytes(Folder / L"Kan\u00e4le.csv"), "neuer\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(Folder), fs::directory_iterator()), 1);
}

TEST(WindowsWriter, DeviceIsWrittenIntoNotReplaced) {
    EXPECT_NO_THROW(TFileReplacingSink().Write("NUL", "into nothing\r\n"));
}

TEST(WindowsDescriptorSink, WritesTheBytesWithoutLineEndTranslation) {
    const TempDir Dir;
    const fs::path Path = Dir / "out.txt";
    const int Fd = ::_wopen(Path.c_str(), _O_WRONLY | _O_CREAT | _O_TEXT, _S_IREAD | _S_IWRITE);
    ASSERT_GE(Fd, 0);
    TDescriptorSink(Fd).Write("-", "a\nb\r\n");
    ::_close(Fd);
    EXPECT_EQ(ReadFileBytes(Path), "a\nb\r\n");
}

}  // namespace
