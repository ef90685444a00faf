// The shared writer: what reaches the disk, and what does not when it fails.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "CxfExportWriter.h"
#include "CxfImageBuilder.h"
#include "TestProcess.h"

namespace {

namespace fs = std::filesystem;
using testsupport::DirectorySnapshot;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

std::string ErrorText(int Code) { return std::strerror(Code); }

struct TFailCase {
    const char* Label;
    // Prepares the directory and returns the target name below it.
    std::function<std::string(const fs::path&)> Prepare;
    int Error;
};

void PrintTo(const TFailCase& Case, std::ostream* Out) { *Out << Case.Label; }

class WriterCreateFailure : public testing::TestWithParam<TFailCase> {};

// Root may write anywhere, so the failures come from the shape of the path.
TEST_P(WriterCreateFailure, NamesTheFullPathAndLeavesNothingBehind) {
    TempDir Dir;
    WriteFileBytes(Dir / "keep.csv", "old content\r\n");
    const std::string Target = GetParam().Prepare(Dir.Path());
    const auto Before = DirectorySnapshot(Dir.Path());

    TFileReplacingSink Sink;
    try {
        Sink.Write(Target, "new content\r\n");
        FAIL() << "no error for " << Target;
    } catch (const EFCreateError& Error) {
        EXPECT_EQ(std::string(Error.what()),
                  "Cannot create file \"" + Target + "\". " + ErrorText(GetParam().Error));
    }
    EXPECT_EQ(DirectorySnapshot(Dir.Path()), Before);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, WriterCreateFailure,
    testing::Values(
        TFailCase{"MissingDirectory", [](const fs::path& D) { return (D / "missing" / "out.sql").string(); }, ENOENT},
        TFailCase{"ParentIsAFile", [](const fs::path& D) { return (D / "keep.csv" / "out.sql").string(); }, ENOTDIR},
        TFailCase{"TargetIsADirectory",
                  [](const fs::path& D) {
                      fs::create_directory(D / "pages");
                      WriteFileBytes(D / "pages" / "inside.html", "page");
                      return (D / "pages").string();
                  },
                  EISDIR},
        TFailCase{"NameTooLong", [](const fs::path& D) { return (D / std::string(300, 'n')).string(); },
                  ENAMETOOLONG}),
    [](const testing::TestParamInfo<TFailCase>& Info) { return std::string(Info.param.Label); });

TEST(Writer, EmptyNameCannotBeCreated) {
    try {
        TFileReplacingSink().Write("", "x");
        FAIL() << "no error";
    } catch (const EFCreateError& Error) {
        EXPECT_EQ(std::string(Error.what()), "Cannot create file \"\". " + ErrorText(ENOENT));
    }
}

// Restores the working directory when the test ends, passed or not.
class TWorkingDirectory {
public:
    explicit TWorkingDirectory(const fs::path& Dir) : FOld(fs::current_path()) { fs::current_path(Dir); }
    ~TWorkingDirectory() { fs::current_path(FOld); }

private:
    fs::path FOld;
};

TEST(Writer, RelativeNamesAreReportedWithTheirFullPath) {
    TempDir Dir;
    const TWorkingDirectory Inside(Dir.Path());
    TFileReplacingSink Sink;
    try {
        Sink.Write("missing/out.csv", "x");
        FAIL() << "no error";
    } catch (const EFCreateError& Error) {
        EXPECT_EQ(std::string(Error.what()), "Cannot create file \"" + (Dir / "missing/out.csv").string() + "\". " +
                                                 ErrorText(ENOENT));
    }
}

TEST(Writer, RelativeNameWithoutDirectoryIsWrittenIntoTheWorkingDirectory) {
    TempDir Dir;
    const TWorkingDirectory Inside(Dir.Path());
    TFileReplacingSink().Write("plain.sql", "abc\r\n");
    EXPECT_EQ(DirectorySnapshot(Dir.Path()), std::set<std::string>{"plain.sql=abc\r\n"});
}

// Caps the size of files this process may write; writes beyond it fail
// with EFBIG instead of raising a signal. Works for root too.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t Bytes) {
        getrlimit(RLIMIT_FSIZE, &FOld);
        FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit Limit = FOld;
        Limit.rlim_cur = Bytes;
        setrlimit(RLIMIT_FSIZE, &Limit);
    }
    ~TFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &FOld);
        std::signal(SIGXFSZ, FOldHandler);
    }

private:
    rlimit FOld{};
    void (*FOldHandler)(int) = nullptr;
};

TEST(Writer, FailedWriteKeepsTheOldFileAndRemovesTheTemporaryOne) {
    TempDir Dir;
    const fs::path Target = Dir / "channels.sql";
    WriteFileBytes(Target, "the previous export\r\n");
    const std::string Large(1 << 20, 'x');

    TFileReplacingSink Sink;
    {
        const TFileSizeLimit Limit(64 * 1024);
        try {
            Sink.Write(Target.string(), Large);
            ADD_FAILURE() << "no error";
        } catch (const EWriteError& Error) {
            EXPECT_STREQ(Error.what(), "Stream write error");
        }
    }
    EXPECT_EQ(DirectorySnapshot(Dir.Path()), std::set<std::string>{"channels.sql=the previous export\r\n"});
}

