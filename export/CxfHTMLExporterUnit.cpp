#include "CxfHTMLExporterUnit.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <filesystem>
#include <stdexcept>
#include <string_view>

#include "Unit_Uml.h"

namespace {

constexpr std::string_view LineEnd = "\r\n";

constexpr std::string_view Prologue =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
    "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\r\n"
    "<html xmlns=\"http://www.w3.org/1999/xhtml\">\r\n"
    "\t<head>\r\n"
    "\t\t<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\r\n"
    "\t\t<meta name=\"author\" content=\"Morvane (https://www.morvane.example)\" />\r\n"
    "\t\t<meta name=\"generator\" content=\"Zanvero-Converter by Morvane (https://www.morvane.example)\" />";

constexpr std::string_view BodyOpening =
    "\t</head>\r\n\t<body>\r\n\t\t<table cellpadding=\"0\" cellspacing=\"0\" align=\"center\">";

constexpr std::string_view CreditsRow =
    "\t\t\t<tr><td style=\"background-color: #eeeebb;\" colspan=\"11\">"
    "<span style=\"font-size: 8px;\">Generated with: <a style=\"color: #663300;\" "
    "href=\"https://www.morvane.example/html/tools.html\" target=\"_morvane\">Zanvero</a></span>"
    "</td></tr>";

constexpr std::string_view Closing = "\t\t</table>\r\n\t</body>\r\n</html>";

constexpr std::string_view PlainRowStart = "\t\t\t<tr onmouseover=\"h(this,1)\" onmouseout=\"h(this,0)\">";
constexpr std::string_view PayTVRowStart =
    "\t\t\t<tr class=\"p\" onmouseover=\"h(this,3)\" onmouseout=\"h(this,2)\">";
constexpr std::string_view RowEnd = "</tr>";

constexpr std::string_view PlainCellStart = "<td>";
constexpr std::string_view LeftCellStart = "<td class=\"l\">";
constexpr std::string_view CentredCellStart = "<td class=\"c\">";
constexpr std::string_view CellEnd = "</td>";

// A row holds eleven cells of which four carry names of up to 20 bytes that
// may grow to eight bytes each when escaped; most rows fit well below this.
constexpr std::size_t TypicalRowSize = 320;

// Channels per block that the header row introduces.
constexpr std::size_t RowsPerHeader = 25;
// Pages with more rows than this end with the credits row.
constexpr std::size_t CreditsThreshold = 50;

// The three sortable columns: on the page of their own order they are shown
// in red, elsewhere they link to the page of that order.
struct TSortHeader {
    int SortOrder;
    std::string_view RedCell;
    std::string_view LinkEnd;
};
constexpr TSortHeader NameHeader{BY_NAME, "<th style=\"color: #cc0000;\">Kanal</th>", "\">Kanal</a></th>"};
constexpr TSortHeader FrequencyHeader{BY_FREQUENCY, "<th style=\"color: #cc0000;\">Frequenz</th>",
                                      "\">Frequenz</a></th>"};
constexpr TSortHeader PackageHeader{BY_PACKAGE, "<th style=\"color: #cc0000;\">Anbieter</th>",
                                    "\">Anbieter</a></th>"};

void AppendNumber(std::string& Out, unsigned Value) {
    char Digits[12];
    const auto End = std::to_chars(Digits, Digits + sizeof Digits, Value).ptr;
    Out.append(Digits, End);
}

void AppendNumberCell(std::string& Out, unsigned Value) {
    Out.append(PlainCellStart);
    AppendNumber(Out, Value);
    Out.append(CellEnd);
}

void AppendEscapedCell(std::string& Out, std::string_view CellStart, std::string_view Text, TCharset Charset) {
    Out.append(CellStart);
    AppendUmlToHtml(Out, Text, Charset);
    Out.append(CellEnd);
}

void AppendSortHeader(std::string& Out, const TSortHeader& Header, int PageOrder, std::string_view PagePrefix) {
    if (Header.SortOrder == PageOrder) {
        Out.append(Header.RedCell);
        return;
    }
    Out.append("<th><a href=\"");
    Out.append(PagePrefix);
    Out.append(SortOrderNames[static_cast<std::size_t>(Header.SortOrder)]);
    Out.append(").html");
    Out.append(Header.LinkEnd);
}

// Appends the finished table row of one channel, shared by the three pages
// of its satellite.
void AppendRow(std::string& Row, const TChannel& Channel, const TSatellite& Satellite, std::string_view PackageName,
               TCharset Charset) {
    const TTransponder& Transponder = *Channel.Transponder;
    Row.append(Channel.PayTV ? PayTVRowStart : PlainRowStart);
    AppendEscapedCell(Row, LeftCellStart, Channel.Name, Charset);
    AppendEscapedCell(Row, CentredCellStart, PackageName, Charset);
    AppendEscapedCell(Row, PlainCellStart, Satellite.Name, Charset);
    AppendEscapedCell(Row, PlainCellStart, Satellite.PositionText, Charset);
    AppendNumberCell(Row, Transponder.Frequency);
    Row.append(PlainCellStart);
    Row.append(PolarisationNames[Transponder.Polarisation & 3]);
    Row.append(CellEnd);
    AppendNumberCell(Row, Transponder.Symbolrate);
    AppendNumberCell(Row, Channel.VideoPID);
    AppendNumberCell(Row, Channel.AudioPID);
    AppendNumberCell(Row, Channel.PCRPID);
    AppendNumberCell(Row, Channel.ServiceID);
    Row.append(RowEnd);
}

TCxfFile& DatabaseOf(const TExportOptions& Options) {
    if (Options.CxfFile == nullptr || !*Options.CxfFile)
        throw std::invalid_argument("HTML export without a loaded channel database");
    return **Options.CxfFile;
}

}  // namespace

