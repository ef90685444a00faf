// The program's entry on Windows: the command line comes in UTF-16 and is
// handed on as UTF-8, the form the core takes file names in there; the ANSI
// bytes of argv could not name a folder such as "Каналы".
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "WindowsTextUnit.h"
#include "ZanveroCli.h"

int wmain(int argc, wchar_t** argv) {
    // Messages end in LF as on Linux, and exported bytes on standard output
    // are never translated.
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    std::vector<std::string> Arguments;
    for (int i = 1; i < argc; ++i) Arguments.push_back(Utf8FromWide(argv[i]));
    return RunCli(Arguments);
}
