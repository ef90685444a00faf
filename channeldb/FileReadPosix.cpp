#include "FileReadUnit.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void FailOpen(const std::string& FileName, int Error) {
    switch (Error) {
        case ENOENT: {
            // A missing file in an existing directory is "not found"; a path
            // through a directory that does not exist is no valid name.
            const std::filesystem::path Parent = std::filesystem::path(FileName).parent_path();
            std::error_code Ignored;
            if (Parent.empty() || std::filesystem::is_directory(Parent, Ignored))
                throw EInOutError("File not found", FileNotFoundCode);
            throw EInOutError("Invalid filename", InvalidFileNameCode);
        }
        case ENOTDIR:
        case ENAMETOOLONG:
        case EINVAL:
        case ELOOP:
            throw EInOutError("Invalid filename", InvalidFileNameCode);
        case EMFILE:
        case ENFILE:
            throw EInOutError("Too many open files", TooManyOpenFilesCode);
        case EACCES:
        case EPERM:
        case EISDIR:
            throw EInOutError("File access denied", FileAccessDeniedCode);
        default:
            throw EInOutError("I/O error " + std::to_string(Error), Error);
    }
}

// Refuses all but a regular file: a directory as access denied; a FIFO,
// which would wait for a writer, a device such as /dev/zero or a terminal,
// which would never end or wait for input, and a socket, which is no file to
// read, as no .cxf file.
void RequireRegularFile(const std::string& FileName, const struct stat& Status) {
    if (S_ISREG(Status.st_mode)) return;
    if (S_ISDIR(Status.st_mode)) FailOpen(FileName, EISDIR);
    if (S_ISFIFO(Status.st_mode)) throw SpecialFileError(TSpecialFile::Pipe);
    if (S_ISSOCK(Status.st_mode)) throw SpecialFileError(TSpecialFile::Socket);
    throw SpecialFileError(TSpecialFile::Device);
}

// Closes the descriptor on every way out.
class TFileDescriptor {
public:
    explicit TFileDescriptor(int Fd) : FFd(Fd) {}
    ~TFileDescriptor() { ::close(FFd); }
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;
    int Get() const { return FFd; }

private:
    int FFd;
};

[[noreturn]] void FailRead(int Error) { throw EInOutError("I/O error " + std::to_string(Error), Error); }

}  // namespace

std::size_t ReadFileStart(const std::string& FileName, std::span<std::uint8_t> Buffer) {
    // The name is looked at before it is opened, since under Node (the
    // WebAssembly build) opening a FIFO waits for a writer whatever the
    // flags say. Here O_NONBLOCK keeps the open from waiting, and the opened
    // file is looked at once more, in case the name changed in between; a
    // regular file reads the same with the flag.
    struct stat Status {};
    if (::stat(FileName.c_str(), &Status) != 0) FailOpen(FileName, errno);
    RequireRegularFile(FileName, Status);
    const int Fd = ::open(FileName.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (Fd < 0) FailOpen(FileName, errno);
    const TFileDescriptor File(Fd);
    if (::fstat(File.Get(), &Status) != 0) FailRead(errno);
    RequireRegularFile(FileName, Status);

    std::size_t Done = 0;
    while (Done < Buffer.size()) {
        const ssize_t N = ::read(File.Get(), Buffer.data() + Done, Buffer.size() - Done);
        if (N < 0 && errno == EINTR) continue;
        if (N < 0) FailRead(errno);
        if (N == 0) break;
        Done += static_cast<std::size_t>(N);
    }
    return Done;
}
