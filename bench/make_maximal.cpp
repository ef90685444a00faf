// Writes the largest possible .cxf file, for timing whole runs of
// zanvero-cli: zanvero-make-maximal [--markers] PATH
// With --markers every channel is a package marker of its own.
#include <cstdio>
#include <cstring>
#include <exception>

#include "CxfImageBuilder.h"

int main(int argc, char* argv[]) {
    const bool Markers = argc == 3 && std::strcmp(argv[1], "--markers") == 0;
    if (argc != 2 && !Markers) {
        std::fprintf(stderr, "usage: zanvero-make-maximal [--markers] PATH\n");
        return 2;
    }
    try {
        (Markers ? testsupport::MarkerImage() : testsupport::MaximalImage()).WriteTo(argv[argc - 1]);
    } catch (const std::exception& Error) {
        std::fprintf(stderr, "zanvero-make-maximal: %s\n", Error.what());
        return 1;
    }
    return 0;
}
