// The shared writer on every system: what reaches the disk, and what does
// not when it fails. The system's own cases are in WriterSystem*.cpp.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "CxfExportWriter.h"
#include "CxfImageBuilder.h"
#include "TestProcess.h"
#include "WriterSystem.h"

namespace {

namespace fs = std::filesystem;
using testsupport::DirectorySnapshot;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;
using namespace writertest;

struct TTarget {
    std::string Name;   // handed to the writer
    std::string Shown;  // the full path the message names
};

struct TFailCase {
    const char* Label;
    // Prepares the directory; nothing where the case cannot be made here.
    std::function<std::optional<TTarget>(const fs::path&)> Prepare;
    TFailure Failure;
};

void PrintTo(const TFailCase& Case, std::ostream* Out) { *Out << Case.Label; }

class WriterCreateFailure : public testing::TestWithParam<TFailCase> {};

TEST_P(WriterCreateFailure, NamesTheFullPathAndLeavesEverythingAsItWas) {
    const std::optional<std::string> Reason = SystemErrorText(GetParam().Failure);
    if (!Reason) GTEST_SKIP() << "no such case on this system";
    TempDir Dir;
    WriteFileBytes(Dir / "keep.csv", "old content\r\n");
    const std::optional<TTarget> Target = GetParam().Prepare(Dir.Path());
    if (!Target) GTEST_SKIP() << "this process may write any file";
    const auto Before = DirectorySnapshot(Dir.Path());

    try {
        TFileReplacingSink().Write(Target->Name, "new content\r\n");
        FAIL() << "no error for " << Target->Name;
    } catch (const EFCreateError& Error) {
        EXPECT_EQ(std::string(Error.what()), "Cannot create file \"" + Target->Shown + "\". " + *Reason);
    }
    EXPECT_EQ(DirectorySnapshot(Dir.Path()), Before);
}

std::optional<TTarget> Same(const fs::path& Path) { return TTarget{CoreName(Path), CoreName(Path)}; }

INSTANTIATE_TEST_SUITE_P(
    Paths, WriterCreateFailure,
    testing::Values(
        TFailCase{"EmptyName", [](const fs::path&) { return std::optional(TTarget{"", ""}); }, TFailure::NotFound},
        // Written with "/", shown in the system's own form.
        TFailCase{"MissingDirectory",
                  [](const fs::path& D) {
                      return std::optional(TTarget{CoreName(D) + "/missing/out.sql", CoreName(D / "missing" / "out.sql")});
                  },
                  TFailure::NotFound},
        TFailCase{"ParentIsAFile", [](const fs::path& D) { return Same(D / "keep.csv" / "out.sql"); }, TFailure::NotADirectory},
        TFailCase{"TargetIsADirectory",
                  [](const fs::path& D) {
                      fs::create_directory(D / "pages");
                      WriteFileBytes(D / "pages" / "inside.html", "page");
                      return Same(D / "pages");
                  },
                  TFailure::IsADirectory},
        TFailCase{"NameTooLong", [](const fs::path& D) { return Same(D / std::string(300, 'n')); }, TFailure::NameTooLong},
        TFailCase{"ReadOnlyTarget",
                  [](const fs::path& D) -> std::optional<TTarget> {
                      WriteFileBytes(D / "locked.csv", "keep me");
                      if (!MakeReadOnly(D / "locked.csv")) return std::nullopt;
                      return Same(D / "locked.csv");
                  },
                  TFailure::AccessDenied}),
    [](const testing::TestParamInfo<TFailCase>& Info) { return std::string(Info.param.Label); });

// Large outputs take another way into the file than small ones; every byte
// must still land in its place, and nothing of the old content stay.
TEST(Writer, LargeOutputArrivesWhole) {
    TempDir Dir;
    const fs::path Target = Dir / "channels.csv";
    WriteFileBytes(Target, std::string(3 << 20, 'o'));
    std::string Large;
    for (int i = 0; Large.size() < (2 << 20) + 123; ++i) Large += std::to_string(i) + ";";

    TFileReplacingSink().Write(CoreName(Target), Large);
    EXPECT_TRUE(ReadFileBytes(Target) == Large);
}

TEST(Writer, ReplacesTheWholeOldContentAndKeepsWhatMarksTheFile) {
    TempDir Dir;
    const fs::path Target = Dir / "list.csv";
    WriteFileBytes(Target, std::string(5000, 'o'));
    MarkFile(Target);

    TFileReplacingSink().Write(CoreName(Target), "short\r\n");
    EXPECT_EQ(DirectorySnapshot(Dir.Path()), std::set<std::string>{"list.csv=short\r\n"});
    EXPECT_TRUE(IsMarked(Target));
}

TEST(Writer, UnicodeNamesInUnicodeFolders) {
    TempDir Dir;
    const fs::path Folder = Dir.Path() / fs::path(u8"\u041a\u0430\u043d\u0430\u043b\u044b");
    fs::create_directory(Folder);
    const fs::path Target = Folder / fs::path(u8"Kan\u00e4le.csv");
    TFileReplacingSink().Write(CoreName(Target), "neu\r\n");
    TFileReplacingSink().Write(CoreName(Target), "neuer\r\n");
    EXPECT_EQ(ReadFileBytes(Target), "neuer\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(Folder), fs::directory_iterator()), 1);
}

TEST(DescriptorSink, WritesTheBytesWithoutLineEndTranslation) {
    TempDir Dir;
    const int Fd = OpenTextDescriptor(Dir / "out.txt");
    ASSERT_GE(Fd, 0);
    TDescriptorSink(Fd).Write("-", "a\nb\r\n");
    CloseDescriptor(Fd);
    EXPECT_EQ(ReadFileBytes(Dir / "out.txt"), "a\nb\r\n");
}

}  // namespace
