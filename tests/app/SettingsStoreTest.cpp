// The settings store: the head text encoding, defaults, kinds, clamping and
// a round trip through a store file of its own.
#include <gtest/gtest.h>

#include <QDir>
#include <QSettings>
#include <random>
#include <tuple>

#include "CxfHTMLExporterUnit.h"
#include "CxfImageBuilder.h"
#include "SettingsStoreUnit.h"
#include "TestNames.h"

using Lines = std::vector<std::string>;

namespace {

struct TEncodingCase {
    const char* Label;
    Lines List;
    std::string Stored;
};

void PrintTo(const TEncodingCase& Case, std::ostream* Out) {
    *Out << Case.Label << ": " << testing::PrintToString(Case.Stored);
}

class HeaderLineEncoding : public testing::TestWithParam<TEncodingCase> {};

TEST_P(HeaderLineEncoding, WritesAndReadsBack) {
    EXPECT_EQ(EncodeHeaderLines(GetParam().List), GetParam().Stored);
    EXPECT_EQ(DecodeHeaderLines(GetParam().Stored), GetParam().List);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, HeaderLineEncoding,
    testing::Values(TEncodingCase{"NoLines", {}, ""}, TEncodingCase{"OneEmptyLine", {""}, "\"\""},
                    TEncodingCase{"BlankAndQuote", {"x", "y z", "a\"b"}, "x,\"y z\",\"a\"\"b\""},
                    TEncodingCase{"EmptyLast", {"x", ""}, "x,"}, TEncodingCase{"ThreeEmpty", {"", "", ""}, ",,"},
                    TEncodingCase{"Comma", {"a,b"}, "\"a,b\""},
                    TEncodingCase{"ControlCharacters", {"\t<b>\r\n"}, "\"\t<b>\r\n\""},
                    TEncodingCase{"Utf8AndDelete", {"gro\xC3\x9F", "x\x7Fy"}, "gro\xC3\x9F,x\x7Fy"}),
    testsupport::LabelName());

struct TReadingCase {
    const char* Label;
    std::string Stored;
    Lines List;
};

void PrintTo(const TReadingCase& Case, std::ostream* Out) {
    *Out << Case.Label << ": " << testing::PrintToString(Case.Stored);
}

class HeaderLineReading : public testing::TestWithParam<TReadingCase> {};

TEST_P(HeaderLineReading, ReadsTextsItDidNotWrite) {
    EXPECT_EQ(DecodeHeaderLines(GetParam().Stored), GetParam().List);
}

// Blanks outside quotes separate; an unclosed quote takes the rest; a NUL
// outside quotes separates too instead of stopping the reader for good.
INSTANTIATE_TEST_SUITE_P(
    Strings, HeaderLineReading,
    testing::Values(TReadingCase{"Blanks", "  a\tb \r\n", {"a", "b"}},
                    TReadingCase{"BlankBetweenCommas", "a, ,b", {"a", "", "b"}},
                    TReadingCase{"BlanksAtTheEnd", "a,  ", {"a"}},
                    TReadingCase{"TextAfterAQuote", "\"a\"b,c", {"a", "b", "c"}},
                    TReadingCase{"UnclosedQuote", "\"never closed, \"\"x", {"never closed, \"x"}},
                    TReadingCase{"UnclosedEmptyQuote", "x,\"", {"x", ""}},
                    TReadingCase{"Nul", std::string("a\0b", 3), {"a", "b"}},
                    TReadingCase{"QuotedNul", std::string("\"a\0b\"", 5), {std::string("a\0b", 3)}}),
    testsupport::LabelName());

TEST(HeaderLineEncoding, EveryListSurvives) {
    const std::string Alphabet("ab \t\r\n\",\x01\x1F\0", 11);
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
    TQSettingsKey IniStore() const { return TQSettingsKey(std::make_unique<QSettings>(ConfPath(), QSettings::IniFormat)); }
    // Written by hand, as another program or an older version would.
    void WriteStore(const std::string& Body) const {
        testsupport::WriteFileBytes(Dir / "Zanvero.conf", "[General]\n" + Body);
    }
    TStoredSettings Load(TStoredSettings Settings = {}) const {
        TQSettingsKey Store = IniStore();
        LoadSettings(Store, QDir::toNativeSeparators("/work/dir"), Settings);
        return Settings;
    }
    testsupport::TempDir Dir;
};

TEST_F(SettingsStoreTest, DefaultsApplyOnlyToAbsentValues) {
    TStoredSettings Settings = Load();
    EXPECT_EQ(Settings.CxfFileName, "");
    EXPECT_EQ(Settings.ExportPath, QDir::toNativeSeparators("/work/dir/"));
    EXPECT_EQ(Settings.ExportType, 0);
    EXPECT_TRUE(Settings.ExcludeChannelUF && Settings.ExcludeChannelVPID && Settings.ExcludeTransponderUF &&
                Settings.ExcludeSatelliteUF);
    EXPECT_EQ(Settings.OpenDialogInitialDir, QDir::toNativeSeparators("/work/dir"));
    EXPECT_EQ(Settings.CSVFileSaveDialogInitialDir, QDir::toNativeSeparators("/work/dir"));
    EXPECT_EQ(Settings.HtmlHeaderLines, Lines{DefaultHtmlHeadText});

    WriteStore("ExportPath=\nOpenDialogInitialDir=\nHtmlHeaderText=\n");
    Settings = Load();
    EXPECT_EQ(Settings.ExportPath, "");
    EXPECT_EQ(Settings.OpenDialogInitialDir, "");
    EXPECT_TRUE(Settings.HtmlHeaderLines.empty());
}

auto Fields(const TStoredSettings& S) {
    return std::tie(S.CxfFileName, S.ExportPath, S.ExportType, S.ExcludeChannelUF, S.ExcludeChannelVPID,
                    S.ExcludeTransponderUF, S.ExcludeSatelliteUF, S.OpenDialogInitialDir, S.CSVFileSaveDialogInitialDir,
                    S.HtmlHeaderLines);
}

TEST_F(SettingsStoreTest, AllTenValuesSurviveSavingAndLoading) {
    const TStoredSettings Saved{"/home/u/Sender, alt.cxf", "/home/u/Listen \"neu\"/", 2, false, true, false, true,
                                "/home/u", "/home/u/Ärger", {DefaultHtmlHeadText, "", "\t\xC3\xA4"}};
    {
        TQSettingsKey Store = IniStore();
        ASSERT_TRUE(SaveSettings(Store, Saved));
    }
    // Every field starts different from what was saved.
    EXPECT_TRUE(Fields(Load({"", "", 0, true, false, true, false, "", "", {}})) == Fields(Saved));

    // Numbers for the flags; the default head text as one quoted item.
    // (Windows' QSettings ends the lines with CR LF.)
    std::string File = testsupport::ReadFileBytes(Dir / "Zanvero.conf");
    std::erase(File, '\r');
    for (const char* Line : {"ExportType=2\n", "ExcludeChannelUF=0\n", "ExcludeChannelVPID=1\n"})
        EXPECT_NE(File.find(Line), std::string::npos) << Line << File;
    QSettings Store(ConfPath(), QSettings::IniFormat);
    const std::string Head = Store.value("HtmlHeaderText").toString().toStdString();
    EXPECT_EQ(Head.substr(0, 10), "\"\t\t<title>");
    EXPECT_NE(Head.find("<script language=\"\"JavaScript\"\""), std::string::npos);
}

struct TNumberCase {
    const char* Stored;
    int ExportType;
    bool Flag;
};

void PrintTo(const TNumberCase& Case, std::ostream* Out) {
    *Out << Case.Stored;
}

class StoredNumbers : public SettingsStoreTest, public testing::WithParamInterface<TNumberCase> {};

TEST_P(StoredNumbers, ClampIndexAndReadFlags) {
    const std::string Value = GetParam().Stored;
    WriteStore("ExportType=" + Value + "\nExcludeChannelVPID=" + Value + "\n");
    const TStoredSettings Settings = Load();
    EXPECT_EQ(Settings.ExportType, GetParam().ExportType);
    EXPECT_EQ(Settings.ExcludeChannelVPID, GetParam().Flag);
}

INSTANTIATE_TEST_SUITE_P(Values, StoredNumbers,
                         testing::Values(TNumberCase{"0", 0, false}, TNumberCase{"3", 3, true},
                                         TNumberCase{"7", 3, true}, TNumberCase{"-1", -1, true},
                                         TNumberCase{"-5", -1, true}, TNumberCase{"2147483647", 3, true}),
                         [](const auto& Info) {
                             const std::string Stored = Info.param.Stored;
                             return Stored[0] == '-' ? "Minus" + Stored.substr(1) : Stored;
                         });

struct TWrongKindCase {
    const char* Line;
    const char* Name;
    int Position;  // in the order of reading
};

void PrintTo(const TWrongKindCase& Case, std::ostream* Out) {
    *Out << Case.Line;
}

class WrongKind : public SettingsStoreTest, public testing::WithParamInterface<TWrongKindCase> {};

TEST_P(WrongKind, NamesTheValueAndStopsThere) {
    const std::string Bad = GetParam().Line;
    std::string Body = Bad + "\n";
    for (const std::string Good : {"CxfFileName=/a.cxf", "ExportType=2", "ExcludeSatelliteUF=0", "CSVFileSaveDialogInitialDir=/c"})
        if (Good.substr(0, Good.find('=')) != Bad.substr(0, Bad.find('='))) Body += Good + "\n";
    WriteStore(Body);
    TQSettingsKey Store = IniStore();
    TStoredSettings Settings;
    Settings.HtmlHeaderLines = {"old"};
    try {
        LoadSettings(Store, QStringLiteral("/w"), Settings);
        ADD_FAILURE() << "no error";
    } catch (const ESettingsError& Error) {
        EXPECT_EQ(Error.what(), "Invalid data type for '" + std::string(GetParam().Name) + "'");
    }
    // Values before the bad one are loaded, the ones after keep what they had.
    const int At = GetParam().Position;
    EXPECT_EQ(Settings.CxfFileName, At > 0 ? "/a.cxf" : "");
    EXPECT_EQ(Settings.ExportType, At > 2 ? 2 : 0);
    EXPECT_EQ(Settings.ExcludeSatelliteUF, At <= 6);
    EXPECT_EQ(Settings.CSVFileSaveDialogInitialDir, At > 8 ? "/c" : "");
    EXPECT_TRUE(Settings.HtmlHeaderLines.empty());
}

INSTANTIATE_TEST_SUITE_P(Values, WrongKind,
                         testing::Values(TWrongKindCase{"CxfFileName=a, b", "CxfFileName", 0},
                                         TWrongKindCase{"ExportType=HTML", "ExportType", 2},
                                         TWrongKindCase{"ExportType=", "ExportType", 2},
                                         TWrongKindCase{"ExcludeChannelUF=true", "ExcludeChannelUF", 3},
                                         TWrongKindCase{"ExcludeSatelliteUF=1.5", "ExcludeSatelliteUF", 6},
                                         TWrongKindCase{"HtmlHeaderText=a, b", "HtmlHeaderText", 9}),
                         [](const auto& Info) { return testsupport::TestName(Info.param.Line); });

}  // namespace
