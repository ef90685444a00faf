// Lookups, package names and the channel sort orders.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "CxfTestUtil.h"

using namespace testsupport;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

struct ChannelDef {
    std::string Name;
    std::uint16_t Frequency = 0;
    std::uint16_t VideoPID = 0;
    bool PayTV = false;
    std::string Package = "";  // opened by a marker record placed before the channel
};

// Channels each on a transponder of its own frequency. The transponders name
// no satellite, so no satellite change resets the package state, and markers
// are dropped records (no transponder): only the listed channels load.
std::unique_ptr<TCxfFile> Database(const std::vector<ChannelDef>& Defs) {
    CxfImageBuilder B;
    B.Satellite(0, {.Name = "Sat", .PositionWord = 192});
    int Record = 0;
    for (std::size_t i = 0; i < Defs.size(); ++i) {
        const auto& D = Defs[i];
        B.Transponder(static_cast<int>(i), {.FirstWord = D.Frequency, .SatelliteIndex = 0xFF});
        if (!D.Package.empty() || D.PayTV) {
            // Appended piece by piece: GCC 12 at -O2 and above sees an
            // overlapping copy in "<" + std::string(...) that is not there.
            std::string Marker = D.PayTV ? "<$" : "<";
            Marker += D.Package;
            Marker += '>';
            B.Channel(Record++, {.Name = Marker, .TransponderWord = 0x3FF});
        }
        B.Channel(Record++, {.Name = D.Name, .TransponderWord = static_cast<std::uint16_t>(i),
                             .VideoWord = D.VideoPID});
        if (!D.Package.empty() || D.PayTV) B.Channel(Record++, {.Name = "<->", .TransponderWord = 0x3FF});
    }
    return LoadImage(B);
}

std::vector<std::string> Sorted(const std::vector<ChannelDef>& Defs, int Order) {
    auto File = Database(Defs);
    File->SortChannels(Order);
    return ChannelNames(*File);
}

TEST(ChannelSort, QuicksortLeavesEqualChannelsInItsOwnOrder) {
    auto File = Database({{"c1"}, {"c2"}, {"c3"}, {"c4"}, {"c5"}});
    File->SortChannels(BY_ORIGINAL_CHANNEL_ID);
    EXPECT_THAT(ChannelNames(*File), ElementsAre("c4", "c5", "c3", "c1", "c2"));
    File->SortChannels(BY_ORIGINAL_CHANNEL_ID);
    EXPECT_THAT(ChannelNames(*File), ElementsAre("c1", "c2", "c3", "c4", "c5"));

    EXPECT_THAT(Sorted({{"c1"}, {"c2", 0, 0, true}, {"c3"}, {"c4", 0, 0, true}, {"c5"}, {"c6"}}, 8),
                ElementsAre("c5", "c6", "c3", "c1", "c2", "c4"));
}

TEST(ChannelSort, OrdersCompareTheirKeys) {
    const std::vector<ChannelDef> Mixed = {
        {"\xC3\x84rger", 11000}, {"ZDF", 12000}, {"BBC", 10000}, {"arte", 12500},
        {"ARD", 11500, 200}, {"ARD", 11500, 100}, {"ARD", 11000, 300}, {"AAA", 9000, 0, true},
    };
    EXPECT_THAT(Sorted(Mixed, BY_NAME),
                ElementsAre("ARD", "ARD", "ARD", "arte", "BBC", "ZDF", "\xC4rger", "AAA"));
    auto File = Database(Mixed);
    File->SortChannels(BY_NAME);
    EXPECT_EQ(File->GetChannel(0).Transponder->Frequency, 11000);
    EXPECT_EQ(File->GetChannel(1).VideoPID, 100);
    EXPECT_EQ(File->GetChannel(2).VideoPID, 200);

    EXPECT_THAT(Sorted(Mixed, BY_FREQUENCY),
                ElementsAre("BBC", "ARD", "\xC4rger", "ARD", "ARD", "ZDF", "arte", "AAA"));

    // Every order puts pay-TV last, even "AAA" after "ZZZ".
    for (int Order = 0; Order < 10; ++Order)
        EXPECT_EQ(Sorted({{"AAA", 1, 1, true}, {"ZZZ", 2, 2}}, Order).front(), "ZZZ") << Order;
}

