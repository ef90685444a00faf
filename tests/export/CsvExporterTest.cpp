#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "CsvHtmlTestSupport.h"
#include "CxfCSVExporterUnit.h"

using namespace exporttest;
using testsupport::CxfImageBuilder;

namespace {

const std::string Header =
    "\"Index\";\"Channel_ID\";\"Channel_Name\";\"Satellite\";\"Position\";\"Frequency\";\"Polarisation\";"
    "\"Symbolrate\";\"Video_PID\";\"Audio_PID\";\"PCR_PID\";\"Teletext_PID\";\"Service_ID\";"
    "\"Original_Network_ID\";\"Transport_Stream_ID\";\"Unsed_Flag\";\"Pay_TV\";\"Package\"\r\n";

// Five kept channels (one record between them is dropped), one of them on a
// transponder without satellite; the second satellite and its transponder
// carry UF flags, which the CSV export must ignore.
CxfImageBuilder SmallImage() {
    CxfImageBuilder Image;
    Image.Satellite(0, {"Astra 19.2E", 192});
    Image.Satellite(1, {"Hot\"Bird", 130 | 0x1000});
    Image.Transponder(0, {TpWord(11494, 1), 22000, 0, 0, 1, 1093});
    Image.Transponder(1, {TpWord(12188, 0), 27500, 1, 1, 318, 8400});
    Image.Transponder(2, {TpWord(10000, 2), 1000, 0xFF, 0, 5, 6});
    Image.Channel(0, {"Das Erste", 0, 101, 102, 103, 104, 28106});
    // Record 1 keeps the empty slot's transponder index and is dropped.
    Image.Channel(2, {"<$Sky>", 0, 0, 0, 0, 0, 0});
    Image.Channel(3, {"Sky \"Cinema\"", 0, 255, 256, 257, 0, 10});
    Image.Channel(4, {"Orphan", 2, 300, 301, 302, 303, 304});
    Image.Channel(5, {"Rai's;\xC3\x9C", 1, 0x2000 | 512, 650, 8190, 0, 65535});
    return Image;
}

std::string ExportCsv(const CxfImageBuilder& Image, const std::function<void(TExportOptions&)>& Configure = {}) {
    auto Database = LoadImage(Image);
    TExportOptions Options = OptionsFor(Database);
    Options.FileName = "/out/list.csv";
    if (Configure) Configure(Options);
    TMemorySink Sink;
    TCxfCSVExporter(Sink).Export(Options);
    EXPECT_EQ(Sink.Names(), std::vector<std::string>{"/out/list.csv"});
    return Sink.Files.empty() ? std::string() : Sink.Files.front().second;
}

TEST(CsvExporterTest, WholeFileOfASmallImage) {
    const std::string Expected =
        Header +
        "\"0\";\"1\";\"Das Erste\";\"Astra 19.2E\";\"19,2\xB0 0\";\"11494\";\"V\";\"22000\";\"101\";\"102\";\"103\";"
        "\"104\";\"28106\";\"1\";\"1093\";\"0\";\"0\";\"-\"\r\n"
        "\"1\";\"3\";\"<$Sky>\";\"Astra 19.2E\";\"19,2\xB0 0\";\"11494\";\"V\";\"22000\";\"0\";\"0\";\"0\";"
        "\"0\";\"0\";\"1\";\"1093\";\"0\";\"1\";\"Sky\"\r\n"
        "\"2\";\"4\";\"Sky 'Cinema'\";\"Astra 19.2E\";\"19,2\xB0 0\";\"11494\";\"V\";\"22000\";\"255\";\"256\";\"257\";"
        "\"0\";\"10\";\"1\";\"1093\";\"0\";\"1\";\"Sky\"\r\n"
        "\"4\";\"6\";\"Rai's;\xDC\";\"Hot'Bird\";\"13\xB0 0\";\"12188\";\"H\";\"27500\";\"512\";\"650\";\"8190\";"
        "\"0\";\"65535\";\"318\";\"8400\";\"1\";\"0\";\"-\"\r\n";
    EXPECT_EQ(ExportCsv(SmallImage()), Expected);
}

// Spreadsheets need the byte-order mark to read the names as UTF-8; the
// lines themselves are read back by the consumer test.
TEST(CsvExporterTest, Utf8FileStartsWithTheByteOrderMark) {
    auto Database = LoadImage(SmallImage(), ',', TCharset::Utf8);
    TMemorySink Sink;
    TCxfCSVExporter(Sink).Export(OptionsFor(Database));
    EXPECT_EQ(Sink.Files.at(0).second.substr(0, 3 + Header.size()), "\xEF\xBB\xBF" + Header);
}

TEST(CsvExporterTest, EmptyDatabaseGivesTheHeaderAlone) {
    EXPECT_EQ(ExportCsv(testsupport::NothingToExportImage()), Header);
}

// The Index fields of the written lines.
std::vector<std::string> WrittenIndexes(const std::string& Csv) {
    std::vector<std::string> Indexes;
    const auto Lines = SplitLines(Csv);
    for (std::size_t i = 1; i < Lines.size(); ++i) Indexes.push_back(Lines[i].substr(1, Lines[i].find('"', 1) - 1));
    return Indexes;
}

struct TExclusionCase {
    const char* Label;
    bool ChannelUF, ChannelVPID, TransponderUF, SatelliteUF;
    std::vector<std::string> Indexes;
};

void PrintTo(const TExclusionCase& Case, std::ostream* Out) { *Out << Case.Label; }

class CsvExclusionTest : public ::testing::TestWithParam<TExclusionCase> {};

TEST_P(CsvExclusionTest, LeavesOutExactlyTheExcludedChannels) {
    const TExclusionCase& Case = GetParam();
    const std::string Csv = ExportCsv(SmallImage(), [&Case](TExportOptions& Options) {
        Options.ExcludeChannelUF = Case.ChannelUF;
        Options.ExcludeChannelVPID = Case.ChannelVPID;
        Options.ExcludeTransponderUF = Case.TransponderUF;
        Options.ExcludeSatelliteUF = Case.SatelliteUF;
    });
    EXPECT_EQ(WrittenIndexes(Csv), Case.Indexes);
}

// Index 3 (no satellite) is never written; 1 has video PID 0; 4 has UF set.
INSTANTIATE_TEST_SUITE_P(
    Flags, CsvExclusionTest,
    ::testing::Values(TExclusionCase{"None", false, false, false, false, {"0", "1", "2", "4"}},
                      TExclusionCase{"VideoPidZero", false, true, false, false, {"0", "2", "4"}},
                      TExclusionCase{"ChannelUF", true, false, false, false, {"0", "1", "2"}},
                      TExclusionCase{"BothChannelFlags", true, true, false, false, {"0", "2"}},
                      TExclusionCase{"TransponderAndSatelliteUFIgnored", false, false, true, true, {"0", "1", "2", "4"}}),
    [](const ::testing::TestParamInfo<TExclusionCase>& Info) { return std::string(Info.param.Label); });

// A name that a spreadsheet would run as a formula, in each of the three
// name columns at once: the satellite's name, a package marker's and a
// channel's.
struct TFormulaCase {
    const char* Label;
    std::string Name;
    std::string Guarded;  // the field as written with the guard on
};

void PrintTo(const TFormulaCase& Case, std::ostream* Out) { *Out << Case.Label; }

class CsvFormulaTest : public ::testing::TestWithParam<std::tuple<TFormulaCase, TCharset, bool>> {};

// The last line's three name fields, joined by "|". No field holds a double
// quote, so the fields lie between the line's '";"' separators.
std::string NameFields(const std::string& Csv) {
    const std::string Line = SplitLines(Csv).back();
    const std::string Inner = Line.substr(1, Line.size() - 2);
    std::vector<std::string> Fields;
    for (std::size_t Start = 0;;) {
        const std::size_t End = Inner.find("\";\"", Start);
        Fields.push_back(Inner.substr(Start, End - Start));
        if (End == std::string::npos) break;
        Start = End + 3;
    }
    return Fields.at(2) + "|" + Fields.at(3) + "|" + Fields.at(17);
}

TEST_P(CsvFormulaTest, NameCellsAreGuardedUnlessLiteral) {
    const auto& [Case, Charset, Literal] = GetParam();
    CxfImageBuilder Image;
    Image.Satellite(0, {Case.Name, 192});
    Image.Transponder(0, {TpWord(11494, 1), 22000, 0, 0, 1, 1093});
    Image.Channel(0, {"<" + Case.Name + ">", 0});
    Image.Channel(1, {Case.Name, 0});
    auto Database = LoadImage(Image, ',', Charset);
    TExportOptions Options = OptionsFor(Database);
    Options.CsvLiteralNames = Literal;
    TMemorySink Sink;
    TCxfCSVExporter(Sink).Export(Options);
    std::string Written = Case.Name;
    for (char& C : Written) C = C == '"' ? '\'' : C;
    const std::string Expected = Literal ? Written : Case.Guarded;
    EXPECT_EQ(NameFields(Sink.Files.at(0).second), Expected + "|" + Expected + "|" + Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, CsvFormulaTest,
    ::testing::Combine(
        ::testing::Values(TFormulaCase{"Equals", "=1+1", "'=1+1"}, TFormulaCase{"At", "@SUM(A1)", "'@SUM(A1)"},
                          TFormulaCase{"PlusCall", "+HYPERLINK('x')", "'+HYPERLINK('x')"},
                          TFormulaCase{"MinusSum", "-2+3", "'-2+3"}, TFormulaCase{"MinusDot", "-1.", "'-1."},
                          TFormulaCase{"QuoteFirst", "\"=1", "'=1"}, TFormulaCase{"MinusAlone", "-", "-"},
                          TFormulaCase{"PlusAlone", "+", "+"}, TFormulaCase{"PlusNumber", "+1", "+1"},
                          TFormulaCase{"MinusNumber", "-5", "-5"}, TFormulaCase{"MinusComma", "-1,5", "-1,5"},
                          TFormulaCase{"Plain", "ARD", "ARD"}, TFormulaCase{"EqualsInside", "a=b", "a=b"}),
        ::testing::Values(TCharset::Windows1252, TCharset::Utf8), ::testing::Bool()),
    [](const auto& Info) {
        return std::string(std::get<0>(Info.param).Label) +
               (std::get<1>(Info.param) == TCharset::Utf8 ? "Utf8" : "Windows1252") +
               (std::get<2>(Info.param) ? "Literal" : "Guarded");
    });

TEST(CsvExporterTest, QuoteInTheDecimalSeparatorCannotBreakTheField) {
    CxfImageBuilder Image = SmallImage();
    auto Database = LoadImage(Image, '"');
    TExportOptions Options = OptionsFor(Database);
    TMemorySink Sink;
    TCxfCSVExporter(Sink).Export(Options);
    EXPECT_NE(Sink.Files.at(0).second.find(";\"19'2\xB0 0\";"), std::string::npos);
}

}  // namespace
