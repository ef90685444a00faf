// Real readers of the exported files: the XHTML pages must pass a validating
// XML parser against the XHTML 1.0 DTD, and the CSV file must read back
// through Python's csv module field for field and open in LibreOffice Calc
// without running a name as a formula. The tools are found on PATH;
// a missing tool fails the test, since the checks would prove nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "CsvHtmlTestSupport.h"
#include "CxfCSVExporterUnit.h"
#include "CxfChangeReportUnit.h"
#include "CxfHTMLExporterUnit.h"
#include "DemoCxf.h"
#include "TestNames.h"
#include "TestProcess.h"
#include "Unit_Uml.h"

using namespace exporttest;
using testsupport::CxfImageBuilder;
using testsupport::TempDir;

namespace {

// Names as the receiver stores them (UTF-8), with everything that needs
// escaping or quoting, pay-TV and free packages, more than 51 channels on
// the first satellite, an unnamed satellite and a channel without satellite.
CxfImageBuilder RealisticImage() {
    CxfImageBuilder Image;
    Image.Satellite(0, {"Astra 19.2E", 192});
    Image.Satellite(1, {"Hot&Bird \"13\xC2\xB0" "E\"", 130});
    Image.Satellite(2, {"T\xC3\xBCrksat <42\xC2\xB0" "E>", 420 | 0x1000});
    Image.Satellite(3, {"", 100});
    Image.Satellite(4, {"Astra 28.2E", 282});
    Image.Satellite(5, {"Intelsat 1W", 3590});
    Image.Transponder(0, {TpWord(11494, 0), 22000, 0, 0, 1, 1093});
    Image.Transponder(1, {TpWord(12188, 1), 27500, 0, 1, 133, 33});
    Image.Transponder(2, {TpWord(10992, 1), 27500, 1, 0, 318, 12000});
    Image.Transponder(3, {TpWord(11958, 2), 30000, 2, 0, 65535, 65535});
    Image.Transponder(4, {TpWord(12500, 0), 1000, 3, 0, 7, 8});
    Image.Transponder(5, {TpWord(12600, 0), 1000, 0xFF, 0, 9, 10});
    Image.Transponder(6, {TpWord(11000, 3), 5000, 5, 0, 11, 12});

    const std::vector<std::pair<std::string, std::uint16_t>> First = {
        {"Das Erste", 0},
        {"<ARD>", 0},
        {"Sat.1 & Pro7", 0},
        {"\"Quoted\" <tag>", 0},
        {"\xC3\x84rger \xC3\xA4 \xC3\xBC \xC3\x9F", 0},
        {"Euro \xE2\x82\xAC TV", 0},
        {"\xE2\x80\x9ENachrichten\xE2\x80\x9C", 0},
        {"Caf\xC3\xA9 \xE2\x80\x93 Bar", 0},
        {"\xC3\x97\xC3\xB7\xC2\xA9\xC2\xAE \xC2\xBD\xC2\xA0x", 0},
        {"Rai's; 'single'", 0},
        {"Brand\xE2\x84\xA2 \xE2\x80\xA6", 0},
        {"<$Sky Deutschland>", 1},
    };
    int Slot = 0;
    for (const auto& [Name, Tp] : First) {
        Image.Channel(Slot, {Name, Tp, static_cast<std::uint16_t>(100 + Slot), 200, 300, 400, 500});
        ++Slot;
    }
    for (int i = 0; i < 54; ++i)
        Image.Channel(Slot++, {"Sky Kanal " + std::to_string(i), 1, static_cast<std::uint16_t>(i % 3 == 0 ? 0 : 1000 + i),
                               static_cast<std::uint16_t>(2000 + i), 0, 0, static_cast<std::uint16_t>(i)});
    Image.Channel(Slot++, {"< Free & Easy >", 0, 0x1000 | 5, 0, 0, 0, 0});
    Image.Channel(Slot++, {"Free 1", 0, 7, 8, 9, 0, 10});
    Image.Channel(Slot++, {"Hot 1", 2, 1, 2, 3, 4, 5});
    Image.Channel(Slot++, {"<Pak \"X\">", 2, 0, 0, 0, 0, 0});
    Image.Channel(Slot++, {"\xC3\x9Cmlaut", 2, 6, 7, 8, 9, 10});
    Image.Channel(Slot++, {"T\xC3\xBCrk TV", 3, 8191, 8191, 8191, 8191, 65535});
    Image.Channel(Slot++, {"Nobody", 4, 1, 1, 1, 1, 1});
    Image.Channel(Slot++, {"Orphan", 5, 1, 1, 1, 1, 1});
    Image.Channel(Slot++, {"West", 6, 1, 1, 1, 1, 1});
    // Alphabets that Windows-1252 lacks, and a character beyond 16 bits.
    for (const char* Name : {"\xC4\x8CT1 \xC4\x8C" "esk\xC3\xBD", "\xD0\xA0\xD0\xBE\xD1\x81\xD1\x81\xD0\xB8\xD1\x8F 24",
                             "\xCE\x95\xCE\xA1\xCE\xA4 World", "Radio \xF0\x9F\x93\xBB",
                             "\xD8\xA7\xD9\x84\xD8\xAC\xD8\xB2\xD9\x8A\xD8\xB1\xD8\xA9"})
        Image.Channel(Slot++, {Name, 0, 11, 12, 13, 14, 15});
    return Image;
}

std::filesystem::path RequireProgram(const std::string& Name) {
    const std::filesystem::path Program = testsupport::FindProgram(Name);
    if (Program.empty()) ADD_FAILURE() << Name << " is not on PATH; scripts/setup installs it";
    return Program;
}

struct TCommandResult {
    int ExitCode = -1;
    std::string Output;  // standard output and standard error together
};

TCommandResult RunCapturing(const std::vector<std::string>& Args) {
    const TempDir Streams;
    testsupport::TProcessFiles Files;
    Files.Out = Files.Err = Streams / "output";
    TCommandResult Result;
    Result.ExitCode = testsupport::RunProgram(Args, Files);
    Result.Output = testsupport::ReadFileBytes(Files.Out);
    return Result;
}

TCommandResult Xmllint(const std::filesystem::path& Program, const std::vector<std::filesystem::path>& Files) {
    std::vector<std::string> Args{Program.string(), "--noout", "--valid", "--nonet"};
    for (const auto& File : Files) Args.push_back(File.string());
    return RunCapturing(Args);
}

std::string CharsetName(const testing::TestParamInfo<TCharset>& Info) {
    return Info.param == TCharset::Utf8 ? "Utf8" : "Windows1252";
}

class HtmlXmllintTest : public testing::TestWithParam<TCharset> {};
INSTANTIATE_TEST_SUITE_P(Charsets, HtmlXmllintTest, testing::Values(TCharset::Windows1252, TCharset::Utf8),
                         CharsetName);

TEST_P(HtmlXmllintTest, EveryPageOfARealisticExportIsValidXhtml) {
    const auto Program = RequireProgram("xmllint");
    ASSERT_FALSE(Program.empty());

    TempDir Dir;
    auto Database = LoadImage(RealisticImage(), ',', GetParam());
    TExportOptions Options = OptionsFor(Database);
    Options.ExportDirectory = Dir.Path().string() + "/";
    TCxfHTMLExporter().Export(Options, {DefaultHtmlHeadText});

    std::vector<std::filesystem::path> Pages;
    for (const auto& Entry : std::filesystem::directory_iterator(Dir.Path())) Pages.push_back(Entry.path());
    std::sort(Pages.begin(), Pages.end());
    // Four named satellites keep channels; the unnamed one and the one
    // without transponders have no pages. The overview lists the four.
    ASSERT_EQ(Pages.size(), 13u);
    EXPECT_EQ(Pages[0].filename(), "Astra_19_2E_(BY_FREQUENCY).html");
    EXPECT_EQ(Pages.back().filename(), OverviewFileName);

    const TCommandResult Result = Xmllint(Program, Pages);
    EXPECT_EQ(Result.ExitCode, 0) << Result.Output;
    EXPECT_EQ(Result.Output, "");
    // With the built-in head, nothing but ASCII reaches a page.
    for (const auto& Page : Pages) {
        const std::string Bytes = testsupport::ReadFileBytes(Page);
        const auto Ascii = [](char C) { return static_cast<unsigned char>(C) < 0x80; };
        EXPECT_TRUE(std::all_of(Bytes.begin(), Bytes.end(), Ascii)) << Page;
    }

    // The same check must reject a page that breaks the DTD, or it proves
    // nothing (a missing catalog, for one, would make every page fail).
    std::string Broken = testsupport::ReadFileBytes(Pages[0]);
    const std::size_t Cell = Broken.find("<td class=\"l\">");
    ASSERT_NE(Cell, std::string::npos);
    Broken.insert(Cell + 14, "<blink>x</blink>");
    testsupport::WriteFileBytes(Dir / "broken.xhtml", Broken);
    const TCommandResult Rejected = Xmllint(Program, {Dir / "broken.xhtml"});
    EXPECT_NE(Rejected.ExitCode, 0);
    EXPECT_NE(Rejected.Output.find("blink"), std::string::npos) << Rejected.Output;
}

struct TLineUp {
    const char* Label;
    std::vector<std::uint8_t> (*Image)();
};

void PrintTo(const TLineUp& Case, std::ostream* Out) { *Out << Case.Label; }

class HtmlOverviewLinksTest : public testing::TestWithParam<TLineUp> {};

// The overview of a whole line-up: valid, with a link to every page the
// export wrote and to nothing else.
TEST_P(HtmlOverviewLinksTest, LeadToEveryPageWritten) {
    const auto Program = RequireProgram("xmllint");
    ASSERT_FALSE(Program.empty());
    TempDir Dir;
    const std::vector<std::uint8_t> Image = GetParam().Image();
    std::unique_ptr<TCxfFile> Database = std::make_unique<TCxfFile>(std::span(Image), ',');
    TExportOptions Options = OptionsFor(Database);
    Options.ExportDirectory = Dir.Path().string() + "/";
    ASSERT_EQ(TCxfHTMLExporter().Export(Options, {DefaultHtmlHeadText}), TOverviewResult::Written);

    std::set<std::string> Written;
    for (const auto& Entry : std::filesystem::directory_iterator(Dir.Path()))
        if (Entry.path().filename() != OverviewFileName) Written.insert(Entry.path().filename().string());
    const std::string Overview = testsupport::ReadFileBytes(Dir / OverviewFileName);
    std::set<std::string> Linked;
    const std::string Link = "<a href=\"";
    for (std::size_t At = Overview.find(Link); At != std::string::npos; At = Overview.find(Link, At + 1)) {
        const std::size_t Start = At + Link.size();
        Linked.insert(Overview.substr(Start, Overview.find('"', Start) - Start));
    }
    EXPECT_EQ(Linked, Written);

    const TCommandResult Result = Xmllint(Program, {Dir / OverviewFileName});
    EXPECT_EQ(Result.ExitCode, 0) << Result.Output;
    EXPECT_EQ(Result.Output, "");
}

INSTANTIATE_TEST_SUITE_P(Images, HtmlOverviewLinksTest,
                         testing::Values(TLineUp{"Demo", BuildDemoImage},
                                         TLineUp{"Largest", [] { return testsupport::MaximalImage().Bytes(); }}),
                         testsupport::LabelName());

TEST(HtmlXmllintBytesTest, EveryEscapedByteIsDefinedByTheXhtmlDtd) {
    const auto Program = RequireProgram("xmllint");
    ASSERT_FALSE(Program.empty());
    std::string AllBytes;
    for (int Byte = 0x20; Byte < 0x100; ++Byte) AllBytes += static_cast<char>(Byte);
    const std::string Page =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
        "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
        "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\r\n"
        "<html xmlns=\"http://www.w3.org/1999/xhtml\"><head><title>t</title></head><body><p>" +
        UmlToHtml(AllBytes) + "</p></body></html>\r\n";
    TempDir Dir;
    testsupport::WriteFileBytes(Dir / "bytes.html", Page);
    const TCommandResult Result = Xmllint(Program, {Dir / "bytes.html"});
    EXPECT_EQ(Result.ExitCode, 0) << Result.Output;
}

// Prints each record as its fields, read in the encoding argv[2] (as a
// spreadsheet would) and re-encoded to argv[3] in hex, joined by "|"; strict
// mode turns any stray quote into an error.
constexpr const char* ReaderScript = R"(import csv, sys
with open(sys.argv[1], newline='', encoding=sys.argv[2]) as f:
    for row in csv.reader(f, delimiter=';', quotechar='"', strict=True):
        print('|'.join(field.encode(sys.argv[3]).hex() for field in row))
)";

