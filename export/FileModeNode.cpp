// The file creation mask of the Node process that runs a WebAssembly build.
// Emscripten's C library keeps a mask of its own, all bits set, that no file
// on the real file system ever sees: taken from there, every file would get
// mode 000 and could then not be replaced. Node knows the real one.
#include "FileModeUnit.h"

#include <emscripten/emscripten.h>

namespace {

// The host process's mask; 022, the usual one, where there is no Node (the
// browser's module, which writes into memory only).
EM_JS(int, HostFileCreationMask, (), {
    return typeof process === 'object' && typeof process.umask === 'function' ? process.umask() : 18;
});

}  // namespace

mode_t NewFileMode() {
    return 0666 & ~static_cast<mode_t>(HostFileCreationMask());
}
