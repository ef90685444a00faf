// The writer's tests on Linux and other POSIX systems: the system's side of
// ExportWriterTest.cpp, and what only this system has (working directories,
// file size limits, the creation mask, links, pipes, full devices).
#include "WriterSystem.h"

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
#include "TestNames.h"
#include "TestProcess.h"

namespace writertest {

namespace fs = std::filesystem;

std::optional<std::string> SystemErrorText(TFailure Failure) {
    switch (Failure) {
        case TFailure::NotFound: return std::strerror(ENOENT);
        case TFailure::AccessDenied: return std::strerror(EACCES);
        case TFailure::IsADirectory: return std::strerror(EISDIR);
        case TFailure::NotADirectory: return std::strerror(ENOTDIR);
        case TFailure::NameTooLong: return std::strerror(ENAMETOOLONG);
    }
    return std::nullopt;
}

std::string CoreName(const fs::path& Path) { return Path.string(); }

bool MakeReadOnly(const fs::path& Path) {
    fs::permissions(Path, fs::perms::owner_read);
    return geteuid() != 0;
}

constexpr fs::perms Marked = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;

void MarkFile(const fs::path& Path) { fs::permissions(Path, Marked); }

bool IsMarked(const fs::path& Path) { return fs::status(Path).permissions() == Marked; }

int OpenTextDescriptor(const fs::path& Path) { return ::open(Path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600); }

void CloseDescriptor(int Descriptor) { ::close(Descriptor); }

}  // namespace writertest

namespace {

namespace fs = std::filesystem;
using namespace testsupport;

std::string ErrorText(int Code) { return std::strerror(Code); }

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

TEST(DescriptorSink, ReportsAFullDevice) {
    const int Full = open("/dev/full", O_WRONLY);
    ASSERT_GE(Full, 0);
    EXPECT_THROW(TDescriptorSink(Full).Write("-", "x"), EWriteError);
    close(Full);
}

struct TFindCase {
    const char* Label;
    // Puts something under the name; false where this process cannot make the case.
    std::function<bool(const fs::path& Name)> Prepare;
    TFoundFile::TKind Kind;
    std::string Start;  // of the first four bytes
};

void PrintTo(const TFindCase& Case, std::ostream* Out) { *Out << Case.Label; }

class WriterFind : public testing::TestWithParam<TFindCase> {};

// Looking follows a link and never waits on a pipe.
TEST_P(WriterFind, TellsWhatLiesUnderTheName) {
    TempDir Dir;
    WriteFileBytes(Dir / "page.html", "<html>");
    if (!GetParam().Prepare(Dir / "index.html")) GTEST_SKIP() << "this process may read any file";
    const TFoundFile Found = TFileReplacingSink().Find((Dir / "index.html").string(), 4);
    EXPECT_EQ(Found.Kind, GetParam().Kind);
    EXPECT_EQ(Found.Start, GetParam().Start);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, WriterFind,
    testing::Values(
        TFindCase{"LinkToAFile",
                  [](const fs::path& N) {
                      fs::create_symlink("page.html", N);
                      return true;
                  },
                  TFoundFile::File, "<htm"},
        TFindCase{"BrokenLink",
                  [](const fs::path& N) {
                      fs::create_symlink("none.html", N);
                      return true;
                  },
                  TFoundFile::Other, ""},
        TFindCase{"Pipe", [](const fs::path& N) { return mkfifo(N.c_str(), 0600) == 0; }, TFoundFile::Other, ""},
        TFindCase{"Unreadable",
                  [](const fs::path& N) {
                      WriteFileBytes(N, "mine");
                      fs::permissions(N, fs::perms::none);
                      return geteuid() != 0;
                  },
                  TFoundFile::Other, ""}),
    testsupport::LabelName());

}  // namespace
