#include "DirectoriesUnit.h"

#include <windows.h>

#include <filesystem>

#include "WindowsTextUnit.h"

namespace {

DWORD Attributes(const std::string& Name) {
    const std::optional<std::wstring> Wide = WideFromUtf8(Name);
    if (Name.empty() || !Wide) return INVALID_FILE_ATTRIBUTES;
    return ::GetFileAttributesW(Wide->c_str());
}

bool IsDirectory(const std::wstring& Path) {
    const DWORD Found = ::GetFileAttributesW(Path.c_str());
    return Found != INVALID_FILE_ATTRIBUTES && (Found & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsSeparator(wchar_t C) { return C == L'\\' || C == L'/'; }

// Creates Path (absolute) after its missing parents; 0 or the first error.
DWORD CreateWithParents(std::wstring Path) {
    while (Path.size() > 3 && IsSeparator(Path.back())) Path.pop_back();
    const DWORD Found = ::GetFileAttributesW(Path.c_str());
    if (Found != INVALID_FILE_ATTRIBUTES)
        return (Found & FILE_ATTRIBUTE_DIRECTORY) != 0 ? 0 : ERROR_DIRECTORY;  // a file stands in the way

    const std::filesystem::path Parent = std::filesystem::path(Path).parent_path();
    if (!Parent.empty() && Parent.wstring() != Path) {
        if (const DWORD Error = CreateWithParents(Parent.wstring())) return Error;
    }
    if (::CreateDirectoryW(Path.c_str(), nullptr)) return 0;
    const DWORD Error = ::GetLastError();
    return Error == ERROR_ALREADY_EXISTS && IsDirectory(Path) ? 0 : Error;
}

}  // namespace

bool DirectoryExists(const std::string& Name) {
    const DWORD Found = Attributes(Name);
    return Found != INVALID_FILE_ATTRIBUTES && (Found & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExists(const std::string& Name) {
    const DWORD Found = Attributes(Name);
    return Found != INVALID_FILE_ATTRIBUTES && (Found & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool ForceDirectories(const std::string& Name, std::string* Reason) {
    const std::optional<std::wstring> Wide = WideFromUtf8(Name);
    DWORD Error = ERROR_INVALID_NAME;
    if (!Name.empty() && Wide) {
        const std::wstring Full = FullPathName(*Wide);
        Error = CreateWithParents(Full);
        if (Error == 0 && IsDirectory(Full)) return true;
    }
    if (Reason != nullptr) *Reason = SystemErrorMessage(Error != 0 ? Error : ERROR_DIRECTORY);
    return false;
}

std::string ParentDirectory(const std::string& FileName) {
    const std::optional<std::wstring> Wide = WideFromUtf8(FileName);
    if (!Wide) return {};
    return Utf8FromWide(std::filesystem::path(*Wide).parent_path().wstring());
}