std::vector<std::string> DecodeRecord(const std::string& Line) {
    std::vector<std::string> Fields(1);
    for (std::size_t i = 0; i < Line.size(); ++i) {
        if (Line[i] == '|') {
            Fields.emplace_back();
        } else if (i + 1 < Line.size()) {
            Fields.back() += static_cast<char>(std::stoi(Line.substr(i, 2), nullptr, 16));
            ++i;
        }
    }
    return Fields;
}

std::string Unquoted(std::string Text) {
    std::replace(Text.begin(), Text.end(), '"', '\'');
    return Text;
}

class CsvPythonReaderTest : public testing::TestWithParam<TCharset> {};
INSTANTIATE_TEST_SUITE_P(Charsets, CsvPythonReaderTest, testing::Values(TCharset::Windows1252, TCharset::Utf8),
                         CharsetName);

TEST_P(CsvPythonReaderTest, ReadsBackEveryFieldOfARealisticExport) {
    const auto Program = RequireProgram("python3");
    ASSERT_FALSE(Program.empty());
    const bool Utf8 = GetParam() == TCharset::Utf8;

    TempDir Dir;
    auto Database = LoadImage(RealisticImage(), ',', GetParam());
    TExportOptions Options = OptionsFor(Database);
    Options.FileName = (Dir / "channels.csv").string();
    TCxfCSVExporter().Export(Options);
    testsupport::WriteFileBytes(Dir / "read.py", ReaderScript);

    const TCommandResult Result = RunCapturing({Program.string(), (Dir / "read.py").string(), Options.FileName,
                                                Utf8 ? "utf-8-sig" : "cp1252", Utf8 ? "utf-8" : "cp1252"});
    ASSERT_EQ(Result.ExitCode, 0) << Result.Output;
    std::vector<std::vector<std::string>> Records;
    std::size_t Start = 0;
    for (std::size_t End; (End = Result.Output.find('\n', Start)) != std::string::npos; Start = End + 1)
        Records.push_back(DecodeRecord(Result.Output.substr(Start, End - Start)));

    std::vector<std::vector<std::string>> Expected = {
        {"Index", "Channel_ID", "Channel_Name", "Satellite", "Position", "Frequency", "Polarisation", "Symbolrate",
         "Video_PID", "Audio_PID", "PCR_PID", "Teletext_PID", "Service_ID", "Original_Network_ID",
         "Transport_Stream_ID", "Unsed_Flag", "Pay_TV", "Package"}};
    const auto& Channels = Database->Channels();
    for (std::size_t i = 0; i < Channels.size(); ++i) {
        const TChannel& C = *Channels[i];
        const TTransponder& T = *C.Transponder;
        if (T.Satellite == nullptr) continue;
        Expected.push_back({std::to_string(i), std::to_string(C.Number), Unquoted(C.Name), Unquoted(T.Satellite->Name),
                            T.Satellite->PositionText, std::to_string(T.Frequency), PolarisationNames[T.Polarisation],
                            std::to_string(T.Symbolrate), std::to_string(C.VideoPID), std::to_string(C.AudioPID),
                            std::to_string(C.PCRPID), std::to_string(C.TeletextPID), std::to_string(C.ServiceID),
                            std::to_string(T.OriginalNetworkID), std::to_string(T.TransportStreamID),
                            C.UF ? "1" : "0", C.PayTV ? "1" : "0", Unquoted(Database->Packages()[C.PackageID])});
    }
    // Every channel but the one without satellite, and names that need care.
    ASSERT_EQ(Expected.size(), 1 + 79u);
    EXPECT_EQ(Expected[6][2], Utf8 ? "Euro \xE2\x82\xAC TV" : "Euro \x80 TV");
    EXPECT_EQ(Expected[4][2], "'Quoted' <tag>");
    EXPECT_EQ(Expected[75][2], Utf8 ? "\xC4\x8CT1 \xC4\x8C" "esk\xC3\xBD" : "CT1 Cesk\xFD");
    EXPECT_EQ(Expected[78][2], Utf8 ? "Radio \xF0\x9F\x93\xBB" : "Radio ?");

    ASSERT_EQ(Records.size(), Expected.size());
    for (std::size_t r = 0; r < Records.size(); ++r) EXPECT_EQ(Records[r], Expected[r]) << "record " << r;
}

