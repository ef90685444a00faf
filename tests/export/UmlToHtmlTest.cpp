#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "Unit_Uml.h"

namespace {

struct TEscapeCase {
    const char* Label;
    std::string Input;
    std::string Expected;
    TCharset Charset = TCharset::Windows1252;
};

void PrintTo(const TEscapeCase& Case, std::ostream* Out) { *Out << Case.Label; }

class UmlToHtmlTest : public ::testing::TestWithParam<TEscapeCase> {};

TEST_P(UmlToHtmlTest, EscapesByteForByte) {
    const TEscapeCase& Case = GetParam();
    EXPECT_EQ(UmlToHtml(Case.Input, Case.Charset), Case.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UmlToHtmlTest,
    ::testing::Values(
        TEscapeCase{"Empty", "", ""},
        TEscapeCase{"PlainAsciiAndApostrophe", "ARD 1-2, (x)! 'y' ;:=?/%$#", "ARD 1-2, (x)! 'y' ;:=?/%$#"},
        TEscapeCase{"ReservedCharacters", "A&B<C>D\"E", "A&amp;B&lt;C&gt;D&quot;E"},
        TEscapeCase{"ReferenceIsEscapedAgain", "&amp;", "&amp;amp;"},
        TEscapeCase{"ControlBytesAndDelete", std::string("a\0b\x01\x1F\x7F", 6), std::string("a\0b\x01\x1F\x7F", 6)},
        TEscapeCase{"NamedSymbols", "\xA0\xA9\xAE", "&nbsp;&copy;&reg;"},
        TEscapeCase{"DecimalSymbols", "\xA1\xB0\xBF\xD7\xF7", "&#161;&#176;&#191;&#215;&#247;"},
        TEscapeCase{"Letters", "\xC4\xDF\xE4\xFC\xFF\xD0\xDE\xF0\xFE", "&Auml;&szlig;&auml;&uuml;&yuml;&ETH;&THORN;&eth;&thorn;"},
        TEscapeCase{"Windows1252Punctuation", "\x80\x84\x93\x94\x96\x99", "&#8364;&#8222;&#8220;&#8221;&#8211;&#8482;"},
        TEscapeCase{"Windows1252Unassigned", "\x81\x8D\x8F\x90\x9D", "&#129;&#141;&#143;&#144;&#157;"},
        TEscapeCase{"DegreeInPosition", "19,2\xB0 0", "19,2&#176; 0"}),
    [](const ::testing::TestParamInfo<TEscapeCase>& Info) { return std::string(Info.param.Label); });

// Below U+0100 a character is escaped as the Windows-1252 byte of the same
// value; from U+0100 up it becomes a decimal reference.
INSTANTIATE_TEST_SUITE_P(
    Utf8, UmlToHtmlTest,
    ::testing::Values(
        TEscapeCase{"AsciiAndReserved", "A&B<C>D\"E 'x'", "A&amp;B&lt;C&gt;D&quot;E 'x'", TCharset::Utf8},
        TEscapeCase{"LatinOne", "\xC3\x84\xC3\x9F\xC2\xA0\xC2\xB0\xC3\x97", "&Auml;&szlig;&nbsp;&#176;&#215;",
                    TCharset::Utf8},
        TEscapeCase{"Czech", "\xC4\x8CT1", "&#268;T1", TCharset::Utf8},
        TEscapeCase{"EuroSignByCodePoint", "\xE2\x82\xAC", "&#8364;", TCharset::Utf8},
        TEscapeCase{"FourByteCharacter", "TV \xF0\x9F\x93\xBA", "TV &#128250;", TCharset::Utf8}),
    [](const ::testing::TestParamInfo<TEscapeCase>& Info) { return std::string(Info.param.Label); });

TEST(UmlEntitiesTest, AsciiKeepsAllButTheFourReservedCharacters) {
    for (int Byte = 0; Byte < 0x80; ++Byte) {
        const bool Reserved = Byte == '"' || Byte == '&' || Byte == '<' || Byte == '>';
        EXPECT_EQ(UmlEntities[Byte].empty(), !Reserved) << "byte " << Byte;
    }
}

// What Windows-1252 gives 0x80 to 0x9F; 0 marks the five unassigned codes.
constexpr int Windows1252High[32] = {8364, 0,    8218, 402,  8222, 8230, 8224, 8225, 710,  8240, 352,
                                     8249, 338,  0,    381,  0,    0,    8216, 8217, 8220, 8221, 8226,
                                     8211, 8212, 732,  8482, 353,  8250, 339,  0,    382,  376};

TEST(UmlEntitiesTest, Windows1252RangeNamesTheCharacterTheByteStandsFor) {
    for (int i = 0; i < 32; ++i) {
        const int Byte = 0x80 + i;
        const int Code = Windows1252High[i] != 0 ? Windows1252High[i] : Byte;
        EXPECT_EQ(UmlEntities[Byte], "&#" + std::to_string(Code) + ";") << "byte " << Byte;
    }
}

TEST(UmlEntitiesTest, LatinOneRangeUsesNamesOrTheByteValue) {
    const char* Rows =
        "Agrave Aacute Acirc Atilde Auml Aring AElig Ccedil Egrave Eacute Ecirc Euml Igrave Iacute Icirc Iuml "
        "ETH Ntilde Ograve Oacute Ocirc Otilde Ouml - Oslash Ugrave Uacute Ucirc Uuml Yacute THORN szlig "
        "agrave aacute acirc atilde auml aring aelig ccedil egrave eacute ecirc euml igrave iacute icirc iuml "
        "eth ntilde ograve oacute ocirc otilde ouml - oslash ugrave uacute ucirc uuml yacute thorn yuml";
    std::istringstream Names(Rows);
    for (int Byte = 0xA0; Byte < 0x100; ++Byte) {
        std::string Expected = "&#" + std::to_string(Byte) + ";";
        if (Byte == 0xA0) Expected = "&nbsp;";
        if (Byte == 0xA9) Expected = "&copy;";
        if (Byte == 0xAE) Expected = "&reg;";
        if (Byte >= 0xC0) {
            std::string Name;
            Names >> Name;
            if (Name != "-") Expected = "&" + Name + ";";
        }
        EXPECT_EQ(UmlEntities[Byte], Expected) << "byte " << Byte;
    }
}

}  // namespace
