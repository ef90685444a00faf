// The rule of the change report: which channels are compared, how they pair
// up by identity, which fields count and in what order the entries come.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "CsvHtmlTestSupport.h"
#include "CxfChangesUnit.h"
#include "TestNames.h"

using namespace exporttest;
using testsupport::CxfImageBuilder;

namespace {

// Two satellites; the first has two transponders of one network, the second
// lies further east in the list but at a smaller position. Channel numbers
// (their place in the file) are 1 to 5.
CxfImageBuilder BaseImage() {
    CxfImageBuilder Image;
    Image.Satellite(0, {"Astra 19.2E", 192})
        .Satellite(1, {"Hot Bird", 130})
        .Transponder(0, {TpWord(11494, 0), 22000, 0, 0, 1, 1093})
        .Transponder(1, {TpWord(12188, 1), 27500, 0, 0, 1, 1101})
        .Transponder(2, {TpWord(11000, 0), 27500, 1, 0, 318, 5400})
        .Transponder(3, {TpWord(10000, 0), 1000, 0xFF, 0, 5, 6})
        .Channel(0, {"Das Erste", 0, 101, 102, 101, 104, 28106})
        .Channel(1, {"ZDF", 0, 110, 120, 110, 130, 28006})
        .Channel(2, {"Sky \"1\"", 1, 255, 256, 255, 0, 10})
        .Channel(3, {"Rai 1", 2, 512, 650, 512, 0, 3401})
        .Channel(4, {"Orphan", 3, 1, 2, 1, 0, 9});
    return Image;
}

using TEdit = std::function<void(CxfImageBuilder&)>;

struct TChangesCase {
    const char* Label;
    TEdit Old;  // applied to the base image
    TEdit New;
    bool ExcludeChannelUF = false;
    bool ExcludeChannelVPID = false;
    bool LiteralNames = false;
    // "KIND POSITION/ONID/TSID/SID OLD#>NEW#", and for a changed field
    // " FIELD OLD>NEW" with the CSV texts.
    std::vector<std::string> Entries;
};

void PrintTo(const TChangesCase& Case, std::ostream* Out) { *Out << Case.Label; }

std::string Describe(const TChannelMatch& Match) {
    static const char* const Kinds[] = {"added", "removed", "changed"};
    const TServiceIdentity& Id = Match.Identity;
    return std::string(Kinds[static_cast<int>(Match.Kind())]) + " " + std::to_string(Id.Position) + "/" +
                       std::to_string(Id.OriginalNetworkID) + "/" + std::to_string(Id.TransportStreamID) + "/" +
                       std::to_string(Id.ServiceID) + " " + (Match.Old ? std::to_string(Match.Old->Number) : "") +
                       ">" + (Match.New ? std::to_string(Match.New->Number) : "");
}

std::string CsvText(const TCxfFile& Database, const TChannel& Channel, TChangeField Field, bool Literal) {
    char Text[MaxFieldTextSize];
    return {Text, WriteCsvFieldText(Text, ChangeFieldValue(Database, Channel, Field), Literal)};
}

std::vector<std::string> Entries(const TChannelChanges& Changes) {
    std::vector<std::string> Result;
    const bool Literal = Changes.Options().CsvLiteralNames;
    for (const TChannelMatch& Match : Changes.Matches()) {
        if (Match.Kind() == TChangeKind::Unchanged) continue;
        if (Match.Kind() != TChangeKind::Changed) {
            Result.push_back(Describe(Match));
            continue;
        }
        for (int Field = 0; Field < ChangeFieldCount; ++Field) {
            const auto Which = static_cast<TChangeField>(Field);
            if (!Match.Changed(Which)) continue;
            Result.push_back(Describe(Match) + " " + std::string(ChangeFieldNames[Field]) + " " +
                             CsvText(Changes.Old(), *Match.Old, Which, Literal) + ">" +
                             CsvText(Changes.New(), *Match.New, Which, Literal));
        }
    }
    return Result;
}

class ChangesTest : public testing::TestWithParam<TChangesCase> {};

TEST_P(ChangesTest, EntriesInReportOrder) {
    const TChangesCase& Case = GetParam();
    CxfImageBuilder OldImage = BaseImage();
    CxfImageBuilder NewImage = BaseImage();
    if (Case.Old) Case.Old(OldImage);
    if (Case.New) Case.New(NewImage);
    const auto Old = LoadImage(OldImage);
    const auto New = LoadImage(NewImage);
    TExportOptions Options;
    Options.ExcludeChannelUF = Case.ExcludeChannelUF;
    Options.ExcludeChannelVPID = Case.ExcludeChannelVPID;
    Options.CsvLiteralNames = Case.LiteralNames;
    EXPECT_EQ(Entries(TChannelChanges(*Old, *New, Options)), Case.Entries);
}

// An empty slot: its transponder index names no transponder.
TEdit Empty(int Slot) {
    return [Slot](CxfImageBuilder& Image) { Image.Channel(Slot, {"", 0x3FF}); };
}

TEdit Channel(int Slot, const testsupport::ChannelSpec& Fields) {
    return [Slot, Fields](CxfImageBuilder& Image) { Image.Channel(Slot, Fields); };
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChangesTest,
    testing::Values(
        TChangesCase{"equal files", {}, {}, false, false, false, {}},
        TChangesCase{"renamed",
                     {},
                     Channel(1, {"ZDF HD", 0, 110, 120, 110, 130, 28006}),
                     false, false, false,
                     {"changed 192/1/1093/28006 2>2 Channel_Name ZDF>ZDF HD"}},
        TChangesCase{"removed and added, old number only and new number only",
                     {},
                     [](CxfImageBuilder& Image) {
                         Empty(0)(Image);
                         Image.Channel(7, {"Neu", 1, 7, 8, 7, 0, 11});
                     },
                     false, false, false,
                     {"removed 192/1/1093/28106 1>", "added 192/1/1101/11 >8"}},
        // A channel's number, its place in the list, is no field.
        TChangesCase{"moved in the list is no change",
                     {},
                     [](CxfImageBuilder& Image) {
                         Empty(0)(Image);
                         Image.Channel(9, {"Das Erste", 0, 101, 102, 101, 104, 28106});
                     },
                     false, false, false, {}},
        TChangesCase{"moved to a transponder of another stream",
                     {},
                     Channel(1, {"ZDF", 1, 110, 120, 110, 130, 28006}),
                     false, false, false,
                     {"removed 192/1/1093/28006 2>", "added 192/1/1101/28006 >2"}},
        TChangesCase{"retuned transponder changes each of its channels",
                     {},
                     [](CxfImageBuilder& Image) { Image.Transponder(0, {TpWord(11495, 1), 22000, 0, 0, 1, 1093}); },
                     false, false, false,
                     {"changed 192/1/1093/28006 2>2 Frequency 11494>11495",
                      "changed 192/1/1093/28006 2>2 Polarisation H>V",
                      "changed 192/1/1093/28106 1>1 Frequency 11494>11495",
                      "changed 192/1/1093/28106 1>1 Polarisation H>V"}},
        TChangesCase{"duplicate identity pairs in file order",
                     Channel(6, {"ZDF 2", 0, 111, 120, 111, 130, 28006}),
                     [](CxfImageBuilder& Image) {
                         Image.Channel(6, {"ZDF zwei", 0, 111, 120, 111, 130, 28006});
                         Image.Channel(8, {"ZDF drei", 0, 112, 120, 112, 130, 28006});
                     },
                     false, false, false,
                     {"changed 192/1/1093/28006 7>7 Channel_Name ZDF 2>ZDF zwei", "added 192/1/1093/28006 >9"}},
        TChangesCase{"every field but the name in field order",
                     {},
                     [](CxfImageBuilder& Image) {
                         Image.Satellite(1, {"Hotbird 13E", 130})
                             .Transponder(2, {TpWord(11001, 3), 27501, 1, 0, 318, 5400})
                             .Channel(3, {"Rai 1", 2, 0x2000 | 513, 651, 514, 515, 3401});
                     },
                     false, false, false,
                     {"changed 130/318/5400/3401 4>4 Satellite Hot Bird>Hotbird 13E",
                      "changed 130/318/5400/3401 4>4 Frequency 11000>11001",
                      "changed 130/318/5400/3401 4>4 Polarisation H>R",
                      "changed 130/318/5400/3401 4>4 Symbolrate 27500>27501",
                      "changed 130/318/5400/3401 4>4 Video_PID 512>513",
                      "changed 130/318/5400/3401 4>4 Audio_PID 650>651", "changed 130/318/5400/3401 4>4 PCR_PID 512>514",
                      "changed 130/318/5400/3401 4>4 Teletext_PID 0>515",
                      "changed 130/318/5400/3401 4>4 Unsed_Flag 0>1"}},
        TChangesCase{"package and pay-TV from a new marker",
                     {},
                     Channel(0, {"<$Sky>", 0, 0, 0, 0, 0, 1}),
                     false, false, false,
                     {"added 192/1/1093/1 >1", "changed 192/1/1093/28006 2>2 Pay_TV 0>1",
                      "changed 192/1/1093/28006 2>2 Package ->Sky", "removed 192/1/1093/28106 1>",
                      "changed 192/1/1101/10 3>3 Pay_TV 0>1", "changed 192/1/1101/10 3>3 Package ->Sky"}},
        TChangesCase{"a quote and an apostrophe are written alike",
                     {},
                     Channel(2, {"Sky '1'", 1, 255, 256, 255, 0, 10}),
                     false, false, false, {}},
        TChangesCase{"formula guarded", {}, Channel(1, {"=1+1", 0, 110, 120, 110, 130, 28006}), false, false, false,
                     {"changed 192/1/1093/28006 2>2 Channel_Name ZDF>'=1+1"}},
        TChangesCase{"formula literal", {}, Channel(1, {"=1+1", 0, 110, 120, 110, 130, 28006}), false, false, true,
                     {"changed 192/1/1093/28006 2>2 Channel_Name ZDF>=1+1"}},
        TChangesCase{"UF set is a change without the exclusion",
                     {},
                     Channel(1, {"ZDF", 0, 0x1000 | 110, 120, 110, 130, 28006}),
                     false, false, false,
                     {"changed 192/1/1093/28006 2>2 Video_PID 110>4206", "changed 192/1/1093/28006 2>2 Unsed_Flag 0>1"}},
        TChangesCase{"UF set removes the channel under the exclusion",
                     {},
                     Channel(1, {"ZDF", 0, 0x2000 | 110, 120, 110, 130, 28006}),
                     true, false, false,
                     {"removed 192/1/1093/28006 2>"}},
        TChangesCase{"video PID 0 in the older file is an addition under the exclusion",
                     Channel(1, {"ZDF", 0, 0, 120, 110, 130, 28006}),
                     {},
                     false, true, false,
                     {"added 192/1/1093/28006 >2"}},
        TChangesCase{"a channel without satellite is never compared",
                     {},
                     Channel(4, {"Orphan renamed", 3, 1, 2, 1, 0, 9}),
                     false, false, false, {}}),
    testsupport::LabelName());

}  // namespace
