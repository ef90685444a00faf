// One export run: everything between a mouse press on the export button and
// the moment the button shows its caption again. The run reaches the window
// only through IExportHost and the core only through IExportBackend, so the
// whole order of steps can be driven without a display.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CxfFileUnit.h"
#include "CxfHTMLExporterUnit.h"

// Texts of the run (UTF-8).
inline const std::string CxfFileNotFoundText = ".cxf-Datei nicht gefunden.";
inline const std::string BusyCaptionText = "..bitte warten..";
inline const std::string OtherFormatsText = "Spezielles Ausgabeformat erwünscht? zanvero@morvane.example";
inline const std::string UnableToCreateDirectoryText = "Unable to create directory";
// An HTML export left an index.html alone that is not its overview
// (TOverviewResult::ForeignKept).
inline const std::string ForeignOverviewKeptText =
    "Die Satellitenseiten wurden geschrieben, die Übersicht index.html aber nicht: Im Zielverzeichnis gibt es "
    "schon eine index.html, die nicht von Zanvero stammt. Sie bleibt, wie sie ist.";

// Item indexes of the export type group.
enum TExportType : int { etHTML = 0, etCSV = 1, etSQL = 2, etOther = 3 };

enum class TSaveDialogKind { CSV, SQL };

// What the run needs of the main window. Paths are the core's file names
// (UTF-8 on Windows, the bytes as they are on Linux), captions and messages
// UTF-8.
class IExportHost {
public:
    virtual ~IExportHost() = default;

    virtual std::string CxfFileNameText() const = 0;
    virtual std::string ExportPathText() const = 0;
    virtual int ExportTypeItemIndex() const = 0;
    virtual bool ExcludeChannelUFChecked() const = 0;
    virtual bool ExcludeChannelVPIDChecked() const = 0;
    virtual bool ExcludeTransponderUFChecked() const = 0;
    virtual bool ExcludeSatelliteUFChecked() const = 0;
    // The window's own list, handed to the HTML exporter as it is.
    virtual const std::vector<std::string>& HeadTextLines() const = 0;

    virtual std::string ExportButtonCaption() const = 0;
    virtual void SetExportButtonCaption(const std::string& Caption) = 0;

    // Runs the save dialog modally; the chosen file, or nothing when cancelled.
    virtual std::optional<std::string> RunSaveDialog(TSaveDialogKind Kind) = 0;
    virtual void SetSaveDialogInitialDir(TSaveDialogKind Kind, const std::string& Directory) = 0;

    virtual void ShowErrorMessage(const std::string& Text) = 0;
    virtual void ShowInformationMessage(const std::string& Text) = 0;
};

// The loader and the three exporters.
class IExportBackend {
public:
    virtual ~IExportBackend() = default;
    virtual std::unique_ptr<TCxfFile> Load(const std::string& FileName) = 0;
    // The pages and their overview; what became of the overview.
    virtual TOverviewResult ExportHTML(const TExportOptions& Options, const std::vector<std::string>& HeadText) = 0;
    virtual void ExportCSV(const TExportOptions& Options) = 0;
    virtual void ExportSQL(const TExportOptions& Options) = 0;
};

// The real core: each export creates its exporter, calls Export once and
// releases it.
class TCoreExportBackend final : public IExportBackend {
public:
    explicit TCoreExportBackend(char DecimalSeparator) : FDecimalSeparator(DecimalSeparator) {}
    std::unique_ptr<TCxfFile> Load(const std::string& FileName) override;
    TOverviewResult ExportHTML(const TExportOptions& Options, const std::vector<std::string>& HeadText) override;
    void ExportCSV(const TExportOptions& Options) override;
    void ExportSQL(const TExportOptions& Options) override;

private:
    char FDecimalSeparator;
};

// One run. Errors of the loader and the exporters are not caught here; the
// button caption is restored and everything the run created is released on
// every way out, errors included.
void RunExport(IExportHost& Host, IExportBackend& Backend);
