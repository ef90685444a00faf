#include "ExportRunUnit.h"

#include "CxfCSVExporterUnit.h"
#include "CxfHTMLExporterUnit.h"
#include "CxfSQLExporterUnit.h"
#include "DirectoriesUnit.h"

namespace {

// Puts the remembered caption back when the run ends, however it ends.
class TCaptionRestorer {
public:
    TCaptionRestorer(IExportHost& Host, const std::string& BusyCaption)
        : FHost(Host), FSavedCaption(Host.ExportButtonCaption()) {
        FHost.SetExportButtonCaption(BusyCaption);
    }
    ~TCaptionRestorer() {
        // A destructor must not throw; a failing caption update is not worth
        // losing the error that is already on its way.
        try {
            FHost.SetExportButtonCaption(FSavedCaption);
        } catch (...) {
        }
    }
    TCaptionRestorer(const TCaptionRestorer&) = delete;
    TCaptionRestorer& operator=(const TCaptionRestorer&) = delete;

private:
    IExportHost& FHost;
    std::string FSavedCaption;
};

// Creates the directory with its missing parents. Only an empty name is an
// error; whether the creation worked shows when something is written there.
void CreateExportDirectory(const std::string& Name) {
    if (Name.empty()) throw ECxfError(UnableToCreateDirectoryText);
    ForceDirectories(Name);
}

void ExportToChosenFile(IExportHost& Host, TSaveDialogKind Kind, TExportOptions& Options,
                        IExportBackend& Backend) {
    const std::optional<std::string> Chosen = Host.RunSaveDialog(Kind);
    if (!Chosen) return;
    Options.FileName = *Chosen;
    Host.SetSaveDialogInitialDir(Kind, ParentDirectory(*Chosen));
    if (Kind == TSaveDialogKind::CSV)
        Backend.ExportCSV(Options);
    else
        Backend.ExportSQL(Options);
}

}  // namespace

void RunExport(IExportHost& Host, IExportBackend& Backend) {
    if (!FileExists(Host.CxfFileNameText())) {
        Host.ShowErrorMessage(CxfFileNotFoundText);
        return;
    }

    const std::string ExportPath = Host.ExportPathText();
    if (!DirectoryExists(ExportPath)) CreateExportDirectory(ExportPath);

    // Declaration order gives the release order on every way out: options,
    // then the database, then the caption.
    std::optional<TCaptionRestorer> Caption;
    std::unique_ptr<TCxfFile> CxfFile;
    {
        auto Options = std::make_unique<TExportOptions>();
        Options->CxfFile = &CxfFile;
        Options->ExcludeChannelUF = Host.ExcludeChannelUFChecked();
        Options->ExcludeChannelVPID = Host.ExcludeChannelVPIDChecked();
        Options->ExcludeTransponderUF = Host.ExcludeTransponderUFChecked();
        Options->ExcludeSatelliteUF = Host.ExcludeSatelliteUFChecked();

        Caption.emplace(Host, BusyCaptionText);

        CxfFile = Backend.Load(Host.CxfFileNameText());

        switch (Host.ExportTypeItemIndex()) {
            case etHTML:
                // The label keeps the user's text; the exporter needs the
                // final separator, which a hand-edited setting may lack.
                Options->ExportDirectory = WithFinalSeparator(Host.ExportPathText());
                if (Backend.ExportHTML(*Options, Host.HeadTextLines()) == TOverviewResult::ForeignKept)
                    Host.ShowInformationMessage(ForeignOverviewKeptText);
                break;
            case etCSV:
                ExportToChosenFile(Host, TSaveDialogKind::CSV, *Options, Backend);
                break;
            case etSQL:
                ExportToChosenFile(Host, TSaveDialogKind::SQL, *Options, Backend);
                break;
            case etOther:
                Host.ShowInformationMessage(OtherFormatsText);
                break;
            default:
                break;
        }
    }  // the options are released here
    CxfFile.reset();
    Caption.reset();
}

std::unique_ptr<TCxfFile> TCoreExportBackend::Load(const std::string& FileName) {
    return std::make_unique<TCxfFile>(FileName, FDecimalSeparator);
}

TOverviewResult TCoreExportBackend::ExportHTML(const TExportOptions& Options,
                                               const std::vector<std::string>& HeadText) {
    TCxfHTMLExporter Exporter;
    return Exporter.Export(Options, HeadText);
}

void TCoreExportBackend::ExportCSV(const TExportOptions& Options) {
    TCxfCSVExporter Exporter;
    Exporter.Export(Options);
}

void TCoreExportBackend::ExportSQL(const TExportOptions& Options) {
    TCxfSQLExporter Exporter;
    Exporter.Export(Options);
}
