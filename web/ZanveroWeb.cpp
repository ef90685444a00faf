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

namespace {

// The chosen file lives in the module's in-memory file system, so the run
// finds and loads it exactly as the window does a file on disk.
const std::string InputDirectory = "/input/";
// The run creates this directory as the window creates its export folder;
// the pages themselves go to the memory sink under their bare names.
const std::string ExportDirectory = "/export/";

enum TMessageKind : int { mkNone = 0, mkError = 1, mkInformation = 2 };

struct TPageState {
    std::string InputName;  // as the user's file was called; empty: none chosen
    TMemorySink Output;
    int MessageKind = mkNone;
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

// The window adds a final full stop to an error text that lacks one.
std::string ErrorBoxText(std::string Message) {
    if (!Message.empty() && Message.back() > '.') Message += '.';
    return Message;
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

// Lines joined by "\n"; a negative count asks for the built-in head text.
std::vector<std::string> HeadLines(const char* Joined, int Count) {
    if (Count < 0) return {DefaultHtmlHeadText};
    std::vector<std::string> Lines;
    if (Count == 0) return Lines;
    std::string Text = Joined ? Joined : "";
    std::size_t Start = 0;
    for (int i = 0; i + 1 < Count; ++i) {
        const std::size_t End = Text.find('\n', Start);
        if (End == std::string::npos) break;
        Lines.push_back(Text.substr(Start, End - Start));
        Start = End + 1;
    }
    Lines.push_back(Text.substr(Start));
    return Lines;
}

struct TPageSettings {
    int ExportType = etHTML;
    unsigned Exclusions = 0;  // bit 0 channel UF, 1 channel VPID, 2 transponder UF, 3 satellite UF
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
    bool ExcludeChannelUFChecked() const override { return FSettings.Exclusions & 1; }
    bool ExcludeChannelVPIDChecked() const override { return FSettings.Exclusions & 2; }
    bool ExcludeTransponderUFChecked() const override { return FSettings.Exclusions & 4; }
    bool ExcludeSatelliteUFChecked() const override { return FSettings.Exclusions & 8; }
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
    static void Show(int Kind, const std::string& Text) {
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

// One export run. Afterwards ZanveroMessageKind/Text tell what the window
// would have shown, and ZanveroFile* give the files it wrote. 0 when the
// run came to its end, 1 when an error ended it.
EMSCRIPTEN_KEEPALIVE int ZanveroRun(int ExportType, int Exclusions, int DecimalSeparator, int Charset,
                                    const char* HeadText, int HeadLineCount) {
    TPageState& Page = State();
    Page.Output.Files.clear();
    Page.MessageKind = mkNone;
    Page.Message.clear();

    TPageSettings Settings;
    Settings.ExportType = ExportType;
    Settings.Exclusions = static_cast<unsigned>(Exclusions);
    Settings.DecimalSeparator = static_cast<char>(DecimalSeparator);
    Settings.Charset = CharsetOf(Charset);
    Settings.HeadText = HeadLines(HeadText, HeadLineCount);

    TPageHost Host(Settings);
    TPageBackend Backend(Settings.DecimalSeparator, Settings.Charset);
    try {
        RunExport(Host, Backend);
        return 0;
    } catch (const std::exception& Error) {
        // As the window's top-level handler: the error's text in an error box.
        Page.Output.Files.clear();
        Page.MessageKind = mkError;
        Page.Message = ErrorBoxText(Error.what());
        return 1;
    }
}

EMSCRIPTEN_KEEPALIVE int ZanveroMessageKind() { return State().MessageKind; }
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
// built-in head text (lines joined by CR LF), 2 the message for a missing file.
EMSCRIPTEN_KEEPALIVE const char* ZanveroText(int Which) {
    switch (Which) {
        case 0: return BusyCaptionText.c_str();
        case 1: return DefaultHtmlHeadText.c_str();
        default: return CxfFileNotFoundText.c_str();
    }
}

}  // extern "C"
