// Arbitrary bytes as a .cxf image, loaded only: checks what must hold for the
// database after any load at all. Far cheaper per input than exporting, so it
// reaches the loader's corners in many more inputs. Every name is decoded
// again by the plain reference decoder and must read the same.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzInput.h"
#include "ReferenceNameDecoder.h"

namespace {

using fuzzcxf::Equal;
using fuzzcxf::TCharset;
using fuzzcxf::Violated;

// Characters of a UTF-8 text, or -1 when it is no valid UTF-8 (overlong
// forms, surrogates and code points above U+10FFFF included).
NOT_TRACED int Utf8Length(std::string_view Text) {
    int Count = 0;
    for (std::size_t i = 0; i < Text.size(); ++Count) {
        const auto Lead = static_cast<unsigned char>(Text[i]);
        const std::size_t Length = Lead < 0x80 ? 1 : (Lead & 0xE0) == 0xC0 ? 2 : (Lead & 0xF0) == 0xE0 ? 3
                                                : (Lead & 0xF8) == 0xF0 ? 4 : 0;
        if (Length == 0 || i + Length > Text.size()) return -1;
        std::uint32_t Code = Length == 1 ? Lead : Lead & (0x7F >> Length);
        for (std::size_t k = 1; k < Length; ++k) {
            const auto Next = static_cast<unsigned char>(Text[i + k]);
            if ((Next & 0xC0) != 0x80) return -1;
            Code = Code << 6 | (Next & 0x3F);
        }
        constexpr std::uint32_t Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (Code < Smallest[Length] || (Code >= 0xD800 && Code <= 0xDFFF) || Code > 0x10FFFF) return -1;
        i += Length;
    }
    return Count;
}

// The first Max characters of Text.
NOT_TRACED std::string_view Cut(std::string_view Text, std::size_t Max, TCharset Charset) {
    if (Charset == TCharset::Windows1252) return Text.substr(0, Max);
    std::size_t End = 0;
    for (std::size_t Count = 0; End < Text.size() && Count < Max; ++Count) {
        ++End;  // the lead byte, then its continuation bytes
        while (End < Text.size() && (static_cast<unsigned char>(Text[End]) & 0xC0) == 0x80) ++End;
    }
    return Text.substr(0, End);
}

NOT_TRACED void CheckName(std::string_view Name, TCharset Charset, const char* Kind) {
    for (const char C : Name)
        if (static_cast<unsigned char>(C) < 0x20) Violated(Kind, Name);
    if (!Name.empty() && (static_cast<unsigned char>(Name.front()) <= 0x20 ||
                          static_cast<unsigned char>(Name.back()) <= 0x20))
        Violated(Kind, Name);
    // The UTF-8-only rules: valid text of at most 20 characters.
    if (Charset == TCharset::Utf8) {
        const int Length = Utf8Length(Name);
        if (Length < 0 || Length > static_cast<int>(NameMaxLength)) Violated(Kind, Name);
    } else if (Name.size() > NameMaxLength) {
        Violated(Kind, Name);
    }
}

// The name field at Offset as the reference decoder reads it, trimmed.
NOT_TRACED std::string ReferenceName(std::span<const std::uint8_t> Image, std::size_t Offset, TCharset Charset) {
    return reference::Trimmed(reference::DecodeName(Image.subspan(Offset, NameFieldSize), Charset));
}

NOT_TRACED void CheckSameText(std::string_view Name, const std::string& Expected, const char* Kind) {
    if (!Equal(Name, Expected)) Violated(Kind, std::string(Name) + "\nreference decoder: " + Expected);
}

NOT_TRACED std::uint32_t DWordAt(std::span<const std::uint8_t> Image, std::size_t Offset) {
    return Image[Offset] | Image[Offset + 1] << 8 | Image[Offset + 2] << 16 | std::uint32_t{Image[Offset + 3]} << 24;
}

NOT_TRACED void CheckDatabase(const TCxfFile& File, std::span<const std::uint8_t> Image, TCharset Charset) {
    const auto& Satellites = File.Satellites();
    const auto& Transponders = File.Transponders();
    const auto& Channels = File.Channels();
    const auto& Packages = File.Packages();

    if (Packages.empty() || Packages[0] != "-") Violated("package 0 is not \"-\"", "");
    if (!Equal(std::string_view(reinterpret_cast<const char*>(Image.data()), CxfMagic.size()), CxfMagic))
        Violated("database loaded without the magic", "");
    if (Satellites.size() != SatelliteCount || Transponders.size() != TransponderCount ||
        Channels.size() > ChannelCount)
        Violated("table sizes", "");

    const std::uint32_t SatelliteTable = DWordAt(Image, 4);
    const std::uint32_t ChannelTable = DWordAt(Image, 12);
    for (std::size_t i = 0; i < Satellites.size(); ++i) {
        if (Satellites[i]->Number != i + 1) Violated("satellite number", Satellites[i]->Name);
        CheckName(Satellites[i]->Name, Charset, "satellite name");
        CheckSameText(Satellites[i]->Name, ReferenceName(Image, SatelliteTable + i * SatelliteRecordSize, Charset),
                      "satellite name differs from the reference decoder's");
    }
    for (std::size_t i = 0; i < Transponders.size(); ++i) {
        const TTransponder& Transponder = *Transponders[i];
        if (Transponder.Number != i + 1) Violated("transponder number", "");
        const TSatellite* Expected =
            Transponder.SatelliteIndex < SatelliteCount ? Satellites[Transponder.SatelliteIndex] : nullptr;
        if (Transponder.Satellite != Expected) Violated("transponder's satellite", "");
    }
    for (std::size_t i = 1; i < Packages.size(); ++i) CheckName(Packages[i], Charset, "package name");

    unsigned Previous = 0;
    for (const auto& Owned : Channels) {
        const TChannel& Channel = *Owned;
        if (Channel.Number <= Previous || Channel.Number > ChannelCount) Violated("channel numbers", Channel.Name);
        Previous = Channel.Number;
        if (Channel.TransponderIndex >= TransponderCount ||
            Channel.Transponder != Transponders[Channel.TransponderIndex])
            Violated("channel without its transponder", Channel.Name);
        if (Channel.PackageID >= Packages.size()) Violated("package ID", Channel.Name);
        // No more bytes than the limit means no more characters either.
        const TNameText& Package = Packages[Channel.PackageID];
        if (Package.size() <= NameMaxLength ? Channel.PackageName != Package
                                            : Channel.PackageName != Cut(Package, NameMaxLength, Charset))
            Violated("package name copy", Channel.PackageName);
        CheckName(Channel.Name, Charset, "channel name");
        const std::size_t NameField = ChannelTable + (Channel.Number - 1u) * ChannelRecordSize + ChannelNameOffset;
        CheckSameText(Channel.Name, ReferenceName(Image, NameField, Charset),
                      "channel name differs from the reference decoder's");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::span<const std::uint8_t> Input(Data, Size);
    fuzzcxf::TWork Work = fuzzcxf::DecodeWork(Input);
    const std::span<const std::uint8_t> Image = fuzzcxf::ImageOf(Input);
    const std::unique_ptr<TCxfFile> File = fuzzcxf::Load(Image, Work);
    if (File) CheckDatabase(*File, Image, Work.Charset);
    return 0;
}
