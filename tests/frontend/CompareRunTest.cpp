// The comparison run: a load error names its file and writes nothing, a
// report in either format replaces the old one in one piece.
#include <gtest/gtest.h>

#include <filesystem>

#include "CompareRunUnit.h"
#include "CxfImageBuilder.h"
#include "TestNames.h"

namespace fs = std::filesystem;
using testsupport::CxfImageBuilder;
using testsupport::ReadFileBytes;

namespace {

const std::string OldReport = "the report of last week\r\n";

CxfImageBuilder Image(const char* Name) {
    CxfImageBuilder Builder;
    Builder.Satellite(0, {"Hot Bird", 130}).Transponder(0, {11054, 27500, 0, 0, 318, 5400});
    Builder.Channel(0, {Name, 0, 101, 102, 101, 0, 1});
    return Builder;
}

class CompareRunTest : public testing::Test {
protected:
    CompareRunTest() {
        Image("Rai 1").WriteTo(Dir / "alt.cxf");
        Image("Rai Uno").WriteTo(Dir / "neu.cxf");
        CxfImageBuilder Short = Image("Rai 1");
        Short.Bytes().resize(CxfFileSize - 1);
        Short.WriteTo(Dir / "kurz.cxf");
        testsupport::WriteFileBytes(Dir / "bericht", OldReport);
    }
    TCompareRequest Request(const std::string& Old, const std::string& New, TReportFormat Format) const {
        TCompareRequest Result;
        Result.Old = {(Dir / Old).string(), Old};
        Result.New = {(Dir / New).string(), New};
        Result.Format = Format;
        Result.ReportFileName = (Dir / "bericht").string();
        return Result;
    }
    testsupport::TempDir Dir;
};

struct TFailureCase {
    const char* Label;
    const char* Old;
    const char* New;
    const char* Message;
};

void PrintTo(const TFailureCase& Case, std::ostream* Out) { *Out << Case.Label; }

class CompareRunFailure : public CompareRunTest, public testing::WithParamInterface<TFailureCase> {};

TEST_P(CompareRunFailure, NamesTheFileAndKeepsTheOldReport) {
    const TFailureCase& Case = GetParam();
    try {
        RunCompare(Request(Case.Old, Case.New, TReportFormat::Csv));
        ADD_FAILURE() << "no error";
    } catch (const ECxfError& Error) {
        EXPECT_EQ(std::string(Error.what()), Case.Message);
    }
    EXPECT_EQ(ReadFileBytes(Dir / "bericht"), OldReport);
    EXPECT_EQ(std::distance(fs::directory_iterator(Dir.Path()), fs::directory_iterator()), 4);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, CompareRunFailure,
    testing::Values(TFailureCase{"OlderMissing", "fehlt.cxf", "neu.cxf", "fehlt.cxf: File not found"},
                    TFailureCase{"NewerMissing", "alt.cxf", "fehlt.cxf", "fehlt.cxf: File not found"},
                    TFailureCase{"OlderShort", "kurz.cxf", "neu.cxf", "kurz.cxf: Read beyond end of file"},
                    TFailureCase{"BothMissingNewerFirst", "weg.cxf", "fehlt.cxf", "fehlt.cxf: File not found"}),
    testsupport::LabelName());

TEST_F(CompareRunTest, ReportInTheChosenFormatReplacesTheOldOne) {
    RunCompare(Request("alt.cxf", "neu.cxf", TReportFormat::Csv));
    const std::string Csv = ReadFileBytes(Dir / "bericht");
    EXPECT_EQ(Csv.substr(0, 10), "\"Change\";\"");
    EXPECT_NE(Csv.find("\"Channel_Name\";\"Rai 1\";\"Rai Uno\"\r\n"), std::string::npos) << Csv;

    RunCompare(Request("alt.cxf", "neu.cxf", TReportFormat::Html));
    const std::string Page = ReadFileBytes(Dir / "bericht");
    EXPECT_EQ(Page.substr(0, 5), "<?xml");
    EXPECT_NE(Page.find("<td>alt.cxf</td>"), std::string::npos) << "the older file by its shown name";
}

}  // namespace
