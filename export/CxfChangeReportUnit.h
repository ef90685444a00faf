// The two forms of the change report between an older and a newer .cxf file
// (TChannelChanges): a CSV file for programs and spreadsheets, an XHTML page
// for people. Each is assembled in memory and handed to a sink in one piece.
#pragma once

#include <string>
#include <string_view>

#include "CxfChangesUnit.h"
#include "CxfExportWriter.h"

// The CSV file's header line, without its line end.
extern const std::string_view ChangeReportHeader;

// A header line and one line per added or removed channel and per changed
// field of a pair, in the CSV export's conventions: every field quoted, ";"
// between fields, CR LF after every line, the databases' character set, a
// byte-order mark in UTF-8. Texts are written as the CSV export writes them.
class TCxfCSVChangeReport {
public:
    explicit TCxfCSVChangeReport(TOutputSink& Sink = DefaultFileSink()) : FSink(Sink) {}
    void Write(const TChannelChanges& Changes, const std::string& FileName);

private:
    TOutputSink& FSink;
    TOutputBuffer FBuffer;
};

// The names of the two files a report compares, as the user knows them:
// UTF-8, or else bytes that are shown as Latin-1.
struct TChangeReportSources {
    std::string OldName;
    std::string NewName;
};

// One German XHTML 1.0 Strict page with a head of its own: the two files and
// the exclusions, a summary per satellite position (added, removed, changed
// and unchanged channels), then the entries of each position, a changed
// field's old and new value side by side. Plain ASCII: every other
// character is a reference.
class TCxfHTMLChangeReport {
public:
    explicit TCxfHTMLChangeReport(TOutputSink& Sink = DefaultFileSink()) : FSink(Sink) {}
    void Write(const TChannelChanges& Changes, const TChangeReportSources& Sources, const std::string& FileName);

private:
    TOutputSink& FSink;
};
