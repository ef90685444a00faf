// The file creation mask of a POSIX process.
#include "FileModeUnit.h"

#include <sys/stat.h>

mode_t NewFileMode() {
    // Reading the mask means setting it; it is put back at once.
    const mode_t Mask = ::umask(0);
    ::umask(Mask);
    return 0666 & ~Mask;
}
