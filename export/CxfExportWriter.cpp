#include "CxfExportWriter.h"

TOutputSink& DefaultFileSink() {
    static TFileReplacingSink Sink;
    return Sink;
}

void TMemorySink::Write(const std::string& FileName, std::string_view Bytes) {
    Files.emplace_back(FileName, std::string(Bytes));
}

std::vector<std::string> TMemorySink::Names() const {
    std::vector<std::string> Result;
    Result.reserve(Files.size());
    for (const auto& File : Files) Result.push_back(File.first);
    return Result;
}
