// Which environment variable decides the decimal separator, checked against
// locales compiled for the test (the system may have none with a comma).
// One test, as compiling the locales takes seconds.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>

#include "CxfImageBuilder.h"
#include "CxfTestUtil.h"
#include "TestProcess.h"

using namespace testsupport;

namespace {

constexpr const char* Comma = "xx_COMMA.UTF-8";
constexpr const char* ArabicPoint = "xx_ARABIC.UTF-8";  // U+066B, two bytes in UTF-8

struct TEnvironmentCase {
    const char* Label;
    std::optional<std::string> All, Numeric, Lang;
    char Expected;
};

TEST(LocaleSeparator, FollowsTheVariableThatDecides) {
    const std::filesystem::path Localedef = FindProgram("localedef");
    if (Localedef.empty()) GTEST_SKIP() << "no localedef";
    const TempDir Locales;
    for (const auto& [Name, Point] : {std::pair{Comma, "<U002C>"}, std::pair{ArabicPoint, "<U066B>"}}) {
        const std::filesystem::path Source = Locales / (std::string(Name) + ".def");
        std::ofstream(Source) << "LC_NUMERIC\ndecimal_point \"" << Point
                              << "\"\nthousands_sep \"\"\ngrouping -1\nEND LC_NUMERIC\n";
        // -c: the other categories are left out on purpose.
        RunProgram({Localedef.string(), "-c", "-i", Source.string(), "-f", "UTF-8", (Locales / Name).string()},
                   {.Out = Locales / "log", .Err = Locales / "log"});
        if (!std::filesystem::exists(Locales / Name / "LC_NUMERIC")) GTEST_SKIP() << "localedef failed";
    }

    const char* const Variables[] = {"LOCPATH", "LC_ALL", "LC_NUMERIC", "LANG"};
    std::optional<std::string> Saved[std::size(Variables)];
    for (std::size_t i = 0; i < std::size(Variables); ++i)
        if (const char* Value = std::getenv(Variables[i])) Saved[i] = Value;

    SetEnvironment("LOCPATH", Locales.Path().string());
    for (const TEnvironmentCase& Case :
         {TEnvironmentCase{"LangAlone", std::nullopt, std::nullopt, Comma, ','},
          TEnvironmentCase{"NumericBeatsLang", std::nullopt, Comma, "C", ','},
          TEnvironmentCase{"NumericCBeatsLang", std::nullopt, "C", Comma, '.'},
          TEnvironmentCase{"AllBeatsNumeric", "C", Comma, Comma, '.'},
          TEnvironmentCase{"AllAlone", Comma, "C", "C", ','},
          TEnvironmentCase{"SeveralBytesGivePoint", std::nullopt, ArabicPoint, std::nullopt, '.'}}) {
        SetEnvironment("LC_ALL", Case.All);
        SetEnvironment("LC_NUMERIC", Case.Numeric);
        SetEnvironment("LANG", Case.Lang);
        EXPECT_EQ(LocaleDecimalSeparator(), Case.Expected) << Case.Label;
    }

    // Back as they were, for the tests that follow in this process.
    for (std::size_t i = 0; i < std::size(Variables); ++i) SetEnvironment(Variables[i], Saved[i]);
}

}  // namespace
