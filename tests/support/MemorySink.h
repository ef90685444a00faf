// An output sink that keeps what exporters hand over instead of writing it.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "CxfExportWriter.h"

namespace testsupport {

// Keeps every file an exporter hands over, in the order they came.
class TMemorySink final : public TOutputSink {
public:
    void Write(const std::string& FileName, std::string_view Bytes) override {
        Files.emplace_back(FileName, std::string(Bytes));
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> Result;
        for (const auto& File : Files) Result.push_back(File.first);
        return Result;
    }
    std::vector<std::pair<std::string, std::string>> Files;  // name, content
};

}  // namespace testsupport
