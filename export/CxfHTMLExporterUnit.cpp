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

// What sets the overview apart from every other page, right after the
// prologue, before the user's head text.
constexpr std::string_view OverviewMarkerLine = "\t\t<meta name=\"zanvero\" content=\"overview\" />";
constexpr std::string_view OverviewMarker = OverviewMarkerLine.substr(2);

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

// The overview's rows: a satellite, its position, the channels on its pages
// and a link to each of them, in the order they are written.
constexpr std::string_view OverviewHeaderRow =
    "\t\t\t<tr><th>Satellit</th><th>Pos.</th><th>Kan&auml;le</th><th colspan=\"3\">Kanalliste sortiert nach</th></tr>";
struct TOverviewLink {
    int SortOrder;
    std::string_view Text;
};
constexpr TOverviewLink OverviewLinks[] = {{BY_NAME, "Kanal"}, {BY_FREQUENCY, "Frequenz"}, {BY_PACKAGE, "Anbieter"}};
// Three links and the name and position cells, escaped.
constexpr std::size_t TypicalOverviewRowSize = 512;

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

// The name of a satellite's page of one sort order, without its directory;
// the links between pages and from the overview take the same names.
std::string PageName(const TSatellite& Satellite, int SortOrder) {
    return std::string(Satellite.SanitisedName) + "_(" + SortOrderNames[static_cast<std::size_t>(SortOrder)] + ").html";
}

void AppendSortHeader(std::string& Out, const TSortHeader& Header, int PageOrder, const TSatellite& Satellite) {
    if (Header.SortOrder == PageOrder) {
        Out.append(Header.RedCell);
        return;
    }
    Out.append("<th><a href=\"");
    Out.append(PageName(Satellite, Header.SortOrder));
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

void AppendOverviewRow(std::string& Row, const TSatellite& Satellite, TCharset Charset) {
    Row.append(PlainRowStart);
    AppendEscapedCell(Row, LeftCellStart, Satellite.Name, Charset);
    AppendEscapedCell(Row, PlainCellStart, Satellite.PositionText, Charset);
    AppendNumberCell(Row, static_cast<unsigned>(Satellite.Channels.size()));
    for (const TOverviewLink& Link : OverviewLinks) {
        Row.append("<td class=\"c\"><a href=\"");
        Row.append(PageName(Satellite, Link.SortOrder));
        Row.append("\">");
        Row.append(Link.Text);
        Row.append("</a></td>");
    }
    Row.append(RowEnd);
}

// A satellite gets its pages when it has a name to give them and keeps a
// channel: a page without rows is never saved.
bool HasPages(const TSatellite& Satellite) { return !Satellite.Name.empty() && !Satellite.Channels.empty(); }

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

bool MayReplaceOverview(const TFoundFile& Found) {
    switch (Found.Kind) {
        case TFoundFile::Nothing: return true;
        case TFoundFile::File:
            return std::string_view(Found.Start).substr(0, OverviewProbeSize).find(OverviewMarker) !=
                   std::string_view::npos;
        case TFoundFile::Other: break;
    }
    return false;
}

TOverviewResult TCxfHTMLExporter::Export(const TExportOptions& Options, const std::vector<std::string>& HeadText) {
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
        if (!HasPages(Database.GetSatellite(SatIndex))) continue;
        for (const int SortOrder : {BY_NAME, BY_FREQUENCY, BY_PACKAGE})
            WriteSatellitePage(Options, HeadText, SortOrder, SatIndex);
    }
    return WriteOverview(Options, HeadText);
}

void TCxfHTMLExporter::StartPage(const std::vector<std::string>& HeadText, std::string_view Marker,
                                 std::size_t BodySize) {
    // Size the page up front so that appending never moves it.
    std::size_t Size = Prologue.size() + Marker.size() + BodyOpening.size() + Closing.size() + 4 * LineEnd.size();
    for (const std::string& Line : HeadText) Size += Line.size() + LineEnd.size();
    FPage.clear();
    FPage.reserve(Size + BodySize);
    FPage.append(Prologue).append(LineEnd);
    if (!Marker.empty()) FPage.append(Marker).append(LineEnd);
    for (const std::string& Line : HeadText) FPage.append(Line).append(LineEnd);
    FPage.append(BodyOpening).append(LineEnd);
}

