#include "CxfChangeReportUnit.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <initializer_list>

#include "CxfCSVExporterUnit.h"
#include "Unit_Uml.h"
#include "Utf8Unit.h"

const std::string_view ChangeReportHeader =
    "\"Change\";\"Satellite\";\"Position\";\"Original_Network_ID\";\"Transport_Stream_ID\";\"Service_ID\";"
    "\"Old_Channel_ID\";\"New_Channel_ID\";\"Channel_Name\";\"Field\";\"Old_Value\";\"New_Value\"";

namespace {

constexpr std::string_view LineEnd = "\r\n";

// --- CSV ---------------------------------------------------------------------

constexpr std::size_t ReportFieldCount = 12;
constexpr std::size_t LongestKindName = 7;    // "removed", "changed"
constexpr std::size_t LongestFieldName = 12;  // "Channel_Name", "Teletext_PID"

// What an entry can take besides its position text: quotes, separators and
// the line end, the kind, the satellite's and the channel's names, five
// numbers, the field's name and its two values.
constexpr std::size_t FixedEntryBound = ReportFieldCount * TCsvLineWriter::BytesPerField + 1 + LongestKindName +
                                        2 * MaxFieldTextSize + 5 * MaxCsvNumberSize + LongestFieldName +
                                        2 * MaxFieldTextSize;

std::string_view CsvKindName(TChangeKind Kind) {
    switch (Kind) {
        case TChangeKind::Added: return "added";
        case TChangeKind::Removed: return "removed";
        default: return "changed";
    }
}

// The entries of a match: one for an added or removed channel, one per
// changed field of a pair.
std::size_t EntryCount(const TChannelMatch& Match) {
    switch (Match.Kind()) {
        case TChangeKind::Added:
        case TChangeKind::Removed: return 1;
        case TChangeKind::Changed: return static_cast<std::size_t>(std::popcount(Match.ChangedFields));
        default: return 0;
    }
}

// --- HTML --------------------------------------------------------------------

constexpr std::string_view HtmlHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
    "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">\r\n"
    "<html xmlns=\"http://www.w3.org/1999/xhtml\" xml:lang=\"de\" lang=\"de\">\r\n"
    "\t<head>\r\n"
    "\t\t<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\r\n"
    "\t\t<meta name=\"generator\" content=\"Zanvero-Converter by Morvane (https://www.morvane.example)\" />\r\n"
    "\t\t<title>&Auml;nderungen der Kanalliste</title>\r\n"
    "\t\t<style type=\"text/css\">\r\n"
    "\t\t\tbody {font-family: Verdana, helvetica, arial, sans-serif; font-size: 10pt; color: #330000; "
    "background: #ffffff; margin: 2em;}\r\n"
    "\t\t\th1 {font-size: 16pt;}\r\n"
    "\t\t\th2 {font-size: 12pt; margin-top: 1.5em; page-break-after: avoid;}\r\n"
    "\t\t\ttable {border-collapse: collapse;}\r\n"
    "\t\t\tth, td {border: 1px solid #cccc99; padding: 2px 8px; text-align: left; vertical-align: top;}\r\n"
    "\t\t\tth {background-color: #eeeebb;}\r\n"
    "\t\t\ttr {page-break-inside: avoid;}\r\n"
    "\t\t\ttd.n, table.c td {text-align: right; white-space: nowrap;}\r\n"
    "\t\t\ttable.c td:first-child, table.c td:nth-child(2), table.c td:nth-child(n+8) {text-align: left;}\r\n"
    "\t\t\ttable.c td:nth-child(9) {color: #996666;}\r\n"
    "\t\t\ttr.added td:first-child {color: #006600; font-weight: bold;}\r\n"
    "\t\t\ttr.removed td:first-child {color: #cc0000; font-weight: bold;}\r\n"
    "\t\t\ttr.changed td:first-child {color: #996600; font-weight: bold;}\r\n"
    "\t\t</style>\r\n"
    "\t</head>\r\n"
    "\t<body>\r\n"
    "\t\t<h1>&Auml;nderungen der Kanalliste</h1>\r\n";

constexpr std::string_view HtmlEnd = "\t</body>\r\n</html>\r\n";

// The page's own texts are written as they stand: ASCII, with references
// for the umlauts.

// German names of the fields, in field order.
constexpr std::array<std::string_view, ChangeFieldCount> HtmlFieldNames = {
    "Kanalname", "Satellit",  "Frequenz",     "Polarisation", "Symbolrate", "Video-PID",
    "Audio-PID", "PCR-PID",   "Teletext-PID", "UF",           "Pay-TV",     "Anbieter"};

// By TChangeKind: the German name and the class of the kind's cell.
constexpr std::array<std::string_view, 4> HtmlKindNames = {"Neu", "Entfernt", "Ge&auml;ndert", "Unver&auml;ndert"};
constexpr std::array<std::string_view, 4> HtmlKindClasses = {"added", "removed", "changed", "unchanged"};

// A row takes about this much; most need no more room.
constexpr std::size_t TypicalRowSize = 200;

std::size_t KindIndex(TChangeKind Kind) { return static_cast<std::size_t>(Kind); }

void AppendNumber(std::string& Out, unsigned Value) {
    char Digits[MaxCsvNumberSize];
    Out.append(Digits, std::to_chars(Digits, Digits + sizeof Digits, Value).ptr);
}

// A file name as the user gave it: UTF-8 where it is, else its bytes read as
// Latin-1; control characters, which XML does not allow, become "?".
void AppendFileName(std::string& Out, std::string_view Name) {
    std::string Clean;
    for (std::size_t At = 0; At < Name.size();) {
        const char32_t Code = NextUtf8(Name, At);
        AppendUtf8(Clean, Code < 0x20 || (Code >= 0x7F && Code < 0xA0) ? U'?' : Code);
    }
    AppendUmlToHtml(Out, Clean, TCharset::Utf8);
}

// Appends the pieces one after the other.
void Append(std::string& Out, std::initializer_list<std::string_view> Pieces) {
    for (const std::string_view Piece : Pieces) Out.append(Piece);
}

void AppendNumberCell(std::string& Out, unsigned Value) {
    Out.append("<td class=\"n\">");
    AppendNumber(Out, Value);
    Out.append("</td>");
}

// A value as the HTML pages show it: names escaped, numbers in decimal.
void AppendValue(std::string& Out, const TFieldValue& Value, TCharset Charset) {
    switch (Value.Kind) {
        case vkNumber: AppendNumber(Out, Value.Number); break;
        case vkFlag: Out.append(Value.Number != 0 ? "ja" : "nein"); break;
        case vkText:
        case vkName: AppendUmlToHtml(Out, Value.Text, Charset); break;
    }
}

// The matches of one satellite position, and how many of each kind.
struct TPositionGroup {
    std::size_t First = 0;
    std::size_t End = 0;
    std::array<unsigned, 4> Counts{};  // by TChangeKind
    const TSatellite* Satellite = nullptr;  // of the first channel, the newer file's where it has one
    bool SatelliteFromNew = false;

