// Replacing files and writing to descriptors on Windows. Names are UTF-8 and
// reach the system through its wide API.
#include "CxfExportWriter.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cwchar>

#include "WindowsTextUnit.h"

namespace {

[[noreturn]] void FailCreate(const std::string& Path, DWORD Error) {
    throw EFCreateError("Cannot create file \"" + Path + "\". " + SystemErrorMessage(Error));
}

[[noreturn]] void FailCreate(const std::wstring& Path, DWORD Error) { FailCreate(Utf8FromWide(Path), Error); }

[[noreturn]] void FailWrite() { throw EWriteError("Stream write error"); }

bool WriteAll(HANDLE File, std::string_view Bytes) {
    while (!Bytes.empty()) {
        const DWORD Wanted = static_cast<DWORD>(std::min<std::size_t>(Bytes.size(), 1u << 30));
        DWORD Done = 0;
        if (!::WriteFile(File, Bytes.data(), Wanted, &Done, nullptr) || Done == 0) return false;
        Bytes.remove_prefix(Done);
    }
    return true;
}

// What a replaced file keeps of its attributes (read-only files are refused).
constexpr DWORD KeptAttributes =
    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// A device ("NUL", "\\.\COM1") cannot be replaced by a file; the bytes go
// straight into it instead.
bool IsDevice(const std::wstring& FullPath) { return FullPath.rfind(L"\\\\.\\", 0) == 0; }

void WriteInPlace(const std::wstring& FullPath, std::string_view Bytes) {
    const HANDLE File = ::CreateFileW(FullPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (File == INVALID_HANDLE_VALUE) FailCreate(FullPath, ::GetLastError());
    const bool Written = WriteAll(File, Bytes);
    if (!::CloseHandle(File) || !Written) FailWrite();
}

// A new, empty file beside the target, on the same volume, so that it can
// take the target's place in one step; INVALID_HANDLE_VALUE with the reason
// in GetLastError when the folder does not let one be made.
HANDLE CreateTemporary(const std::wstring& Target, std::wstring& Name) {
    static unsigned Counter = 0;
    const std::wstring Folder = Target.substr(0, Target.find_last_of(L'\\') + 1);
    for (int Attempt = 0; Attempt < 100; ++Attempt) {
        wchar_t Suffix[32];
        std::swprintf(Suffix, 32, L"~zan%lx-%x.tmp", ::GetCurrentProcessId(), ++Counter);
        Name = Folder + Suffix;
        const HANDLE File =
            ::CreateFileW(Name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (File != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) return File;
    }
    return INVALID_HANDLE_VALUE;
}

}  // namespace

void TFileReplacingSink::Write(const std::string& FileName, std::string_view Bytes) {
    const std::optional<std::wstring> Wide = WideFromUtf8(FileName);
    if (!Wide) FailCreate(FileName, ERROR_INVALID_NAME);
    if (Wide->empty()) FailCreate(FileName, ERROR_PATH_NOT_FOUND);
    const std::wstring Target = FullPathName(*Wide);
    if (IsDevice(Target)) return WriteInPlace(Target, Bytes);

    const DWORD Attributes = ::GetFileAttributesW(Target.c_str());
    const bool Exists = Attributes != INVALID_FILE_ATTRIBUTES;
    if (Exists) {
        // A read-only file and a directory are refused, as creating them
        // anew would be; so is a file that another program holds open
        // without sharing it, before anything is written.
        if ((Attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0)
            FailCreate(Target, ERROR_ACCESS_DENIED);
        const HANDLE Probe = ::CreateFileW(Target.c_str(), GENERIC_WRITE | DELETE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (Probe == INVALID_HANDLE_VALUE) FailCreate(Target, ::GetLastError());
        ::CloseHandle(Probe);
    }

    std::wstring Temp;
    const HANDLE File = CreateTemporary(Target, Temp);
    if (File == INVALID_HANDLE_VALUE) FailCreate(Target, ::GetLastError());
    const bool Written = WriteAll(File, Bytes);
    if (!::CloseHandle(File) || !Written) {
        ::DeleteFileW(Temp.c_str());
        FailWrite();
    }

    // ReplaceFileW keeps the old file's attributes and security; a new file
    // is moved into place and flushed before the move counts as done. The
    // attributes are also set here, since Wine's ReplaceFileW drops them.
    if (Exists) ::SetFileAttributesW(Temp.c_str(), Attributes & KeptAttributes);
    const bool Replaced = Exists ? ::ReplaceFileW(Target.c_str(), Temp.c_str(), nullptr,
                                                  REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0
                                 : ::MoveFileExW(Temp.c_str(), Target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
    if (!Replaced) {
        const DWORD Error = ::GetLastError();
        ::SetFileAttributesW(Temp.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(Temp.c_str());
        FailCreate(Target, Error);
    }
}

TFoundFile TFileReplacingSink::Find(const std::string& FileName, std::size_t Limit) const {
    const std::optional<std::wstring> Wide = WideFromUtf8(FileName);
    // Such a name holds nothing; writing to it reports why.
    if (!Wide || Wide->empty()) return {};
    const std::wstring Target = FullPathName(*Wide);
    if (IsDevice(Target)) return {TFoundFile::Other, {}};
    const DWORD Attributes = ::GetFileAttributesW(Target.c_str());
    if (Attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD Error = ::GetLastError();
        const bool Missing = Error == ERROR_FILE_NOT_FOUND || Error == ERROR_PATH_NOT_FOUND;
        return {Missing ? TFoundFile::Nothing : TFoundFile::Other, {}};
    }
    if ((Attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return {TFoundFile::Other, {}};
    constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const HANDLE File =
        ::CreateFileW(Target.c_str(), GENERIC_READ, ShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (File == INVALID_HANDLE_VALUE) return {TFoundFile::Other, {}};
    LARGE_INTEGER Size{};
    bool Read = ::GetFileSizeEx(File, &Size) != 0;
    const auto Wanted = Read ? std::min<unsigned long long>(Limit, static_cast<unsigned long long>(Size.QuadPart)) : 0;
    TFoundFile Found{TFoundFile::File, std::string(static_cast<std::size_t>(Wanted), '\0')};
    std::size_t Done = 0;
    while (Read && Done < Found.Start.size()) {
        const DWORD Chunk = static_cast<DWORD>(std::min<std::size_t>(Found.Start.size() - Done, 1u << 30));
        DWORD Got = 0;
        if (!::ReadFile(File, Found.Start.data() + Done, Chunk, &Got, nullptr)) Read = false;
        if (!Read || Got == 0) break;
        Done += Got;
    }
    ::CloseHandle(File);
    if (!Read) return {TFoundFile::Other, {}};
    Found.Start.resize(Done);
    return Found;
}

void TDescriptorSink::Write(const std::string&, std::string_view Bytes) {
    // The bytes go out as they are: no CR before every LF.
    ::_setmode(FDescriptor, _O_BINARY);
    while (!Bytes.empty()) {
        const unsigned Wanted = static_cast<unsigned>(std::min<std::size_t>(Bytes.size(), 1u << 30));
        const int Done = ::_write(FDescriptor, Bytes.data(), Wanted);
        if (Done <= 0) FailWrite();
        Bytes.remove_prefix(static_cast<std::size_t>(Done));
    }
}
