// The browser page's converter: the window's export run (RunExport) with the
// page in the window's place, and the comparison of the chosen file with an
// older one (RunCompare). The page hands over the files' bytes and the
// settings; the run's messages and the finished output files stay in memory
// until the page has fetched them. Nothing here touches the page itself, so
// the order of steps and every text are those of the window.
#include <emscripten/emscripten.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "CompareRunUnit.h"
#include "CxfCSVExporterUnit.h"
#include "CxfExportWriter.h"
#include "CxfFileUnit.h"
#include "CxfHTMLExporterUnit.h"
#include "CxfSQLExporterUnit.h"
#include "DirectoriesUnit.h"
#include "ExportRunUnit.h"
#include "FrontendRulesUnit.h"
#include "HeadTextUnit.h"

namespace {

// The chosen files live in the module's in-memory file system, so the run
// finds and loads them exactly as the window does files on disk. Each slot
// has a folder of its own: the older file may have the same name.
const std::string InputDirectory = "/input/";
const std::string OlderDirectory = "/older/";
// The run creates this directory as the window creates its export folder;
// the pages themselves go to the memory sink under their bare names.
const std::string ExportDirectory = "/export/";

// An HTML export that writes no page leaves the window's user an empty
// folder to look into; the page has nothing to offer, so it says why.
const std::string NoPagesText =
    "Keine HTML-Seiten erzeugt: Kein benannter Satellit hat Kanäle, die nicht vom Export ausgeschlossen sind.";
// A comparison without the older file, which the window asks for itself.
const std::string NoOlderFileText = "Keine ältere .cxf-Datei zum Vergleich gewählt.";

// A value the page hands over by name. The names are those that the page's
// controls carry (index.html), so neither side knows the other's numbers;
// a name not in the table is a fault of the page and fails loudly.
template <typename T>
struct TNamed {
    std::string_view Name;
    T Value;
};

template <typename T, std::size_t N>
T Named(const TNamed<T> (&Table)[N], std::string_view Name, const char* What) {
    for (const TNamed<T>& Row : Table)
        if (Row.Name == Name) return Row.Value;
    throw std::invalid_argument("unknown " + std::string(What) + " \"" + std::string(Name) + "\"");
}

constexpr TNamed<int> ExportKinds[] = {{"html", etHTML}, {"csv", etCSV}, {"sql", etSQL}, {"other", etOther}};

constexpr TNamed<TCharset> Charsets[] = {{"windows-1252", TCharset::Windows1252}, {"utf-8", TCharset::Utf8}};

// How the CSV file writes a name that a spreadsheet would run as a formula:
// with the apostrophe in front, as the window does, or as it is.
constexpr TNamed<bool> CsvNameForms[] = {{"guarded", false}, {"literal", true}};

// What the folder the user chose holds under a file's name, as the page
// finds it (TFoundFile).
constexpr TNamed<TFoundFile::TKind> FoundEntries[] = {
    {"nothing", TFoundFile::Nothing}, {"file", TFoundFile::File}, {"other", TFoundFile::Other}};

// Texts of the run that the page shows itself.
constexpr TNamed<std::string (*)()> Texts[] = {
    {"busy-caption", [] { return BusyCaptionText; }},
    // As the editor shows it.
    {"default-head-text", [] { return HeadLinesToEditorText({DefaultHtmlHeadText}); }},
};

struct TPageSettings {
    int ExportType = etHTML;
    TReportFormat ReportFormat = TReportFormat::Html;
    unsigned Exclusions = 0;  // TExclusionBit
    char DecimalSeparator = ',';
    TCharset Charset = TCharset::Windows1252;
    bool CsvLiteralNames = false;
    std::vector<std::string> HeadText{DefaultHtmlHeadText};
};

// The settings of the next run by the names the page gives them
// (ZanveroSet). "exclude" names one excluded item and may come once per
// item; "head-text" is the head text as the editor shows it, the built-in
// one when the page gives none.
constexpr TNamed<void (*)(TPageSettings&, std::string_view)> SettingParsers[] = {
    {"export-kind", [](TPageSettings& S, std::string_view V) { S.ExportType = Named(ExportKinds, V, "export kind"); }},
    {"exclude",
     [](TPageSettings& S, std::string_view V) {
         const unsigned Bits = ExclusionBits(V);
         if (Bits == 0) throw std::invalid_argument("unknown exclusion \"" + std::string(V) + "\"");
         S.Exclusions |= Bits;
     }},
    {"decimal-separator",
     [](TPageSettings& S, std::string_view V) {
         const std::optional<char> Byte = DecimalSeparatorByte(V);
         if (!Byte) throw std::invalid_argument("no decimal separator: \"" + std::string(V) + "\"");
         S.DecimalSeparator = *Byte;
     }},
    {"charset", [](TPageSettings& S, std::string_view V) { S.Charset = Named(Charsets, V, "charset"); }},
    {"csv-names",
     [](TPageSettings& S, std::string_view V) { S.CsvLiteralNames = Named(CsvNameForms, V, "CSV name form"); }},
    {"head-text", [](TPageSettings& S, std::string_view V) { S.HeadText = EditorTextToHeadLines(V); }},
    {"report-kind",
     [](TPageSettings& S, std::string_view V) {
         const std::optional<TReportFormat> Format = ReportFormatNamed(V);
         if (!Format) throw std::invalid_argument("unknown report kind \"" + std::string(V) + "\"");
         S.ReportFormat = *Format;
     }},
};

// A file the page handed over, in its folder under the name the user knows.
struct TPageFile {
    const std::string& Directory;
    std::string Name;  // empty: none chosen

