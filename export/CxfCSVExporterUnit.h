#pragma once

#include <string_view>

#include "CxfExportWriter.h"
#include "CxfFileUnit.h"

// Whether a spreadsheet that opens the CSV file would take Text, a cell's
// content, for a formula: it starts with "=" or "@", or with "+" or "-"
// followed by anything but a plain number (ASCII digits, optionally one "."
// or "," and more digits). "-", "+1" and "-1,5" are data; "=1+1", "@SUM(A1)"
// and "-2+3" are formulas.
bool StartsFormula(std::string_view Text);

// One line per kept channel, every field quoted, fields separated by ";".
class TCxfCSVExporter {
public:
    explicit TCxfCSVExporter(TOutputSink& Sink = DefaultFileSink()) : FSink(Sink) {}
    void Export(const TExportOptions& Options);

private:
    TOutputSink& FSink;
    TOutputBuffer FBuffer;
};