// Two channels that tie on every key of an order but one come out in the
// order of that key, whichever of them comes first in the list: each key of
// each order counts, and the right way round.
TEST(ChannelSort, EveryKeyOfEveryOrderDecides) {
    struct Key {
        const char* Label;
        void (*Raise)(ChannelDef&);  // makes the channel sort after an unchanged one
    };
    const Key PayTV{"pay-TV", [](ChannelDef& D) { D.PayTV = true; }};
    const Key Name{"name", [](ChannelDef& D) { D.Name = "abd"; }};             // ABC < ABD
    const Key Frequency{"frequency", [](ChannelDef& D) { D.Frequency = 11000; }};  // 9000 < 11000
    const Key VideoPID{"video PID", [](ChannelDef& D) { D.VideoPID = 1000; }};  // 200 < 1000
    const Key Package{"package", [](ChannelDef& D) { D.Package = "BBC"; }};     // ARD < BBC
    const struct {
        int Order;
        std::vector<Key> Keys;
    } Orders[] = {
        {BY_NAME, {PayTV, Name, Frequency, VideoPID}},
        {BY_FREQUENCY, {PayTV, Frequency, Name, VideoPID}},
        {BY_PACKAGE, {PayTV, Package, Name, Frequency, VideoPID}},
        {2, {PayTV}}, {3, {PayTV}}, {4, {PayTV}}, {5, {PayTV}}, {6, {PayTV}}, {7, {PayTV}}, {8, {PayTV}},
    };
    auto Describe = [](const std::string& Name, unsigned Frequency, unsigned VideoPID, const std::string& Package,
                       bool PayTV) {
        return Name + " " + std::to_string(Frequency) + " " + std::to_string(VideoPID) + " " + Package +
               (PayTV ? " pay" : "");
    };
    for (const auto& [Order, Keys] : Orders) {
        for (const Key& K : Keys) {
            const ChannelDef Lower = {"ABC", 9000, 200, false, "ard"};
            ChannelDef Higher = Lower;
            K.Raise(Higher);
            const std::vector<std::string> Expected = {
                Describe(Lower.Name, Lower.Frequency, Lower.VideoPID, Lower.Package, Lower.PayTV),
                Describe(Higher.Name, Higher.Frequency, Higher.VideoPID, Higher.Package, Higher.PayTV)};
            for (const bool Reversed : {false, true}) {
                auto File = Database(Reversed ? std::vector{Higher, Lower} : std::vector{Lower, Higher});
                File->SortChannels(Order);
                std::vector<std::string> Sorted;
                for (const TChannel* C : File->Channels())
                    Sorted.push_back(Describe(C->Name, C->Transponder->Frequency, C->VideoPID, C->PackageName, C->PayTV));
                EXPECT_EQ(Sorted, Expected) << SortOrderNames[static_cast<std::size_t>(Order)] << ", " << K.Label
                                            << (Reversed ? ", reversed" : "");
            }
        }
    }
}

TEST(ChannelSort, PackageOrderGroupsByPackageName) {
    EXPECT_THAT(Sorted({{"b", 1, 0, false, "ORF"},
                        {"a", 1, 0, false, "ORF"},
                        {"z", 1},
                        {"c", 1, 0, false, "ard"},
                        {"d", 1, 0, false, "0815"}},
                       BY_PACKAGE),
                ElementsAre("z", "d", "c", "a", "b"));
}

TEST(ChannelSort, SatelliteListsSortInPlaceAndEmptyListsAreFine) {
    auto File = Database({{"b"}, {"a"}, {"c"}});
    TSatellite& Sat = File->GetSatellite(0);
    for (TChannel* C : File->Channels()) Sat.Channels.push_back(C);
    File->SortSatelliteChannels(0, BY_NAME);
    ASSERT_EQ(Sat.Channels.size(), 3u);
    EXPECT_EQ(Sat.Channels[0]->Name, "a");
    EXPECT_EQ(Sat.Channels[2]->Name, "c");
    EXPECT_THAT(ChannelNames(*File), ElementsAre("b", "a", "c"));  // the database order is untouched
    File->SortSatelliteChannels(1, BY_NAME);                       // empty list
    EXPECT_THROW(File->SortSatelliteChannels(99, BY_NAME), EListError);

    auto None = LoadImage(CxfImageBuilder());  // every channel slot empty
    None->SortChannels(BY_NAME);
    EXPECT_TRUE(None->Channels().empty());
}

TEST(ChannelSort, TextComparisonFoldsOnlyAsciiLetters) {
    const struct {
        std::string A, B;
        int Sign;
    } Cases[] = {
        {"arte", "BBC", -1}, {"abc", "ABC", 0},  {"ZDF", "\xC4rger", -1}, {"\xE4", "\xC4", 1},
        {"AB", "ABC", -1},   {"-", "0", -1},     {"", "", 0},             {"_", "a", 1},
    };
    for (const auto& Case : Cases) {
        const int R = CompareSortText(Case.A, Case.B);
        EXPECT_EQ((R > 0) - (R < 0), Case.Sign) << Case.A << " / " << Case.B;
    }
}

