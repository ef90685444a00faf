#pragma once

#include "CxfExportWriter.h"
#include "CxfFileUnit.h"

// One line per kept channel, every field quoted, fields separated by ";".
class TCxfCSVExporter {
public:
    explicit TCxfCSVExporter(TOutputSink& Sink = DefaultFileSink()) : FSink(Sink) {}
    void Export(const TExportOptions& Options);

private:
    TOutputSink& FSink;
    TOutputBuffer FBuffer;
};
