// The rules the window, the page and the command line share.
#include <gtest/gtest.h>

#include "FrontendRulesUnit.h"

namespace {

TEST(ErrorBox, FullStopAfterAWholeLastCharacterAboveIt) {
    const std::pair<std::string, std::string> Cases[] = {
        {"File not found", "File not found."}, {"Fertig.", "Fertig."}, {"", ""}, {"Wirklich?", "Wirklich?."},
        {"'X'", "'X'"},
        // UTF-8 beyond ASCII, up to four bytes, and a Latin-1 byte of a file name.
        {"Gr\xC3\xB6\xC3\x9F" "e", "Gr\xC3\xB6\xC3\x9F" "e."}, {"\xC3\xBC", "\xC3\xBC."},
        {"Datei \"Kan\xC3\xA4le\xE2\x82\xAC\"", "Datei \"Kan\xC3\xA4le\xE2\x82\xAC\""},
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80."}, {"Men\xFC", "Men\xFC."}};
    for (const auto& [Message, Shown] : Cases) EXPECT_EQ(ErrorBoxText(Message), Shown) << Message;
}

TEST(DecimalSeparator, LocaleCharacterWhereItHasOneByteElseFallback) {
    const std::pair<std::string, char> Cases[] = {
        {",", ','}, {".", '.'}, {"'", '\''},
        {"\xC2\xB7", '\xB7'},       // middle dot, U+00B7
        {"\xD9\xAB", '#'},          // Arabic decimal separator
        {"\xE2\x80\x99", '#'},      // right single quotation mark: Windows-1252 only
        {"", '#'}, {",,", '#'}, {"\t", '#'}, {"\x7F", '#'}, {"\xB7", '#'},
        // The edges of the two ranges that have a byte.
        {" ", ' '}, {"~", '~'}, {"\xC2\x9F", '#'}, {"\xC2\xA0", '\xA0'}, {"\xC3\xBF", '\xFF'},
        {"\xC4\x80", '#'}};
    for (const auto& [Locale, Expected] : Cases) EXPECT_EQ(DefaultDecimalSeparator(Locale, '#'), Expected) << Locale;
}

TEST(Exclusions, NamesSetTheirOwnFlag) {
    using TFlag = bool TExportOptions::*;
    const std::pair<const char*, std::vector<TFlag>> Cases[] = {
        {"channel-uf", {&TExportOptions::ExcludeChannelUF}},
        {"channel-vpid", {&TExportOptions::ExcludeChannelVPID}},
        {"transponder-uf", {&TExportOptions::ExcludeTransponderUF}},
        {"satellite-uf", {&TExportOptions::ExcludeSatelliteUF}},
        {"all", {&TExportOptions::ExcludeChannelUF, &TExportOptions::ExcludeChannelVPID,
                 &TExportOptions::ExcludeTransponderUF, &TExportOptions::ExcludeSatelliteUF}},
        {"Channel-UF", {}}, {"", {}}};
    for (const auto& [Name, Set] : Cases) {
        TExportOptions Options;
        SetExclusions(Options, ExclusionBits(Name));
        const int Count = Options.ExcludeChannelUF + Options.ExcludeChannelVPID + Options.ExcludeTransponderUF +
                          Options.ExcludeSatelliteUF;
        EXPECT_EQ(Count, static_cast<int>(Set.size())) << Name;
        for (const TFlag Flag : Set) EXPECT_TRUE(Options.*Flag) << Name;
    }
}

}  // namespace