TEST(Packages, AddPackageMatchesWithoutRegardToCase) {
    CxfImageBuilder B;
    auto File = LoadImage(B);
    EXPECT_EQ(File->AddPackage("-"), 0);
    EXPECT_EQ(File->AddPackage("ARD"), 1);
    EXPECT_EQ(File->AddPackage("ard"), 1);
    EXPECT_EQ(File->AddPackage("\xC4rger \xD6l \xDC"), 2);   // Ärger Öl Ü
    EXPECT_EQ(File->AddPackage("\xE4rger \xF6l \xFC"), 2);   // ärger öl ü
    EXPECT_EQ(File->AddPackage("\x8A\x8C\x8E\x9F"), 3);      // Š Œ Ž Ÿ
    EXPECT_EQ(File->AddPackage("\x9A\x9C\x9E\xFF"), 3);      // š œ ž ÿ
    EXPECT_EQ(File->AddPackage("\xD7"), 4);                  // × is no letter
    EXPECT_EQ(File->AddPackage("\xF7"), 5);                  // ÷ neither
    EXPECT_EQ(File->AddPackage(""), 6);
    EXPECT_EQ(File->AddPackage(""), 6);
    EXPECT_EQ(File->AddPackage("ARD "), 7);
    EXPECT_THAT(File->Packages(), ElementsAreArray<std::string>({"-", "ARD", "\xC4rger \xD6l \xDC",
                                                                 "\x8A\x8C\x8E\x9F", "\xD7", "\xF7", "", "ARD "}));
}

// UTF-8 text folds the same letters, by code point; Č and č stay apart as
// they would have to in Windows-1252, which lacks them.
TEST(Packages, Utf8AddPackageFoldsTheSameLetters) {
    auto File = LoadImage(CxfImageBuilder(), ',', TCharset::Utf8);
    EXPECT_EQ(File->AddPackage("ÄRGER ŠŒŽŸ"), 1);
    EXPECT_EQ(File->AddPackage("ärger šœžÿ"), 1);
    EXPECT_EQ(File->AddPackage("×"), 2);
    EXPECT_EQ(File->AddPackage("÷"), 3);
    EXPECT_EQ(File->AddPackage("ČT"), 4);
    EXPECT_EQ(File->AddPackage("čt"), 5);
    EXPECT_EQ(File->AddPackage("ČT"), 4);
}

// Every channel its own marker: the package list at its longest, each marker
// found again by its folded name.
TEST(Packages, EveryChannelAMarkerOfItsOwn) {
    auto File = LoadImage(MarkerImage());
    ASSERT_EQ(File->Packages().size(), ChannelCount + 1u);
    for (TChannel* C : File->Channels()) {
        EXPECT_EQ(C->PackageID, C->Number);
        EXPECT_EQ(C->PayTV, C->Number % 2 == 0);
        const std::string Upper = "PAKET NUMMER " + std::string(C->PackageName.View().substr(13));
        EXPECT_EQ(File->AddPackage(Upper), C->PackageID) << Upper;
    }
}

// Names live inside their records; text a name field cannot hold is refused
// rather than cut.
TEST(Packages, NameTextHoldsAFieldAndNoMore) {
    EXPECT_EQ(TNameText(std::string(NameFieldSize, 'x')).size(), NameFieldSize);
    EXPECT_THROW(TNameText(std::string(NameFieldSize + 1, 'x')), std::length_error);
    EXPECT_THROW(LoadImage(CxfImageBuilder())->AddPackage(std::string(NameFieldSize + 1, 'p')), std::length_error);
    // Bytes that are no UTF-8 count as characters of their own value, which
    // take two bytes each when folded.
    EXPECT_THROW(LoadImage(CxfImageBuilder(), ',', TCharset::Utf8)->AddPackage(std::string(NameFieldSize, '\xC3')),
                 std::length_error);
}

TEST(Lookups, IndexOutsideTheListFails) {
    auto File = Database({{"a"}, {"b"}});
    const struct {
        std::function<void()> Call;
        std::string Message;
    } Cases[] = {
        {[&] { File->GetChannel(2); }, "List index out of bounds (2)"},
        {[&] { File->GetChannel(-1); }, "List index out of bounds (-1)"},
        {[&] { File->GetSatellite(99); }, "List index out of bounds (99)"},
        {[&] { File->GetTransponder(999); }, "List index out of bounds (999)"},
    };
    for (const auto& Case : Cases) {
        try {
            Case.Call();
            ADD_FAILURE() << "no error for " << Case.Message;
        } catch (const EListError& Error) {
            EXPECT_EQ(Error.what(), Case.Message);
        }
    }
    EXPECT_EQ(File->GetChannel(1).Name, "b");
    EXPECT_EQ(File->GetTransponder(998).Number, 999);
}

}  // namespace
