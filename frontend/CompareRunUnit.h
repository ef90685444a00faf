// One comparison of an older and a newer .cxf file as every front-end runs
// it: both files loaded as for an export, their channels matched
// (TChannelChanges), the change report written in one piece.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "CxfExportWriter.h"
#include "CxfFileUnit.h"

enum class TReportFormat { Csv, Html };

// The report format of a format's name, "csv" or "html"; nothing for any
// other name.
std::optional<TReportFormat> ReportFormatNamed(std::string_view Name);

// A .cxf file as the run reads it and as the user knows it.
struct TCompareInput {
    std::string FileName;   // the core's file name
    std::string ShownName;  // in messages and the report, as the core's texts
};

struct TCompareRequest {
    TCompareInput Old;
    TCompareInput New;
    TReportFormat Format = TReportFormat::Html;
    std::string ReportFileName;  // handed to the sink
    char DecimalSeparator = '.';
    TCharset Charset = TCharset::Windows1252;
    // The channel exclusions and CsvLiteralNames; the rest is not read.
    TExportOptions Options;
};

// Loads the file as for an export. A load error's message gets the file's
// shown name and ": " in front ("backup.cxf: File not found").
std::unique_ptr<TCxfFile> LoadComparedFile(const TCompareInput& Input, char DecimalSeparator, TCharset Charset);

// Matches the channels of the two databases and hands the report in the
// request's format to Sink.
void WriteChangeReport(const TCxfFile& Old, const TCxfFile& New, const TCompareRequest& Request,
                       TOutputSink& Sink);

// Loads the newer file, then the older one, and writes the report. Nothing
// is written when a load fails.
void RunCompare(const TCompareRequest& Request, TOutputSink& Sink = DefaultFileSink());
