// Load and export times on the largest possible .cxf file, each export set
// against the floor: writing the very same bytes into the same number of
// files with plain open/write/close and rename.
#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <unistd.h>

#include "CxfCSVExporterUnit.h"
#include "CxfHTMLExporterUnit.h"
#include "CxfImageBuilder.h"
#include "CxfSQLExporterUnit.h"
#include "KeepHeap.h"

namespace {

using Files = std::vector<std::pair<std::string, std::string>>;  // name, bytes

// Takes the finished bytes and keeps nothing: the export's own cost.
class DiscardSink final : public TOutputSink {
public:
    void Write(const std::string&, std::string_view Bytes) override { benchmark::DoNotOptimize(Bytes.data()); }
    TFoundFile Find(const std::string&, std::size_t) const override { return {}; }
};

// Writes the finished bytes the way the floor does, to tell the cost of the
// writer's safety steps from the cost of writing a freshly built buffer.
class PlainWriteSink final : public TOutputSink {
public:
    void Write(const std::string& FileName, std::string_view Bytes) override {
        const std::string Temp = FileName + ".tmp";
        const int Fd = ::open(Temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (Fd < 0 || ::write(Fd, Bytes.data(), Bytes.size()) != static_cast<ssize_t>(Bytes.size()))
            throw std::runtime_error("plain write failed");
        ::close(Fd);
        ::rename(Temp.c_str(), FileName.c_str());
    }
    TFoundFile Find(const std::string&, std::size_t) const override { return {}; }
};

const std::vector<std::uint8_t>& Image() {
    static const std::vector<std::uint8_t> Bytes = testsupport::MaximalImage().Bytes();
    return Bytes;
}

const std::vector<std::uint8_t>& MarkerImage() {
    static const std::vector<std::uint8_t> Bytes = testsupport::MarkerImage().Bytes();
    return Bytes;
}

const std::filesystem::path& WorkDir() {
    static const testsupport::TempDir Dir;
    return Dir.Path();
}

std::string Target(const char* Name) { return (WorkDir() / Name).string(); }

enum Format { Csv, Sql, Html };

// One export of the maximal database into Sink; the database is loaded anew
// outside the timed part, since the HTML export fills it.
void Export(Format What, TOutputSink& Sink, benchmark::State& State) {
    State.PauseTiming();
    std::unique_ptr<TCxfFile> File = std::make_unique<TCxfFile>(std::span(Image()), ',');
    TExportOptions Options;
    Options.CxfFile = &File;
    Options.FileName = Target(What == Csv ? "out.csv" : "out.sql");
    Options.ExportDirectory = (WorkDir() / "html").string() + "/";
    State.ResumeTiming();
    switch (What) {
        case Csv: TCxfCSVExporter(Sink).Export(Options); break;
        case Sql: TCxfSQLExporter(Sink).Export(Options); break;
        case Html: TCxfHTMLExporter(Sink).Export(Options, {DefaultHtmlHeadText}); break;
    }
    State.PauseTiming();
    File.reset();
    State.ResumeTiming();
}

const Files& Produced(Format What) {
    static std::map<Format, Files> Cache;
    auto& Entry = Cache[What];
    if (Entry.empty()) {
        std::unique_ptr<TCxfFile> File = std::make_unique<TCxfFile>(std::span(Image()), ',');
        TExportOptions Options;
        Options.CxfFile = &File;
        Options.FileName = Target(What == Csv ? "out.csv" : "out.sql");
        Options.ExportDirectory = (WorkDir() / "html").string() + "/";
        TMemorySink Sink;
        switch (What) {
            case Csv: TCxfCSVExporter(Sink).Export(Options); break;
            case Sql: TCxfSQLExporter(Sink).Export(Options); break;
            case Html: TCxfHTMLExporter(Sink).Export(Options, {DefaultHtmlHeadText}); break;
        }
        Entry = std::move(Sink.Files);
    }
    return Entry;
}

// Loads from the file, as a run of the program does.
void LoadFile(benchmark::State& State, const char* Name, const std::vector<std::uint8_t>& Bytes) {
    const std::string Path = Target(Name);
    testsupport::WriteFileBytes(Path, std::string_view(reinterpret_cast<const char*>(Bytes.data()), Bytes.size()));
    for (auto _ : State) {
        TCxfFile File(Path, ',');
        benchmark::DoNotOptimize(File.Channels().size());
    }
}

void BM_Load(benchmark::State& State) { LoadFile(State, "max.cxf", Image()); }

// Every channel a package marker of its own: the package list at its longest.
void BM_LoadMarkers(benchmark::State& State) { LoadFile(State, "markers.cxf", MarkerImage()); }

void BM_ExportInMemory(benchmark::State& State) {
    const auto What = static_cast<Format>(State.range(0));
    DiscardSink Sink;
    for (auto _ : State) Export(What, Sink, State);
}

void BM_ExportPlainWrite(benchmark::State& State) {
    const auto What = static_cast<Format>(State.range(0));
    std::filesystem::create_directories(WorkDir() / "html");
    PlainWriteSink Sink;
    for (auto _ : State) Export(What, Sink, State);
}

void BM_ExportToFiles(benchmark::State& State) {
    const auto What = static_cast<Format>(State.range(0));
    std::filesystem::create_directories(WorkDir() / "html");
    for (auto _ : State) Export(What, DefaultFileSink(), State);
}

// The floor: the same files, written as plainly as the system allows, and
// renamed into place as the exporters' writer does.
void BM_Floor(benchmark::State& State) {
    const Files& Output = Produced(static_cast<Format>(State.range(0)));
    std::filesystem::create_directories(WorkDir() / "html");
    for (auto _ : State) {
        for (const auto& [Name, Bytes] : Output) {
            const std::string Temp = Name + ".tmp";
            const int Fd = ::open(Temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (Fd < 0 || ::write(Fd, Bytes.data(), Bytes.size()) != static_cast<ssize_t>(Bytes.size()))
                State.SkipWithError("floor write failed");
            ::close(Fd);
            ::rename(Temp.c_str(), Name.c_str());
        }
    }
}

void Formats(benchmark::internal::Benchmark* B) {
    B->ArgName("format")->Arg(Csv)->Arg(Sql)->Arg(Html)->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_Load)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadMarkers)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExportInMemory)->Apply(Formats);
BENCHMARK(BM_ExportToFiles)->Apply(Formats);
BENCHMARK(BM_Floor)->Apply(Formats);
BENCHMARK(BM_ExportPlainWrite)->Apply(Formats);

// Collects the mean real time of every run for the ratio table.
class TableReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& Runs) override {
        ConsoleReporter::ReportRuns(Runs);
        for (const Run& R : Runs)
            if (!R.error_occurred) Times[R.benchmark_name()] = R.GetAdjustedRealTime();
    }
    std::map<std::string, double> Times;
};

}  // namespace