TOverviewResult TCxfHTMLExporter::WriteOverview(const TExportOptions& Options,
                                                const std::vector<std::string>& HeadText) {
    const TCxfFile& Database = DatabaseOf(Options);
    const auto& Satellites = Database.Satellites();
    // A satellite's pages are there unless a later satellite's took their names.
    std::vector<const TSatellite*> Listed;
    for (auto Satellite = Satellites.begin(); Satellite != Satellites.end(); ++Satellite) {
        const auto SameNames = [Satellite](const TSatellite* Later) {
            return HasPages(*Later) && Later->SanitisedName == (*Satellite)->SanitisedName;
        };
        if (HasPages(**Satellite) && std::none_of(Satellite + 1, Satellites.end(), SameNames))
            Listed.push_back(*Satellite);
    }
    if (Listed.empty()) return TOverviewResult::NoPages;

    const std::string FileName = Options.ExportDirectory + OverviewFileName;
    if (!MayReplaceOverview(FSink.Find(FileName, OverviewProbeSize))) return TOverviewResult::ForeignKept;

    const std::size_t RowsSize = OverviewHeaderRow.size() + Listed.size() * (TypicalOverviewRowSize + LineEnd.size());
    StartPage(HeadText, OverviewMarkerLine, RowsSize);
    FPage.append(OverviewHeaderRow).append(LineEnd);
    for (const TSatellite* Satellite : Listed) {
        AppendOverviewRow(FPage, *Satellite, Database.Charset());
        FPage.append(LineEnd);
    }
    FPage.append(Closing).append(LineEnd);
    FSink.Write(FileName, FPage);
    return TOverviewResult::Written;
}

void TCxfHTMLExporter::WriteSatellitePage(const TExportOptions& Options, const std::vector<std::string>& HeadText,
                                          int SortOrder, int SatIndex) {
    TCxfFile& Database = DatabaseOf(Options);
    const TSatellite& Satellite = Database.GetSatellite(SatIndex);

    std::string HeaderRow = "\t\t\t<tr>";
    AppendSortHeader(HeaderRow, NameHeader, SortOrder, Satellite);
    AppendSortHeader(HeaderRow, PackageHeader, SortOrder, Satellite);
    HeaderRow.append("<th>Satellit</th><th>Pos.</th>");
    AppendSortHeader(HeaderRow, FrequencyHeader, SortOrder, Satellite);
    HeaderRow.append("<th>Pol.</th><th>Symb.</th><th>VPID</th><th>APID</th><th>PCRPID</th><th>SID</th></tr>");

    Database.SortSatelliteChannels(SatIndex, SortOrder);
    const auto& Channels = Satellite.Channels;

    std::size_t BodySize = CreditsRow.size() + LineEnd.size();
    BodySize += (Channels.size() / RowsPerHeader + 1) * (HeaderRow.size() + LineEnd.size());
    for (const TChannel* Channel : Channels) BodySize += FRowSpans[Channel->Number].Size + LineEnd.size();
    StartPage(HeadText, {}, BodySize);

    std::string& Page = FPage;
    auto AddEntry = [&Page](std::string_view Entry) {
        Page.append(Entry);
        Page.append(LineEnd);
    };
    for (std::size_t i = 0; i < Channels.size(); ++i) {
        if (i % RowsPerHeader == 0) AddEntry(HeaderRow);
        const TRowSpan& Row = FRowSpans[Channels[i]->Number];
        AddEntry(std::string_view(FRowText).substr(Row.Start, Row.Size));
    }
    if (Channels.size() > CreditsThreshold) AddEntry(CreditsRow);
    AddEntry(Closing);

    FSink.Write(Options.ExportDirectory + PageName(Satellite, SortOrder), Page);
}

std::string WithFinalSeparator(std::string Directory) {
    if (Directory.empty()) return Directory;
    // Windows takes "/" as a separator too; Linux has only "/".
    const char Separator = static_cast<char>(std::filesystem::path::preferred_separator);
    while (!Directory.empty() && (Directory.back() == '/' || Directory.back() == Separator)) Directory.pop_back();
    Directory.push_back(Separator);
    return Directory;
}
