#include "CxfCSVExporterUnit.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>

namespace {

constexpr std::string_view HeaderLine =
    "\"Index\";\"Channel_ID\";\"Channel_Name\";\"Satellite\";\"Position\";\"Frequency\";"
    "\"Polarisation\";\"Symbolrate\";\"Video_PID\";\"Audio_PID\";\"PCR_PID\";\"Teletext_PID\";"
    "\"Service_ID\";\"Original_Network_ID\";\"Transport_Stream_ID\";\"Unsed_Flag\";\"Pay_TV\";"
    "\"Package\"\r\n";

constexpr std::size_t FieldCount = 18;
constexpr std::size_t NumberFieldCount = 12;
constexpr std::size_t NameFieldCount = 3;

// What a line can take besides the text of its four names and its position:
// quotes, separators and the line end, the numbers at their widest, two
// flags, the polarisation letter and an apostrophe before each name.
constexpr std::size_t FixedLineBound =
    FieldCount * TCsvLineWriter::BytesPerField + 1 + NumberFieldCount * MaxCsvNumberSize + 2 + 1 + NameFieldCount;

bool IsAsciiDigit(char C) { return C >= '0' && C <= '9'; }

// One or more digits, optionally followed by one "." or "," and more digits.
bool IsPlainNumber(std::string_view Text) {
    std::size_t At = 0;
    while (At < Text.size() && IsAsciiDigit(Text[At])) ++At;
    if (At == 0) return false;
    if (At == Text.size()) return true;
    if (Text[At] != '.' && Text[At] != ',') return false;
    const std::size_t FractionStart = ++At;
    while (At < Text.size() && IsAsciiDigit(Text[At])) ++At;
    return At > FractionStart && At == Text.size();
}

}  // namespace

bool CsvWritesChannel(const TExportOptions& Options, const TChannel& Channel) {
    if (Options.ExcludeChannelVPID && Channel.VideoPID == 0) return false;
    if (Options.ExcludeChannelUF && Channel.UF) return false;
    return Channel.Transponder->Satellite != nullptr;
}

bool StartsFormula(std::string_view Text) {
    if (Text.empty()) return false;
    switch (Text.front()) {
        case '=':
        case '@':
            return true;
        case '+':
        case '-':
            return Text.size() > 1 && !IsPlainNumber(Text.substr(1));
        default:
            return false;
    }
}

void TCxfCSVExporter::Export(const TExportOptions& Options) {
    if (Options.CxfFile == nullptr || !*Options.CxfFile)
        throw std::invalid_argument("CSV export without a loaded channel database");
    const TCxfFile& Database = **Options.CxfFile;
    const auto& Channels = Database.Channels();
    const auto& Packages = Database.Packages();

    // One pass to size the output, one to write it: the file is assembled in
    // a single buffer without any regrowth or per-field bounds checks.
    const std::string_view Start = Database.Charset() == TCharset::Utf8 ? Utf8ByteOrderMark : std::string_view();
    std::size_t Bound = Start.size() + HeaderLine.size();
    for (const auto& Channel : Channels) {
        if (!CsvWritesChannel(Options, *Channel)) continue;
        const TSatellite& Satellite = *Channel->Transponder->Satellite;
        Bound += FixedLineBound + Channel->Name.size() + Satellite.Name.size() + Satellite.PositionText.size() +
                 Packages.at(Channel->PackageID).size();
    }
    char* const Buffer = FBuffer.Room(Bound);
    char* At = std::copy(Start.begin(), Start.end(), Buffer);
    At = std::copy(HeaderLine.begin(), HeaderLine.end(), At);

    for (std::size_t Index = 0; Index < Channels.size(); ++Index) {
        const TChannel& Channel = *Channels[Index];
        if (!CsvWritesChannel(Options, Channel)) continue;
        const TTransponder& Transponder = *Channel.Transponder;
        const TSatellite& Satellite = *Transponder.Satellite;

        TCsvLineWriter Line(At);
        Line.Number(static_cast<unsigned>(Index));
        Line.Number(Channel.Number);
        Line.Name(Channel.Name, Options.CsvLiteralNames);
        Line.Name(Satellite.Name, Options.CsvLiteralNames);
        // The decimal separator is free to choose and could be a double quote.
        Line.Text(Satellite.PositionText);
        Line.Number(Transponder.Frequency);
        Line.Text(PolarisationNames[Transponder.Polarisation & 3]);
        Line.Number(Transponder.Symbolrate);
        Line.Number(Channel.VideoPID);
        Line.Number(Channel.AudioPID);
        Line.Number(Channel.PCRPID);
        Line.Number(Channel.TeletextPID);
        Line.Number(Channel.ServiceID);
        Line.Number(Transponder.OriginalNetworkID);
        Line.Number(Transponder.TransportStreamID);
        Line.Flag(Channel.UF);
        Line.Flag(Channel.PayTV);
        Line.Name(Packages.at(Channel.PackageID), Options.CsvLiteralNames);
        At = Line.EndLine();
    }

    FSink.Write(Options.FileName, std::string_view(Buffer, static_cast<std::size_t>(At - Buffer)));
}