// Names that a spreadsheet could run, in all three name columns: every
// line's satellite, the package of every line (opened by the marker, which is
// a line of its own), and channels of their own; among them a live link.
// Cells D2 to D6 and R2 to R6 start with "=", and C3.
CxfImageBuilder FormulaImage() {
    CxfImageBuilder Image;
    Image.Satellite(0, {"=1+1", 192});
    Image.Transponder(0, {TpWord(11494, 0), 22000, 0, 0, 1, 1093});
    const char* const Names[] = {"<=2+2>", "=HYPERLINK(D2)", "@SUM(A1)", "+HYPERLINK(D2)", "-2+3"};
    for (int Slot = 0; Slot < 5; ++Slot) Image.Channel(Slot, {Names[Slot], 0, 1, 2, 3, 4, 5});
    return Image;
}
constexpr std::size_t FormulaCells = 11;

std::size_t Occurrences(const std::string& Text, const std::string& Part) {
    std::size_t Count = 0;
    for (std::size_t At = Text.find(Part); At != std::string::npos; At = Text.find(Part, At + 1)) ++Count;
    return Count;
}

class CsvCalcTest : public testing::TestWithParam<TCharset> {};
INSTANTIATE_TEST_SUITE_P(Charsets, CsvCalcTest, testing::Values(TCharset::Windows1252, TCharset::Utf8), CharsetName);

