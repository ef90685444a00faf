#include "Unit_Uml.h"

#include <charconv>

#include "Utf8Unit.h"

namespace {

// Bytes 0x80 to 0xFF. The pages declare UTF-8, so no byte of this range may
// reach them raw: 0x80-0x9F become references to the characters that
// Windows-1252 gives them (the five codes it leaves unassigned keep their
// own value), 0xA0-0xFF use the Latin-1 entity names where HTML has them.
constexpr std::array<std::string_view, 128> HighEntities = {
    // 0x80
    "&#8364;", "&#129;", "&#8218;", "&#402;", "&#8222;", "&#8230;", "&#8224;", "&#8225;",
    "&#710;", "&#8240;", "&#352;", "&#8249;", "&#338;", "&#141;", "&#381;", "&#143;",
    // 0x90
    "&#144;", "&#8216;", "&#8217;", "&#8220;", "&#8221;", "&#8226;", "&#8211;", "&#8212;",
    "&#732;", "&#8482;", "&#353;", "&#8250;", "&#339;", "&#157;", "&#382;", "&#376;",
    // 0xA0
    "&nbsp;", "&#161;", "&#162;", "&#163;", "&#164;", "&#165;", "&#166;", "&#167;",
    "&#168;", "&copy;", "&#170;", "&#171;", "&#172;", "&#173;", "&reg;", "&#175;",
    // 0xB0
    "&#176;", "&#177;", "&#178;", "&#179;", "&#180;", "&#181;", "&#182;", "&#183;",
    "&#184;", "&#185;", "&#186;", "&#187;", "&#188;", "&#189;", "&#190;", "&#191;",
    // 0xC0
    "&Agrave;", "&Aacute;", "&Acirc;", "&Atilde;", "&Auml;", "&Aring;", "&AElig;", "&Ccedil;",
    "&Egrave;", "&Eacute;", "&Ecirc;", "&Euml;", "&Igrave;", "&Iacute;", "&Icirc;", "&Iuml;",
    // 0xD0
    "&ETH;", "&Ntilde;", "&Ograve;", "&Oacute;", "&Ocirc;", "&Otilde;", "&Ouml;", "&#215;",
    "&Oslash;", "&Ugrave;", "&Uacute;", "&Ucirc;", "&Uuml;", "&Yacute;", "&THORN;", "&szlig;",
    // 0xE0
    "&agrave;", "&aacute;", "&acirc;", "&atilde;", "&auml;", "&aring;", "&aelig;", "&ccedil;",
    "&egrave;", "&eacute;", "&ecirc;", "&euml;", "&igrave;", "&iacute;", "&icirc;", "&iuml;",
    // 0xF0
    "&eth;", "&ntilde;", "&ograve;", "&oacute;", "&ocirc;", "&otilde;", "&ouml;", "&#247;",
    "&oslash;", "&ugrave;", "&uacute;", "&ucirc;", "&uuml;", "&yacute;", "&thorn;", "&yuml;"};

constexpr std::array<std::string_view, 256> MakeUmlEntities() {
    std::array<std::string_view, 256> Table{};
    Table['"'] = "&quot;";
    Table['&'] = "&amp;";
    Table['<'] = "&lt;";
    Table['>'] = "&gt;";
    for (std::size_t i = 0; i < HighEntities.size(); ++i) Table[0x80 + i] = HighEntities[i];
    return Table;
}

}  // namespace

constinit const std::array<std::string_view, 256> UmlEntities = MakeUmlEntities();

namespace {

void AppendEscapedByte(std::string& Out, unsigned char Byte) {
    const std::string_view Entity = UmlEntities[Byte];
    if (Entity.empty())
        Out.push_back(static_cast<char>(Byte));
    else
        Out.append(Entity);
}

// Kept out of line so that the byte loop of Windows-1252 text stays as
// tight as it was.
[[gnu::noinline]] void AppendUtf8ToHtml(std::string& Out, std::string_view Text) {
    for (std::size_t At = 0; At < Text.size();) {
        const char32_t Code = NextUtf8(Text, At);
        if (Code < 0x100) {
            AppendEscapedByte(Out, static_cast<unsigned char>(Code));
            continue;
        }
        char Digits[8];
        Out.append("&#");
        Out.append(Digits, std::to_chars(Digits, Digits + sizeof Digits, static_cast<std::uint32_t>(Code)).ptr);
        Out.push_back(';');
    }
}

}  // namespace

void AppendUmlToHtml(std::string& Out, std::string_view Text, TCharset Charset) {
    if (Charset == TCharset::Windows1252) {
        for (const char C : Text) AppendEscapedByte(Out, static_cast<unsigned char>(C));
        return;
    }
    AppendUtf8ToHtml(Out, Text);
}

std::string UmlToHtml(std::string_view Text, TCharset Charset) {
    std::string Result;
    // Most names need no or few references; a little headroom avoids regrowth.
    Result.reserve(Text.size() + Text.size() / 2 + 8);
    AppendUmlToHtml(Result, Text, Charset);
    return Result;
}
