// The committed demo file is what the generator writes, and it shows what it
// is meant to show.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "CxfImageBuilder.h"
#include "DemoCxf.h"

namespace {

TEST(DemoFile, CommittedFileMatchesTheGenerator) {
    const auto Image = BuildDemoImage();
    const std::string Committed = testsupport::ReadFileBytes(DEMO_FILE);
    ASSERT_EQ(Committed.size(), Image.size()) << "run zanvero-make-demo samples/demo.cxf";
    EXPECT_TRUE(std::equal(Image.begin(), Image.end(), Committed.begin(), [](std::uint8_t A, char B) {
        return A == static_cast<std::uint8_t>(B);
    })) << "samples/demo.cxf is stale: run zanvero-make-demo samples/demo.cxf";
}

TEST(DemoFile, ShowsPackagesPayTvRadioAndSpecialCharacters) {
    const TCxfFile File(DEMO_FILE, '.');
    EXPECT_GE(File.Channels().size(), 250u);
    EXPECT_EQ(File.GetSatellite(0).Name, "Astra 19.2E");
    EXPECT_EQ(File.GetSatellite(3).PositionText, "0.8\xB0 W");
    EXPECT_TRUE(File.GetSatellite(4).Name.empty());
    EXPECT_THAT(File.Packages(), ::testing::Contains("Sky Deutschland"));

    auto Has = [&](auto Predicate) {
        return std::any_of(File.Channels().begin(), File.Channels().end(),
                           [&](const auto& C) { return Predicate(*C); });
    };
    EXPECT_TRUE(Has([](const TChannel& C) { return C.PayTV; }));
    EXPECT_TRUE(Has([](const TChannel& C) { return C.VideoPID == 0; }));
    EXPECT_TRUE(Has([](const TChannel& C) { return C.UF; }));
    EXPECT_TRUE(Has([](const TChannel& C) { return C.Name == "Preis\x80Wert TV"; }));
    EXPECT_TRUE(Has([](const TChannel& C) { return C.Name == "Shop24 \x96 Angebote"; }));
    EXPECT_TRUE(Has([](const TChannel& C) { return C.Name == "BR Fernsehen S\xFC" "d"; }));
    EXPECT_TRUE(Has([](const TChannel& C) { return C.Transponder->Satellite->Name.empty(); }));
}

// The Czech names lose only their accents in Windows-1252; in UTF-8 every
// name comes through, Greek, Cyrillic, Arabic and emoji included.
TEST(DemoFile, ShowsNamesOfEveryAlphabet) {
    const TCxfFile Windows1252(DEMO_FILE, '.');
    const TCxfFile Utf8(DEMO_FILE, '.', TCharset::Utf8);
    std::vector<std::string> Names1252, NamesUtf8;
    for (const auto& C : Windows1252.Channels()) Names1252.push_back(C->Name);
    for (const auto& C : Utf8.Channels()) NamesUtf8.push_back(C->Name);
    EXPECT_THAT(Names1252, ::testing::IsSupersetOf({"CT1", "Cesk\xFD rozhlas", "TVP3 L\xF3" "dz", "Radio ? Hits"}));
    EXPECT_THAT(NamesUtf8, ::testing::IsSupersetOf({"ČT1", "Český rozhlas", "TVP3 Łódź", "ΕΡΤ World", "Россия 24",
                                                   "الجزيرة", "Radio 📻 Hits"}));
}

}  // namespace