// LibreOffice Calc imports the file as a user opens it (";", '"', the file's
// character set, formulas evaluated) and saves the sheet as flat XML: with
// the guard no cell holds a formula or a link; with literal names, the
// control, the formulas are there, so the check can fail.
TEST_P(CsvCalcTest, NoNameRunsAsAFormula) {
    const auto Program = RequireProgram("soffice");
    ASSERT_FALSE(Program.empty());
    TempDir Dir;
    auto Database = LoadImage(FormulaImage(), ',', GetParam());
    for (const bool Literal : {false, true}) {
        TExportOptions Options = OptionsFor(Database);
        Options.FileName = (Dir / (Literal ? "literal.csv" : "guarded.csv")).string();
        Options.CsvLiteralNames = Literal;
        TCxfCSVExporter().Export(Options);
    }
    // A profile of its own, so that no other instance or earlier run counts.
    const std::string Filter =
        std::string("CSV:59,34,") + (GetParam() == TCharset::Utf8 ? "76" : "1") + ",1,,,,,,,,,true";
    const TCommandResult Result = RunCapturing(
        {Program.string(), "-env:UserInstallation=file://" + (Dir / "profile").string(), "--headless", "--norestore",
         "--infilter=" + Filter, "--convert-to", "fods", "--outdir", Dir.Path().string(),
         (Dir / "guarded.csv").string(), (Dir / "literal.csv").string()});
    ASSERT_EQ(Result.ExitCode, 0) << Result.Output;

    const std::string Guarded = testsupport::ReadFileBytes(Dir / "guarded.fods");
    EXPECT_EQ(Occurrences(Guarded, "table:formula="), 0u);
    EXPECT_EQ(Occurrences(Guarded, "<text:a "), 0u);
    EXPECT_EQ(Occurrences(Guarded, "<text:p>&apos;=HYPERLINK(D2)</text:p>"), 1u);
    const std::string Literal = testsupport::ReadFileBytes(Dir / "literal.fods");
    EXPECT_EQ(Occurrences(Literal, "table:formula="), FormulaCells);
    EXPECT_EQ(Occurrences(Literal, "table:formula=\"of:=HYPERLINK([.D2])\""), 1u);
}

