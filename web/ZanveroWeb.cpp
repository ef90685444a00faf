// The browser page's converter: the window's export run (RunExport) with the
// page in the window's place. The page hands over the chosen file's bytes and
// the settings; the run's messages and the finished output files stay in
// memory until the page has fetched them. Nothing here touches the page
// itself, so the order of steps and every text are those of the window.
#include <emscripten/emscripten.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

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

// The chosen file lives in the module's in-memory file system, so the run
// finds and loads it exactly as the window does a file on disk.
const std::string InputDirectory = "/input/";
// The run creates this directory as the window creates its export folder;
// the pages themselves go to the memory sink under their bare names.
const std::string ExportDirectory = "/export/";

// An HTML export that writes no page leaves the window's user an empty
// folder to look into; the page has nothing to offer, so it says why.
const std::string NoPagesText =
    "Keine HTML-Seiten erzeugt: Kein benannter Satellit hat Kanäle, die nicht vom Export ausgeschlossen sind.";

struct TPageState {
    std::string InputName;  // as the user's file was called; empty: none chosen
    TMemorySink Output;
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

// "settings.cxf" gives "settings": the names of the downloads follow the
// file the user chose.
std::string Stem(const std::string& Name) {
    const std::size_t Dot = Name.rfind('.');
    return Dot == std::string::npos || Dot == 0 ? Name : Name.substr(0, Dot);
}

TCharset CharsetOf(int Code) {
    return Code == 1 ? TCharset::Utf8 : TCharset::Windows1252;
}

// The page keeps the head text as the editor shows it; none stands for the
// built-in head text.
std::vector<std::string> HeadLines(const char* EditorText) {
    if (EditorText == nullptr) return {DefaultHtmlHeadText};
    return EditorTextToHeadLines(EditorText);
}

struct TPageSettings {
    int ExportType = etHTML;
    unsigned Exclusions = 0;  // TExclusionBit
    char DecimalSeparator = ',';
    TCharset Charset = TCharset::Windows1252;
    std::vector<std::string> HeadText;
};

// The page in the window's place: the controls' values come from the page,
// the save dialog answers with the download's name, and messages are kept
// for the page to show.
class TPageHost final : public IExportHost {
public:
    explicit TPageHost(const TPageSettings& Settings) : FSettings(Settings) {}

    std::string CxfFileNameText() const override {
        return State().InputName.empty() ? std::string() : InputDirectory + State().InputName;
    }
    std::string ExportPathText() const override { return ExportDirectory; }
    int ExportTypeItemIndex() const override { return FSettings.ExportType; }
    bool ExcludeChannelUFChecked() const override { return FSettings.Exclusions & ebChannelUF; }
    bool ExcludeChannelVPIDChecked() const override { return FSettings.Exclusions & ebChannelVPID; }
    bool ExcludeTransponderUFChecked() const override { return FSettings.Exclusions & ebTransponderUF; }
    bool ExcludeSatelliteUFChecked() const override { return FSettings.Exclusions & ebSatelliteUF; }
    const std::vector<std::string>& HeadTextLines() const override { return FSettings.HeadText; }

    // The page shows the busy caption itself, so that the browser can paint
    // it before the run starts.
    std::string ExportButtonCaption() const override { return FCaption; }
    void SetExportButtonCaption(const std::string& Caption) override { FCaption = Caption; }

    std::optional<std::string> RunSaveDialog(TSaveDialogKind Kind) override {
        return Stem(State().InputName) + (Kind == TSaveDialogKind::CSV ? ".csv" : ".sql");
    }
    void SetSaveDialogInitialDir(TSaveDialogKind, const std::string&) override {}

    void ShowErrorMessage(const std::string& Text) override { Show(mkError, Text); }
    void ShowInformationMessage(const std::string& Text) override { Show(mkInformation, Text); }

private:
    static void Show(TMessageKind Kind, const std::string& Text) {
        State().MessageKind = Kind;
        State().Message = Text;
    }

    const TPageSettings& FSettings;
    std::string FCaption;
};

// The core's loader and exporters, writing into the memory sink.
class TPageBackend final : public IExportBackend {
public:
    TPageBackend(char DecimalSeparator, TCharset Charset) : FDecimalSeparator(DecimalSeparator), FCharset(Charset) {}

    std::unique_ptr<TCxfFile> Load(const std::string& FileName) override {
        return std::make_unique<TCxfFile>(FileName, FDecimalSeparator, FCharset);
    }
    void ExportHTML(const TExportOptions& Options, const std::vector<std::string>& HeadText) override {
        TExportOptions Bare = Options;
        Bare.ExportDirectory.clear();
        TCxfHTMLExporter(State().Output).Export(Bare, HeadText);
    }
    void ExportCSV(const TExportOptions& Options) override { TCxfCSVExporter(State().Output).Export(Options); }
    void ExportSQL(const TExportOptions& Options) override { TCxfSQLExporter(State().Output).Export(Options); }

private:
    char FDecimalSeparator;
    TCharset FCharset;
};

const std::pair<std::string, std::string>* OutputFile(int Index) {
    const auto& Files = State().Output.Files;
    if (Index < 0 || static_cast<std::size_t>(Index) >= Files.size()) return nullptr;
    return &Files[static_cast<std::size_t>(Index)];
}

}  // namespace

