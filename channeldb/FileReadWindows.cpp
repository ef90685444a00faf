#include "FileReadUnit.h"

#include <windows.h>

#include <algorithm>

#include "WindowsTextUnit.h"

namespace {

[[noreturn]] void Fail(DWORD Error) {
    const int Code = static_cast<int>(Error);
    switch (Error) {
        case ERROR_FILE_NOT_FOUND:
            throw EInOutError("File not found", Code);
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
            throw EInOutError("Invalid filename", Code);
        case ERROR_TOO_MANY_OPEN_FILES:
            throw EInOutError("Too many open files", Code);
        case ERROR_ACCESS_DENIED:
            throw EInOutError("File access denied", Code);
        default:
            throw EInOutError("I/O error " + std::to_string(Error), Code);
    }
}

// Closes the handle on every way out.
class THandle {
public:
    explicit THandle(HANDLE Handle) : FHandle(Handle) {}
    ~THandle() { ::CloseHandle(FHandle); }
    THandle(const THandle&) = delete;
    THandle& operator=(const THandle&) = delete;
    HANDLE Get() const { return FHandle; }

private:
    HANDLE FHandle;
};

}  // namespace

std::size_t ReadFileStart(const std::string& FileName, std::span<std::uint8_t> Buffer) {
    const std::optional<std::wstring> Wide = WideFromUtf8(FileName);
    if (!Wide) Fail(ERROR_INVALID_NAME);
    // The receiver's own tools may still have the file open, for writing too.
    const HANDLE Opened = ::CreateFileW(Wide->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (Opened == INVALID_HANDLE_VALUE) Fail(::GetLastError());
    const THandle File(Opened);
    // A pipe would wait for its writer, a device such as CON for input, and
    // NUL would read as empty. (A directory does not open at all.)
    switch (::GetFileType(File.Get())) {
        case FILE_TYPE_DISK:
            break;
        case FILE_TYPE_PIPE:
            throw SpecialFileError(TSpecialFile::Pipe);
        case FILE_TYPE_UNKNOWN:
            if (::GetLastError() != NO_ERROR) Fail(::GetLastError());
            [[fallthrough]];
        default:
            throw SpecialFileError(TSpecialFile::Device);
    }

    std::size_t Done = 0;
    while (Done < Buffer.size()) {
        const DWORD Wanted = static_cast<DWORD>(std::min<std::size_t>(Buffer.size() - Done, 1u << 30));
        DWORD Got = 0;
        if (!::ReadFile(File.Get(), Buffer.data() + Done, Wanted, &Got, nullptr)) Fail(::GetLastError());
        if (Got == 0) break;
        Done += Got;
    }
    return Done;
}
