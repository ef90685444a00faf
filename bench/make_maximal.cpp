// Writes the largest possible .cxf file, for timing whole runs of
// zanvero-cli: zanvero-make-maximal [--markers|--changed] PATH
// With --markers every channel is a package marker of its own; --changed
// writes it after a scan that changed a good part of it.
#include <cstdio>
#include <cstring>
#include <exception>

#include "CxfImageBuilder.h"

int main(int argc, char* argv[]) {
    const bool Markers = argc == 3 && std::strcmp(argv[1], "--markers") == 0;
    const bool Changed = argc == 3 && std::strcmp(argv[1], "--changed") == 0;
    if (argc != 2 && !Markers && !Changed) {
        std::fprintf(stderr, "usage: zanvero-make-maximal [--markers|--changed] PATH\n");
        return 2;
    }
    try {
        const testsupport::CxfImageBuilder Image = Markers   ? testsupport::MarkerImage()
                                                   : Changed ? testsupport::ChangedMaximalImage()
                                                             : testsupport::MaximalImage();
        Image.WriteTo(argv[argc - 1]);
    } catch (const std::exception& Error) {
        std::fprintf(stderr, "zanvero-make-maximal: %s\n", Error.what());
        return 1;
    }
    return 0;
}
