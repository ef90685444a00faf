// Writes .cxf images that reach the corners of every export, for comparing
// the converters of two systems byte for byte: zanvero-make-samples DIR
// DIR/changed/ holds later versions of two of them, each under the same name,
// for comparing change reports.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "CxfImageBuilder.h"
#include "DemoCxf.h"

namespace {

using namespace testsupport;

// Names that the CSV, SQL and HTML texts must each treat in their own way,
// every flag, all four polarisations, a west position, a transponder on no
// satellite, a satellite without a name, packages with and without pay-TV,
// and records that the loader drops or empties.
CxfImageBuilder Corners() {
    CxfImageBuilder Image;
    Image.Satellite(0, {"Astra 19.2E", 192})
        .Satellite(1, {"Thor \"West\" 0.8", 3592 | 0x1000})
        .Satellite(2, {"Sat <&> 'x'\\", 1300 | 0x2000})
        .Satellite(4, {"T\xC3\xBCrksat \xE2\x82\xAC", 420})
        .Transponder(0, {11494, 22000, 0, 0, 1, 1101})
        .Transponder(1, {11836 | 1 << 14, 27500, 1, 1, 70, 1102})
        .Transponder(2, {12111 | 2 << 14, 27500, 200, 0, 318, 5400})
        .Transponder(3, {10758 | 3 << 14, 30000, 2, 0, 2, 3})
        .Transponder(4, {12604, 22000, 3, 0, 4, 5})
        .Transponder(5, {11000, 29700, 4, 1, 6, 7})
        .Channel(0, {"Vorher", 0, 100, 101, 100, 0, 1})
        .Channel(1, {"<ARD>", 0, 0, 0, 0, 0, 2})
        .Channel(2, {"Das Erste", 0, 101, 102, 101, 104, 28106})
        .Channel(3, {"<$ Sky \"DE\" >", 0, 0, 0, 0, 0, 3})
        .Channel(4, {"Sky \"1\"; O'Neil\\", 0, 0x2000 | 255, 256, 255, 0, 4})
        .Channel(5, {"\xC3\x84rger \xE2\x82\xAC <b>&amp;", 0, 0x1000, 7, 0, 0, 5})
        .Channel(6, {"Radio", 0, 0, 8, 0, 0, 6})
        .Channel(7, {"dropped", 1023, 9, 9, 9, 9, 7})
        .Channel(8, {"West\x01 UF", 1, 10, 11, 10, 0, 8})
        .Channel(9, {"<ard>", 1, 0, 0, 0, 0, 9})
        .Channel(10, {"Nirgends", 2, 12, 13, 12, 0, 10})
        .Channel(11, {"\xE4xy", 3, 14, 15, 14, 0, 11})
        .Channel(12, {"<>", 3, 0, 0, 0, 0, 12})
        .Channel(13, {"Ohne Namen", 4, 16, 17, 16, 0, 13})
        .Channel(14, {"\xC2\xA0 T\xC3\xBCrk \xC3\xA7 ", 5, 18, 19, 18, 20, 14})
        .Channel(15, {"<$Pay>", 5, 0, 0, 0, 0, 15})
        .Channel(16, {"Pay 1", 5, 0x3000 | 21, 22, 21, 0, 16});
    return Image;
}

// Corners() after a later scan: a name that only its quotes tell apart, one a
// spreadsheet would run, a renamed satellite, a retuned transponder, a
// channel whose UF flag and one whose video PID changed, one gone and one new.
CxfImageBuilder ChangedCorners() {
    CxfImageBuilder Image = Corners();
    Image.Satellite(4, {"T\xC3\xBCrksat 42E", 420})
        .Transponder(3, {10759 | 3 << 14, 30000, 2, 0, 2, 3})
        .Channel(2, {"=Das Erste", 0, 101, 102, 101, 104, 28106})
        .Channel(4, {"Sky '1'; O'Neil\\", 0, 0x2000 | 255, 256, 255, 0, 4})
        .Channel(6, {"Radio", 0, 0x1000, 8, 0, 0, 6})
        .Channel(8, {"West\x01 UF", 1, 0x2000 | 10, 11, 10, 0, 8})
        .Channel(13, {"", 0x3FF})
        .Channel(20, {"Neu \"1\"", 5, 30, 31, 30, 0, 21});
    return Image;
}

// Satellites whose names differ only in what the page names replace by "_":
// the later ones' pages are written over the earlier ones' in the same run.
CxfImageBuilder RepeatedPageNames() {
    CxfImageBuilder Image;
    const char* const Names[] = {"Astra 19.2E", "Astra-19.2E", "Astra 19,2E", "Astra/19.2E"};
    for (int i = 0; i < 4; ++i) {
        Image.Satellite(i, {Names[i], static_cast<std::uint16_t>(192 + i)})
            .Transponder(i, {static_cast<std::uint16_t>(11494 + i), 22000, static_cast<std::uint8_t>(i), 0, 1,
                             static_cast<std::uint16_t>(1101 + i)})
            .Channel(i, {"Kanal " + std::to_string(i), static_cast<std::uint16_t>(i), 101, 102, 101, 0,
                         static_cast<std::uint16_t>(28106 + i)});
    }
    return Image;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zanvero-make-samples DIR\n");
        return 2;
    }
    try {
        const std::filesystem::path Dir = argv[1];
        std::filesystem::create_directories(Dir);
        Corners().WriteTo(Dir / "corners.cxf");
        RepeatedPageNames().WriteTo(Dir / "repeated-names.cxf");
        CxfImageBuilder().Magic("CXF1").WriteTo(Dir / "wrong-magic.cxf");
        CxfImageBuilder Short = Corners();
        Short.Bytes().resize(CxfFileSize - 1);
        Short.WriteTo(Dir / "short.cxf");
        std::filesystem::create_directories(Dir / "changed");
        ChangedCorners().WriteTo(Dir / "changed" / "corners.cxf");
        const auto Demo = BuildChangedDemoImage();
        WriteFileBytes(Dir / "changed" / "demo.cxf",
                       std::string_view(reinterpret_cast<const char*>(Demo.data()), Demo.size()));
    } catch (const std::exception& Error) {
        std::fprintf(stderr, "zanvero-make-samples: %s\n", Error.what());
        return 1;
    }
    return 0;
}