extern "C" {

// Takes the chosen file's name and bytes; an empty name forgets the file.
// 0 when the file is in place.
EMSCRIPTEN_KEEPALIVE int ZanveroSetInput(const char* Name, const std::uint8_t* Bytes, int Size) {
    TPageState& Page = State();
    if (!Page.InputName.empty()) std::remove((InputDirectory + Page.InputName).c_str());
    Page.InputName.clear();
    const std::string Chosen = Name ? Name : "";
    if (Chosen.empty() || Chosen.find('/') != std::string::npos || Chosen == "." || Chosen == "..") return 1;
    ForceDirectories(InputDirectory);
    std::ofstream File(InputDirectory + Chosen, std::ios::binary | std::ios::trunc);
    File.write(reinterpret_cast<const char*>(Bytes), Size);
    File.close();
    if (!File) return 1;
    Page.InputName = Chosen;
    return 0;
}

// What the chosen file holds, as one German line, or the loader's error as
// the window would show it.
EMSCRIPTEN_KEEPALIVE const char* ZanveroDescribe(int Charset) {
    if (State().InputName.empty()) return Hand(CxfFileNotFoundText);
    try {
        const TCxfFile Database(InputDirectory + State().InputName, '.', CharsetOf(Charset));
        std::size_t Named = 0;
        for (const auto& Satellite : Database.Satellites())
            if (!Satellite->Name.empty()) ++Named;
        // The first package entry stands for "no package".
        const std::size_t Packages = Database.Packages().empty() ? 0 : Database.Packages().size() - 1;
        return Hand(std::to_string(Named) + " benannte Satelliten, " + std::to_string(Database.Channels().size()) +
                    " Kanäle, " + std::to_string(Packages) + " Pakete");
    } catch (const std::exception& Error) {
        return Hand(ErrorBoxText(Error.what()));
    }
}

// One export run. Exclusions holds TExclusionBit values (ZanveroExclusionBits),
// HeadText the head text as the editor shows it, or null for the built-in
// one. Afterwards ZanveroMessageKind/Text tell what the window would have
// shown, and ZanveroFile* give the files it wrote. 0 when the run came to
// its end, 1 when an error ended it.
EMSCRIPTEN_KEEPALIVE int ZanveroRun(int ExportType, int Exclusions, int DecimalSeparator, int Charset,
                                    const char* HeadText) {
    TPageState& Page = State();
    Page.Output.Files.clear();
    Page.MessageKind = mkNone;
    Page.Message.clear();

    TPageSettings Settings;
    Settings.ExportType = ExportType;
    Settings.Exclusions = static_cast<unsigned>(Exclusions);
    Settings.DecimalSeparator = static_cast<char>(DecimalSeparator);
    Settings.Charset = CharsetOf(Charset);
    Settings.HeadText = HeadLines(HeadText);

    TPageHost Host(Settings);
    TPageBackend Backend(Settings.DecimalSeparator, Settings.Charset);
    try {
        RunExport(Host, Backend);
        // A run that found the file and wrote no page: the window's user
        // would find an empty folder.
        if (ExportType == etHTML && Page.MessageKind == mkNone && Page.Output.Files.empty()) {
            Page.MessageKind = mkInformation;
            Page.Message = NoPagesText;
        }
        return 0;
    } catch (const std::exception& Error) {
        // As the window's top-level handler: the error's text in an error box.
        Page.Output.Files.clear();
        Page.MessageKind = mkError;
        Page.Message = ErrorBoxText(Error.what());
        return 1;
    }
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
// Frees the last run's files once the page has copied them.
EMSCRIPTEN_KEEPALIVE void ZanveroReleaseFiles() {
    State().Output.Files.clear();
    State().Output.Files.shrink_to_fit();
}

// The name of the HTML pages' archive: "settings.cxf" gives "settings-html.zip".
EMSCRIPTEN_KEEPALIVE const char* ZanveroArchiveName() {
    return Hand(Stem(State().InputName) + "-html.zip");
}

// How many bytes of a file the loader reads; the page reads no more of a
// file than that, however large a file the user drops.
EMSCRIPTEN_KEEPALIVE int ZanveroImageSize() { return static_cast<int>(CxfFileSize); }

// Texts the page shows that belong to the run: 0 the busy caption, 1 the
// built-in head text as the editor shows it, 2 the message for a missing file.
EMSCRIPTEN_KEEPALIVE const char* ZanveroText(int Which) {
    switch (Which) {
        case 0: return BusyCaptionText.c_str();
        case 1: return Hand(HeadLinesToEditorText({DefaultHtmlHeadText}));
        default: return CxfFileNotFoundText.c_str();
    }
}

// The head text that an accepted editor text gives, as the editor shows it
// when it opens again: the lines cut, the empty rest after a final line
// break dropped.
EMSCRIPTEN_KEEPALIVE const char* ZanveroEditedHeadText(const char* EditorText) {
    return Hand(HeadLinesToEditorText(EditorTextToHeadLines(EditorText ? EditorText : "")));
}

// The bits of an exclusion's name ("channel-uf", ..., ExclusionBits) for
// ZanveroRun; 0 for an unknown name.
EMSCRIPTEN_KEEPALIVE int ZanveroExclusionBits(const char* Name) {
    return static_cast<int>(ExclusionBits(Name ? Name : ""));
}

// The decimal separator the page starts with, from the separator of the
// browser language's numbers (UTF-8), as a character code; "." where that
// separator has no byte in the position texts.
EMSCRIPTEN_KEEPALIVE int ZanveroDefaultDecimalSeparator(const char* LanguageSeparator) {
    return static_cast<unsigned char>(DefaultDecimalSeparator(LanguageSeparator ? LanguageSeparator : "", '.'));
}

}  // extern "C"
