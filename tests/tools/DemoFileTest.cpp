// The committed demo file is what the generator writes, and it shows what it
// is meant to show.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

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

}  // namespace
