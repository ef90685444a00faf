// The two forms of the change report: the CSV file byte for byte, the
// page's texts (its validity is the consumer test's).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "CsvHtmlTestSupport.h"
#include "CxfChangeReportUnit.h"

using namespace exporttest;
using testing::HasSubstr;
using testsupport::CxfImageBuilder;

namespace {

const std::string Header =
    "\"Change\";\"Satellite\";\"Position\";\"Original_Network_ID\";\"Transport_Stream_ID\";\"Service_ID\";"
    "\"Old_Channel_ID\";\"New_Channel_ID\";\"Channel_Name\";\"Field\";\"Old_Value\";\"New_Value\"\r\n";

// A satellite whose name needs quoting and the guard, at a west position.
CxfImageBuilder OldImage() {
    CxfImageBuilder Image;
    Image.Satellite(0, {"=Thor \"1\"", 3592})
        .Transponder(0, {TpWord(11216, 1), 24500, 0, 0, 70, 1})
        .Channel(0, {"TV 2", 0, 511, 512, 511, 0, 1})
        .Channel(1, {"Gone \xC3\xA4", 0, 521, 522, 521, 0, 2});
    return Image;
}

CxfImageBuilder NewImage() {
    CxfImageBuilder Image = OldImage();
    Image.Channel(0, {"TV 2 \"Norge\"", 0, 511, 513, 511, 0, 1})
        .Channel(1, {"", 0x3FF})
        .Channel(3, {"-Neu+", 0, 531, 532, 531, 0, 3});
    return Image;
}

struct TReport {
    std::unique_ptr<TCxfFile> Old, New;
    std::string Bytes;
};

TReport Report(const CxfImageBuilder& OldImage, const CxfImageBuilder& NewImage, bool Html,
               TCharset Charset = TCharset::Windows1252, const TChangeReportSources& Sources = {}) {
    TReport Result{LoadImage(OldImage, ',', Charset), LoadImage(NewImage, ',', Charset), {}};
    TExportOptions Options;
    Options.ExcludeChannelVPID = true;
    const TChannelChanges Changes(*Result.Old, *Result.New, Options);
    TMemorySink Sink;
    if (Html)
        TCxfHTMLChangeReport(Sink).Write(Changes, Sources, "report.html");
    else
        TCxfCSVChangeReport(Sink).Write(Changes, "report.csv");
    EXPECT_EQ(Sink.Names(), std::vector<std::string>{Html ? "report.html" : "report.csv"});
    Result.Bytes = Sink.Files.empty() ? std::string() : Sink.Files.front().second;
    return Result;
}

TEST(ChangeReportTest, CsvFileOfAChangeARemovalAndAnAddition) {
    const std::string Channel = "\"'=Thor '1'\";\"0,8\xB0 W\";\"70\";\"1\";";
    EXPECT_EQ(Report(OldImage(), NewImage(), false).Bytes,
              Header + "\"changed\";" + Channel + "\"1\";\"1\";\"1\";\"TV 2 'Norge'\";\"Channel_Name\";\"TV 2\";\"TV 2 'Norge'\"\r\n" +
                  "\"changed\";" + Channel + "\"1\";\"1\";\"1\";\"TV 2 'Norge'\";\"Audio_PID\";\"512\";\"513\"\r\n" +
                  "\"removed\";" + Channel + "\"2\";\"2\";\"\";\"Gone \xE4\";\"\";\"\";\"\"\r\n" +
                  "\"added\";" + Channel + "\"3\";\"\";\"4\";\"'-Neu+\";\"\";\"\";\"\"\r\n");
}

TEST(ChangeReportTest, CsvOfEqualFilesIsTheHeaderAloneWithTheByteOrderMarkInUtf8) {
    EXPECT_EQ(Report(OldImage(), OldImage(), false).Bytes, Header);
    EXPECT_EQ(Report(OldImage(), OldImage(), false, TCharset::Utf8).Bytes, "\xEF\xBB\xBF" + Header);
}

TEST(ChangeReportTest, PageNamesTheFilesAndCountsPerPosition) {
    const std::string Page =
        Report(OldImage(), NewImage(), true, TCharset::Windows1252, {"alt <1>.cxf", "neu\x01\xE4.cxf"}).Bytes;
    EXPECT_TRUE(std::all_of(Page.begin(), Page.end(), [](char C) { return static_cast<unsigned char>(C) < 0x80; }));
    // A name that is no UTF-8 is read as Latin-1; a control character shows as "?".
    EXPECT_THAT(Page, HasSubstr("<td>alt &lt;1&gt;.cxf</td></tr>\r\n\t\t\t<tr><th>Neuere Datei</th><td>neu?&auml;.cxf</td>"));
    EXPECT_THAT(Page, HasSubstr("<th>Ausgeschlossen</th><td>Kan&auml;le mit VPID = 0</td>"));
    // Added, removed, changed, unchanged.
    EXPECT_THAT(Page, HasSubstr("<tr><td>0,8&#176; W</td><td>=Thor &quot;1&quot;</td><td class=\"n\">1</td>"
                                "<td class=\"n\">1</td><td class=\"n\">1</td><td class=\"n\">0</td></tr>"));
    // Names as the HTML pages show them (no quote replaced, no guard); a
    // pair's changed fields one per line.
    EXPECT_THAT(Page, HasSubstr("<td>Kanalname<br />Audio-PID</td><td>TV 2<br />512</td>"
                                "<td>TV 2 &quot;Norge&quot;<br />513</td></tr>"));
    EXPECT_THAT(Page, HasSubstr("<tr class=\"added\"><td>Neu</td><td>-Neu+</td><td></td><td>4</td>"));
    EXPECT_THAT(Page, testing::Not(HasSubstr("Keine &Auml;nderungen.")));
}

TEST(ChangeReportTest, PageOfEqualFilesSaysSoBelowTheSummary) {
    const std::string Page = Report(OldImage(), OldImage(), true).Bytes;
    EXPECT_THAT(Page, HasSubstr("<td class=\"n\">0</td><td class=\"n\">0</td><td class=\"n\">0</td>"
                                "<td class=\"n\">2</td></tr>"));
    EXPECT_THAT(Page, HasSubstr("</table>\r\n\t\t<p>Keine &Auml;nderungen.</p>\r\n\t</body>"));
}

}  // namespace
