#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "CsvHtmlTestSupport.h"
#include "CxfHTMLExporterUnit.h"
#include "TestNames.h"
#include "TestProcess.h"

using namespace exporttest;
using testsupport::CxfImageBuilder;

namespace {

const std::string Prologue =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
    "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\r\n"
    "<html xmlns=\"http://www.w3.org/1999/xhtml\">\r\n"
    "\t<head>\r\n"
    "\t\t<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\r\n"
    "\t\t<meta name=\"author\" content=\"Morvane (https://www.morvane.example)\" />\r\n"
    "\t\t<meta name=\"generator\" content=\"Zanvero-Converter by Morvane (https://www.morvane.example)\" />\r\n";
const std::string BodyOpening =
    "\t</head>\r\n\t<body>\r\n\t\t<table cellpadding=\"0\" cellspacing=\"0\" align=\"center\">\r\n";
const std::string Closing = "\t\t</table>\r\n\t</body>\r\n</html>\r\n";

std::vector<std::string> ExportHtml(const CxfImageBuilder& Image, TMemorySink& Sink,
                                    const std::vector<std::string>& HeadText = {"\t\t<title>T</title>"},
                                    const std::function<void(TExportOptions&)>& Configure = {}) {
    auto Database = LoadImage(Image);
    TExportOptions Options = OptionsFor(Database);
    Options.ExportDirectory = "out/";
    if (Configure) Configure(Options);
    TCxfHTMLExporter(Sink).Export(Options, HeadText);
    return Sink.Names();
}

// One named satellite with a plain and two pay-TV channels whose order
// differs between the pages; an unnamed satellite with a channel and a
// named one without transponders get no pages.
CxfImageBuilder SmallImage() {
    CxfImageBuilder Image;
    Image.Satellite(0, {"T\xC3\xBCrksat 42E", 420});
    Image.Satellite(1, {"", 100});
    Image.Satellite(2, {"Empty", 200});
    Image.Transponder(0, {TpWord(11953, 0), 27500, 0, 0, 1, 2});
    Image.Transponder(1, {TpWord(12000, 1), 27500, 0, 0, 1, 3});
    Image.Transponder(2, {TpWord(10700, 0), 22000, 1, 0, 1, 4});
    Image.Channel(0, {"ZDF", 0, 110, 120, 130, 140, 28006});
    Image.Channel(1, {"<$Sky>", 1, 0, 0, 0, 0, 0});
    Image.Channel(2, {"A&B <x>", 0, 511, 512, 511, 0, 7});
    Image.Channel(3, {"Unnamed sat", 2, 1, 2, 3, 4, 5});
    return Image;
}

TEST(HtmlExporterTest, WholePagesOfASmallImage) {
    const std::string Zdf =
        "\t\t\t<tr onmouseover=\"h(this,1)\" onmouseout=\"h(this,0)\"><td class=\"l\">ZDF</td><td class=\"c\">-</td>"
        "<td>T&uuml;rksat 42E</td><td>42&#176; 0</td><td>11953</td><td>H</td><td>27500</td><td>110</td>"
        "<td>120</td><td>130</td><td>28006</td></tr>\r\n";
    const std::string Sky =
        "\t\t\t<tr class=\"p\" onmouseover=\"h(this,3)\" onmouseout=\"h(this,2)\"><td class=\"l\">&lt;$Sky&gt;</td>"
        "<td class=\"c\">Sky</td><td>T&uuml;rksat 42E</td><td>42&#176; 0</td><td>12000</td><td>V</td><td>27500</td>"
        "<td>0</td><td>0</td><td>0</td><td>0</td></tr>\r\n";
    const std::string AB =
        "\t\t\t<tr class=\"p\" onmouseover=\"h(this,3)\" onmouseout=\"h(this,2)\"><td class=\"l\">A&amp;B &lt;x&gt;</td>"
        "<td class=\"c\">Sky</td><td>T&uuml;rksat 42E</td><td>42&#176; 0</td><td>11953</td><td>H</td><td>27500</td>"
        "<td>511</td><td>512</td><td>511</td><td>7</td></tr>\r\n";
    const std::string Fixed = "<th>Pol.</th><th>Symb.</th><th>VPID</th><th>APID</th><th>PCRPID</th><th>SID</th></tr>\r\n";
    const std::string ByName =
        "\t\t\t<tr><th style=\"color: #cc0000;\">Kanal</th><th><a href=\"T_rksat_42E_(BY_PACKAGE).html\">Anbieter</a></th>"
        "<th>Satellit</th><th>Pos.</th><th><a href=\"T_rksat_42E_(BY_FREQUENCY).html\">Frequenz</a></th>" + Fixed;
    const std::string ByFrequency =
        "\t\t\t<tr><th><a href=\"T_rksat_42E_(BY_NAME).html\">Kanal</a></th><th><a href=\"T_rksat_42E_(BY_PACKAGE).html\">"
        "Anbieter</a></th><th>Satellit</th><th>Pos.</th><th style=\"color: #cc0000;\">Frequenz</th>" + Fixed;
    const std::string ByPackage =
        "\t\t\t<tr><th><a href=\"T_rksat_42E_(BY_NAME).html\">Kanal</a></th><th style=\"color: #cc0000;\">Anbieter</th>"
        "<th>Satellit</th><th>Pos.</th><th><a href=\"T_rksat_42E_(BY_FREQUENCY).html\">Frequenz</a></th>" + Fixed;
    const std::string Top = Prologue + "\t\t<title>T</title>\r\n" + BodyOpening;

    const std::string Overview =
        Prologue + "\t\t<meta name=\"zanvero\" content=\"overview\" />\r\n\t\t<title>T</title>\r\n" + BodyOpening +
        "\t\t\t<tr><th>Satellit</th><th>Pos.</th><th>Kan&auml;le</th><th colspan=\"3\">Kanalliste sortiert nach</th>"
        "</tr>\r\n"
        "\t\t\t<tr onmouseover=\"h(this,1)\" onmouseout=\"h(this,0)\"><td class=\"l\">T&uuml;rksat 42E</td>"
        "<td>42&#176; 0</td><td>3</td><td class=\"c\"><a href=\"T_rksat_42E_(BY_NAME).html\">Kanal</a></td>"
        "<td class=\"c\"><a href=\"T_rksat_42E_(BY_FREQUENCY).html\">Frequenz</a></td>"
        "<td class=\"c\"><a href=\"T_rksat_42E_(BY_PACKAGE).html\">Anbieter</a></td></tr>\r\n" + Closing;

    TMemorySink Sink;
    const auto Names = ExportHtml(SmallImage(), Sink);
    ASSERT_EQ(Names, (std::vector<std::string>{"out/T_rksat_42E_(BY_NAME).html", "out/T_rksat_42E_(BY_FREQUENCY).html",
                                                "out/T_rksat_42E_(BY_PACKAGE).html", "out/index.html"}));
    EXPECT_EQ(Sink.Files[0].second, Top + ByName + Zdf + Sky + AB + Closing);
    EXPECT_EQ(Sink.Files[1].second, Top + ByFrequency + Zdf + AB + Sky + Closing);
    EXPECT_EQ(Sink.Files[2].second, Top + ByPackage + Zdf + Sky + AB + Closing);
    EXPECT_EQ(Sink.Files[3].second, Overview);
}

TEST(HtmlExporterTest, EmptyHeadTextPutsTheHeadEndRightAfterTheGeneratorLine) {
    TMemorySink Sink;
    ExportHtml(SmallImage(), Sink, {});
    ASSERT_FALSE(Sink.Files.empty());
    EXPECT_TRUE(Sink.Files[0].second.starts_with(Prologue + BodyOpening));
}

TEST(HtmlExporterTest, DefaultHeadTextIsOneEntryOfTwentyTwoLines) {
    const auto Lines = SplitLines(DefaultHtmlHeadText);
    ASSERT_EQ(Lines.size(), 22u);
    EXPECT_FALSE(DefaultHtmlHeadText.ends_with("\n"));
    EXPECT_EQ(Lines.front(), "\t\t<title>Digitalfernsehen Frequenzliste - Televio</title>");
    EXPECT_EQ(Lines[9], "\t\t<!-- ");
    for (int i = 11; i <= 19; ++i) EXPECT_TRUE(Lines[i].ends_with(";} ")) << "line " << i + 1;
    EXPECT_NE(Lines[12].find("white-space:  nowrap;} "), std::string::npos);
    EXPECT_EQ(Lines[20], "\t\t//-->");
    EXPECT_EQ(Lines.back(), "\t\t</style>");
}

TEST(HtmlExporterTest, EmptyDatabaseWritesNothing) {
    TMemorySink Sink;
    EXPECT_TRUE(ExportHtml(testsupport::NothingToExportImage(), Sink).empty());
}

// The channel names shown on any page, from the first cell of each row.
std::set<std::string> ShownChannels(const TMemorySink& Sink) {
    std::set<std::string> Shown;
    const std::string Cell = "<td class=\"l\">";
    for (const auto& File : Sink.Files)
        if (!File.first.ends_with(OverviewFileName))
            for (std::size_t At = File.second.find(Cell); At != std::string::npos; At = File.second.find(Cell, At + 1)) {
            const std::size_t Start = At + Cell.size();
            Shown.insert(File.second.substr(Start, File.second.find("</td>", Start) - Start));
        }
    return Shown;
}

struct TExclusionCase {
    const char* Label;
    bool ChannelUF, ChannelVPID;
    std::set<std::string> Shown;
    std::size_t Pages;
};

void PrintTo(const TExclusionCase& Case, std::ostream* Out) { *Out << Case.Label; }

class HtmlExclusionTest : public ::testing::TestWithParam<TExclusionCase> {};

// "Orphan" lies on a transponder without satellite and is never shown; the
// flags of satellite "Flagged" and its transponder change nothing.
TEST_P(HtmlExclusionTest, ShowsExactlyTheKeptChannels) {
    CxfImageBuilder Image;
    Image.Satellite(0, {"Main", 192});
    Image.Satellite(1, {"Flagged", 130 | 0x1000});
    Image.Transponder(0, {TpWord(11000, 0), 1, 0, 0, 0, 0});
    Image.Transponder(1, {TpWord(12000, 0), 1, 1, 1, 0, 0});
    Image.Transponder(2, {TpWord(13000, 0), 1, 200, 0, 0, 0});
    Image.Channel(0, {"Keep", 0, 10, 0, 0, 0, 0});
    Image.Channel(1, {"NoVideo", 0, 0, 0, 0, 0, 0});
    Image.Channel(2, {"Unused", 0, 0x1000 | 20, 0, 0, 0, 0});
    Image.Channel(3, {"Orphan", 2, 30, 0, 0, 0, 0});
    Image.Channel(4, {"OnFlagged", 1, 0x2000, 0, 0, 0, 0});

    const TExclusionCase& Case = GetParam();
    TMemorySink Sink;
    ExportHtml(Image, Sink, {}, [&Case](TExportOptions& Options) {
        Options.ExcludeChannelUF = Case.ChannelUF;
        Options.ExcludeChannelVPID = Case.ChannelVPID;
        Options.ExcludeTransponderUF = true;
        Options.ExcludeSatelliteUF = true;
    });
    EXPECT_EQ(ShownChannels(Sink), Case.Shown);
    EXPECT_EQ(Sink.Files.size(), Case.Pages);
}

INSTANTIATE_TEST_SUITE_P(
    Flags, HtmlExclusionTest,
    ::testing::Values(TExclusionCase{"None", false, false, {"Keep", "NoVideo", "Unused", "OnFlagged"}, 7},
                      TExclusionCase{"VideoPidZero", false, true, {"Keep", "Unused"}, 4},
                      TExclusionCase{"ChannelUF", true, false, {"Keep", "NoVideo"}, 4},
                      TExclusionCase{"BothChannelFlags", true, true, {"Keep"}, 4}),
    [](const ::testing::TestParamInfo<TExclusionCase>& Info) { return std::string(Info.param.Label); });

// H for a header row, R for a channel row, C for the credits row, in page order.
std::string TableShape(const std::string& Page) {
    std::string Shape;
    for (const std::string& Line : SplitLines(Page)) {
        if (Line.starts_with("\t\t\t<tr><th")) Shape += 'H';
        else if (Line.starts_with("\t\t\t<tr onmouseover")) Shape += 'R';
        else if (Line.starts_with("\t\t\t<tr><td style=\"background-color: #eeeebb;\" colspan=\"11\">")) Shape += 'C';
    }
    return Shape;
}

class HtmlPageLengthTest : public ::testing::TestWithParam<int> {};

TEST_P(HtmlPageLengthTest, HeaderEveryTwentyFiveRowsAndCreditsAfterFifty) {
    const int Count = GetParam();
    CxfImageBuilder Image;
    Image.Satellite(0, {"Big", 192});
    Image.Transponder(0, {TpWord(11000, 0), 1, 0, 0, 0, 0});
    for (int i = 0; i < Count; ++i) Image.Channel(i, {"Ch " + std::to_string(100 + i), 0, 1, 0, 0, 0, 0});

    std::string Expected;
    for (int i = 0; i < Count; ++i) Expected += std::string(i % 25 == 0 ? "H" : "") + "R";
    if (Count > 50) Expected += 'C';

    TMemorySink Sink;
    ExportHtml(Image, Sink);
    ASSERT_EQ(Sink.Files.size(), 4u);  // and the overview
    for (const auto& File : std::span(Sink.Files).first(3)) {
        EXPECT_EQ(TableShape(File.second), Expected) << File.first;
        EXPECT_TRUE(File.second.ends_with("</tr>\r\n" + Closing));
    }
    if (Count > 50) {
        EXPECT_NE(Sink.Files[0].second.find(
                      "<span style=\"font-size: 8px;\">Generated with: <a style=\"color: #663300;\" "
                      "href=\"https://www.morvane.example/html/tools.html\" target=\"_morvane\">Zanvero</a></span>"
                      "</td></tr>\r\n" + Closing),
                  std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, HtmlPageLengthTest, ::testing::Values(1, 25, 26, 50, 51),
                         ::testing::PrintToStringParamName());

TEST(HtmlExporterTest, LaterSatelliteWinsWhenSanitisedNamesAreEqual) {
    CxfImageBuilder Image;
    Image.Satellite(0, {"Astra 1", 192});
    Image.Satellite(1, {"Astra-1", 235});
    Image.Transponder(0, {TpWord(11000, 0), 1, 0, 0, 0, 0});
    Image.Transponder(1, {TpWord(12000, 0), 1, 1, 0, 0, 0});
    Image.Channel(0, {"First", 0, 1, 0, 0, 0, 0});
    Image.Channel(1, {"Second", 1, 1, 0, 0, 0, 0});
    auto Database = LoadImage(Image);
    testsupport::TempDir Dir;
    TExportOptions Options = OptionsFor(Database);
    Options.ExportDirectory = Dir.Path().string() + "/";
    TCxfHTMLExporter().Export(Options, {DefaultHtmlHeadText});

    std::vector<std::string> Files;
    for (const auto& Entry : std::filesystem::directory_iterator(Dir.Path())) {
        Files.push_back(Entry.path().filename().string());
        if (Files.back() == OverviewFileName) continue;
        const std::string Page = testsupport::ReadFileBytes(Entry.path());
        EXPECT_NE(Page.find(">Second</td>"), std::string::npos) << Files.back();
        EXPECT_EQ(Page.find(">First</td>"), std::string::npos) << Files.back();
    }
    std::sort(Files.begin(), Files.end());
    EXPECT_EQ(Files, (std::vector<std::string>{"Astra_1_(BY_FREQUENCY).html", "Astra_1_(BY_NAME).html",
                                               "Astra_1_(BY_PACKAGE).html", "index.html"}));
}

// --- the overview ------------------------------------------------------------

struct TOverviewSatellite {
    std::string Name;
    std::uint16_t Position;  // tenths of a degree east
    int Kept;                // channels with a video PID
    int Excluded;            // channels with video PID 0, which the export leaves out
};

struct TOverviewCase {
    const char* Label;
    std::vector<TOverviewSatellite> Satellites;    // from slot 0 on
    std::optional<std::vector<std::string>> Rows;  // none: no overview
};

void PrintTo(const TOverviewCase& Case, std::ostream* Out) { *Out << Case.Label; }

// A satellite's row as the overview should have it, its cells joined by "|".
std::string Row(const std::string& Name, const std::string& Position, int Channels, const std::string& Pages) {
    return Name + "|" + Position + "&#176; 0|" + std::to_string(Channels) + "|" + Pages + "_(BY_NAME).html|" + Pages +
           "_(BY_FREQUENCY).html|" + Pages + "_(BY_PACKAGE).html";
}

// The satellite rows of an overview, each as its cells joined by "|", a
// link cell by its target.
std::vector<std::string> OverviewRows(const std::string& Page) {
    std::vector<std::string> Rows;
    for (const std::string& Line : SplitLines(Page)) {
        if (!Line.starts_with("\t\t\t<tr onmouseover")) continue;
        std::string Cells;
        for (std::size_t At = Line.find("<td"); At != std::string::npos; At = Line.find("<td", At + 1)) {
            const std::size_t Start = Line.find('>', At) + 1;
            std::string Cell = Line.substr(Start, Line.find("</td>", Start) - Start);
            if (Cell.starts_with("<a href=\"")) Cell = Cell.substr(9, Cell.find('"', 9) - 9);
            Cells += (Cells.empty() ? "" : "|") + Cell;
        }
        Rows.push_back(Cells);
    }
    return Rows;
}

class HtmlOverviewRows : public ::testing::TestWithParam<TOverviewCase> {};

TEST_P(HtmlOverviewRows, ListTheSatellitesWhosePagesRemainInTableOrder) {
    CxfImageBuilder Image;
    int Slot = 0;
    for (std::size_t i = 0; i < GetParam().Satellites.size(); ++i) {
        const TOverviewSatellite& Satellite = GetParam().Satellites[i];
        const auto Index = static_cast<std::uint8_t>(i);
        Image.Satellite(Index, {Satellite.Name, Satellite.Position});
        Image.Transponder(Index, {TpWord(static_cast<std::uint16_t>(11000 + i), 0), 1, Index, 0, 0, 0});
        for (int k = 0; k < Satellite.Kept + Satellite.Excluded; ++k)
            Image.Channel(Slot++, {"Ch", Index, static_cast<std::uint16_t>(k < Satellite.Kept ? 1 : 0), 0, 0, 0, 0});
    }
    auto Database = LoadImage(Image);
    TExportOptions Options = OptionsFor(Database);
    Options.ExportDirectory = "out/";
    Options.ExcludeChannelVPID = true;
    TMemorySink Sink;
    const TOverviewResult Result = TCxfHTMLExporter(Sink).Export(Options, {});

    const TFoundFile Overview = Sink.Find("out/index.html", std::string::npos);
    std::optional<std::vector<std::string>> Rows;
    if (Overview.Kind == TFoundFile::File) Rows = OverviewRows(Overview.Start);
    EXPECT_EQ(Rows, GetParam().Rows);
    EXPECT_EQ(Result, Rows ? TOverviewResult::Written : TOverviewResult::NoPages);
}

INSTANTIATE_TEST_SUITE_P(
    LineUps, HtmlOverviewRows,
    ::testing::Values(
        TOverviewCase{"TableOrderNotNameOrder",
                      {{"Zeta", 100, 2, 0}, {"", 130, 1, 0}, {"Alpha", 192, 1, 1}, {"NoChannels", 200, 0, 0}},
                      std::vector{Row("Zeta", "10", 2, "Zeta"), Row("Alpha", "19,2", 1, "Alpha")}},
        TOverviewCase{"AllChannelsExcluded",
                      {{"Astra", 192, 0, 2}, {"Hot Bird", 130, 1, 0}},
                      std::vector{Row("Hot Bird", "13", 1, "Hot_Bird")}},
        TOverviewCase{"CoincidingNamesLaterWins",
                      {{"Astra 1", 192, 1, 0}, {"Hot", 130, 1, 0}, {"Astra-1", 235, 2, 0}},
                      std::vector{Row("Hot", "13", 1, "Hot"), Row("Astra-1", "23,5", 2, "Astra_1")}},
        TOverviewCase{"NamesakeWithoutPages",
                      {{"Astra 1", 192, 1, 0}, {"Astra-1", 235, 0, 1}},
                      std::vector{Row("Astra 1", "19,2", 1, "Astra_1")}},
        TOverviewCase{"NoPagesNoOverview", {{"Astra", 192, 0, 1}, {"", 130, 1, 0}}, std::nullopt}),
    testsupport::LabelName());

struct TExistingCase {
    const char* Label;
    std::function<void(const std::filesystem::path& Index)> Prepare;  // puts something under the overview's name
    TOverviewResult Result;
};

void PrintTo(const TExistingCase& Case, std::ostream* Out) { *Out << Case.Label; }

TOverviewResult ExportSmallImageInto(const std::filesystem::path& Dir, const std::string& Title) {
    auto Database = LoadImage(SmallImage());
    TExportOptions Options = OptionsFor(Database);
    Options.ExportDirectory = Dir.string() + "/";
    return TCxfHTMLExporter().Export(Options, {"<title>" + Title + "</title>"});
}

// What lies under the overview's name, and below it.
std::set<std::string> OverviewEntries(const std::filesystem::path& Dir) {
    std::set<std::string> Entries;
    for (const std::string& Entry : testsupport::DirectorySnapshot(Dir))
        if (Entry.starts_with(OverviewFileName)) Entries.insert(Entry);
    return Entries;
}

class HtmlOverviewOverExisting : public ::testing::TestWithParam<TExistingCase> {};

TEST_P(HtmlOverviewOverExisting, ReplacesOnlyAnOverviewOfItsOwn) {
    testsupport::TempDir Dir;
    GetParam().Prepare(Dir / OverviewFileName);
    const std::set<std::string> Before = OverviewEntries(Dir.Path());

    EXPECT_EQ(ExportSmallImageInto(Dir.Path(), "new"), GetParam().Result);
    EXPECT_TRUE(std::filesystem::exists(Dir / "T_rksat_42E_(BY_PACKAGE).html"));
    if (GetParam().Result == TOverviewResult::ForeignKept)
        EXPECT_EQ(OverviewEntries(Dir.Path()), Before);
    else
        EXPECT_NE(testsupport::ReadFileBytes(Dir / OverviewFileName).find("<title>new</title>"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Found, HtmlOverviewOverExisting,
    ::testing::Values(
        TExistingCase{"Nothing", [](const std::filesystem::path&) {}, TOverviewResult::Written},
        TExistingCase{"EarlierOverview",
                      [](const std::filesystem::path& Index) { ExportSmallImageInto(Index.parent_path(), "old"); },
                      TOverviewResult::Written},
        TExistingCase{"ForeignPage",
                      [](const std::filesystem::path& Index) {
                          testsupport::WriteFileBytes(Index, "<html><body>Meine Startseite</body></html>\n");
                      },
                      TOverviewResult::ForeignKept},
        TExistingCase{"EmptyFile", [](const std::filesystem::path& Index) { testsupport::WriteFileBytes(Index, ""); },
                      TOverviewResult::ForeignKept},
        TExistingCase{"Directory",
                      [](const std::filesystem::path& Index) {
                          std::filesystem::create_directory(Index);
                          testsupport::WriteFileBytes(Index / "inside.html", "mine");
                      },
                      TOverviewResult::ForeignKept}),
    testsupport::LabelName());

}  // namespace
