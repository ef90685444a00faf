#include "FrontendRulesUnit.h"

#include "Utf8Unit.h"

std::string ErrorBoxText(std::string Message) {
    // Every character beyond ASCII comes after the full stop, and in UTF-8
    // (as in any 8-bit character set) its last byte is 0x80 or above; so the
    // last byte, taken unsigned, decides for the whole last character.
    if (!Message.empty() && static_cast<unsigned char>(Message.back()) > '.') Message += '.';
    return Message;
}

std::optional<char> DecimalSeparatorByte(std::string_view Character) {
    const std::optional<std::u32string> Codes = DecodeUtf8(Character);
    if (!Codes || Codes->size() != 1) return std::nullopt;
    const char32_t Code = Codes->front();
    if ((Code >= 0x20 && Code < 0x7F) || (Code >= 0xA0 && Code <= 0xFF)) return static_cast<char>(Code);
    return std::nullopt;
}

char DefaultDecimalSeparator(std::string_view LocaleSeparator, char Fallback) {
    return DecimalSeparatorByte(LocaleSeparator).value_or(Fallback);
}

namespace {

struct TExclusionName {
    std::string_view Name;
    unsigned Bits;
};

constexpr TExclusionName ExclusionNames[] = {
    {"channel-uf", ebChannelUF},         {"channel-vpid", ebChannelVPID}, {"transponder-uf", ebTransponderUF},
    {"satellite-uf", ebSatelliteUF},     {"all", AllExclusions},
};

}  // namespace

unsigned ExclusionBits(std::string_view Name) {
    for (const TExclusionName& Entry : ExclusionNames)
        if (Entry.Name == Name) return Entry.Bits;
    return 0;
}

std::string ExclusionNamesText() {
    std::string Text;
    for (const TExclusionName& Entry : ExclusionNames) {
        if (!Text.empty()) Text += &Entry == std::end(ExclusionNames) - 1 ? " or " : ", ";
        Text += Entry.Name;
    }
    return Text;
}

void SetExclusions(TExportOptions& Options, unsigned Bits) {
    Options.ExcludeChannelUF = (Bits & ebChannelUF) != 0;
    Options.ExcludeChannelVPID = (Bits & ebChannelVPID) != 0;
    Options.ExcludeTransponderUF = (Bits & ebTransponderUF) != 0;
    Options.ExcludeSatelliteUF = (Bits & ebSatelliteUF) != 0;
}

const char* MessageKindName(TMessageKind Kind) {
    switch (Kind) {
        case mkError: return "error";
        case mkInformation: return "information";
        default: return "";
    }
}
