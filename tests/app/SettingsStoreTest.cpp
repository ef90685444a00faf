// The settings store: the head text encoding, defaults, kinds, clamping and
// a round trip through a store file of its own.
#include <gtest/gtest.h>

#include <QSettings>
#include <random>

#include "CxfHTMLExporterUnit.h"
#include "CxfImageBuilder.h"
#include "SettingsStoreUnit.h"

using testsupport::TempDir;
using Lines = std::vector<std::string>;

namespace {

struct TEncodingCase {
    Lines List;
    std::string Stored;
};

class HeaderLineEncoding : public testing::TestWithParam<TEncodingCase> {};

TEST_P(HeaderLineEncoding, WritesAndReadsBack) {
    EXPECT_EQ(EncodeHeaderLines(GetParam().List), GetParam().Stored);
    EXPECT_EQ(DecodeHeaderLines(GetParam().Stored), GetParam().List);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, HeaderLineEncoding,
    testing::Values(TEncodingCase{{}, ""}, TEncodingCase{{""}, "\"\""},
                    TEncodingCase{{"x", "y z", "a\"b"}, "x,\"y z\",\"a\"\"b\""},
                    TEncodingCase{{"x", ""}, "x,"}, TEncodingCase{{"", "x"}, ",x"},
                    TEncodingCase{{"", "", ""}, ",,"}, TEncodingCase{{"a,b"}, "\"a,b\""},
                    TEncodingCase{{"\t<b>\r\n"}, "\"\t<b>\r\n\""},
                    TEncodingCase{{"gro\xC3\x9F", "x\x7Fy"}, "gro\xC3\x9F,x\x7Fy"}));

struct TReadingCase {
    std::string Stored;
    Lines List;
};

class HeaderLineReading : public testing::TestWithParam<TReadingCase> {};

TEST_P(HeaderLineReading, ReadsTextsItDidNotWrite) {
    EXPECT_EQ(DecodeHeaderLines(GetParam().Stored), GetParam().List);
}

INSTANTIATE_TEST_SUITE_P(
    Strings, HeaderLineReading,
    testing::Values(TReadingCase{"  a\tb \r\n", {"a", "b"}}, TReadingCase{"a, ,b", {"a", "", "b"}},
                    TReadingCase{"a,  ", {"a"}}, TReadingCase{"\"a\"b,c", {"a", "b", "c"}},
                    TReadingCase{"\"never closed, \"\"x", {"never closed, \"x"}},
                    TReadingCase{"x,\"", {"x", ""}}, TReadingCase{std::string("a\0b", 3), {"a", "b"}},
                    TReadingCase{std::string("\"a\0b\"", 5), {std::string("a\0b", 3)}}));

TEST(HeaderLineEncoding, EveryListSurvives) {
    // Lines made of the characters the encoding treats specially.
    const std::string Alphabet = std::string("ab \t\r\n\",\x01\x1F", 10) + std::string(1, '\0');
    std::mt19937 Random(4711);
    for (int Round = 0; Round < 2000; ++Round) {
        Lines List(Random() % 4);
        for (std::string& Line : List)
            for (unsigned n = Random() % 5; n > 0; --n) Line += Alphabet[Random() % Alphabet.size()];
        ASSERT_EQ(DecodeHeaderLines(EncodeHeaderLines(List)), List) << EncodeHeaderLines(List);
    }
}

class SettingsStoreTest : public testing::Test {
protected:
    QString ConfPath() const { return QString::fromStdString((Dir / "Zanvero.conf").string()); }
    // Writes the store file by hand, as another program or an older version would.
    void WriteStore(const std::string& Body) const { testsupport::WriteFileBytes(Dir / "Zanvero.conf", "[General]\n" + Body); }
    TStoredSettings Load() const {
        QSettings Store(ConfPath(), QSettings::IniFormat);
        TStoredSettings Settings;
        LoadSettings(Store, QStringLiteral("/work/dir"), Settings);
        return Settings;
    }
    TempDir Dir;
};

TEST_F(SettingsStoreTest, EmptyStoreGivesTheDefaults) {
    TStoredSettings Settings;
    Settings.HtmlHeaderLines = {"left over"};
    QSettings Store(ConfPath(), QSettings::IniFormat);
    LoadSettings(Store, QStringLiteral("/work/dir"), Settings);
    EXPECT_EQ(Settings.CxfFileName, "");
    EXPECT_EQ(Settings.ExportPath, "/work/dir/");
    EXPECT_EQ(Settings.ExportType, 0);
    EXPECT_TRUE(Settings.ExcludeChannelUF && Settings.ExcludeChannelVPID && Settings.ExcludeTransponderUF &&
                Settings.ExcludeSatelliteUF);
    EXPECT_EQ(Settings.OpenDialogInitialDir, "/work/dir");
    EXPECT_EQ(Settings.CSVFileSaveDialogInitialDir, "/work/dir");
    EXPECT_EQ(Settings.HtmlHeaderLines, Lines{DefaultHtmlHeadText});
}

TEST_F(SettingsStoreTest, EmptyValuesAreUsedAsTheyAre) {
    WriteStore("ExportPath=\nOpenDialogInitialDir=\nHtmlHeaderText=\n");
    const TStoredSettings Settings = Load();
    EXPECT_EQ(Settings.ExportPath, "");
    EXPECT_EQ(Settings.OpenDialogInitialDir, "");
    EXPECT_TRUE(Settings.HtmlHeaderLines.empty());
}

TEST_F(SettingsStoreTest, AllTenValuesSurviveSavingAndLoading) {
    TStoredSettings Saved;
    Saved.CxfFileName = QStringLiteral("/home/u/Sender, alt.cxf");
    Saved.ExportPath = QStringLiteral("/home/u/Listen \"neu\"/");
    Saved.ExportType = 2;
    Saved.ExcludeChannelUF = false;
    Saved.ExcludeTransponderUF = false;
    Saved.OpenDialogInitialDir = QStringLiteral("/home/u");
    Saved.CSVFileSaveDialogInitialDir = QStringLiteral("/home/u/Ärger");
    Saved.HtmlHeaderLines = {DefaultHtmlHeadText, "", "<b>\t\xC3\xA4</b>"};
    {
        QSettings Store(ConfPath(), QSettings::IniFormat);
        ASSERT_TRUE(SaveSettings(Store, Saved));
    }
    const TStoredSettings Loaded = Load();
    EXPECT_EQ(Loaded.CxfFileName, Saved.CxfFileName);
    EXPECT_EQ(Loaded.ExportPath, Saved.ExportPath);
    EXPECT_EQ(Loaded.ExportType, 2);
    EXPECT_FALSE(Loaded.ExcludeChannelUF);
    EXPECT_TRUE(Loaded.ExcludeChannelVPID);
    EXPECT_FALSE(Loaded.ExcludeTransponderUF);
    EXPECT_TRUE(Loaded.ExcludeSatelliteUF);
    EXPECT_EQ(Loaded.OpenDialogInitialDir, Saved.OpenDialogInitialDir);
    EXPECT_EQ(Loaded.CSVFileSaveDialogInitialDir, Saved.CSVFileSaveDialogInitialDir);
    EXPECT_EQ(Loaded.HtmlHeaderLines, Saved.HtmlHeaderLines);

    // Flags are stored as the numbers 1 and 0, the default head text as one
    // quoted item.
    const std::string File = testsupport::ReadFileBytes(Dir / "Zanvero.conf");
    EXPECT_NE(File.find("ExcludeChannelUF=0\n"), std::string::npos) << File;
    EXPECT_NE(File.find("ExcludeSatelliteUF=1\n"), std::string::npos) << File;
    EXPECT_NE(File.find("ExportType=2\n"), std::string::npos) << File;
    QSettings Store(ConfPath(), QSettings::IniFormat);
    const std::string Head = Store.value("HtmlHeaderText").toString().toStdString();
    EXPECT_EQ(Head.substr(0, 20), "\"\t\t<title>Digitalfer");
    EXPECT_NE(Head.find("<script language=\"\"JavaScript\"\""), std::string::npos);
}

struct TNumberCase {
    const char* Stored;
    int ExportType;
    bool Flag;
};

class StoredNumbers : public SettingsStoreTest, public testing::WithParamInterface<TNumberCase> {};

TEST_P(StoredNumbers, ClampIndexAndReadFlags) {
    const std::string Value = GetParam().Stored;
    WriteStore("ExportType=" + Value + "\nExcludeChannelVPID=" + Value + "\n");
    const TStoredSettings Settings = Load();
    EXPECT_EQ(Settings.ExportType, GetParam().ExportType);
    EXPECT_EQ(Settings.ExcludeChannelVPID, GetParam().Flag);
}

INSTANTIATE_TEST_SUITE_P(Values, StoredNumbers,
                         testing::Values(TNumberCase{"0", 0, false}, TNumberCase{"1", 1, true},
                                         TNumberCase{"3", 3, true}, TNumberCase{"7", 3, true},
                                         TNumberCase{"-1", -1, true}, TNumberCase{"-5", -1, true},
                                         TNumberCase{"2147483647", 3, true}));

struct TWrongKindCase {
    const char* Line;
    const char* Message;
    int LoadedBefore;  // how many values in front of the bad one were read
};

class WrongKind : public SettingsStoreTest, public testing::WithParamInterface<TWrongKindCase> {};

TEST_P(WrongKind, NamesTheValueAndStopsThere) {
    const std::string Bad = GetParam().Line;
    std::string Body = Bad + "\n";
    for (const std::string Good : {"CxfFileName=/a.cxf", "ExportType=2", "ExcludeSatelliteUF=0", "CSVFileSaveDialogInitialDir=/csv"})
        if (Good.substr(0, Good.find('=')) != Bad.substr(0, Bad.find('='))) Body += Good + "\n";
    WriteStore(Body);
    QSettings Store(ConfPath(), QSettings::IniFormat);
    TStoredSettings Settings;
    Settings.HtmlHeaderLines = {"old"};
    try {
        LoadSettings(Store, QStringLiteral("/w"), Settings);
        FAIL() << "no error";
    } catch (const ESettingsError& Error) {
        EXPECT_STREQ(Error.what(), GetParam().Message);
    }
    const int Before = GetParam().LoadedBefore;
    EXPECT_EQ(Settings.CxfFileName, Before > 0 ? "/a.cxf" : "");
    EXPECT_EQ(Settings.ExportType, Before > 2 ? 2 : 0);
    EXPECT_EQ(Settings.ExcludeSatelliteUF, Before <= 6);
    EXPECT_EQ(Settings.CSVFileSaveDialogInitialDir, Before > 8 ? "/csv" : "");
    EXPECT_TRUE(Settings.HtmlHeaderLines.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Values, WrongKind,
    testing::Values(TWrongKindCase{"CxfFileName=a, b", "Invalid data type for 'CxfFileName'", 0},
                    TWrongKindCase{"ExportType=HTML", "Invalid data type for 'ExportType'", 2},
                    TWrongKindCase{"ExportType=", "Invalid data type for 'ExportType'", 2},
                    TWrongKindCase{"ExcludeChannelUF=true", "Invalid data type for 'ExcludeChannelUF'", 3},
                    TWrongKindCase{"ExcludeSatelliteUF=1.5", "Invalid data type for 'ExcludeSatelliteUF'", 6},
                    TWrongKindCase{"HtmlHeaderText=a, b", "Invalid data type for 'HtmlHeaderText'", 9}));

TEST_F(SettingsStoreTest, UnwritableStoreIsReported) {
    testsupport::WriteFileBytes(Dir / "file", "");
    QSettings Store(QString::fromStdString((Dir / "file" / "Zanvero.conf").string()), QSettings::IniFormat);
    EXPECT_FALSE(SaveSettings(Store, TStoredSettings{}));
}

}  // namespace
