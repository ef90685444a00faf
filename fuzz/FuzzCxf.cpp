// Arbitrary bytes as a .cxf image: load them and run every exporter with
// every combination of the four exclusion flags, checking what must hold for
// any input at all.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "CxfCSVExporterUnit.h"
#include "CxfHTMLExporterUnit.h"
#include "CxfImageBuilder.h"
#include "CxfSQLExporterUnit.h"
#include "MemorySink.h"

// The checks walk every byte of every output; tracing their comparisons
// would cost far more than the code under test and teach the fuzzer nothing.
#define NOT_TRACED __attribute__((no_sanitize("coverage")))

namespace {

[[noreturn]] void Violated(const char* What, std::string_view Detail) {
    std::fprintf(stderr, "invariant violated: %s\n%.*s\n", What, static_cast<int>(std::min<std::size_t>(Detail.size(), 400)),
                 Detail.data());
    std::abort();
}

NOT_TRACED std::vector<std::string_view> Lines(std::string_view Text) {
    std::vector<std::string_view> Result;
    if (Text.size() < 2 || Text.substr(Text.size() - 2) != "\r\n") Violated("output does not end with CR LF", Text);
    std::size_t Start = 0;
    while (Start < Text.size()) {
        const std::size_t End = Text.find("\r\n", Start);
        Result.push_back(Text.substr(Start, End - Start));
        Start = End + 2;
    }
    return Result;
}

NOT_TRACED void CheckCsv(std::string_view Csv, std::size_t Channels) {
    const auto All = Lines(Csv);
    if (All.empty() || All.size() > Channels + 1) Violated("CSV line count", Csv);
    for (const std::string_view Line : All) {
        // 18 fields, each quoted, none holding a quote of its own.
        std::size_t Quotes = 0;
        for (const char C : Line) {
            if (C == '"') ++Quotes;
            if (C == '\r' || C == '\n') Violated("CSV line break inside a line", Line);
        }
        if (Quotes != 36 || Line.front() != '"' || Line.back() != '"') Violated("CSV fields", Line);
        for (std::size_t i = 1; i + 1 < Line.size(); ++i)
            if (Line[i] == '"' && !(Line[i + 1] == ';' || Line[i - 1] == ';')) Violated("CSV field separator", Line);
    }
}

NOT_TRACED void CheckSql(std::string_view Sql) {
    for (const std::string_view Line : Lines(Sql)) {
        if (Line.substr(0, 7) != "INSERT ") continue;
        if (Line.size() < 2 || Line.substr(Line.size() - 2) != ");") Violated("SQL statement end", Line);
        // Inside quotes a backslash escapes the next byte; outside them only
        // the statement's own syntax may stand.
        bool Quoted = false;
        std::size_t Values = 0;
        for (std::size_t i = Line.find('('); i < Line.size(); ++i) {
            const char C = Line[i];
            if (Quoted) {
                if (C == '\\') ++i;
                else if (C == '\'') Quoted = false;
            } else if (C == '\'') {
                Quoted = true;
                ++Values;
            } else if (C != ',' && C != ' ' && C != '(' && C != ')' && C != ';') {
                Violated("SQL text outside quotes", Line);
            }
        }
        if (Quoted || Values == 0) Violated("SQL quotes unbalanced", Line);
    }
}

// A head line of the user's own with characters beyond ASCII: it is the only
// place where a page may hold such bytes.
const std::string UserHeadLine = "\t\t<!-- Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC -->";

NOT_TRACED void CheckHtml(const std::string& Name, std::string Page) {
    const std::size_t Head = Page.find(UserHeadLine);
    if (Head == std::string::npos) Violated("HTML page lost the head text", Name);
    Page.erase(Head, UserHeadLine.size());
    for (const char C : Page) {
        const auto U = static_cast<unsigned char>(C);
        if (U >= 0x80 || (U < 0x20 && C != '\t' && C != '\r' && C != '\n')) Violated("HTML page not plain ASCII", Name);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    // Short inputs overlay an image of empty slots; long ones are cut.
    static const std::vector<std::uint8_t> Empty = testsupport::CxfImageBuilder().Bytes();
    std::vector<std::uint8_t> Image = Empty;
    std::copy_n(Data, std::min(Size, Image.size()), Image.begin());

    std::unique_ptr<TCxfFile> File;
    try {
        File = std::make_unique<TCxfFile>(std::span<const std::uint8_t>(Image), ',');
    } catch (const ECorruptFileError&) {
        return 0;
    }
    const std::size_t Channels = File->Channels().size();

    for (int Flags = 0; Flags < 16; ++Flags) {
        TExportOptions Options;
        Options.CxfFile = &File;
        Options.FileName = "out";
        Options.ExportDirectory = "pages/";
        Options.ExcludeChannelUF = Flags & 1;
        Options.ExcludeChannelVPID = Flags & 2;
        Options.ExcludeTransponderUF = Flags & 4;
        Options.ExcludeSatelliteUF = Flags & 8;

        testsupport::TMemorySink Csv;
        TCxfCSVExporter(Csv).Export(Options);
        if (Csv.Files.size() != 1) Violated("CSV file count", "");
        CheckCsv(Csv.Files[0].second, Channels);

        testsupport::TMemorySink Sql;
        TCxfSQLExporter(Sql).Export(Options);
        if (Sql.Files.size() != 1) Violated("SQL file count", "");
        CheckSql(Sql.Files[0].second);

        // The HTML export fills the satellites' channel lists; empty them so
        // that every run starts from the database as loaded.
        for (const auto& Satellite : File->Satellites()) Satellite->Channels.clear();
        testsupport::TMemorySink Html;
        TCxfHTMLExporter(Html).Export(Options, {DefaultHtmlHeadText, UserHeadLine});
        if (Html.Files.size() > 3 * File->Satellites().size()) Violated("HTML page count", "");
        for (const auto& [Name, Page] : Html.Files) CheckHtml(Name, Page);
    }
    return 0;
}