int main(int argc, char** argv) {
    KeepHeap();
    benchmark::Initialize(&argc, argv);
    TableReporter Reporter;
    benchmark::RunSpecifiedBenchmarks(&Reporter);

    std::printf("\n%-6s %12s %14s %14s %12s %8s\n", "format", "in memory", "+ plain write", "+ file writer", "floor", "ratio");
    const char* Names[] = {"CSV", "SQL", "HTML"};
    bool WithinTarget = true;
    for (int f = 0; f < 3; ++f) {
        const std::string Arg = "/format:" + std::to_string(f);
        const double Memory = Reporter.Times["BM_ExportInMemory" + Arg];
        const double Plain = Reporter.Times["BM_ExportPlainWrite" + Arg];
        const double WithFiles = Reporter.Times["BM_ExportToFiles" + Arg];
        const double Floor = Reporter.Times["BM_Floor" + Arg];
        if (Floor <= 0) continue;
        const double Ratio = WithFiles / Floor;
        WithinTarget = WithinTarget && Ratio <= 1.5;
        std::printf("%-6s %12.1f %14.1f %14.1f %12.1f %8.2f\n", Names[f], Memory, Plain, WithFiles, Floor, Ratio);
    }
    const double Load = Reporter.Times["BM_Load"];
    const double LoadMarkers = Reporter.Times["BM_LoadMarkers"];
    std::printf("(times in microseconds; ratio = with the file writer / floor, target 1.5)\n");
    std::printf("load           %12.1f us (target at most 100 us)\n", Load);
    std::printf("load, markers  %12.1f us (target at most 200 us)\n", LoadMarkers);
    const bool LoadsFast = Load <= 100 && LoadMarkers <= 200;
    std::printf("%s\n", WithinTarget && LoadsFast ? "all targets met" : "TARGET MISSED");
    benchmark::Shutdown();
    return 0;
}
