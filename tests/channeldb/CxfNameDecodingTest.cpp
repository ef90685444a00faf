// Name fields (cleaning, UTF-8, Windows-1252) and the derived satellite texts.
#include <gtest/gtest.h>

#include "CxfTestUtil.h"
#include "ReferenceNameDecoder.h"
#include "TestNames.h"
#include "TestProcess.h"

using namespace testsupport;

namespace {

std::string Decode(const std::string& Raw, TCharset Charset = TCharset::Windows1252) {
    std::string Field = Raw;
    Field.resize(std::max<std::size_t>(Raw.size(), NameFieldSize), '\0');
    return DecodeNameField(std::span(reinterpret_cast<const std::uint8_t*>(Field.data()), Field.size()), Charset);
}

struct DecodeCase {
    const char* Label;
    std::string Raw;
    std::string Expected;
    TCharset Charset = TCharset::Windows1252;
};

void PrintTo(const DecodeCase& Case, std::ostream* Out) { *Out << Case.Label; }

class NameDecoding : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(NameDecoding, DecodesField) {
    EXPECT_EQ(Decode(GetParam().Raw, GetParam().Charset), GetParam().Expected) << GetParam().Label;
}

INSTANTIATE_TEST_SUITE_P(
    Fields, NameDecoding,
    ::testing::Values(
        DecodeCase{"ascii", "Astra", "Astra"},
        DecodeCase{"0xFF padding", "Astra" + std::string(15, '\xFF'), "Astra"},
        DecodeCase{"control bytes dropped, not blanked", std::string("A\x01" "B"), "AB"},
        DecodeCase{"bytes after a zero still count", std::string("AB\0CD", 5), "ABCD"},
        DecodeCase{"umlaut", "\xC3\xA4", "\xE4"},
        DecodeCase{"sharp s and y diaeresis", "\xC3\x9F\xC3\xBF", "\xDF\xFF"},
        DecodeCase{"lone Latin-1 byte empties the field", "\xE4xy", ""},
        DecodeCase{"euro sign", "\xE2\x82\xAC 5", "\x80 5"},
        DecodeCase{"en dash and quotes", "\xE2\x80\x93\xE2\x80\x9E\xE2\x80\x9C", "\x96\x84\x93"},
        DecodeCase{"Z caron, OE ligature, Y diaeresis", "\xC5\xBD\xC5\x92\xC5\xB8", "\x8E\x8C\x9F"},
        DecodeCase{"C1 control becomes ?", "\xC2\x85x", "?x"},
        DecodeCase{"A macron has a nearest letter, the bitcoin sign none", "\xC4\x80\xE2\x82\xBF", "A?"},
        DecodeCase{"overlong LF dropped", "a\xC0\x8A" "b", "ab"},
        DecodeCase{"overlong NUL dropped", "a\xE0\x80\x80" "b", "ab"},
        DecodeCase{"four-byte character becomes ?", "TV \xF0\x9F\x98\x80!", "TV ?!"},
        DecodeCase{"four-byte character cut short", "TV \xF0\x9F\x98", ""},
        DecodeCase{"four-byte with bad continuation", "\xF0\x9F\x41\x80", ""},
        DecodeCase{"two-byte sequence cut by the field end", std::string(19, 'a') + "\xC3", ""},
        DecodeCase{"bad continuation byte", "\xC3\x41", ""},
        DecodeCase{"continuation byte as lead starts a pair", "\x80\x81", ""},
        DecodeCase{"three-byte value cut to 16 bits", "\xF8\x80\x80", "?"},
        DecodeCase{"0xFF inside a sequence is dropped first", "\xC3\xFF\xA4", "\xE4"},
        DecodeCase{"control byte inside a sequence is dropped first", "\xC3\x0A\xA4", "\xE4"}),
    LabelName());

// Letters that Windows-1252 lacks lose their accent: the canonical
// decomposition is followed until it reaches a Windows-1252 character.
INSTANTIATE_TEST_SUITE_P(
    NearestLetters, NameDecoding,
    ::testing::Values(
        DecodeCase{"Czech", "ČT1 Český", "CT1 Cesk\xFD"},
        DecodeCase{"Czech and Slovak", "ěřůŠťľ", "eru\x8Atl"},
        DecodeCase{"Hungarian, Romanian, Turkish", "őșțğşİ", "ostgsI"},
        DecodeCase{"Polish", "ąńźŁł", "anzLl"},
        DecodeCase{"letters without decomposition", "ĐđĦħıĿŀŦŧ", "DdHhiLlTt"},
        DecodeCase{"chain stops at the first Windows-1252 letter", "ǖḈṦ", "\xFC\xC7\x8A"},
        DecodeCase{"not only letters", "\xCD\xBE\xE2\x84\xAA", ";K"},  // Greek question mark, Kelvin sign
        DecodeCase{"other alphabets stay ?", "ТВ Ωα ع 中", "?? ?? ? ?"}),
    LabelName());

// UTF-8 keeps every character that XML and Unicode allow.
INSTANTIATE_TEST_SUITE_P(
    Utf8Fields, NameDecoding,
    ::testing::Values(
        DecodeCase{"every alphabet kept", "ČT1 ΕΡΤ Россия ع", "ČT1 ΕΡΤ Россия ع", TCharset::Utf8},
        DecodeCase{"four-byte characters kept", "TV \xF0\x9F\x93\xBA \xF4\x8F\xBF\xBF",
                   "TV \xF0\x9F\x93\xBA \xF4\x8F\xBF\xBF", TCharset::Utf8},
        DecodeCase{"C1 control, surrogate, U+FFFE, U+FFFF", "\xC2\x85\xED\xA0\x80\xEF\xBF\xBE\xEF\xBF\xBF", "????",
                   TCharset::Utf8},
        DecodeCase{"beyond U+10FFFF", "\xF4\x90\x80\x80\xF7\xBF\xBF\xBF", "??", TCharset::Utf8},
        DecodeCase{"overlong forms written short", "\xC1\x81\xF0\x80\x81\x81", "AA", TCharset::Utf8},
        DecodeCase{"overlong controls dropped", "a\xC0\x8A\xF0\x80\x80\x8A" "b", "ab", TCharset::Utf8},
        DecodeCase{"three-byte value cut to 16 bits", "\xF8\x80\x80", "\xE8\x80\x80", TCharset::Utf8},
        DecodeCase{"four-byte character cut short", "TV \xF0\x9F\x93", "", TCharset::Utf8}),
    LabelName());

// Fields that are awkward for a decoder that reads eight bytes at a time,
// zero padded to 20 bytes. Each must read the same through the plain
// reference decoder, the loader's decoder and a loaded satellite, in both
// character sets.
TEST(NameDecoding, AwkwardFieldsReadAsTheReferenceReadsThem) {
    struct {
        const char* Label;
        std::string Field;
        std::string Windows1252;
        std::string Utf8;
    } Cases[] = {
        {"20 ASCII bytes", "ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNOPQRST"},
        {"20 bytes of two-byte letters", "ÄÖÜäöüßÄÖÜ", "\xC4\xD6\xDC\xE4\xF6\xFC\xDF\xC4\xD6\xDC", "ÄÖÜäöüßÄÖÜ"},
        {"characters of bytes 0x80-0x9F", "€„…‰Š", "\x80\x84\x85\x89\x8A", "€„…‰Š"},
        {"C1 controls as UTF-8", "\xC2\x80\xC2\x81\xC2\x9F", "???", "???"},
        {"raw 0x80 pair has value 0 and is dropped", "a\x80\x80" "b", "ab", "ab"},
        {"raw 0x9F starts a pair", "\x9F\xBF", "?", "\xDF\xBF"},
        {"raw 0x85 before a letter", "\x85x", "", ""},
        {"two-byte sequence cut by the field end", std::string(19, 'a') + "\xC3", "", ""},
        {"three-byte sequence cut by the field end", std::string(18, 'a') + "\xE2\x82", "", ""},
        {"four-byte sequence cut by the field end", std::string(17, 'a') + "\xF0\x9F\x98", "", ""},
        {"lead byte before 0xFF padding", "ab\xC3" + std::string(17, '\xFF'), "", ""},
        {"four-byte character across the 8-byte boundary", "1234567\xF0\x9F\x98\x80" "89", "1234567?89",
         "1234567\xF0\x9F\x98\x80" "89"},
        {"four-byte character in the last eight bytes", "abcdefghijklmn\xF0\x9F\x93\xBA" "yz", "abcdefghijklmn?yz",
         "abcdefghijklmn\xF0\x9F\x93\xBA" "yz"},
        {"two-byte letter across the 8-byte boundary", "1234567\xC3\xA4", "1234567\xE4", "1234567\xC3\xA4"},
        {"ASCII run longer than a word between letters", "\xC3\xA4" "ABCDEFGHIJKLMNOP" "\xC3\xB6",
         "\xE4" "ABCDEFGHIJKLMNOP" "\xF6", "\xC3\xA4" "ABCDEFGHIJKLMNOP" "\xC3\xB6"},
        {"control and 0xFF bytes inside words", "AB\x01" "CD\xFF" "EF\t" "GH" "\x1F\xFF" "IJKLMNO", "ABCDEFGHIJKLMNO",
         "ABCDEFGHIJKLMNO"},
        {"overlong four-byte control", "a\xF0\x80\x80\x8A" "b", "a?b", "ab"},
    };
    CxfImageBuilder B;
    for (int i = 0; i < static_cast<int>(std::size(Cases)); ++i) {
        ASSERT_LE(Cases[i].Field.size(), NameFieldSize) << Cases[i].Label;
        Cases[i].Field.resize(NameFieldSize, '\0');
        B.Satellite(i, {.Name = Cases[i].Field});
    }
    for (const TCharset Charset : {TCharset::Windows1252, TCharset::Utf8}) {
        const auto File = LoadImage(B, ',', Charset);
        for (int i = 0; i < static_cast<int>(std::size(Cases)); ++i) {
            const auto& Case = Cases[i];
            const std::string& Expected = Charset == TCharset::Utf8 ? Case.Utf8 : Case.Windows1252;
            const auto Field = std::span(reinterpret_cast<const std::uint8_t*>(Case.Field.data()), NameFieldSize);
            EXPECT_EQ(reference::DecodeName(Field, Charset), Expected) << Case.Label;
            EXPECT_EQ(DecodeNameField(Field, Charset), Expected) << Case.Label;
            EXPECT_EQ(File->GetSatellite(i).Name, reference::Trimmed(Expected)) << Case.Label;
        }
    }
}

TEST(NameDecoding, LoaderTrimsNames) {
    CxfImageBuilder B;
    B.Satellite(0, {.Name = " \xC2\xA0Thor\t\x01 "});
    B.Transponder(0, {.SatelliteIndex = 0});
    B.Channel(0, {.Name = std::string("  ZDF  \x7F"), .TransponderWord = 0});
    B.Channel(1, {.Name = "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x84\xC3\x96\xC3\x9C\xC3\x9F", .TransponderWord = 0});
    const auto File = LoadImage(B);
    // 0xA0 is above the blank and stays; 0x7F likewise.
    EXPECT_EQ(File->GetSatellite(0).Name, "\xA0Thor");
    EXPECT_EQ(File->GetChannel(0).Name, "ZDF  \x7F");
    EXPECT_EQ(File->GetChannel(1).Name, "\xE4\xF6\xFC\xC4\xD6\xDC\xDF");
}

TEST(SatelliteTexts, PositionText) {
    const struct {
        std::uint16_t Position;
        char Separator;
        std::string Text;
    } Cases[] = {
        {0, ',', "0\xB0 0"},       {192, ',', "19,2\xB0 0"}, {192, '.', "19.2\xB0 0"},
        {1799, ',', "179,9\xB0 0"}, {1800, ',', "180\xB0 W"},  {3550, ',', "5\xB0 W"},
        {3592, ',', "0,8\xB0 W"},   {3600, ',', "0\xB0 W"},    {3605, ',', "-0,5\xB0 W"},
        {4095, '.', "-49.5\xB0 W"}, {130, ',', "13\xB0 0"},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(PositionToText(Case.Position, Case.Separator), Case.Text) << Case.Position;
}

TEST(SatelliteTexts, SanitiseName) {
    EXPECT_EQ(SanitiseName("Astra 19.2E"), "Astra_19_2E");
    EXPECT_EQ(SanitiseName(""), "");
    EXPECT_EQ(SanitiseName("\xE4/..\\x"), "_____x");
    EXPECT_EQ(SanitiseName("09AZaz"), "09AZaz");
}

TEST(SatelliteTexts, Utf8TextsCountCharacters) {
    CxfImageBuilder B;
    B.Satellite(0, {.Name = " Türksat 42E\t", .PositionWord = 3592});
    const auto File = LoadImage(B, '.', TCharset::Utf8);
    EXPECT_EQ(File->GetSatellite(0).Name, "Türksat 42E");
    EXPECT_EQ(File->GetSatellite(0).SanitisedName, "T_rksat_42E");
    EXPECT_EQ(File->GetSatellite(0).PositionText, "0.8\xC2\xB0 W");
    // A Latin-1 separator must not leave a lone Windows-1252 byte behind.
    EXPECT_EQ(PositionToText(192, '\xE4', TCharset::Utf8), "19\xC3\xA4" "2\xC2\xB0 0");
    EXPECT_EQ(CutText("ČČČ", 2, TCharset::Utf8), "ČČ");
}

TEST(SatelliteTexts, LocaleDecimalSeparatorFallsBackToPoint) {
    const char* Saved = std::getenv("LC_ALL");
    const std::string Old = Saved ? Saved : "";
    SetEnvironment("LC_ALL", "xx_NOWHERE.UTF-8");
    EXPECT_EQ(LocaleDecimalSeparator(), '.');
    SetEnvironment("LC_ALL", "C");
    EXPECT_EQ(LocaleDecimalSeparator(), '.');
    SetEnvironment("LC_ALL", Saved ? std::optional<std::string>(Old) : std::nullopt);
}

}  // namespace