const std::string DefaultHtmlHeadText =
    "\t\t<title>Digitalfernsehen Frequenzliste - Televio</title>\r\n"
    "\t\t<script language=\"JavaScript\" type=\"text/javascript\">\r\n"
    "\t\t\tvar colors = new Array(\"#ffffcc\", \"#eeeebb\", \"#ffcccc\", \"#eebbbb\");\r\n"
    "\t\t\tfunction h(therow, color)\r\n"
    "\t\t\t{\r\n"
    "\t\t\t\ttherow.style.backgroundColor = colors[color];\r\n"
    "\t\t\t}\r\n"
    "\t\t</script>\r\n"
    "\t\t<style type=\"text/css\">\r\n"
    "\t\t<!-- \r\n"
    "\t\t\tbody {font-family: helvetica, arial, geneva, sans-serif; font-size: 10pt; background: #eeeebb; "
    "scrollbar-face-color: #FFFFCC; scrollbar-shadow-color: #FFFFCC; scrollbar-highlight-color: #FFFFCC; "
    "scrollbar-3dlight-color: #CCCC99; scrollbar-darkshadow-color: #CCCC99; scrollbar-track-color: #CCCC99; "
    "scrollbar-arrow-color: #330000;}\r\n"
    "\t\t\tth {font-family: Verdana, helvetica, arial, geneva, sans-serif; font-size: 12px; color: #330000; "
    "font-weight: bold; background-color: #CCCC99; padding: 3px; padding-left: 0px; padding-right: 0px;} \r\n"
    "\t\t\ttd {font-family: Verdana, helvetica, arial, geneva, sans-serif; font-size: 12px; color: #330000; "
    "padding: 2px; padding-left: 11px; padding-right: 12px; border-width: 0px; border-bottom-width: 1px; "
    "border-style:solid; border-color:#eeeebb; text-align: right; white-space:  nowrap;} \r\n"
    "\t\t\ttable {background-color: #ffffcc;} \r\n"
    "\t\t\ta:link {color: #330000;} \r\n"
    "\t\t\ta:visited {color: #330000;} \r\n"
    "\t\t\ta:hover {color: #cc0000;} \r\n"
    "\t\t\t.l {text-align: left;} \r\n"
    "\t\t\t.c {text-align: center;} \r\n"
    "\t\t\t.p {background-color: #ffcccc;} \r\n"
    "\t\t//-->\r\n"
    "\t\t</style>";

