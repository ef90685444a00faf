// Helpers shared by the CSV, HTML and escaping tests.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "CxfExportWriter.h"
#include "CxfFileUnit.h"
#include "CxfImageBuilder.h"

namespace exporttest {

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
    std::vector<std::pair<std::string, std::string>> Files;
};

// A loaded database with "," as decimal separator, as on a German system.
inline std::unique_ptr<TCxfFile> Load(const testsupport::CxfImageBuilder& Image) {
    return std::make_unique<TCxfFile>(std::span<const std::uint8_t>(Image.Bytes()), ',');
}

inline TExportOptions OptionsFor(std::unique_ptr<TCxfFile>& Database) {
    TExportOptions Options;
    Options.CxfFile = &Database;
    return Options;
}

// First word of a transponder record.
constexpr std::uint16_t TpWord(std::uint16_t Frequency, std::uint16_t Polarisation) {
    return static_cast<std::uint16_t>(Frequency | (Polarisation << 14));
}

// Splits at CR LF; a text that ends with CR LF gives no empty last piece.
inline std::vector<std::string> SplitLines(std::string_view Text) {
    std::vector<std::string> Lines;
    std::size_t Start = 0;
    while (Start < Text.size()) {
        const std::size_t End = Text.find("\r\n", Start);
        if (End == std::string_view::npos) {
            Lines.emplace_back(Text.substr(Start));
            break;
        }
        Lines.emplace_back(Text.substr(Start, End - Start));
        Start = End + 2;
    }
    return Lines;
}

// The full path of an executable found on PATH, or empty.
inline std::filesystem::path FindProgram(const std::string& Name) {
    const char* Path = std::getenv("PATH");
    std::string_view Rest = Path ? Path : "";
    while (!Rest.empty()) {
        const std::size_t Colon = Rest.find(':');
        const std::string_view Dir = Rest.substr(0, Colon);
        Rest = Colon == std::string_view::npos ? std::string_view() : Rest.substr(Colon + 1);
        if (Dir.empty()) continue;
        const std::filesystem::path Candidate = std::filesystem::path(Dir) / Name;
        if (::access(Candidate.c_str(), X_OK) == 0) return Candidate;
    }
    return {};
}

inline std::string ShellQuote(const std::string& Text) {
    std::string Quoted = "'";
    for (const char C : Text) Quoted += C == '\'' ? std::string("'\\''") : std::string(1, C);
    return Quoted + "'";
}

struct TCommandResult {
    int ExitCode = -1;
    std::string Output;  // standard output and standard error together
};

inline TCommandResult RunCommand(const std::string& Command) {
    TCommandResult Result;
    FILE* Pipe = ::popen((Command + " 2>&1").c_str(), "r");
    if (Pipe == nullptr) return Result;
    char Buffer[4096];
    std::size_t Got;
    while ((Got = std::fread(Buffer, 1, sizeof Buffer, Pipe)) > 0) Result.Output.append(Buffer, Got);
    const int Status = ::pclose(Pipe);
    Result.ExitCode = WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
    return Result;
}

}  // namespace exporttest
