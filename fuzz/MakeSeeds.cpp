// Writes the fuzzers' seed corpus: zanvero-fuzz-seeds DIR
#include <cstdio>
#include <filesystem>
#include <string>

#include "CxfImageBuilder.h"
#include "DemoCxf.h"
#include "FuzzInput.h"

namespace {

using fuzzcxf::TExporter;
using fuzzcxf::TWork;

void Save(const std::filesystem::path& Dir, const std::string& Name, const TWork& Work,
          const std::vector<std::uint8_t>& Image) {
    const auto Header = fuzzcxf::EncodeWork(Work);
    std::string Bytes(Header.begin(), Header.end());
    Bytes.append(Image.begin(), Image.end());
    testsupport::WriteFileBytes(Dir / Name, Bytes);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zanvero-fuzz-seeds DIR\n");
        return 2;
    }
    using namespace testsupport;
    const std::filesystem::path Dir = argv[1];
    std::filesystem::create_directories(Dir);

    // The demo line-up once through each exporter, with different flags and
    // separators; the fuzzer finds the other combinations from there.
    const std::vector<std::uint8_t> Demo = BuildDemoImage();
    Save(Dir, "demo-csv", {.Exporter = TExporter::Csv, .ExcludeChannelVPID = true}, Demo);
    Save(Dir, "demo-sql", {.Exporter = TExporter::Sql, .ExcludeTransponderUF = true, .DecimalSeparator = '.'}, Demo);
    Save(Dir, "demo-html", {.Exporter = TExporter::Html, .ExcludeChannelUF = true, .ExcludeSatelliteUF = true}, Demo);
    Save(Dir, "empty", {}, CxfImageBuilder().Bytes());

    // Small images: only the header and the first records matter, the rest
    // is filled with empty slots by the fuzz target.
    CxfImageBuilder Small;
    Small.Offsets(16, 16 + 99 * 40, 16 + 99 * 40 + 999 * 10);
    Small.Satellite(0, {.Name = "A\xC3\xA4\xE2\x82\xAC<&>\"'", .PositionWord = 3601 | 0x3000});
    Small.Transponder(0, {.FirstWord = 0xFFFF, .SatelliteIndex = 0, .Flags = 1});
    Small.Transponder(1, {.FirstWord = 11000, .SatelliteIndex = 200});
    Small.Channel(0, {.Name = "<$ Pay >", .TransponderWord = 0});
    Small.Channel(1, {.Name = "x\\", .TransponderWord = 0, .VideoWord = 0x3FFF});
    Small.Channel(2, {.Name = "'\\'\"", .TransponderWord = 1});
    Save(Dir, "small-csv", {.Exporter = TExporter::Csv, .DecimalSeparator = '"'}, Small.Bytes());
    Save(Dir, "small-sql", {.Exporter = TExporter::Sql, .ExcludeSatelliteUF = true}, Small.Bytes());
    Save(Dir, "small-html", {.Exporter = TExporter::Html, .DecimalSeparator = '\xE4'}, Small.Bytes());
    Save(Dir, "small-utf8", {.Charset = fuzzcxf::TCharset::Utf8}, Small.Bytes());

    // Tables packed at the front so that a short input reaches channels.
    CxfImageBuilder Packed;
    Packed.Offsets(40, 16, 20);
    const std::vector<std::uint8_t> Head(Packed.Bytes().begin(), Packed.Bytes().begin() + 512);
    Save(Dir, "packed-head", {.Exporter = TExporter::Html}, Head);
    return 0;
}