    bool Unchanged() const { return Counts[KindIndex(TChangeKind::Unchanged)] == End - First; }
};

std::vector<TPositionGroup> PositionGroups(const TChannelChanges& Changes) {
    std::vector<TPositionGroup> Groups;
    const auto& Matches = Changes.Matches();
    for (std::size_t i = 0; i < Matches.size(); ++i) {
        const TChannelMatch& Match = Matches[i];
        if (Groups.empty() || Matches[Groups.back().First].Identity.Position != Match.Identity.Position)
            Groups.push_back({i, i, {}, nullptr, false});
        TPositionGroup& Group = Groups.back();
        Group.End = i + 1;
        ++Group.Counts[KindIndex(Match.Kind())];
        if (Group.Satellite == nullptr || (Match.New != nullptr && !Group.SatelliteFromNew)) {
            Group.Satellite = Changes.ShownChannel(Match).Transponder->Satellite;
            Group.SatelliteFromNew = Match.New != nullptr;
        }
    }
    return Groups;
}

void AppendSources(std::string& Out, const TChannelChanges& Changes, const TChangeReportSources& Sources) {
    Out.append("\t\t<table>\r\n\t\t\t<tr><th>&Auml;ltere Datei</th><td>");
    AppendFileName(Out, Sources.OldName);
    Out.append("</td></tr>\r\n\t\t\t<tr><th>Neuere Datei</th><td>");
    AppendFileName(Out, Sources.NewName);
    Out.append("</td></tr>\r\n\t\t\t<tr><th>Ausgeschlossen</th><td>");
    // The two channel options, named as in the window.
    const bool UF = Changes.Options().ExcludeChannelUF;
    const bool VPID = Changes.Options().ExcludeChannelVPID;
    if (UF) Out.append("Kan&auml;le mit gesetztem UF");
    if (UF && VPID) Out.append(", ");
    if (VPID) Out.append("Kan&auml;le mit VPID = 0");
    if (!UF && !VPID) Out.append("nichts");
    Out.append("</td></tr>\r\n\t\t</table>\r\n");
}

void AppendSummary(std::string& Out, const std::vector<TPositionGroup>& Groups, TCharset Charset) {
    Out.append("\t\t<h2>&Uuml;bersicht</h2>\r\n\t\t<table>\r\n\t\t\t<tr><th>Position</th><th>Satellit</th>");
    for (const std::string_view Kind : HtmlKindNames) Append(Out, {"<th>", Kind, "</th>"});
    Out.append("</tr>\r\n");
    std::array<unsigned, 4> Total{};
    for (const TPositionGroup& Group : Groups) {
        Out.append("\t\t\t<tr><td>");
        AppendUmlToHtml(Out, Group.Satellite->PositionText, Charset);
        Out.append("</td><td>");
        AppendUmlToHtml(Out, Group.Satellite->Name, Charset);
        Out.append("</td>");
        for (std::size_t Kind = 0; Kind < Total.size(); ++Kind) {
            AppendNumberCell(Out, Group.Counts[Kind]);
            Total[Kind] += Group.Counts[Kind];
        }
        Out.append("</tr>\r\n");
    }
    Out.append("\t\t\t<tr><th colspan=\"2\">Zusammen</th>");
    for (const unsigned Count : Total) AppendNumberCell(Out, Count);
    Out.append("</tr>\r\n\t\t</table>\r\n");
}

// The row of one match. A pair's changed fields stand one per line in the
// last three cells, old and new value side by side.
void AppendMatchRow(std::string& Out, const TChannelChanges& Changes, const TChannelMatch& Match) {
    const TChangeKind Kind = Match.Kind();
    const TCharset Charset = Changes.New().Charset();
    Append(Out, {"\t\t\t<tr class=\"", HtmlKindClasses[KindIndex(Kind)], "\"><td>", HtmlKindNames[KindIndex(Kind)],
                 "</td><td>"});
    AppendUmlToHtml(Out, Changes.ShownChannel(Match).Name, Charset);
    for (const TChannel* Channel : {Match.Old, Match.New}) {
        Out.append("</td><td>");
        if (Channel != nullptr) AppendNumber(Out, Channel->Number);
    }
    for (const unsigned Id : {Match.Identity.OriginalNetworkID, Match.Identity.TransportStreamID,
                              Match.Identity.ServiceID}) {
        Out.append("</td><td>");
        AppendNumber(Out, Id);
    }
    // Field names, old values, new values.
    for (int Column = 0; Column < 3; ++Column) {
        Out.append("</td><td>");
        if (Kind != TChangeKind::Changed) continue;
        bool First = true;
        for (int Field = 0; Field < ChangeFieldCount; ++Field) {
            const auto Which = static_cast<TChangeField>(Field);
            if (!Match.Changed(Which)) continue;
            if (!First) Out.append("<br />");
            First = false;
            if (Column == 0)
                Out.append(HtmlFieldNames[Field]);
            else
                AppendValue(Out, ChangeFieldValue(Column == 1 ? Changes.Old() : Changes.New(),
                                                  Column == 1 ? *Match.Old : *Match.New, Which),
                            Charset);
        }
    }
    Out.append("</td></tr>\r\n");
}

void AppendGroupEntries(std::string& Out, const TChannelChanges& Changes, const TPositionGroup& Group) {
    const TCharset Charset = Changes.New().Charset();
    Out.append("\t\t<h2>");
    AppendUmlToHtml(Out, Group.Satellite->PositionText, Charset);
    if (!Group.Satellite->Name.empty()) {
        Out.append(" &ndash; ");
        AppendUmlToHtml(Out, Group.Satellite->Name, Charset);
    }
    Out.append("</h2>\r\n\t\t<table class=\"c\">\r\n\t\t\t<tr><th>&Auml;nderung</th><th>Kanal</th><th>Nr. alt</th>"
               "<th>Nr. neu</th><th>ONID</th><th>TSID</th><th>SID</th><th>Feld</th><th>Alt</th><th>Neu</th></tr>\r\n");
    for (std::size_t i = Group.First; i < Group.End; ++i)
        if (Changes.Matches()[i].Kind() != TChangeKind::Unchanged) AppendMatchRow(Out, Changes, Changes.Matches()[i]);
    Out.append("\t\t</table>\r\n");
}

}  // namespace