// Large outputs take another way into the file than small ones; every byte
// must still land in its place, and nothing of the old content stay.
TEST(Writer, LargeOutputArrivesWhole) {
    TempDir Dir;
    const fs::path Target = Dir / "channels.csv";
    WriteFileBytes(Target, std::string(3 << 20, 'o'));
    std::string Large;
    for (int i = 0; Large.size() < (2 << 20) + 123; ++i) Large += std::to_string(i) + ";";

    TFileReplacingSink().Write(Target.string(), Large);
    EXPECT_TRUE(ReadFileBytes(Target) == Large);
}

TEST(Writer, ReplacesTheWholeOldContentAndKeepsItsMode) {
    TempDir Dir;
    const fs::path Target = Dir / "list.csv";
    WriteFileBytes(Target, std::string(5000, 'o'));
    fs::permissions(Target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    TFileReplacingSink().Write(Target.string(), "short\r\n");
    EXPECT_EQ(DirectorySnapshot(Dir.Path()), std::set<std::string>{"list.csv=short\r\n"});
    EXPECT_EQ(fs::status(Target).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(Writer, NewFileGetsTheModeThatCreatingItWouldGive) {
    TempDir Dir;
    const mode_t Old = umask(022);
    TFileReplacingSink().Write((Dir / "new.sql").string(), "x");
    umask(Old);
    struct stat Status {};
    ASSERT_EQ(stat((Dir / "new.sql").c_str(), &Status), 0);
    EXPECT_EQ(Status.st_mode & 07777, 0644u);
}

TEST(Writer, NameAtTheFileSystemLimitIsWritten) {
    TempDir Dir;
    const std::string Name(255, 'a');
    TFileReplacingSink().Write((Dir / Name).string(), "long");
    EXPECT_EQ(DirectorySnapshot(Dir.Path()), std::set<std::string>{Name + "=long"});
}

TEST(Writer, SymbolicLinkStaysALinkToTheNewContent) {
    TempDir Dir;
    fs::create_directory(Dir / "real");
    WriteFileBytes(Dir / "real" / "dump.sql", "old");
    fs::create_symlink("real/dump.sql", Dir / "link.sql");

    TFileReplacingSink().Write((Dir / "link.sql").string(), "new");
    EXPECT_TRUE(fs::is_symlink(Dir / "link.sql"));
    EXPECT_EQ(ReadFileBytes(Dir / "real" / "dump.sql"), "new");
    EXPECT_EQ(DirectorySnapshot(Dir.Path()), (std::set<std::string>{"link.sql", "real", "real/dump.sql=new"}));
}

TEST(Writer, PipeIsWrittenIntoNotReplaced) {
    TempDir Dir;
    const fs::path Fifo = Dir / "pipe";
    ASSERT_EQ(mkfifo(Fifo.c_str(), 0600), 0);
    const int Reader = open(Fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(Reader, 0);

    TFileReplacingSink().Write(Fifo.string(), "through the pipe\r\n");
    char Buffer[64] = {};
    const ssize_t Got = read(Reader, Buffer, sizeof Buffer);
    close(Reader);
    EXPECT_EQ(std::string(Buffer, Got > 0 ? static_cast<std::size_t>(Got) : 0), "through the pipe\r\n");
    EXPECT_TRUE(fs::is_fifo(Fifo));
    EXPECT_EQ(DirectorySnapshot(Dir.Path()), std::set<std::string>{"pipe"});
}

// Only meaningful for an ordinary user: root may replace any file.
TEST(Writer, ReadOnlyFileIsNotReplaced) {
    if (geteuid() == 0) GTEST_SKIP() << "root bypasses file permissions";
    TempDir Dir;
    const fs::path Target = Dir / "locked.csv";
    WriteFileBytes(Target, "keep me");
    fs::permissions(Target, fs::perms::owner_read);
    EXPECT_THROW(TFileReplacingSink().Write(Target.string(), "new"), EFCreateError);
    EXPECT_EQ(DirectorySnapshot(Dir.Path()), std::set<std::string>{"locked.csv=keep me"});
}

TEST(DescriptorSink, WritesEveryByteAndReportsAFullDevice) {
    int Pipe[2];
    ASSERT_EQ(pipe(Pipe), 0);
    TDescriptorSink(Pipe[1]).Write("ignored", "line\r\n");
    close(Pipe[1]);
    char Buffer[16] = {};
    EXPECT_EQ(read(Pipe[0], Buffer, sizeof Buffer), 6);
    close(Pipe[0]);
    EXPECT_STREQ(Buffer, "line\r\n");

    const int Full = open("/dev/full", O_WRONLY);
    ASSERT_GE(Full, 0);
    EXPECT_THROW(TDescriptorSink(Full).Write("-", "x"), EWriteError);
    close(Full);
}

}  // namespace
