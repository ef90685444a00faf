// Replacing files and writing to descriptors on Linux and other POSIX systems.
#include "CxfExportWriter.h"
#include "FileModeUnit.h"
#include "FileSpliceUnit.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string FullPath(const std::string& FileName) {
    if (FileName.empty()) return FileName;
    std::error_code Ignored;
    const std::filesystem::path Absolute = std::filesystem::absolute(FileName, Ignored);
    return Absolute.empty() ? FileName : Absolute.string();
}

[[noreturn]] void FailCreate(const std::string& FileName, int Error) {
    throw EFCreateError("Cannot create file \"" + FullPath(FileName) + "\". " + std::strerror(Error));
}

[[noreturn]] void FailWrite() { throw EWriteError("Stream write error"); }

// Writes every byte, resuming after short writes and interruptions.
bool WriteAll(int Fd, std::string_view Bytes) {
    std::size_t Done = 0;
    while (Done < Bytes.size()) {
        const ssize_t N = ::write(Fd, Bytes.data() + Done, Bytes.size() - Done);
        if (N < 0 && errno == EINTR) continue;
        if (N <= 0) return false;
        Done += static_cast<std::size_t>(N);
    }
    return true;
}

// The mode a newly created file would get, or the old file's mode when the
// target exists, so that replacing a file does not change who may read it.
mode_t TargetMode(const struct stat* Existing) {
    if (Existing != nullptr) return Existing->st_mode & 07777;
    return NewFileMode();
}

// A device, a pipe or a socket cannot be replaced by renaming a file over
// it (as root that would put a plain file in place of /dev/null); the bytes
// go straight into it instead.
void WriteInPlace(const std::string& FileName, std::string_view Bytes) {
    const int Fd = ::open(FileName.c_str(), O_WRONLY | O_CLOEXEC);
    if (Fd < 0) FailCreate(FileName, errno);
    const bool Written = WriteAll(Fd, Bytes);
    if (::close(Fd) != 0 || !Written) FailWrite();
}

// The temporary file lies beside the target and is named after it; a target
// name near the file system's limit must not make the temporary name too long.
std::string TemporaryPattern(const std::filesystem::path& Target) {
    constexpr std::size_t MaxStem = NAME_MAX - 16;
    std::string Stem = Target.filename().string();
    if (Stem.size() > MaxStem) Stem.resize(MaxStem);
    const std::string Name = "." + Stem + ".XXXXXX";
    return Target.parent_path().empty() ? Name : (Target.parent_path() / Name).string();
}

}  // namespace

void TFileReplacingSink::Write(const std::string& FileName, std::string_view Bytes) {
    if (FileName.empty()) FailCreate(FileName, ENOENT);

    // The file that is replaced: a symbolic link keeps pointing at the new
    // content instead of being replaced by a plain file. Only a link is
    // resolved; any other name serves as given, sparing a walk of its path.
    std::string Target = FileName;
    struct stat Existing {};
    bool Exists = ::lstat(FileName.c_str(), &Existing) == 0;
    const bool Link = Exists && S_ISLNK(Existing.st_mode);
    if (Link) Exists = ::stat(FileName.c_str(), &Existing) == 0;
    if (Exists) {
        if (S_ISDIR(Existing.st_mode)) FailCreate(FileName, EISDIR);
        if (!S_ISREG(Existing.st_mode)) return WriteInPlace(FileName, Bytes);
        // Renaming would replace a file that may not be written to; refuse
        // as creating it over the old one would.
        if (::access(FileName.c_str(), W_OK) != 0) FailCreate(FileName, errno);
        if (char* Resolved = Link ? ::realpath(FileName.c_str(), nullptr) : nullptr) {
            Target = Resolved;
            std::free(Resolved);
        }
    }

    std::string Temp = TemporaryPattern(Target);
    const int Fd = ::mkstemp(Temp.data());
    if (Fd < 0) FailCreate(FileName, errno);

    bool Written = WriteAll(Fd, Bytes.substr(SpliceIntoFile(Fd, Bytes)));
    if (Written) Written = ::fchmod(Fd, TargetMode(Exists ? &Existing : nullptr)) == 0;
    if (::close(Fd) != 0) Written = false;
    if (!Written) {
        ::unlink(Temp.c_str());
        FailWrite();
    }
    if (::rename(Temp.c_str(), Target.c_str()) != 0) {
        const int Error = errno;
        ::unlink(Temp.c_str());
        FailCreate(FileName, Error);
    }
}

TFoundFile TFileReplacingSink::Find(const std::string& FileName, std::size_t Limit) const {
    struct stat Entry {};
    if (::lstat(FileName.c_str(), &Entry) != 0) return {errno == ENOENT ? TFoundFile::Nothing : TFoundFile::Other, {}};
    // Only a regular file is opened: reading a pipe could wait for ever,
    // opening a device could act on it.
    if (S_ISLNK(Entry.st_mode) && ::stat(FileName.c_str(), &Entry) != 0) return {TFoundFile::Other, {}};
    if (!S_ISREG(Entry.st_mode)) return {TFoundFile::Other, {}};
    const int Fd = ::open(FileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (Fd < 0) return {TFoundFile::Other, {}};
    // The entry may have changed since it was looked at.
    bool Read = ::fstat(Fd, &Entry) == 0 && S_ISREG(Entry.st_mode);
    const std::size_t Wanted = Read ? std::min(Limit, static_cast<std::size_t>(Entry.st_size)) : 0;
    TFoundFile Found{TFoundFile::File, std::string(Wanted, '\0')};
    std::size_t Done = 0;
    while (Read && Done < Found.Start.size()) {
        const ssize_t N = ::read(Fd, Found.Start.data() + Done, Found.Start.size() - Done);
        if (N < 0 && errno == EINTR) continue;
        if (N < 0) Read = false;
        if (N <= 0) break;
        Done += static_cast<std::size_t>(N);
    }
    ::close(Fd);
    if (!Read) return {TFoundFile::Other, {}};
    Found.Start.resize(Done);
    return Found;
}

void TDescriptorSink::Write(const std::string&, std::string_view Bytes) {
    if (!WriteAll(FDescriptor, Bytes)) FailWrite();
}
