#include "CompareRunUnit.h"

#include "CxfChangeReportUnit.h"
#include "CxfChangesUnit.h"

std::optional<TReportFormat> ReportFormatNamed(std::string_view Name) {
    if (Name == "csv") return TReportFormat::Csv;
    if (Name == "html") return TReportFormat::Html;
    return std::nullopt;
}

std::unique_ptr<TCxfFile> LoadComparedFile(const TCompareInput& Input, char DecimalSeparator, TCharset Charset) {
    try {
        return std::make_unique<TCxfFile>(Input.FileName, DecimalSeparator, Charset);
    } catch (const ECxfError& Error) {
        // With two files, a message that names neither would leave the user
        // guessing which one failed.
        throw ECxfError(Input.ShownName + ": " + Error.what());
    }
}

void WriteChangeReport(const TCxfFile& Old, const TCxfFile& New, const TCompareRequest& Request,
                       TOutputSink& Sink) {
    const TChannelChanges Changes(Old, New, Request.Options);
    if (Request.Format == TReportFormat::Csv)
        TCxfCSVChangeReport(Sink).Write(Changes, Request.ReportFileName);
    else
        TCxfHTMLChangeReport(Sink).Write(Changes, {Request.Old.ShownName, Request.New.ShownName},
                                         Request.ReportFileName);
}

void RunCompare(const TCompareRequest& Request, TOutputSink& Sink) {
    const std::unique_ptr<TCxfFile> New = LoadComparedFile(Request.New, Request.DecimalSeparator, Request.Charset);
    const std::unique_ptr<TCxfFile> Old = LoadComparedFile(Request.Old, Request.DecimalSeparator, Request.Charset);
    WriteChangeReport(*Old, *New, Request, Sink);
}
