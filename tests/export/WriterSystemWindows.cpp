// The writer's tests on Windows: the system's side of ExportWriterTest.cpp
// (its texts with the full "\" path, the wide API), and what only this
// system has (a file held open without sharing, the device NUL).
#include "WriterSystem.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <set>

#include "CxfExportWriter.h"
#include "CxfImageBuilder.h"
#include "TestProcess.h"
#include "WindowsTextUnit.h"

namespace writertest {

namespace fs = std::filesystem;

std::optional<std::string> SystemErrorText(TFailure Failure) {
    switch (Failure) {
        case TFailure::NotFound: return SystemErrorMessage(ERROR_PATH_NOT_FOUND);
        case TFailure::AccessDenied:
        case TFailure::IsADirectory: return SystemErrorMessage(ERROR_ACCESS_DENIED);
        default: return std::nullopt;
    }
}

std::string CoreName(const fs::path& Path) { return Utf8FromWide(Path.wstring()); }

bool MakeReadOnly(const fs::path& Path) {
    return ::SetFileAttributesW(Path.c_str(), FILE_ATTRIBUTE_READONLY) != 0;
}

void MarkFile(const fs::path& Path) { ::SetFileAttributesW(Path.c_str(), FILE_ATTRIBUTE_HIDDEN); }

bool IsMarked(const fs::path& Path) { return (::GetFileAttributesW(Path.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0; }

int OpenTextDescriptor(const fs::path& Path) {
    return ::_wopen(Path.c_str(), _O_WRONLY | _O_CREAT | _O_TEXT, _S_IREAD | _S_IWRITE);
}

void CloseDescriptor(int Descriptor) { ::_close(Descriptor); }

}  // namespace writertest

namespace {

namespace fs = std::filesystem;
using namespace testsupport;
using writertest::CoreName;

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
        EXPECT_THROW(TFileReplacingSink().Write(CoreName(Dir / "open.sql"), "new"), EFCreateError);
    }
    EXPECT_EQ(DirectorySnapshot(Dir.Path()), std::set<std::string>{"open.sql=the previous export\r\n"});
}

TEST(WindowsWriter, DeviceIsWrittenIntoNotReplaced) {
    EXPECT_NO_THROW(TFileReplacingSink().Write("NUL", "into nothing\r\n"));
}

}  // namespace
