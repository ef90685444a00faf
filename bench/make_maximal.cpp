// Writes the largest possible .cxf file, for timing whole runs of
// zanvero-cli: zanvero-make-maximal PATH
#include <cstdio>
#include <exception>

#include "CxfImageBuilder.h"

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zanvero-make-maximal PATH\n");
        return 2;
    }
    try {
        testsupport::MaximalImage().WriteTo(argv[1]);
    } catch (const std::exception& Error) {
        std::fprintf(stderr, "zanvero-make-maximal: %s\n", Error.what());
        return 1;
    }
    return 0;
}
