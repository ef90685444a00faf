// Linux: the bytes are lent to a pipe page by page (vmsplice) and spliced
// from it into the file, so the only copy is the kernel's from page to page.
#include "FileSpliceUnit.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

namespace {

// Below this the pipe's setup costs more than the copy it saves.
constexpr std::size_t MinimumSize = 64 * 1024;
constexpr int PipeSize = 1024 * 1024;

// Empties the pipe into the file; false when the file took fewer bytes.
bool Drain(int From, int Fd, std::size_t Count, std::size_t& Done) {
    while (Count > 0) {
        const ssize_t N = ::splice(From, nullptr, Fd, nullptr, Count, SPLICE_F_MOVE);
        if (N < 0 && errno == EINTR) continue;
        if (N <= 0) return false;
        Count -= static_cast<std::size_t>(N);
        Done += static_cast<std::size_t>(N);
    }
    return true;
}

}  // namespace

std::size_t SpliceIntoFile(int Fd, std::string_view Bytes) {
    if (Bytes.size() < MinimumSize) return 0;
    int Pipe[2];
    if (::pipe2(Pipe, O_CLOEXEC) != 0) return 0;
    // A larger pipe takes the output in fewer rounds; refused, the default works too.
    ::fcntl(Pipe[1], F_SETPIPE_SZ, PipeSize);

    std::size_t Done = 0;
    while (Done < Bytes.size()) {
        iovec Part{const_cast<char*>(Bytes.data() + Done), Bytes.size() - Done};
        const ssize_t Lent = ::vmsplice(Pipe[1], &Part, 1, 0);
        if (Lent < 0 && errno == EINTR) continue;
        // Bytes lent but not taken by the file go with the pipe; the caller
        // writes them again from Done.
        if (Lent <= 0 || !Drain(Pipe[0], Fd, static_cast<std::size_t>(Lent), Done)) break;
    }
    ::close(Pipe[0]);
    ::close(Pipe[1]);
    return Done;
}
