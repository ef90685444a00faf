// Arbitrary bytes as a .cxf image: load them and run the one exporter, with
// the exclusion flags and decimal separator, that the input's header picks
// (FuzzInput.h), checking what must hold for any input at all.
#include <algorithm>
#include <bit>
#include <optional>
#include <charconv>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "CxfCSVExporterUnit.h"
#include "CxfHTMLExporterUnit.h"
#include "CxfSQLExporterUnit.h"
#include "FuzzInput.h"
#include "WordBytesUnit.h"

namespace {

using fuzzcxf::TCharset;
using fuzzcxf::TWork;
using fuzzcxf::Equal;
using fuzzcxf::StartsWith;
using fuzzcxf::Violated;

NOT_TRACED std::vector<std::string_view> Lines(std::string_view Text) {
    std::vector<std::string_view> Result;
    if (Text.size() < 2 || !StartsWith(Text.substr(Text.size() - 2), "\r\n"))
        Violated("output does not end with CR LF", Text);
    std::size_t Start = 0;
    while (Start < Text.size()) {
        const std::size_t End = Text.find("\r\n", Start);
        Result.push_back(Text.substr(Start, End - Start));
        Start = End + 2;
    }
    return Result;
}

// Scans of every byte of a line. Lines() has read each line through the
// library's search, whose whole range AddressSanitizer checks, so these
// loops go uninstrumented: a shadow check for every byte of every page cost
// more than making the pages. They read through plain pointers, since the
// compiler does not inline instrumented library code into them.
#define PLAIN_SCAN __attribute__((no_sanitize("address", "coverage")))

// Eight bytes at a time (WordBytesUnit.h).
using wordbytes::BytesBelow;
using wordbytes::BytesEqual;
using wordbytes::Highs;
using wordbytes::LoadWord;

PLAIN_SCAN bool PlainAscii(const char* Line, std::size_t Size) {
    std::uint64_t Bad = 0;
    std::size_t i = 0;
    for (; i + 8 <= Size; i += 8) {
        const std::uint64_t W = LoadWord(Line + i);
        Bad |= (W & Highs) | (BytesBelow<0x20>(W) & ~BytesEqual(W, '\t'));
    }
    for (; i < Size; ++i) {
        const auto U = static_cast<unsigned char>(Line[i]);
        Bad |= U >= 0x80 || (U < 0x20 && U != '\t');
    }
    return Bad == 0;
}

// How often "<t" stands in the line from its sixth byte on.
PLAIN_SCAN std::size_t CellOpenings(const char* Line, std::size_t Size) {
    std::size_t Cells = 0;
    std::size_t i = 5;
    for (; i + 9 <= Size; i += 8) {
        const std::uint64_t Pairs = BytesEqual(LoadWord(Line + i), '<') & BytesEqual(LoadWord(Line + i + 1), 't');
        Cells += static_cast<std::size_t>(std::popcount(Pairs));
    }
    for (; i + 1 < Size; ++i) Cells += Line[i] == '<' && Line[i + 1] == 't';
    return Cells;
}

// 18 fields, each quoted, none holding a quote of its own.
PLAIN_SCAN const char* CsvLineProblem(const char* Line, std::size_t Size) {
    std::size_t Quotes = 0;
    bool Breaks = false;
    for (std::size_t i = 0; i < Size; ++i) {
        Quotes += Line[i] == '"';
        Breaks |= Line[i] == '\r' || Line[i] == '\n';
    }
    if (Breaks) return "CSV line break inside a line";
    if (Quotes != 36 || Line[0] != '"' || Line[Size - 1] != '"') return "CSV fields";
    for (std::size_t i = 1; i + 1 < Size; ++i)
        if (Line[i] == '"' && !(Line[i + 1] == ';' || Line[i - 1] == ';')) return "CSV field separator";
    return nullptr;
}

NOT_TRACED unsigned Number(std::string_view Text, const char* What) {
    unsigned Value = 0;
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    if (Error != std::errc() || End != Text.data() + Text.size() || Text.empty() || (Text[0] == '0' && Text.size() > 1))
        Violated(What, Text);
    return Value;
}

// The rules that every exporter applies, and the one that needs the
// channel's satellite for its name and position.
NOT_TRACED bool KeptByChannelFlags(const TChannel& Channel, const TWork& Work) {
    if (Work.ExcludeChannelVPID && Channel.VideoPID == 0) return false;
    if (Work.ExcludeChannelUF && Channel.UF) return false;
    return Channel.Transponder->Satellite != nullptr;
}

// The SQL dump also leaves out what hangs on a left-out transponder or
// satellite.
NOT_TRACED bool KeptBySql(const TChannel& Channel, const TWork& Work) {
    if (!KeptByChannelFlags(Channel, Work)) return false;
    const TTransponder& Transponder = *Channel.Transponder;
    if (Work.ExcludeTransponderUF && Transponder.UF) return false;
    return !(Work.ExcludeSatelliteUF && Transponder.Satellite->UF);
}

NOT_TRACED void CheckCsv(std::string_view Csv, const TCxfFile& File, const TWork& Work) {
    if (Work.Charset == TCharset::Utf8) {
        if (!StartsWith(Csv, "\xEF\xBB\xBF")) Violated("UTF-8 CSV without byte-order mark", Csv);
        Csv.remove_prefix(3);
    }
    const auto All = Lines(Csv);
    if (!StartsWith(All[0], "\"Index\";\"")) Violated("CSV header line", All[0]);
    for (const std::string_view Line : All)
        if (const char* Problem = CsvLineProblem(Line.data(), Line.size())) Violated(Problem, Line);
    // One line per kept channel, in database order: the Index column names
    // the channel's position.
    const auto& Channels = File.Channels();
    std::size_t Next = 1;
    for (std::size_t Index = 0; Index < Channels.size(); ++Index) {
        if (!KeptByChannelFlags(*Channels[Index], Work)) continue;
        if (Next == All.size()) Violated("CSV lacks a kept channel", std::to_string(Index));
        const std::string_view Field = All[Next].substr(1, All[Next].find('"', 1) - 1);
        if (Number(Field, "CSV index") != Index) Violated("CSV line of another channel", All[Next]);
        ++Next;
    }
    if (Next != All.size()) Violated("CSV line of a channel that is not kept", All[Next]);
}

// The values of one INSERT statement, still escaped; also checks that only
// the statement's own syntax stands outside the quotes.
NOT_TRACED std::vector<std::string_view> SqlValues(std::string_view Line) {
    if (Line.size() < 2 || !StartsWith(Line.substr(Line.size() - 2), ");")) Violated("SQL statement end", Line);
    std::vector<std::string_view> Values;
    bool Quoted = false;
    std::size_t Start = 0;
    for (std::size_t i = Line.find('('); i < Line.size(); ++i) {
        const char C = Line[i];
        if (Quoted) {
            // Inside quotes a backslash escapes the next byte.
            if (C == '\\') {
                ++i;
            } else if (C == '\'') {
                Quoted = false;
                Values.push_back(Line.substr(Start, i - Start));
            }
        } else if (C == '\'') {
            Quoted = true;
            Start = i + 1;
        } else if (C != ',' && C != ' ' && C != '(' && C != ')' && C != ';') {
            Violated("SQL text outside quotes", Line);
        }
    }
    if (Quoted || Values.empty()) Violated("SQL quotes unbalanced", Line);
    return Values;
}

NOT_TRACED void CheckSql(std::string_view Sql, const TCxfFile& File, const TWork& Work) {
    constexpr std::string_view Transponder = "INSERT INTO transponder VALUES (";
    constexpr std::string_view Channel = "INSERT INTO channel VALUES (";
    std::vector<bool> TransponderWritten(TransponderCount + 1);
    std::vector<unsigned> ChannelIDs;
    for (const std::string_view Line : Lines(Sql)) {
        if (!StartsWith(Line, "INSERT ")) continue;
        const auto Values = SqlValues(Line);
        if (StartsWith(Line, Transponder)) {
            const unsigned ID = Number(Values.at(0), "transponder ID");
            if (ID == 0 || ID > TransponderCount) Violated("transponder ID", Line);
            TransponderWritten[ID] = true;
        } else if (StartsWith(Line, Channel)) {
            if (Values.size() != 11) Violated("channel statement values", Line);
            // A channel's row names a transponder row of the same dump.
            const unsigned TransponderID = Number(Values[8], "channel's transponder ID");
            if (TransponderID > TransponderCount || !TransponderWritten[TransponderID])
                Violated("channel on a transponder the dump lacks", Line);
            ChannelIDs.push_back(Number(Values[0], "channel ID"));
        }
    }
    // Exactly the kept channels, in the order the export left the database.
    std::vector<unsigned> Kept;
    for (const auto& Owned : File.Channels())
        if (KeptBySql(*Owned, Work)) Kept.push_back(Owned->Number);
    if (ChannelIDs != Kept) Violated("SQL channel statements are not the kept channels", "");
}

// A head line of the user's own with characters beyond ASCII: it is the only
// place where a page may hold such bytes.
const std::string UserHeadLine = "\t\t<!-- Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC -->";

// The table rows of a page, checked to be plain ASCII outside the user's head
// line, which the page must carry.
NOT_TRACED std::vector<std::string_view> TableRows(std::string_view Name, std::string_view Page) {
    std::vector<std::string_view> Rows;
    bool Head = false;
    for (const std::string_view Line : Lines(Page)) {
        if (Equal(Line, UserHeadLine)) {
            Head = true;
            continue;
        }
        if (!PlainAscii(Line.data(), Line.size())) Violated("HTML page not plain ASCII", Line);
        if (StartsWith(Line, "\t\t\t<tr")) Rows.push_back(Line);
    }
    if (!Head) Violated("HTML page lost the head text", Name);
    return Rows;
}

// Returns the number of channel rows on the page.
NOT_TRACED std::size_t CheckHtml(std::string_view Name, std::string_view Page) {
    std::size_t ChannelRows = 0;
    for (const std::string_view Line : TableRows(Name, Page)) {
        // Every row of the table spans its eleven columns; names are
        // escaped, so every "<t" after the row's own opens a cell.
        std::size_t Cells = CellOpenings(Line.data(), Line.size());
        if (Cells == 1 && Line.find("colspan=\"11\"") != std::string_view::npos) Cells = 11;
        if (Cells != 11) Violated("HTML row without 11 cells", Line);
        if (Line[6] != '>') ++ChannelRows;
    }
    return ChannelRows;
}

// The overview: six cells in each satellite's row, and every link to a page
// of this export (Written, the page names without their directory). Returns
// the number of satellite rows.
NOT_TRACED std::size_t CheckOverview(std::string_view Page, const std::set<std::string, std::less<>>& Written) {
    constexpr std::string_view Link = "<a href=\"";
    std::size_t Rows = 0;
    for (const std::string_view Line : TableRows(OverviewFileName, Page)) {
        if (Line[6] == '>') continue;  // the header row
        ++Rows;
        if (CellOpenings(Line.data(), Line.size()) != 6) Violated("overview row without 6 cells", Line);
        for (std::size_t At = Line.find(Link); At != std::string_view::npos; At = Line.find(Link, At + 1)) {
            const std::size_t Start = At + Link.size();
            if (!Written.contains(Line.substr(Start, Line.find('"', Start) - Start)))
                Violated("overview links to a page that was not written", Line);
        }
    }
    return Rows;
}

// Checks every file as the exporter hands it over, without keeping a copy.
class TCheckingSink final : public TOutputSink {
public:
    // Starts on the files of another input.
    void Begin(const TCxfFile& File, const TWork& Work) {
        FFile = &File;
        FWork = &Work;
        Files = 0;
        PageRows.clear();
        PageNames.clear();
        OverviewRows.reset();
    }

