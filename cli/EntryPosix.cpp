// The program's entry on Linux: argv holds the file names' raw bytes,
// handed on unchanged.
#include <csignal>
#include <string>
#include <vector>

#include "ZanveroCli.h"

int main(int argc, char** argv) {
    // A closed pipe on standard output must end as a write error with its
    // message, not as a silent death by signal.
    std::signal(SIGPIPE, SIG_IGN);
    std::vector<std::string> Arguments;
    for (int i = 1; i < argc; ++i) Arguments.emplace_back(argv[i]);
    return RunCli(Arguments);
}
