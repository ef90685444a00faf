// Writes the demo .cxf file: zanvero-make-demo PATH
#include <cstdio>
#include <exception>

#include "CxfImageBuilder.h"
#include "DemoCxf.h"

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zanvero-make-demo PATH\n");
        return 2;
    }
    try {
        const auto Image = BuildDemoImage();
        testsupport::WriteFileBytes(argv[1], std::string_view(reinterpret_cast<const char*>(Image.data()), Image.size()));
    } catch (const std::exception& Error) {
        std::fprintf(stderr, "zanvero-make-demo: %s\n", Error.what());
        return 1;
    }
    return 0;
}
