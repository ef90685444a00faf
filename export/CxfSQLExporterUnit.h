#pragma once

#include "CxfExportWriter.h"
#include "CxfFileUnit.h"

// A MySQL dump that drops and re-creates the four tables and fills them.
class TCxfSQLExporter {
public:
    explicit TCxfSQLExporter(TOutputSink& Sink = DefaultFileSink()) : FSink(Sink) {}
    void Export(const TExportOptions& Options);

private:
    TOutputSink& FSink;
    TOutputBuffer FBuffer;
};
