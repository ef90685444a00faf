// Running the built zanvero-cli as a user would, for the command-line tests.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "CxfImageBuilder.h"
#include "TestProcess.h"

namespace testsupport {

struct TResult {
    int Exit = -1;
    std::string Out;
    std::string Err;
};

// Runs the converter under the C locale; standard output goes to StdoutPath
// when one is given (a device, say), else into a file that is read back.
inline TResult RunCli(const std::vector<std::string>& Args, const std::filesystem::path& StdoutPath = {}) {
    const TempDir Streams;
    TProcessFiles Files;
    Files.Out = StdoutPath.empty() ? Streams / "out" : StdoutPath;
    Files.Err = Streams / "err";
    Files.Environment = {{"LC_ALL", "C"}};
    std::vector<std::string> Argv{ZANVERO_CLI_PATH};
    Argv.insert(Argv.end(), Args.begin(), Args.end());

    TResult Result;
    Result.Exit = RunProgram(Argv, Files);
    if (StdoutPath.empty()) Result.Out = ReadFileBytes(Files.Out);
    Result.Err = ReadFileBytes(Files.Err);
    return Result;
}

}  // namespace testsupport
