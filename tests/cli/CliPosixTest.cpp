// zanvero-cli on Linux: what the converter links.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "CliRun.h"

namespace {

using testing::HasSubstr;
using namespace testsupport;

TEST(CliLinking, LoadsNoGuiToolkit) {
    // Batch use starts the converter once per file: no Qt, no ICU.
    const TempDir Streams;
    testsupport::TProcessFiles Files;
    Files.Out = Streams / "ldd";
    ASSERT_EQ(testsupport::RunProgram({testsupport::FindProgram("ldd").string(), ZANVERO_CLI_PATH}, Files), 0);
    const std::string Libraries = ReadFileBytes(Files.Out);
    EXPECT_THAT(Libraries, HasSubstr("libc.so"));
    EXPECT_THAT(Libraries, testing::Not(testing::ContainsRegex("libQt|libicu")));
}

}  // namespace