    void Write(const std::string& FileName, std::string_view Bytes) override {
        ++Files;
        switch (FWork->Exporter) {
            case fuzzcxf::TExporter::Csv: CheckCsv(Bytes, *FFile, *FWork); break;
            case fuzzcxf::TExporter::Sql: CheckSql(Bytes, *FFile, *FWork); break;
            case fuzzcxf::TExporter::Html: {
                const std::string Name = FileName.substr(FileName.find('/') + 1);
                if (OverviewRows) Violated("HTML page after the overview", Name);
                if (Name == OverviewFileName) {
                    OverviewRows = CheckOverview(Bytes, PageNames);
                } else {
                    PageNames.insert(Name);
                    PageRows.push_back(CheckHtml(FileName, Bytes));
                }
                break;
            }
        }
    }
    // Nothing was ever here: every export starts afresh.
    TFoundFile Find(const std::string&, std::size_t) const override { return {}; }

    std::size_t Files = 0;
    std::vector<std::size_t> PageRows;  // channel rows of each page, in the order written
    std::set<std::string, std::less<>> PageNames;  // without their directory
    std::optional<std::size_t> OverviewRows;       // none: no overview written

private:
    const TCxfFile* FFile = nullptr;
    const TWork* FWork = nullptr;
};

// Three pages, each with every kept channel, for each named satellite that
// keeps one; none for any other.
NOT_TRACED void CheckPages(const std::vector<std::size_t>& PageRows, const TCxfFile& File, const TWork& Work) {
    std::vector<std::size_t> Kept(File.Satellites().size());
    for (const auto& Channel : File.Channels())
        if (KeptByChannelFlags(*Channel, Work)) ++Kept[Channel->Transponder->SatelliteIndex];
    std::vector<std::size_t> Expected;
    for (std::size_t Satellite = 0; Satellite < Kept.size(); ++Satellite)
        if (!File.Satellites()[Satellite]->Name.empty() && Kept[Satellite] != 0)
            Expected.insert(Expected.end(), 3, Kept[Satellite]);
    if (PageRows != Expected) Violated("HTML pages are not those of the kept channels", "");
}

// An overview, with one row for each satellite whose pages remain, exactly
// when pages were written.
NOT_TRACED void CheckOverviewRows(const TCheckingSink& Sink) {
    const std::optional<std::size_t> Expected =
        Sink.PageNames.empty() ? std::nullopt : std::optional(Sink.PageNames.size() / 3);
    if (Sink.OverviewRows != Expected) Violated("overview rows are not the satellites with pages", "");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::span<const std::uint8_t> Input(Data, Size);
    TWork Work = fuzzcxf::DecodeWork(Input);
    std::unique_ptr<TCxfFile> File = fuzzcxf::Load(fuzzcxf::ImageOf(Input), Work);
    if (!File) return 0;

    TExportOptions Options;
    Options.CxfFile = &File;
    Options.FileName = "out";
    Options.ExportDirectory = "pages/";
    Options.ExcludeChannelUF = Work.ExcludeChannelUF;
    Options.ExcludeChannelVPID = Work.ExcludeChannelVPID;
    Options.ExcludeTransponderUF = Work.ExcludeTransponderUF;
    Options.ExcludeSatelliteUF = Work.ExcludeSatelliteUF;

    // One exporter of each kind for all inputs: their buffers keep their
    // memory, which AddressSanitizer would otherwise map afresh, and fault in
    // page by page, for every input. Nothing else carries over; each export
    // writes its output anew.
    static TCheckingSink Sink;
    static TCxfCSVExporter CsvExporter(Sink);
    static TCxfSQLExporter SqlExporter(Sink);
    static TCxfHTMLExporter HtmlExporter(Sink);
    Sink.Begin(*File, Work);
    switch (Work.Exporter) {
        case fuzzcxf::TExporter::Csv: CsvExporter.Export(Options); break;
        case fuzzcxf::TExporter::Sql: SqlExporter.Export(Options); break;
        case fuzzcxf::TExporter::Html:
            HtmlExporter.Export(Options, {DefaultHtmlHeadText, UserHeadLine});
            CheckPages(Sink.PageRows, *File, Work);
            CheckOverviewRows(Sink);
            return 0;
    }
    if (Sink.Files != 1) Violated("CSV or SQL export did not write one file", "");
    return 0;
}