    std::string Path() const { return Directory + Name; }
};

struct TPageState {
    TPageFile Input{InputDirectory, {}};  // the file to convert, the newer one of a comparison
    TPageFile Older{OlderDirectory, {}};  // the older one of a comparison
    TPageSettings Next;     // the settings of the next run
    TMemorySink Output;
    bool OutputArePages = false;  // the last run's files are HTML pages, not one download
    TMessageKind MessageKind = mkNone;
    std::string Message;
    std::string Returned;  // keeps the last text handed to the page alive
};

TPageState& State() {
    static TPageState Instance;
    return Instance;
}

const char* Hand(std::string Text) {
    State().Returned = std::move(Text);
    return State().Returned.c_str();
}

void Report(TMessageKind Kind, std::string Text) {
    State().MessageKind = Kind;
    State().Message = std::move(Text);
}

// "settings.cxf" gives "settings": the names of the downloads follow the
// file the user chose.
std::string Stem(const std::string& Name) {
    const std::size_t Dot = Name.rfind('.');
    return Dot == std::string::npos || Dot == 0 ? Name : Name.substr(0, Dot);
}

// The page in the window's place: the controls' values come from the page,
// the save dialog answers with the download's name, and messages are kept
// for the page to show.
class TPageHost final : public IExportHost {
public:
    explicit TPageHost(const TPageSettings& Settings) : FSettings(Settings) {
        SetExclusions(FExclusions, Settings.Exclusions);
    }

    std::string CxfFileNameText() const override {
        return State().Input.Name.empty() ? std::string() : State().Input.Path();
    }
    std::string ExportPathText() const override { return ExportDirectory; }
    int ExportTypeItemIndex() const override { return FSettings.ExportType; }
    bool ExcludeChannelUFChecked() const override { return FExclusions.ExcludeChannelUF; }
    bool ExcludeChannelVPIDChecked() const override { return FExclusions.ExcludeChannelVPID; }
    bool ExcludeTransponderUFChecked() const override { return FExclusions.ExcludeTransponderUF; }
    bool ExcludeSatelliteUFChecked() const override { return FExclusions.ExcludeSatelliteUF; }
    const std::vector<std::string>& HeadTextLines() const override { return FSettings.HeadText; }

    // The page shows the busy caption itself, so that the browser can paint
    // it before the run starts.
    std::string ExportButtonCaption() const override { return FCaption; }
    void SetExportButtonCaption(const std::string& Caption) override { FCaption = Caption; }

    std::optional<std::string> RunSaveDialog(TSaveDialogKind Kind) override {
        return Stem(State().Input.Name) + (Kind == TSaveDialogKind::CSV ? ".csv" : ".sql");
    }
    void SetSaveDialogInitialDir(TSaveDialogKind, const std::string&) override {}

