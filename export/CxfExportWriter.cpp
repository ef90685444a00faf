#include "CxfExportWriter.h"

TOutputSink& DefaultFileSink() {
    static TFileReplacingSink Sink;
    return Sink;
}
