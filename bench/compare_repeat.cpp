// Runs one CSV export of a .cxf file, or one change report of two, COUNT
// times, loads included, and prints the mean time of a run in microseconds.
// For counting the instructions of one run with callgrind: the difference
// between the counts of two runs, divided by the difference of their COUNTs,
// leaves out the program's start and end. The outputs are discarded.
//   zanvero-compare-repeat export NEW.cxf COUNT
//   zanvero-compare-repeat csv|html OLD.cxf NEW.cxf COUNT
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include "CompareRunUnit.h"
#include "CxfCSVExporterUnit.h"
#include "KeepHeap.h"

namespace {

class TDiscardSink final : public TOutputSink {
public:
    void Write(const std::string&, std::string_view Bytes) override { Total += Bytes.size(); }
    TFoundFile Find(const std::string&, std::size_t) const override { return {}; }
    std::size_t Total = 0;
};

}  // namespace

int main(int argc, char* argv[]) {
    const bool Export = argc == 4 && std::strcmp(argv[1], "export") == 0;
    const std::optional<TReportFormat> Format = argc == 5 ? ReportFormatNamed(argv[1]) : std::nullopt;
    if (!Export && !Format) {
        std::fprintf(stderr, "usage: zanvero-compare-repeat export NEW.cxf COUNT | csv|html OLD.cxf NEW.cxf COUNT\n");
        return 2;
    }
    KeepHeap();  // as the benchmark does, so both measure the same loads
    const long Count = std::strtol(argv[argc - 1], nullptr, 10);
    try {
        TDiscardSink Sink;
        TCompareRequest Request;
        if (Format) {
            Request.Old = {argv[2], argv[2]};
            Request.New = {argv[3], argv[3]};
            Request.Format = *Format;
            Request.DecimalSeparator = ',';
        }
        const auto Start = std::chrono::steady_clock::now();
        for (long i = 0; i < Count; ++i) {
            if (Export) {
                std::unique_ptr<TCxfFile> File = std::make_unique<TCxfFile>(argv[2], ',');
                TExportOptions Options;
                Options.CxfFile = &File;
                TCxfCSVExporter(Sink).Export(Options);
            } else {
                RunCompare(Request, Sink);
            }
        }
        const std::chrono::duration<double, std::micro> Time = std::chrono::steady_clock::now() - Start;
        std::printf("%.1f us per run, %zu bytes in all\n", Count > 0 ? Time.count() / Count : 0.0, Sink.Total);
    } catch (const std::exception& Error) {
        std::fprintf(stderr, "zanvero-compare-repeat: %s\n", Error.what());
        return 1;
    }
    return 0;
}
