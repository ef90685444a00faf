#include "CxfCSVExporterUnit.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>
#include <string_view>

namespace {

constexpr std::string_view HeaderLine =
    "\"Index\";\"Channel_ID\";\"Channel_Name\";\"Satellite\";\"Position\";\"Frequency\";"
    "\"Polarisation\";\"Symbolrate\";\"Video_PID\";\"Audio_PID\";\"PCR_PID\";\"Teletext_PID\";"
    "\"Service_ID\";\"Original_Network_ID\";\"Transport_Stream_ID\";\"Unsed_Flag\";\"Pay_TV\";"
    "\"Package\"\r\n";

// Room for one line with every name at its full width; a line rarely needs more.
constexpr std::size_t TypicalLineSize = 200;

// Appends the fields of one line, each in double quotes, separated by ";".
class TLineWriter {
public:
    explicit TLineWriter(std::string& Out) : FOut(Out) { FOut.push_back('"'); }

    void Number(unsigned Value) {
        Next();
        char Digits[12];
        const auto End = std::to_chars(Digits, Digits + sizeof Digits, Value).ptr;
        FOut.append(Digits, End);
    }

    // A double quote inside a field would end it early: it becomes an
    // apostrophe, the only change made to any text.
    void Text(std::string_view Value) {
        Next();
        const std::size_t Start = FOut.size();
        FOut.append(Value);
        std::replace(FOut.begin() + static_cast<std::ptrdiff_t>(Start), FOut.end(), '"', '\'');
    }

    void Flag(bool Value) {
        Next();
        FOut.push_back(Value ? '1' : '0');
    }

    void EndLine() { FOut.append("\"\r\n"); }

private:
    // Closes the previous field and opens the next one.
    void Next() {
        if (FFirst)
            FFirst = false;
        else
            FOut.append("\";\"");
    }

    std::string& FOut;
    bool FFirst = true;
};

}  // namespace

void TCxfCSVExporter::Export(const TExportOptions& Options) {
    if (Options.CxfFile == nullptr || !*Options.CxfFile)
        throw std::invalid_argument("CSV export without a loaded channel database");
    const TCxfFile& Database = **Options.CxfFile;
    const auto& Channels = Database.Channels();
    const auto& Packages = Database.Packages();

    std::string Out;
    Out.reserve(HeaderLine.size() + Channels.size() * TypicalLineSize);
    Out.append(HeaderLine);

    for (std::size_t Index = 0; Index < Channels.size(); ++Index) {
        const TChannel& Channel = *Channels[Index];
        if (Options.ExcludeChannelVPID && Channel.VideoPID == 0) continue;
        if (Options.ExcludeChannelUF && Channel.UF) continue;
        const TTransponder& Transponder = *Channel.Transponder;
        // Without a satellite the line would lack its name and position.
        if (Transponder.Satellite == nullptr) continue;
        const TSatellite& Satellite = *Transponder.Satellite;

        TLineWriter Line(Out);
        Line.Number(static_cast<unsigned>(Index));
        Line.Number(Channel.Number);
        Line.Text(Channel.Name);
        Line.Text(Satellite.Name);
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
        Line.Text(Packages.at(Channel.PackageID));
        Line.EndLine();
    }

    FSink.Write(Options.FileName, Out);
}
