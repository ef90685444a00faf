#include "CxfExportWriter.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string FullPath(const std::string& FileName) {
    std::error_code Ignored;
    const std::filesystem::path Absolute = std::filesystem::absolute(FileName, Ignored);
    return Absolute.empty() ? FileName : Absolute.string();
}

[[noreturn]] void FailCreate(const std::string& FileName, int Error) {
    throw EFCreateError("Cannot create file \"" + FullPath(FileName) + "\". " + std::strerror(Error));
}

// The mode a newly created file would get, or the old file's mode when the
// target exists, so that replacing a file does not change who may read it.
mode_t TargetMode(const std::string& FileName) {
    struct stat Existing {};
    if (::stat(FileName.c_str(), &Existing) == 0 && S_ISREG(Existing.st_mode)) return Existing.st_mode & 07777;
    const mode_t Mask = ::umask(0);
    ::umask(Mask);
    return 0666 & ~Mask;
}

}  // namespace

void TFileReplacingSink::Write(const std::string& FileName, std::string_view Bytes) {
    if (FileName.empty()) FailCreate(FileName, ENOENT);
    const std::filesystem::path Target(FileName);
    std::string Temp = (Target.parent_path() / ("." + Target.filename().string() + ".XXXXXX")).string();
    if (Target.parent_path().empty()) Temp = "." + Target.filename().string() + ".XXXXXX";

    const int Fd = ::mkstemp(Temp.data());
    if (Fd < 0) FailCreate(FileName, errno);

    auto Abandon = [&](auto&& Fail) {
        ::unlink(Temp.c_str());
        Fail();
    };

    std::size_t Done = 0;
    while (Done < Bytes.size()) {
        const ssize_t N = ::write(Fd, Bytes.data() + Done, Bytes.size() - Done);
        if (N < 0 && errno == EINTR) continue;
        if (N <= 0) {
            ::close(Fd);
            Abandon([] { throw EWriteError("Stream write error"); });
        }
        Done += static_cast<std::size_t>(N);
    }
    ::fchmod(Fd, TargetMode(FileName));
    if (::close(Fd) != 0) Abandon([] { throw EWriteError("Stream write error"); });
    if (::rename(Temp.c_str(), FileName.c_str()) != 0) {
        const int Error = errno;
        Abandon([&] { FailCreate(FileName, Error); });
    }
}

TOutputSink& DefaultFileSink() {
    static TFileReplacingSink Sink;
    return Sink;
}
