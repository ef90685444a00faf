#include "DirectoriesUnit.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

bool DirectoryExists(const std::string& Name) {
    std::error_code Error;
    return !Name.empty() && std::filesystem::is_directory(Name, Error);
}

bool FileExists(const std::string& Name) {
    if (Name.empty()) return false;
    std::error_code Error;
    const auto Status = std::filesystem::status(Name, Error);
    return !Error && std::filesystem::exists(Status) && !std::filesystem::is_directory(Status);
}

bool ForceDirectories(const std::string& Name, std::string* Reason) {
    std::error_code Error;
    if (!Name.empty()) std::filesystem::create_directories(Name, Error);
    if (DirectoryExists(Name)) return true;
    if (Reason != nullptr) *Reason = Error ? Error.message() : std::strerror(Name.empty() ? ENOENT : ENOTDIR);
    return false;
}

std::string ParentDirectory(const std::string& FileName) {
    return std::filesystem::path(FileName).parent_path().string();
}