void TCxfCSVChangeReport::Write(const TChannelChanges& Changes, const std::string& FileName) {
    const bool Literal = Changes.Options().CsvLiteralNames;
    const std::string_view Start = Changes.New().Charset() == TCharset::Utf8 ? Utf8ByteOrderMark : std::string_view();

    // Sized first, then written into one buffer, as the CSV export does.
    std::size_t Bound = Start.size() + ChangeReportHeader.size() + LineEnd.size();
    for (const TChannelMatch& Match : Changes.Matches()) {
        const TSatellite& Satellite = *Changes.ShownChannel(Match).Transponder->Satellite;
        Bound += EntryCount(Match) * (FixedEntryBound + Satellite.PositionText.size());
    }
    char* const Buffer = FBuffer.Room(Bound);
    char* At = std::copy(Start.begin(), Start.end(), Buffer);
    At = std::copy(ChangeReportHeader.begin(), ChangeReportHeader.end(), At);
    At = std::copy(LineEnd.begin(), LineEnd.end(), At);

    for (const TChannelMatch& Match : Changes.Matches()) {
        const TChangeKind Kind = Match.Kind();
        if (Kind == TChangeKind::Unchanged) continue;
        const TChannel& Channel = Changes.ShownChannel(Match);
        const TSatellite& Satellite = *Channel.Transponder->Satellite;
        // One line: Field is the changed field, or none for an added or
        // removed channel.
        auto Entry = [&](const TChangeField* Field) {
            TCsvLineWriter Line(At);
            Line.Text(CsvKindName(Kind));
            Line.Name(Satellite.Name, Literal);
            Line.Text(Satellite.PositionText);
            Line.Number(Match.Identity.OriginalNetworkID);
            Line.Number(Match.Identity.TransportStreamID);
            Line.Number(Match.Identity.ServiceID);
            for (const TChannel* Side : {Match.Old, Match.New}) {
                if (Side == nullptr)
                    Line.Text({});
                else
                    Line.Number(Side->Number);
            }
            Line.Name(Channel.Name, Literal);
            if (Field == nullptr) {
                for (int Empty = 0; Empty < 3; ++Empty) Line.Text({});
            } else {
                Line.Text(ChangeFieldNames[*Field]);
                Line.Field([&](char* To) {
                    return WriteCsvFieldText(To, ChangeFieldValue(Changes.Old(), *Match.Old, *Field), Literal);
                });
                Line.Field([&](char* To) {
                    return WriteCsvFieldText(To, ChangeFieldValue(Changes.New(), *Match.New, *Field), Literal);
                });
            }
            At = Line.EndLine();
        };
        if (Kind != TChangeKind::Changed) {
            Entry(nullptr);
            continue;
        }
        for (int Field = 0; Field < ChangeFieldCount; ++Field) {
            const auto Which = static_cast<TChangeField>(Field);
            if (Match.Changed(Which)) Entry(&Which);
        }
    }
    FSink.Write(FileName, std::string_view(Buffer, static_cast<std::size_t>(At - Buffer)));
}

void TCxfHTMLChangeReport::Write(const TChannelChanges& Changes, const TChangeReportSources& Sources,
                                 const std::string& FileName) {
    const std::vector<TPositionGroup> Groups = PositionGroups(Changes);
    std::size_t Rows = 0;
    for (const TChannelMatch& Match : Changes.Matches()) Rows += Match.Kind() != TChangeKind::Unchanged;
    std::string Page;
    Page.reserve(HtmlHead.size() + (Groups.size() + Rows) * TypicalRowSize);
    Page.append(HtmlHead);
    AppendSources(Page, Changes, Sources);
    AppendSummary(Page, Groups, Changes.New().Charset());
    bool AnyChange = false;
    for (const TPositionGroup& Group : Groups) {
        if (Group.Unchanged()) continue;
        AppendGroupEntries(Page, Changes, Group);
        AnyChange = true;
    }
    if (!AnyChange) Page.append("\t\t<p>Keine &Auml;nderungen.</p>\r\n");
    Page.append(HtmlEnd);
    FSink.Write(FileName, Page);
}
