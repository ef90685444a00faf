#include "FileReadUnit.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

#include "CxfFileUnit.h"

namespace {

[[noreturn]] void FailOpen(const std::string& FileName, int Error) {
    switch (Error) {
        case ENOENT: {
            // A missing file in an existing directory is "not found"; a path
            // through a directory that does not exist is no valid name.
            const std::filesystem::path Parent = std::filesystem::path(FileName).parent_path();
            std::error_code Ignored;
            if (Parent.empty() || std::filesystem::is_directory(Parent, Ignored))
                throw EInOutError("File not found", 2);
            throw EInOutError("Invalid filename", 123);
        }
        case ENOTDIR:
        case ENAMETOOLONG:
        case EINVAL:
        case ELOOP:
            throw EInOutError("Invalid filename", 123);
        case EMFILE:
        case ENFILE:
            throw EInOutError("Too many open files", 4);
        case EACCES:
        case EPERM:
        case EISDIR:
            throw EInOutError("File access denied", 5);
        default:
            throw EInOutError("I/O error " + std::to_string(Error), Error);
    }
}

}  // namespace

std::size_t ReadFileStart(const std::string& FileName, std::span<std::uint8_t> Buffer) {
    const int Fd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (Fd < 0) FailOpen(FileName, errno);

    std::size_t Done = 0;
    int Error = 0;
    while (Done < Buffer.size()) {
        const ssize_t N = ::read(Fd, Buffer.data() + Done, Buffer.size() - Done);
        if (N < 0 && errno == EINTR) continue;
        if (N < 0) {
            Error = errno;
            break;
        }
        if (N == 0) break;
        Done += static_cast<std::size_t>(N);
    }
    ::close(Fd);
    if (Error == EISDIR) FailOpen(FileName, Error);
    if (Error != 0) throw EInOutError("I/O error " + std::to_string(Error), Error);
    return Done;
}