    void ShowErrorMessage(const std::string& Text) override { Report(mkError, Text); }
    void ShowInformationMessage(const std::string& Text) override { Report(mkInformation, Text); }

private:
    const TPageSettings& FSettings;
    TExportOptions FExclusions;  // only its four flags
    std::string FCaption;
};

// The core's loader and exporters, writing into the memory sink, with the
// page's own options, which the window does not have.
class TPageBackend final : public IExportBackend {
public:
    explicit TPageBackend(const TPageSettings& Settings) : FSettings(Settings) {}

    std::unique_ptr<TCxfFile> Load(const std::string& FileName) override {
        return std::make_unique<TCxfFile>(FileName, FSettings.DecimalSeparator, FSettings.Charset);
    }
    TOverviewResult ExportHTML(const TExportOptions& Options, const std::vector<std::string>& HeadText) override {
        TExportOptions Bare = Options;
        Bare.ExportDirectory.clear();
        return TCxfHTMLExporter(State().Output).Export(Bare, HeadText);
    }
    void ExportCSV(const TExportOptions& Options) override {
        TExportOptions WithNameForm = Options;
        WithNameForm.CsvLiteralNames = FSettings.CsvLiteralNames;
        TCxfCSVExporter(State().Output).Export(WithNameForm);
    }
    void ExportSQL(const TExportOptions& Options) override { TCxfSQLExporter(State().Output).Export(Options); }

private:
    const TPageSettings& FSettings;
};

// The files by the names the page knows them by.
constexpr TNamed<TPageFile TPageState::*> FileSlots[] = {{"input", &TPageState::Input},
                                                        {"older", &TPageState::Older}};

TPageFile& FileSlot(const char* Name) { return State().*Named(FileSlots, Name ? Name : "", "file slot"); }

// Sets up a run: its settings are those set since the last one, which then
// start again from their defaults; no files and no message yet.
TPageSettings StartRun(bool WritesPages) {
    TPageState& Page = State();
    Page.Output.Files.clear();
    Page.OutputArePages = WritesPages;
    Report(mkNone, "");
    return std::exchange(Page.Next, TPageSettings());
}

// What the window's top-level handler does with an error that ended a run:
// its text in an error box; and nothing written.
int EndRunWithError(const std::exception& Error) {
    State().Output.Files.clear();
    Report(mkError, ErrorBoxText(Error.what()));
    return 1;
}

const std::pair<std::string, std::string>* OutputFile(int Index) {
    const auto& Files = State().Output.Files;
    if (Index < 0 || static_cast<std::size_t>(Index) >= Files.size()) return nullptr;
    return &Files[static_cast<std::size_t>(Index)];
}

}  // namespace

