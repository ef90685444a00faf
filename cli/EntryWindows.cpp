// The program's entry on Windows: the command line comes in UTF-16 and is
// handed on as UTF-8, the form the core takes file names in there; the ANSI
// bytes of argv could not name a folder such as "Каналы".
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ZanveroCli.h"

namespace {

std::string ToUtf8(const wchar_t* Wide) {
    const int Length = ::WideCharToMultiByte(CP_UTF8, 0, Wide, -1, nullptr, 0, nullptr, nullptr);
    if (Length <= 1) return {};
    std::string Text(static_cast<std::size_t>(Length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, Wide, -1, Text.data(), Length, nullptr, nullptr);
    Text.pop_back();  // the terminating NUL
    return Text;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Messages end in LF as on Linux, and exported bytes on standard output
    // are never translated.
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    std::vector<std::string> Arguments;
    for (int i = 1; i < argc; ++i) Arguments.push_back(ToUtf8(argv[i]));
    return RunCli(Arguments);
}