// The change report between the realistic image and an older version of
// it: every kind of entry, names that need escaping in both character sets,
// file names that are not UTF-8 and hold a control character.
TEST_P(HtmlXmllintTest, ChangeReportIsValidXhtml) {
    const auto Program = RequireProgram("xmllint");
    ASSERT_FALSE(Program.empty());
    CxfImageBuilder OldImage = RealisticImage();
    OldImage.Satellite(1, {"Hot&Bird", 130})
        .Transponder(2, {TpWord(10993, 1), 27500, 1, 0, 318, 12000})
        .Channel(2, {"Sat.1 <&> Pro7 \"x\"", 0, 102, 200, 300, 400, 502})
        .Channel(5, {"", 0x3FF});
    auto Old = LoadImage(OldImage, ',', GetParam());
    auto New = LoadImage(RealisticImage(), ',', GetParam());
    TExportOptions Options;
    Options.ExcludeChannelUF = true;
    TempDir Dir;
    const std::string Page = (Dir / "report.html").string();
    TCxfHTMLChangeReport().Write(TChannelChanges(*Old, *New, Options), {"alt <&>\x85\x01.cxf", "T\xC3\xBCrk.cxf"},
                                 Page);
    const TCommandResult Result = Xmllint(Program, {Page});
    EXPECT_EQ(Result.ExitCode, 0) << Result.Output;
    EXPECT_EQ(Result.Output, "");
    EXPECT_NE(testsupport::ReadFileBytes(Page).find("Ge&auml;ndert</td>"), std::string::npos);
}

}  // namespace