extern "C" {

// Takes a chosen file's name and bytes into the named slot (FileSlots:
// "input", "older"); an empty name forgets the slot's file. 0 when the file
// is in place.
EMSCRIPTEN_KEEPALIVE int ZanveroSetFile(const char* Slot, const char* Name, const std::uint8_t* Bytes, int Size) {
    TPageFile& Held = FileSlot(Slot);
    if (!Held.Name.empty()) std::remove(Held.Path().c_str());
    Held.Name.clear();
    const std::string Chosen = Name ? Name : "";
    if (Chosen.empty() || Chosen.find('/') != std::string::npos || Chosen == "." || Chosen == "..") return 1;
    ForceDirectories(Held.Directory);
    std::ofstream File(Held.Directory + Chosen, std::ios::binary | std::ios::trunc);
    File.write(reinterpret_cast<const char*>(Bytes), Size);
    File.close();
    if (!File) return 1;
    Held.Name = Chosen;
    return 0;
}

// What the file in the named slot holds, its names read in the named
// charset, as one German line, or the loader's error as the window would
// show it.
EMSCRIPTEN_KEEPALIVE const char* ZanveroDescribe(const char* Slot, const char* Charset) {
    const TPageFile& Chosen = FileSlot(Slot);
    if (Chosen.Name.empty()) return Hand(CxfFileNotFoundText);
    try {
        const TCxfFile Database(Chosen.Path(), '.', Named(Charsets, Charset ? Charset : "", "charset"));
        std::size_t NamedSatellites = 0;
        for (const auto& Satellite : Database.Satellites())
            if (!Satellite->Name.empty()) ++NamedSatellites;
        // The first package entry stands for "no package".
        const std::size_t Packages = Database.Packages().empty() ? 0 : Database.Packages().size() - 1;
        return Hand(std::to_string(NamedSatellites) + " benannte Satelliten, " + std::to_string(Database.Channels().size()) +
                    " Kanäle, " + std::to_string(Packages) + " Pakete");
    } catch (const std::exception& Error) {
        return Hand(ErrorBoxText(Error.what()));
    }
}

// Sets one setting of the next run by its name and value (SettingParsers).
// 0 when it is set; 1 for a name or value the module does not know, and
// then every setting of the next run is back at its default.
EMSCRIPTEN_KEEPALIVE int ZanveroSet(const char* Name, const char* Value) {
    try {
        Named(SettingParsers, Name ? Name : "", "setting")(State().Next, Value ? Value : "");
        return 0;
    } catch (const std::invalid_argument&) {
        State().Next = TPageSettings();
        return 1;
    }
}

// One export run with the settings set since the last one, which then start
// again from their defaults. Afterwards ZanveroMessageKind/Text tell what the
// window would have shown, and ZanveroFile* give the files it wrote. 0 when
// the run came to its end, 1 when an error ended it.
EMSCRIPTEN_KEEPALIVE int ZanveroRun() {
    TPageState& Page = State();
    const TPageSettings Settings = StartRun(Page.Next.ExportType == etHTML);

    TPageHost Host(Settings);
    TPageBackend Backend(Settings);
    try {
        RunExport(Host, Backend);
        // A run that found the file and wrote no page: the window's user
        // would find an empty folder.
        if (Page.OutputArePages && Page.MessageKind == mkNone && Page.Output.Files.empty())
            Report(mkInformation, NoPagesText);
        return 0;
    } catch (const std::exception& Error) {
        return EndRunWithError(Error);
    }
}

// The change report of the older file against the chosen one, with the
// settings set since the last run (exclusions, decimal separator, charset,
// report kind), as one download named after the chosen file:
// "settings.cxf" gives "settings-changes.html" or "settings-changes.csv".
// Messages and files as after ZanveroRun; 0 when the report was written.
EMSCRIPTEN_KEEPALIVE int ZanveroCompare() {
    const TPageState& Page = State();
    const TPageSettings Settings = StartRun(false);
    try {
        if (Page.Input.Name.empty()) throw ECxfError(CxfFileNotFoundText);
        if (Page.Older.Name.empty()) throw ECxfError(NoOlderFileText);
        TCompareRequest Request;
        Request.New = {Page.Input.Path(), Page.Input.Name};
        Request.Old = {Page.Older.Path(), Page.Older.Name};
        Request.Format = Settings.ReportFormat;
        Request.ReportFileName =
            Stem(Page.Input.Name) + (Settings.ReportFormat == TReportFormat::Csv ? "-changes.csv" : "-changes.html");
        Request.DecimalSeparator = Settings.DecimalSeparator;
        Request.Charset = Settings.Charset;
        SetExclusions(Request.Options, Settings.Exclusions);
        Request.Options.CsvLiteralNames = Settings.CsvLiteralNames;
        RunCompare(Request, State().Output);
        return 0;
    } catch (const std::exception& Error) {
        return EndRunWithError(Error);
    }
}

// An error of the page itself (a file it could not read, a download that
// failed), kept as the run's message is, in the error box's form.
EMSCRIPTEN_KEEPALIVE void ZanveroReportError(const char* Text) {
    Report(mkError, ErrorBoxText(Text ? Text : ""));
}

// The kind of the run's message by its name (MessageKindName): "error",
// "information", or "" for none.
EMSCRIPTEN_KEEPALIVE const char* ZanveroMessageKind() { return MessageKindName(State().MessageKind); }
EMSCRIPTEN_KEEPALIVE const char* ZanveroMessageText() { return State().Message.c_str(); }

EMSCRIPTEN_KEEPALIVE int ZanveroFileCount() { return static_cast<int>(State().Output.Files.size()); }
EMSCRIPTEN_KEEPALIVE const char* ZanveroFileName(int Index) {
    const auto* File = OutputFile(Index);
    return File ? File->first.c_str() : "";
}
EMSCRIPTEN_KEEPALIVE const char* ZanveroFileData(int Index) {
    const auto* File = OutputFile(Index);
    return File ? File->second.data() : nullptr;
}
EMSCRIPTEN_KEEPALIVE int ZanveroFileSize(int Index) {
    const auto* File = OutputFile(Index);
    return File ? static_cast<int>(File->second.size()) : 0;
}
// How many bytes of what the folder the user chose holds under a file's
// name decide whether the file may take its place: 0 for a page, which
// replaces a file of its name; for the overview, which replaces only an
// overview of Zanvero's, what ZanveroMayReplaceOverview needs.
EMSCRIPTEN_KEEPALIVE int ZanveroFileProbeSize(int Index) {
    const auto* File = OutputFile(Index);
    const bool Overview = File && State().OutputArePages && File->first == OverviewFileName;
    return Overview ? static_cast<int>(OverviewProbeSize) : 0;
}

// Whether the overview may take the place of what the chosen folder holds
// under its name (MayReplaceOverview): Found names that by FoundEntries,
// Start holds the first bytes of a file. 1 when it may; 0 when that stays,
// and the run's message then says so, as the window's would (or, for a
// name the module does not know, is that error).
EMSCRIPTEN_KEEPALIVE int ZanveroMayReplaceOverview(const char* Found, const std::uint8_t* Start, int Size) {
    try {
        const TFoundFile Entry{Named(FoundEntries, Found ? Found : "", "folder entry"),
                               std::string(reinterpret_cast<const char*>(Start), static_cast<std::size_t>(Size))};
        if (MayReplaceOverview(Entry)) return 1;
        Report(mkInformation, ForeignOverviewKeptText);
    } catch (const std::invalid_argument& Error) {
        Report(mkError, ErrorBoxText(Error.what()));
    }
    return 0;
}

// Frees the last run's files once the page has copied them.
EMSCRIPTEN_KEEPALIVE void ZanveroReleaseFiles() {
    State().Output.Files.clear();
    State().Output.Files.shrink_to_fit();
}

// The name of the archive for the last run's HTML pages: "settings.cxf"
// gives "settings-html.zip"; "" when the run wrote one file to download as
// it is.
EMSCRIPTEN_KEEPALIVE const char* ZanveroArchiveName() {
    return Hand(State().OutputArePages ? Stem(State().Input.Name) + "-html.zip" : std::string());
}

// How many bytes of a file the loader reads; the page reads no more of a
// file than that, however large a file the user drops.
EMSCRIPTEN_KEEPALIVE int ZanveroImageSize() { return static_cast<int>(CxfFileSize); }

// A text of the run by its name (Texts); "" for a name it does not know.
EMSCRIPTEN_KEEPALIVE const char* ZanveroText(const char* Name) {
    try {
        return Hand(Named(Texts, Name ? Name : "", "text")());
    } catch (const std::invalid_argument&) {
        return "";
    }
}

// The head text that an accepted editor text gives, as the editor shows it
// when it opens again: the lines cut, the empty rest after a final line
// break dropped.
EMSCRIPTEN_KEEPALIVE const char* ZanveroEditedHeadText(const char* EditorText) {
    return Hand(HeadLinesToEditorText(EditorTextToHeadLines(EditorText ? EditorText : "")));
}

// The decimal separator the page starts with, from the separator of the
// browser language's numbers (UTF-8), as a character code; "." where that
// separator has no byte in the position texts.
EMSCRIPTEN_KEEPALIVE int ZanveroDefaultDecimalSeparator(const char* LanguageSeparator) {
    return static_cast<unsigned char>(DefaultDecimalSeparator(LanguageSeparator ? LanguageSeparator : "", '.'));
}

}  // extern "C"
