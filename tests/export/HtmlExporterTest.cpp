#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "CsvHtmlTestSupport.h"
#include "CxfHTMLExporterUnit.h"

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

    TMemorySink Sink;
    const auto Names = ExportHtml(SmallImage(), Sink);
    ASSERT_EQ(Names, (std::vector<std::string>{"out/T_rksat_42E_(BY_NAME).html", "out/T_rksat_42E_(BY_FREQUENCY).html",
                                                "out/T_rksat_42E_(BY_PACKAGE).html"}));
    EXPECT_EQ(Sink.Files[0].second, Top + ByName + Zdf + Sky + AB + Closing);
    EXPECT_EQ(Sink.Files[1].second, Top + ByFrequency + Zdf + AB + Sky + Closing);
    EXPECT_EQ(Sink.Files[2].second, Top + ByPackage + Zdf + Sky + AB + Closing);
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
    ::testing::Values(TExclusionCase{"None", false, false, {"Keep", "NoVideo", "Unused", "OnFlagged"}, 6},
                      TExclusionCase{"VideoPidZero", false, true, {"Keep", "Unused"}, 3},
                      TExclusionCase{"ChannelUF", true, false, {"Keep", "NoVideo"}, 3},
                      TExclusionCase{"BothChannelFlags", true, true, {"Keep"}, 3}),
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
    ASSERT_EQ(Sink.Files.size(), 3u);
    for (const auto& File : Sink.Files) {
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
        const std::string Page = testsupport::ReadFileBytes(Entry.path());
        EXPECT_NE(Page.find(">Second</td>"), std::string::npos) << Files.back();
        EXPECT_EQ(Page.find(">First</td>"), std::string::npos) << Files.back();
    }
    std::sort(Files.begin(), Files.end());
    EXPECT_EQ(Files, (std::vector<std::string>{"Astra_1_(BY_FREQUENCY).html", "Astra_1_(BY_NAME).html",
                                               "Astra_1_(BY_PACKAGE).html"}));
}

}  // namespace