void TCxfHTMLExporter::Export(const TExportOptions& Options, const std::vector<std::string>& HeadText) {
    TCxfFile& Database = DatabaseOf(Options);
    const auto& Packages = Database.Packages();

    // Rows by the channel's place in the channel table, which is unique.
    std::uint16_t LastNumber = 0;
    for (const TChannel* Channel : Database.Channels()) LastNumber = std::max(LastNumber, Channel->Number);
    FRowSpans.assign(std::size_t{LastNumber} + 1, TRowSpan());
    FRowText.clear();
    FRowText.reserve(Database.Channels().size() * TypicalRowSize);

    for (TChannel* Listed : Database.Channels()) {
        TChannel& Channel = *Listed;
        if (Options.ExcludeChannelVPID && Channel.VideoPID == 0) continue;
        if (Options.ExcludeChannelUF && Channel.UF) continue;
        // A channel needs its satellite's name, position and page.
        TSatellite* Satellite = Channel.Transponder->Satellite;
        if (Satellite == nullptr) continue;

        const std::size_t Start = FRowText.size();
        AppendRow(FRowText, Channel, *Satellite, Packages.at(Channel.PackageID), Database.Charset());
        FRowSpans[Channel.Number] = {Start, FRowText.size() - Start};
        Satellite->Channels.push_back(&Channel);
    }

    const int SatelliteTotal = static_cast<int>(Database.Satellites().size());
    for (int SatIndex = 0; SatIndex < SatelliteTotal; ++SatIndex) {
        if (Database.GetSatellite(SatIndex).Name.empty()) continue;
        for (const int SortOrder : {BY_NAME, BY_FREQUENCY, BY_PACKAGE})
            WriteSatellitePage(Options, HeadText, SortOrder, SatIndex);
    }
}

void TCxfHTMLExporter::WriteSatellitePage(const TExportOptions& Options, const std::vector<std::string>& HeadText,
                                          int SortOrder, int SatIndex) {
    TCxfFile& Database = DatabaseOf(Options);
    const TSatellite& Satellite = Database.GetSatellite(SatIndex);
    // A page without rows is never saved; nothing else would come of it.
    if (Satellite.Channels.empty()) return;

    const std::string PagePrefix = std::string(Satellite.SanitisedName) + "_(";

    std::string HeaderRow = "\t\t\t<tr>";
    AppendSortHeader(HeaderRow, NameHeader, SortOrder, PagePrefix);
    AppendSortHeader(HeaderRow, PackageHeader, SortOrder, PagePrefix);
    HeaderRow.append("<th>Satellit</th><th>Pos.</th>");
    AppendSortHeader(HeaderRow, FrequencyHeader, SortOrder, PagePrefix);
    HeaderRow.append("<th>Pol.</th><th>Symb.</th><th>VPID</th><th>APID</th><th>PCRPID</th><th>SID</th></tr>");

    Database.SortSatelliteChannels(SatIndex, SortOrder);
    const auto& Channels = Satellite.Channels;

    // Size the page up front so that appending never moves it.
    std::size_t Size = Prologue.size() + BodyOpening.size() + CreditsRow.size() + Closing.size() + 4 * LineEnd.size();
    for (const std::string& Line : HeadText) Size += Line.size() + LineEnd.size();
    Size += (Channels.size() / RowsPerHeader + 1) * (HeaderRow.size() + LineEnd.size());
    for (const TChannel* Channel : Channels) Size += FRowSpans[Channel->Number].Size + LineEnd.size();

    std::string& Page = FPage;
    Page.clear();
    Page.reserve(Size);
    auto AddEntry = [&Page](std::string_view Entry) {
        Page.append(Entry);
        Page.append(LineEnd);
    };

    AddEntry(Prologue);
    for (const std::string& Line : HeadText) AddEntry(Line);
    AddEntry(BodyOpening);
    for (std::size_t i = 0; i < Channels.size(); ++i) {
        if (i % RowsPerHeader == 0) AddEntry(HeaderRow);
        const TRowSpan& Row = FRowSpans[Channels[i]->Number];
        AddEntry(std::string_view(FRowText).substr(Row.Start, Row.Size));
    }
    if (Channels.size() > CreditsThreshold) AddEntry(CreditsRow);
    AddEntry(Closing);

    FSink.Write(Options.ExportDirectory + PagePrefix + SortOrderNames[static_cast<std::size_t>(SortOrder)] + ").html",
                Page);
}

std::string WithFinalSeparator(std::string Directory) {
    if (Directory.empty()) return Directory;
    // Windows takes "/" as a separator too; Linux has only "/".
    const char Separator = static_cast<char>(std::filesystem::path::preferred_separator);
    while (!Directory.empty() && (Directory.back() == '/' || Directory.back() == Separator)) Directory.pop_back();
    Directory.push_back(Separator);
    return Directory;
}
