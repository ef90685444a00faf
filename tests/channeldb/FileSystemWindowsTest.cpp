// Loading and directories on Windows: Win32 error codes become the loader's
// texts, and UTF-8 names reach the wide API unharmed.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <string>

#include "CxfFileUnit.h"
#include "CxfImageBuilder.h"
#include "DirectoriesUnit.h"
#include "WindowsTextUnit.h"

namespace {

namespace fs = std::filesystem;
using namespace testsupport;

std::string Utf8(const fs::path& Path) { return Utf8FromWide(Path.wstring()); }

TEST(WindowsLoad, ErrorCodesGiveTheLoadersTexts) {
    const TempDir Dir;
    WriteFileBytes(Dir / "plain.txt", "x");
    WriteFileBytes(Dir / "held.cxf", "x");
    const HANDLE Holder = ::CreateFileW((Dir / "held.cxf").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(Holder, INVALID_HANDLE_VALUE);

    const struct {
        std::string Path;
        std::string Message;
        int Code;
    } Cases[] = {
        {Utf8(Dir / "missing.cxf"), "File not found", ERROR_FILE_NOT_FOUND},
        {Utf8(Dir / "no-such-dir" / "x.cxf"), "Invalid filename", ERROR_PATH_NOT_FOUND},
        {Utf8(Dir / "what?.cxf"), "Invalid filename", ERROR_INVALID_NAME},
        {Utf8(Dir.Path()) + "\\K\xE4se.cxf", "Invalid filename", ERROR_INVALID_NAME},  // not UTF-8
        {Utf8(Dir.Path()), "File access denied", ERROR_ACCESS_DENIED},
        {Utf8(Dir / "held.cxf"), "I/O error 32", ERROR_SHARING_VIOLATION},
    };
    for (const auto& Case : Cases) {
        try {
            TCxfFile File(Case.Path, ',');
            ADD_FAILURE() << "no error for " << Case.Path;
        } catch (const EInOutError& Error) {
            EXPECT_EQ(std::string(Error.what()), Case.Message) << Case.Path;
            EXPECT_EQ(Error.ErrorCode, Case.Code) << Case.Path;
        }
    }
    ::CloseHandle(Holder);
}

// A pipe whose server never writes, and a device: a read from either would
// wait or come back empty. Both are refused before anything reads.
TEST(WindowsLoad, PipesAndDevicesAreRefusedAtOnce) {
    const std::wstring PipeName = L"\\\\.\\pipe\\zanvero-test-" + std::to_wstring(::GetCurrentProcessId());
    const HANDLE Server =
        ::CreateNamedPipeW(PipeName.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 0, 0, 0, nullptr);
    ASSERT_NE(Server, INVALID_HANDLE_VALUE);
    const struct {
        std::string Path;
        std::string Message;
    } Cases[] = {
        {Utf8FromWide(PipeName), "Die Datei ist keine .cxf-Datei: sie ist eine Pipe."},
        {"NUL", "Die Datei ist keine .cxf-Datei: sie ist ein Gerät."},
    };
    for (const auto& Case : Cases) {
        auto Load = std::async(std::launch::async, [&Case]() -> std::string {
            try {
                TCxfFile File(Case.Path, ',');
            } catch (const ECxfError& Error) {
                return Error.what();
            }
            return "(loaded)";
        });
        if (Load.wait_for(std::chrono::seconds(20)) == std::future_status::timeout) {
            ::DisconnectNamedPipe(Server);  // ends a read that waits on the pipe
            ADD_FAILURE() << "the load waited on " << Case.Path;
        }
        EXPECT_EQ(Load.get(), Case.Message) << Case.Path;
    }
    ::CloseHandle(Server);
}

TEST(WindowsDirectories, UnicodeFoldersAreCreatedWithTheirParentsAndFound) {
    const TempDir Dir;
    const fs::path Folder = Dir.Path() / L"Kan\u00e4le" / L"\u041a\u0430\u043d\u0430\u043b\u044b";
    EXPECT_FALSE(DirectoryExists(Utf8(Folder)));
    EXPECT_TRUE(ForceDirectories(Utf8(Folder) + "\\"));
    EXPECT_TRUE(fs::is_directory(Folder));
    EXPECT_TRUE(DirectoryExists(Utf8(Folder)));

    const fs::path File = Folder / L"Sender \u00fc.cxf";
    CxfImageBuilder().Satellite(0, {"Astra", 192}).WriteTo(File);
    EXPECT_TRUE(FileExists(Utf8(File)));
    EXPECT_FALSE(FileExists(Utf8(Folder)));
    EXPECT_EQ(TCxfFile(Utf8(File), ',').Satellites().front()->Name, "Astra");
    EXPECT_EQ(ParentDirectory(Utf8(File)), Utf8(Folder));
}

TEST(WindowsDirectories, FileInTheWayIsReported) {
    const TempDir Dir;
    WriteFileBytes(Dir / "file", "x");
    std::string Reason;
    EXPECT_FALSE(ForceDirectories(Utf8(Dir / "file" / "sub"), &Reason));
    EXPECT_EQ(Reason, SystemErrorMessage(ERROR_DIRECTORY));
    EXPECT_FALSE(ForceDirectories("", &Reason));
}

}  // namespace
