// The SQL dump, checked byte for byte against dumps worked out by hand.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "CxfImageBuilder.h"
#include "CxfSQLExporterUnit.h"

namespace {

using testsupport::ChannelSpec;
using testsupport::CxfImageBuilder;
using testsupport::SatelliteSpec;
using testsupport::TransponderSpec;

std::string JoinLines(const std::vector<std::string>& Lines) {
    std::string Out;
    for (const auto& Line : Lines) Out += Line + "\r\n";
    return Out;
}

const std::vector<std::string> HeadLines = {
    "# MySql kompatibler SQL-Dump",
    "# Generiert mit dem \"Zanvero\" (https://www.morvane.example)",
    "/*!40101 SET NAMES latin1 */;",
    "/*!40101 SET SQL_MODE=REPLACE(@@SQL_MODE, 'NO_BACKSLASH_ESCAPES', '') */;",
    "",
    "# Tabellenstruktur f\xFCr Tabelle `channel`",
    "#",
    "DROP TABLE IF EXISTS channel;",
    "CREATE TABLE channel",
    "(",
    " ID smallint(5) unsigned NOT NULL default '0',",
    " Name char(20) NOT NULL default '',",
    " UF tinyint(4) unsigned NOT NULL default '0',",
    " AudioPID smallint(5) unsigned NOT NULL default '0',",
    " VideoPID smallint(5) unsigned NOT NULL default '0',",
    " PCRPID smallint(5) unsigned NOT NULL default '0',",
    " TeletextPID smallint(5) unsigned NOT NULL default '0',",
    " ServiceID smallint(5) unsigned NOT NULL default '0',",
    " TransponderID smallint(5) unsigned NOT NULL default '0',",
    " PayTV tinyint(3) unsigned NOT NULL default '0',",
    " PackageID smallint(5) unsigned NOT NULL default '0',",
    " PRIMARY KEY (ID)",
    ") ENGINE=MyISAM;",
    "",
    "#",
    "# Tabellenstruktur f\xFCr Tabelle `package`",
    "#",
    "DROP TABLE IF EXISTS package;",
    "CREATE TABLE package",
    "(",
    " ID smallint(5) unsigned NOT NULL default '0',",
    " Name char(20) NOT NULL default '',",
    " PRIMARY KEY (ID)",
    ") ENGINE=MyISAM;",
    "",
    "#",
    "# Tabellenstruktur f\xFCr Tabelle `transponder`",
    "#",
    "DROP TABLE IF EXISTS transponder;",
    "CREATE TABLE transponder",
    "(",
    " ID smallint(5) unsigned NOT NULL default '0',",
    " Frequency mediumint(8) unsigned NOT NULL default '0',",
    " Symbolrate mediumint(8) unsigned NOT NULL default '0',",
    " Polarisation char(1) NOT NULL default '',",
    " SatelliteID smallint(5) unsigned NOT NULL default '0',",
    " OriginalNetworkID smallint(5) unsigned NOT NULL default '0',",
    " TransportStreamID smallint(5) unsigned NOT NULL default '0',",
    " UF tinyint(4) unsigned NOT NULL default '0',",
    " PRIMARY KEY  (ID)",
    ") ENGINE=MyISAM;",
    "",
    "#",
    "# Tabellenstruktur f\xFCr Tabelle `satellite`",
    "#",
    "DROP TABLE IF EXISTS satellite;",
    "CREATE TABLE satellite",
    "(",
    " ID smallint(5) unsigned NOT NULL default '0',",
    " OrbitalPosition float NOT NULL default '0',",
    " Name char(20) NOT NULL default '',",
    " AC tinyint(4) unsigned NOT NULL default '0',",
    " UF tinyint(4) unsigned NOT NULL default '0',",
    " PRIMARY KEY  (ID)",
    ") ENGINE=MyISAM;",
};

std::string EmptySatelliteRow(int Id) {
    return "INSERT INTO satellite VALUES ('" + std::to_string(Id) + "', '0', '', '0', '0');";
}

struct TDump {
    std::unique_ptr<TCxfFile> Database;
    TMemorySink Sink;
    const std::string& Content() const { return Sink.Files.at(0).second; }
};

// Loads the image and dumps it; the database stays for checks of its order.
std::unique_ptr<TDump> Dump(const CxfImageBuilder& Image, TExportOptions Options = {}, char Separator = '.',
                            TCharset Charset = TCharset::Windows1252) {
    auto Result = std::make_unique<TDump>();
    Result->Database = testsupport::LoadImage(Image, Separator, Charset);
    Options.CxfFile = &Result->Database;
    if (Options.FileName.empty()) Options.FileName = "/out/channels.sql";
    TCxfSQLExporter(Result->Sink).Export(Options);
    return Result;
}

// The lines of the dump that insert into Table.
std::vector<std::string> StatementsFor(const std::string& Dump, const std::string& Table) {
    const std::string Prefix = "INSERT INTO " + Table + " VALUES ('";
    std::vector<std::string> Found;
    std::size_t At = 0;
    while (At < Dump.size()) {
        const std::size_t End = Dump.find("\r\n", At);
        const std::string Line = Dump.substr(At, End - At);
        if (Line.rfind(Prefix, 0) == 0) Found.push_back(Line);
        if (End == std::string::npos) break;
        At = End + 2;
    }
    return Found;
}

std::vector<int> IdsFor(const std::string& Dump, const std::string& Table) {
    std::vector<int> Ids;
    const std::size_t Skip = ("INSERT INTO " + Table + " VALUES ('").size();
    for (const auto& Line : StatementsFor(Dump, Table)) Ids.push_back(std::stoi(Line.substr(Skip)));
    return Ids;
}

TEST(SqlDump, SmallImageGivesTheWholeDumpByteForByte) {
    CxfImageBuilder Image;
    Image.Satellite(0, {"Astra 19.2E", 192 | 0x2000})
        .Satellite(1, {"Hot'Bird\\", 130 | 0x1000})
        .Satellite(2, {"", 3601})
        .Satellite(3, {"West", 3600})
        .Transponder(0, {11494 | 1 << 14, 22000, 0, 0, 1, 1101})
        .Transponder(1, {12603, 27500, 1, 1, 318, 5400})
        .Transponder(2, {10000 | 2 << 14, 1000, 2, 0, 0, 0})
        .Transponder(3, {11000, 1000, 99, 0, 0, 0})
        .Channel(0, {"Das Erste", 0, 101, 102, 101, 104, 28106})
        .Channel(1, {"<$Sky>", 0, 0, 0, 0, 0, 0})
        .Channel(2, {"Sky Cinema", 0, 255, 256, 255, 0, 10})
        .Channel(4, {"Rock'n'Roll", 1, 0x2000 | 5, 6, 7, 8, 9})
        .Channel(5, {"Lost", 3, 100, 0, 0, 0, 0})
        .Channel(6, {"Far", 2, 300, 301, 300, 0, 65535});
    const auto Result = Dump(Image);

    std::vector<std::string> Lines = HeadLines;
    Lines.insert(Lines.end(), {"", "# Satellitendaten",
                               "INSERT INTO satellite VALUES ('1', '19.2', 'Astra 19.2E', '1', '0');",
                               "INSERT INTO satellite VALUES ('2', '13', 'Hot\\'Bird\\\\', '0', '1');",
                               "INSERT INTO satellite VALUES ('4', '360', 'West', '0', '0');"});
    for (int Id = 5; Id <= 99; ++Id) Lines.push_back(EmptySatelliteRow(Id));
    Lines.insert(Lines.end(),
                 {"", "# Transponderdaten",
                  "INSERT INTO transponder VALUES ('1', '11494', '22000', 'V', '1', '1', '1101', '0');",
                  "INSERT INTO transponder VALUES ('2', '12603', '27500', 'H', '2', '318', '5400', '1');",
                  "INSERT INTO transponder VALUES ('3', '10000', '1000', 'L', '3', '0', '0', '0');",
                  "", "# Anbieterdaten",
                  "INSERT INTO package VALUES ('0', '-');",
                  "INSERT INTO package VALUES ('1', 'Sky');",
                  "", "# Kanaldaten",
                  // Free channels first, in the order the quicksort leaves them.
                  "INSERT INTO channel VALUES ('5', 'Rock\\'n\\'Roll', '1', '6', '5', '7', '8', '9', '2', '0', '0');",
                  "INSERT INTO channel VALUES ('1', 'Das Erste', '0', '102', '101', '101', '104', '28106', '1', '0', '0');",
                  "INSERT INTO channel VALUES ('7', 'Far', '0', '301', '300', '300', '0', '65535', '3', '0', '0');",
                  "INSERT INTO channel VALUES ('2', '<$Sky>', '0', '0', '0', '0', '0', '0', '1', '1', '1');",
                  "INSERT INTO channel VALUES ('3', 'Sky Cinema', '0', '256', '255', '255', '0', '10', '1', '1', '1');"});

    EXPECT_EQ(Result->Content(), JoinLines(Lines));
    EXPECT_EQ(Result->Sink.Files.size(), 1u);
    EXPECT_EQ(Result->Sink.Names(), std::vector<std::string>{"/out/channels.sql"});
}

TEST(SqlDump, EmptyDumpKeepsHeadSectionTitlesAndThePackageDash) {
    const auto Result = Dump(testsupport::NothingToExportImage());

    std::vector<std::string> Lines = HeadLines;
    Lines.insert(Lines.end(), {"", "# Satellitendaten", "", "# Transponderdaten", "", "# Anbieterdaten",
                               "INSERT INTO package VALUES ('0', '-');", "", "# Kanaldaten"});
    EXPECT_EQ(Result->Content(), JoinLines(Lines));
    EXPECT_EQ(HeadLines.size(), 65u);
}

// A UTF-8 dump differs in its head alone: utf8mb4 for the connection and for
// every table, and the head's own umlauts in UTF-8.
TEST(SqlDump, Utf8HeadDeclaresUtf8mb4) {
    const CxfImageBuilder Image = testsupport::NothingToExportImage();
    const auto Result = Dump(Image, {}, '.', TCharset::Utf8);

    std::string Expected = Dump(Image)->Content();
    // How often From was replaced in the Windows-1252 dump.
    auto Replace = [&Expected](const std::string& From, const std::string& To) {
        int Count = 0;
        for (std::size_t At; (At = Expected.find(From)) != std::string::npos; ++Count)
            Expected.replace(At, From.size(), To);
        return Count;
    };
    EXPECT_EQ(Replace("SET NAMES latin1", "SET NAMES utf8mb4"), 1);
    EXPECT_EQ(Replace(") ENGINE=MyISAM;", ") ENGINE=MyISAM DEFAULT CHARSET=utf8mb4;"), 4);
    EXPECT_EQ(Replace("f\xFCr", "f\xC3\xBCr"), 4);
    EXPECT_EQ(Result->Content(), Expected);
}

// --- escaping ----------------------------------------------------------------

struct TEscapeCase {
    const char* Label;
    std::string RawName;  // UTF-8 bytes of the name field
    std::string Written;  // the value between the statement's apostrophes
};

void PrintTo(const TEscapeCase& Case, std::ostream* Out) { *Out << Case.Label; }

class SqlEscaping : public testing::TestWithParam<TEscapeCase> {};

TEST_P(SqlEscaping, NamesOfEveryTableAreQuotedSafely) {
    const TEscapeCase& Case = GetParam();
    CxfImageBuilder Image;
    // The same name as a satellite, a channel and (inside a marker) a package.
    Image.Satellite(0, {Case.RawName, 0})
        .Transponder(0, {0, 0, 0, 0, 0, 0})
        .Channel(0, {Case.RawName, 0, 0, 0, 0, 0, 0})
        .Channel(1, {"<" + Case.RawName + ">", 0, 0, 0, 0, 0, 0});
    const std::string Content = Dump(Image)->Content();

    EXPECT_THAT(Content, testing::HasSubstr("INSERT INTO satellite VALUES ('1', '0', '" + Case.Written +
                                            "', '0', '0');\r\n"));
    EXPECT_THAT(Content, testing::HasSubstr("INSERT INTO channel VALUES ('1', '" + Case.Written +
                                            "', '0', '0', '0', '0', '0', '0', '1', '0', '0');\r\n"));
    EXPECT_THAT(Content, testing::HasSubstr("INSERT INTO package VALUES ('1', '" + Case.Written + "');\r\n"));
}

INSTANTIATE_TEST_SUITE_P(
    Names, SqlEscaping,
    testing::Values(TEscapeCase{"Apostrophe", "O'Neil", "O\\'Neil"},
                    TEscapeCase{"TwoApostrophes", "''", "\\'\\'"},
                    TEscapeCase{"TrailingBackslash", "C:\\", "C:\\\\"},
                    TEscapeCase{"BackslashBeforeApostrophe", "a\\'b", "a\\\\\\'b"},
                    TEscapeCase{"ClientCommand", "x\\! ls", "x\\\\! ls"},
                    TEscapeCase{"DoubleQuotes", "Say \"Hi\"", "Say \"Hi\""},
                    TEscapeCase{"SemicolonAndPercent", "a;b%c", "a;b%c"},
                    TEscapeCase{"Umlaut", "\xC3\x84rger", "\xC4rger"},
                    TEscapeCase{"Euro", "\xE2\x82\xAC uro", "\x80 uro"}),
    [](const testing::TestParamInfo<TEscapeCase>& Info) { return std::string(Info.param.Label); });

// --- orbital positions -------------------------------------------------------

struct TPositionCase {
    std::uint16_t Position;
    const char* Written;  // nullptr: the satellite has no row
};

void PrintTo(const TPositionCase& Case, std::ostream* Out) { *Out << Case.Position; }

class SqlOrbitalPosition : public testing::TestWithParam<TPositionCase> {};

// The locale separator is a comma here; the dump must still write a point.
TEST_P(SqlOrbitalPosition, IsPlainEastDegreesWithAPoint) {
    CxfImageBuilder Image;
    Image.Satellite(0, {"S", GetParam().Position})
        .Transponder(0, {0, 0, 0, 0, 0, 0})
        .Channel(0, {"C", 0, 1, 0, 0, 0, 0});
    const std::string Content = Dump(Image, {}, ',')->Content();

    const auto Rows = StatementsFor(Content, "satellite");
    if (GetParam().Written == nullptr) {
        EXPECT_EQ(IdsFor(Content, "satellite").front(), 2);
        // Rows beyond the full circle do not take their dependants along.
        EXPECT_EQ(IdsFor(Content, "transponder"), std::vector<int>{1});
        EXPECT_EQ(IdsFor(Content, "channel"), std::vector<int>{1});
    } else {
        EXPECT_EQ(Rows.front(), std::string("INSERT INTO satellite VALUES ('1', '") + GetParam().Written +
                                    "', 'S', '0', '0');");
    }
}

INSTANTIATE_TEST_SUITE_P(Positions, SqlOrbitalPosition,
                         testing::Values(TPositionCase{0, "0"}, TPositionCase{5, "0.5"}, TPositionCase{130, "13"},
                                         TPositionCase{192, "19.2"}, TPositionCase{1799, "179.9"},
                                         TPositionCase{1800, "180"}, TPositionCase{3592, "359.2"},
                                         TPositionCase{3600, "360"}, TPositionCase{3601, nullptr},
                                         TPositionCase{4095, nullptr}),
                         [](const auto& Info) { return std::to_string(Info.param.Position); });

// --- exclusion rules ---------------------------------------------------------

// Satellites: 1 plain, 2 UF, 3 beyond the full circle, 4 at exactly 3600.
// Transponders: 1 plain, 2 UF, 3 on the UF satellite, 4 on satellite 3,
// 5 and 6 naming no satellite (index 99 and 200).
// Channels: 1 plain, 2 VPID 0, 3 VPID 4096 (so UF), 4 VPID 0 and UF,
// 5 on the UF transponder, 6 on the UF satellite, 7 on satellite 3,
// 8 and 9 on transponders without a satellite.
CxfImageBuilder RulesImage() {
    CxfImageBuilder Image;
    Image.Satellite(0, {"A", 100})
        .Satellite(1, {"B", 200 | 0x1000})
        .Satellite(2, {"C", 3601})
        .Satellite(3, {"D", 3600})
        .Transponder(0, {10000, 1, 0, 0, 0, 0})
        .Transponder(1, {10001, 1, 0, 1, 0, 0})
        .Transponder(2, {10002, 1, 1, 0, 0, 0})
        .Transponder(3, {10003, 1, 2, 0, 0, 0})
        .Transponder(4, {10004, 1, 99, 0, 0, 0})
        .Transponder(5, {10005, 1, 200, 0, 0, 0})
        .Channel(0, {"c1", 0, 100, 0, 0, 0, 0})
        .Channel(1, {"c2", 0, 0, 0, 0, 0, 0})
        .Channel(2, {"c3", 0, 0x1000, 0, 0, 0, 0})
        .Channel(3, {"c4", 0, 0x2000, 0, 0, 0, 0})
        .Channel(4, {"c5", 1, 100, 0, 0, 0, 0})
        .Channel(5, {"c6", 2, 100, 0, 0, 0, 0})
        .Channel(6, {"c7", 3, 100, 0, 0, 0, 0})
        .Channel(7, {"c8", 4, 100, 0, 0, 0, 0})
        .Channel(8, {"c9", 5, 0, 0, 0, 0, 0});
    return Image;
}

struct TRulesCase {
    const char* Label;
    bool ChannelUF, ChannelVPID, TransponderUF, SatelliteUF;
    std::vector<int> Satellites;  // among IDs 1-4
    std::vector<int> Transponders;
    std::vector<int> Channels;
};

void PrintTo(const TRulesCase& Case, std::ostream* Out) { *Out << Case.Label; }

class SqlExclusion : public testing::TestWithParam<TRulesCase> {};

TEST_P(SqlExclusion, LeavesOutExactlyTheRowsThatTheFlagsAndRulesName) {
    const TRulesCase& Case = GetParam();
    TExportOptions Options;
    Options.ExcludeChannelUF = Case.ChannelUF;
    Options.ExcludeChannelVPID = Case.ChannelVPID;
    Options.ExcludeTransponderUF = Case.TransponderUF;
    Options.ExcludeSatelliteUF = Case.SatelliteUF;
    const std::string Content = Dump(RulesImage(), Options)->Content();

    std::vector<int> Satellites = IdsFor(Content, "satellite");
    const auto FirstEmptySlot = std::find(Satellites.begin(), Satellites.end(), 5);
    ASSERT_EQ(Satellites.end() - FirstEmptySlot, 95) << "the 95 empty slots always have rows";
    Satellites.erase(FirstEmptySlot, Satellites.end());
    EXPECT_EQ(Satellites, Case.Satellites);
    EXPECT_EQ(IdsFor(Content, "transponder"), Case.Transponders);
    std::vector<int> Channels = IdsFor(Content, "channel");
    std::sort(Channels.begin(), Channels.end());
    EXPECT_EQ(Channels, Case.Channels);
    EXPECT_EQ(IdsFor(Content, "package"), std::vector<int>{0});
}

INSTANTIATE_TEST_SUITE_P(
    Flags, SqlExclusion,
    testing::Values(
        TRulesCase{"None", false, false, false, false, {1, 2, 4}, {1, 2, 3, 4}, {1, 2, 3, 4, 5, 6, 7}},
        TRulesCase{"ChannelVPID", false, true, false, false, {1, 2, 4}, {1, 2, 3, 4}, {1, 3, 5, 6, 7}},
        TRulesCase{"ChannelUF", true, false, false, false, {1, 2, 4}, {1, 2, 3, 4}, {1, 2, 5, 6, 7}},
        TRulesCase{"TransponderUF", false, false, true, false, {1, 2, 4}, {1, 3, 4}, {1, 2, 3, 4, 6, 7}},
        TRulesCase{"SatelliteUF", false, false, false, true, {1, 4}, {1, 2, 4}, {1, 2, 3, 4, 5, 7}},
        TRulesCase{"BothChannelFlags", true, true, false, false, {1, 2, 4}, {1, 2, 3, 4}, {1, 5, 6, 7}},
        TRulesCase{"TransponderAndSatelliteUF", false, false, true, true, {1, 4}, {1, 4}, {1, 2, 3, 4, 7}},
        TRulesCase{"All", true, true, true, true, {1, 4}, {1, 4}, {1, 7}}),
    [](const testing::TestParamInfo<TRulesCase>& Info) { return std::string(Info.param.Label); });

// --- channel order -----------------------------------------------------------

struct TOrderCase {
    const char* Label;
    std::vector<std::string> Names;  // file order, all on one satellite
    std::vector<int> DumpOrder;      // channel IDs in the dump
};

void PrintTo(const TOrderCase& Case, std::ostream* Out) { *Out << Case.Label; }

class SqlChannelOrder : public testing::TestWithParam<TOrderCase> {};

TEST_P(SqlChannelOrder, FollowsTheQuicksortOfTheFreeThenPayTVGroups) {
    CxfImageBuilder Image;
    Image.Satellite(0, {"S", 0}).Transponder(0, {0, 0, 0, 0, 0, 0});
    for (std::size_t i = 0; i < GetParam().Names.size(); ++i)
        Image.Channel(static_cast<int>(i), {GetParam().Names[i], 0, 1, 0, 0, 0, 0});
    const auto Result = Dump(Image);

    EXPECT_EQ(IdsFor(Result->Content(), "channel"), GetParam().DumpOrder);
    // The database keeps the order that the dump was written in.
    std::vector<int> Kept;
    for (const auto& Channel : Result->Database->Channels()) Kept.push_back(Channel->Number);
    EXPECT_EQ(Kept, GetParam().DumpOrder);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, SqlChannelOrder,
    testing::Values(
        TOrderCase{"FiveFree", {"c1", "c2", "c3", "c4", "c5"}, {4, 5, 3, 1, 2}},
        // Markers make channels 2 and 4 pay-TV; the others are free.
        TOrderCase{"TwoPayTV", {"c1", "<$P>", "<F>", "<$P>", "<Q>", "c6"}, {5, 6, 3, 1, 2, 4}},
        TOrderCase{"PayTVFirstInFile", {"<$P>", "p2", "<F>", "f4"}, {3, 4, 1, 2}},
        TOrderCase{"Single", {"only"}, {1}}),
    [](const testing::TestParamInfo<TOrderCase>& Info) { return std::string(Info.param.Label); });

}  // namespace
