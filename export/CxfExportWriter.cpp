#include "CxfExportWriter.h"

TOutputSink& DefaultFileSink() {
    static TFileReplacingSink Sink;
    return Sink;
}

void TMemorySink::Write(const std::string& FileName, std::string_view Bytes) {
    Files.emplace_back(FileName, std::string(Bytes));
}

TFoundFile TMemorySink::Find(const std::string& FileName, std::size_t Limit) const {
    for (auto File = Files.rbegin(); File != Files.rend(); ++File)
        if (File->first == FileName) return {TFoundFile::File, File->second.substr(0, Limit)};
    return {};
}

TFoundFile TDescriptorSink::Find(const std::string&, std::size_t) const { return {}; }

std::vector<std::string> TMemorySink::Names() const {
    std::vector<std::string> Result;
    Result.reserve(Files.size());
    for (const auto& File : Files) Result.push_back(File.first);
    return Result;
}
