// Loading .cxf files: I/O failures, the header, record fields and numbering,
// and the package markers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "CxfTestUtil.h"

using namespace testsupport;
using ::testing::ElementsAre;

namespace {

TEST(CxfFileLoad, ReportsInputErrorsWithThePlatformTexts) {
    TempDir Dir;
    WriteFileBytes(Dir / "plain.txt", "x");
    std::string Short(CxfFileSize - 1, '\0');
    Short.replace(0, 4, "CXF2");
    WriteFileBytes(Dir / "short.cxf", Short);

    const struct {
        std::string Path;
        std::string Message;
    } Cases[] = {
        {(Dir / "missing.cxf").string(), "File not found"},
        {(Dir / "no-such-dir" / "x.cxf").string(), "Invalid filename"},
        {(Dir / "plain.txt" / "x.cxf").string(), "Invalid filename"},
        {"", "Invalid filename"},
        {(Dir / "short.cxf").string(), "Read beyond end of file"},
    };
    for (const auto& Case : Cases) EXPECT_EQ(LoadError(Case.Path), Case.Message) << Case.Path;
}

TEST(CxfFileLoad, ShortFileHasCode100AndImageConstructorAgrees) {
    const std::vector<std::uint8_t> Short(CxfFileSize - 1, 0);
    try {
        TCxfFile File(std::span<const std::uint8_t>(Short), ',');
        FAIL() << "no error";
    } catch (const EInOutError& Error) {
        EXPECT_STREQ(Error.what(), "Read beyond end of file");
        EXPECT_EQ(Error.ErrorCode, 100);
    }
}

CxfImageBuilder OneChannelImage() {
    CxfImageBuilder B;
    B.Satellite(0, {.Name = "Astra", .PositionWord = 192});
    B.Transponder(0, {.FirstWord = 11494, .Symbolrate = 22000, .SatelliteIndex = 0});
    B.Channel(0, {.Name = "Das Erste", .TransponderWord = 0, .VideoWord = 101});
    return B;
}

TEST(CxfFileLoad, LongerFileLoadsFromItsFirstBytes) {
    TempDir Dir;
    CxfImageBuilder B = OneChannelImage();
    std::string Bytes(B.Bytes().begin(), B.Bytes().end());
    Bytes += std::string(200000 - Bytes.size(), '\x41');
    WriteFileBytes(Dir / "long.cxf", Bytes);

    TCxfFile File((Dir / "long.cxf").string(), ',');
    EXPECT_EQ(File.Satellites().size(), 99u);
    EXPECT_EQ(File.Transponders().size(), 999u);
    EXPECT_THAT(ChannelNames(File), ElementsAre("Das Erste"));
}

// The files' cases are those of RefusedInputsPosixTest.cpp; an image in
// memory (the page's, the fuzz targets') meets the same check.
TEST(CxfFileLoad, ImageWithoutTheMagicIsRefused) {
    CxfImageBuilder B = OneChannelImage();
    B.Magic("CXF ");
    EXPECT_THROW(LoadImage(B), ENotCxfFileError);
}

TEST(CxfFileLoad, TablesMayLieAnywhereInsideTheImage) {
    // Channel table first, transponders last, right up to the end.
    CxfImageBuilder B;
    const std::uint32_t Ch = 16;
    const std::uint32_t Sat = Ch + ChannelCount * ChannelRecordSize;
    const std::uint32_t Tp = CxfFileSize - TransponderCount * TransponderRecordSize;
    B.Offsets(Sat, Tp, Ch);
    for (int i = 0; i < TransponderCount; ++i) B.Transponder(i, {.SatelliteIndex = 0xFF});
    for (int i = 0; i < ChannelCount; ++i) B.Channel(i, {.TransponderWord = 0x3FF});
    B.Satellite(98, {.Name = "Last", .PositionWord = 3592});
    B.Transponder(998, {.FirstWord = 12000, .SatelliteIndex = 98});
    B.Channel(2499, {.Name = "End", .TransponderWord = 998});

    const auto File = LoadImage(B);
    EXPECT_EQ(File->GetSatellite(98).Name, "Last");
    ASSERT_EQ(File->Channels().size(), 1u);
    EXPECT_EQ(File->GetChannel(0).Number, 2500);
    EXPECT_EQ(File->GetChannel(0).Transponder->Satellite, &File->GetSatellite(98));
}

TEST(CxfFileLoad, RejectsTablesReachingPastTheImage) {
    const std::uint32_t SatLimit = CxfFileSize - SatelliteCount * SatelliteRecordSize;
    const std::uint32_t TpLimit = CxfFileSize - TransponderCount * TransponderRecordSize;
    const std::uint32_t ChLimit = CxfFileSize - ChannelCount * ChannelRecordSize;
    const std::uint32_t Sat = CxfImageBuilder::DefaultSatelliteOffset;
    const std::uint32_t Tp = CxfImageBuilder::DefaultTransponderOffset;
    const std::uint32_t Ch = CxfImageBuilder::DefaultChannelOffset;
    const struct {
        std::uint32_t Sat, Tp, Ch;
        std::string Message;
    } Cases[] = {
        {SatLimit, Tp, Ch, ""},
        {SatLimit + 1, Tp, Ch, "Die .cxf-Datei ist beschädigt: die Satellitentabelle liegt außerhalb der Datei."},
        {Sat, TpLimit + 1, Ch, "Die .cxf-Datei ist beschädigt: die Transpondertabelle liegt außerhalb der Datei."},
        {Sat, Tp, ChLimit + 1, "Die .cxf-Datei ist beschädigt: die Kanaltabelle liegt außerhalb der Datei."},
        {Sat, Tp, 0xFFFFFFFF, "Die .cxf-Datei ist beschädigt: die Kanaltabelle liegt außerhalb der Datei."},
        {0xFFFFFFF0, 0xFFFFFFF0, 0xFFFFFFF0,
         "Die .cxf-Datei ist beschädigt: die Satellitentabelle liegt außerhalb der Datei."},
    };
    for (const auto& Case : Cases) {
        CxfImageBuilder B;
        B.PutDWord(4, Case.Sat).PutDWord(8, Case.Tp).PutDWord(12, Case.Ch);
        std::string Message;
        try {
            LoadImage(B);
        } catch (const ECorruptFileError& Error) {
            Message = Error.what();
        }
        EXPECT_EQ(Message, Case.Message) << Case.Sat << " " << Case.Tp << " " << Case.Ch;
    }
}

TEST(CxfFileLoad, DecodesRecordFieldsAndMasks) {
    CxfImageBuilder B;
    B.Satellite(0, {.Name = "  Hot Bird  ", .PositionWord = 130 | 0x1000 | 0xC000});
    B.Satellite(1, {.Name = "West", .PositionWord = 0x0FFF | 0x2000});
    B.Transponder(0, {.FirstWord = 11494 | 0x4000, .Symbolrate = 27500, .SatelliteIndex = 1, .Flags = 0xFE,
                      .OriginalNetworkID = 1, .TransportStreamID = 1101});
    B.Transponder(1, {.FirstWord = 0xC000, .SatelliteIndex = 99, .Flags = 0x01});
    B.Channel(0, {.Name = "A", .TransponderWord = 0xFC00, .VideoWord = 0x1000, .AudioPID = 0xFFFF,
                  .PCRPID = 0x2000 | 7, .TeletextPID = 0xE000 | 8191, .ServiceID = 0xFFFF});
    B.Channel(1, {.Name = "B", .VideoWord = 0x2000 | 5});
    B.Channel(2, {.Name = "C", .VideoWord = 0xC000 | 5});
    B.Channel(3, {.Name = "D", .TransponderWord = 1, .VideoWord = 0x0FFF});

    const auto File = LoadImage(B);
    const TSatellite& S0 = File->GetSatellite(0);
    EXPECT_EQ(S0.Name, "Hot Bird");
    EXPECT_EQ(S0.Position, 130);
    EXPECT_TRUE(S0.UF);
    EXPECT_FALSE(S0.AC);
    EXPECT_EQ(S0.PositionText, "13\xB0 0");
    EXPECT_EQ(S0.SanitisedName, "Hot_Bird");
    EXPECT_EQ(S0.Number, 1);
    const TSatellite& S1 = File->GetSatellite(1);
    EXPECT_EQ(S1.Position, 4095);
    EXPECT_FALSE(S1.UF);
    EXPECT_TRUE(S1.AC);
    EXPECT_EQ(S1.PositionText, "-49,5\xB0 W");
    EXPECT_EQ(File->GetSatellite(98).Number, 99);

    const TTransponder& T0 = File->GetTransponder(0);
    EXPECT_EQ(T0.Frequency, 11494);
    EXPECT_EQ(T0.Polarisation, 1);
    EXPECT_EQ(T0.Symbolrate, 27500);
    EXPECT_EQ(T0.SatelliteIndex, 1);
    EXPECT_EQ(T0.Satellite, &S1);
    EXPECT_FALSE(T0.UF);
    EXPECT_EQ(T0.OriginalNetworkID, 1);
    EXPECT_EQ(T0.TransportStreamID, 1101);
    const TTransponder& T1 = File->GetTransponder(1);
    EXPECT_EQ(T1.Frequency, 0);
    EXPECT_EQ(T1.Polarisation, 3);
    EXPECT_EQ(T1.Satellite, nullptr);
    EXPECT_TRUE(T1.UF);
    EXPECT_EQ(File->GetTransponder(998).Number, 999);

    ASSERT_EQ(File->Channels().size(), 4u);
    const TChannel& A = File->GetChannel(0);
    EXPECT_EQ(A.VideoPID, 4096);
    EXPECT_TRUE(A.UF);
    EXPECT_EQ(A.AudioPID, 8191);
    EXPECT_EQ(A.PCRPID, 7);
    EXPECT_EQ(A.TeletextPID, 8191);
    EXPECT_EQ(A.ServiceID, 0xFFFF);
    EXPECT_EQ(A.TransponderIndex, 0);
    EXPECT_EQ(A.Transponder, &T0);
    EXPECT_EQ(File->GetChannel(1).VideoPID, 5);
    EXPECT_TRUE(File->GetChannel(1).UF);
    EXPECT_EQ(File->GetChannel(2).VideoPID, 5);
    EXPECT_FALSE(File->GetChannel(2).UF);
    EXPECT_EQ(File->GetChannel(3).VideoPID, 4095);
    EXPECT_FALSE(File->GetChannel(3).UF);
    EXPECT_EQ(File->GetChannel(3).Transponder, &T1);  // kept although T1 has no satellite
}

TEST(CxfFileLoad, NumbersCountDroppedRecords) {
    CxfImageBuilder B;
    B.Transponder(3, {.SatelliteIndex = 0});
    B.Channel(0, {.Name = "one", .TransponderWord = 3});
    B.Channel(1, {.Name = "gone", .TransponderWord = 1023});
    B.Channel(2, {.Name = "gone too", .TransponderWord = 999});
    B.Channel(3, {.Name = "four", .TransponderWord = 998});
    const auto File = LoadImage(B);
    ASSERT_THAT(ChannelNames(*File), ElementsAre("one", "four"));
    EXPECT_EQ(File->GetChannel(0).Number, 1);
    EXPECT_EQ(File->GetChannel(1).Number, 4);
    EXPECT_EQ(File->GetChannel(1).TransponderIndex, 998);
}

struct MarkerCase {
    const char* Name;
    int Satellite;  // -1: channel on no transponder (dropped)
};

struct PackageResult {
    std::string Name;
    std::string Package;
    bool PayTV;
};

std::vector<PackageResult> LoadMarkers(const std::vector<MarkerCase>& Channels,
                                       std::vector<std::string>* Packages = nullptr) {
    CxfImageBuilder B;
    B.Transponder(0, {.SatelliteIndex = 0});
    B.Transponder(1, {.SatelliteIndex = 1});
    B.Transponder(2, {.SatelliteIndex = 0xFF});
    for (std::size_t i = 0; i < Channels.size(); ++i) {
        const int Sat = Channels[i].Satellite;
        const std::uint16_t Tp = Sat < 0 ? 0x3FF : static_cast<std::uint16_t>(Sat);
        B.Channel(static_cast<int>(i), {.Name = Channels[i].Name, .TransponderWord = Tp});
    }
    const auto File = LoadImage(B);
    std::vector<PackageResult> Result;
    for (const auto& C : File->Channels()) {
        EXPECT_EQ(C->PackageName, File->Packages().at(C->PackageID));
        Result.push_back({C->Name, C->PackageName, C->PayTV});
    }
    if (Packages) Packages->assign(File->Packages().begin(), File->Packages().end());
    return Result;
}

MATCHER_P3(IsChannel, Name, Package, PayTV, "") {
    return arg.Name == Name && arg.Package == Package && arg.PayTV == PayTV;
}

TEST(CxfFileLoad, PackageMarkersFollowTheChannelTable) {
    std::vector<std::string> Packages;
    EXPECT_THAT(LoadMarkers({{"ARD 1", 0}, {"<ARD>", 0}, {"Das Erste", 0}, {"<$Sky>", 0}, {"Sky 1", 0}},
                            &Packages),
                ElementsAre(IsChannel("ARD 1", "-", false), IsChannel("<ARD>", "ARD", false),
                            IsChannel("Das Erste", "ARD", false), IsChannel("<$Sky>", "Sky", true),
                            IsChannel("Sky 1", "Sky", true)));
    EXPECT_THAT(Packages, ElementsAre("-", "ARD", "Sky"));

    // A new satellite resets the package; a channel without transponder does not.
    EXPECT_THAT(LoadMarkers({{"<$Sky>", 0}, {"Sky 1", 1}, {"<ORF>", 1}, {"x", -1}, {"ORF 1", 1}}),
                ElementsAre(IsChannel("<$Sky>", "Sky", true), IsChannel("Sky 1", "-", false),
                            IsChannel("<ORF>", "ORF", false), IsChannel("ORF 1", "ORF", false)));

    // A dropped marker still opens its package.
    EXPECT_THAT(LoadMarkers({{"A", 0}, {"<$Pay>", -1}, {"B", 0}}, &Packages),
                ElementsAre(IsChannel("A", "-", false), IsChannel("B", "Pay", true)));
    EXPECT_THAT(Packages, ElementsAre("-", "Pay"));

    // Markers match without regard to case and keep the first spelling.
    EXPECT_THAT(LoadMarkers({{"<ARD>", 0}, {"< ard >", 1}, {"< $ ard >", 1}}, &Packages),
                ElementsAre(IsChannel("<ARD>", "ARD", false), IsChannel("< ard >", "ARD", false),
                            IsChannel("< $ ard >", "ARD", true)));
    EXPECT_THAT(Packages, ElementsAre("-", "ARD"));

    // Degenerate markers.
    EXPECT_THAT(LoadMarkers({{"<>", 0}, {"<$>", 0}, {"<", 0}, {">", 0}, {"<a<b>", 0}}, &Packages),
                ElementsAre(IsChannel("<>", "", false), IsChannel("<$>", "", true), IsChannel("<", "", true),
                            IsChannel(">", "", true), IsChannel("<a<b>", "a<b", false)));
    EXPECT_THAT(Packages, ElementsAre("-", "", "a<b"));

    // Channels on a transponder without satellite: "none" is a satellite value of its own.
    EXPECT_THAT(LoadMarkers({{"<X>", 2}, {"y", 2}, {"z", 0}}),
                ElementsAre(IsChannel("<X>", "X", false), IsChannel("y", "X", false), IsChannel("z", "-", false)));
}

}  // namespace
