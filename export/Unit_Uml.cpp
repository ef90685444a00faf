#include "Unit_Uml.h"

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

void AppendUmlToHtml(std::string& Out, std::string_view Text) {
    for (const char C : Text) {
        const std::string_view Entity = UmlEntities[static_cast<unsigned char>(C)];
        if (Entity.empty())
            Out.push_back(C);
        else
            Out.append(Entity);
    }
}

std::string UmlToHtml(std::string_view Text) {
    std::string Result;
    // Most names need no or few references; a little headroom avoids regrowth.
    Result.reserve(Text.size() + Text.size() / 2 + 8);
    AppendUmlToHtml(Result, Text);
    return Result;
}
