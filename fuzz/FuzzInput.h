// What the fuzz targets share: how an input chooses its work, how the rest of
// it becomes a .cxf image, and how a broken invariant is reported.
//
// An input is a small header followed by the image:
//   byte 0  bits 0-3 the exclusion flags (channel UF, channel VPID, transponder
//           UF, satellite UF), bits 4-5 the exporter (0 CSV, 1 SQL, 2 HTML,
//           3 CSV again), bits 6-7 unused
//   byte 1  the decimal separator; a byte that is no printable Windows-1252
//           character (below 0x20, 0x7F-0x9F) stands for ","
//   byte 2  bit 0 the charset of the names (0 Windows-1252, 1 UTF-8)
// Missing header bytes count as 0. The same inputs serve both targets, so
// their corpora can be swapped.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "CxfFileUnit.h"
#include "CxfImageBuilder.h"

// Checks walk every byte of what they look at; tracing their comparisons
// would cost far more than the code under test and teach the fuzzer nothing.
#define NOT_TRACED __attribute__((no_sanitize("coverage")))

namespace fuzzcxf {

[[noreturn]] inline void Violated(const char* What, std::string_view Detail) {
    std::fprintf(stderr, "invariant violated: %s\n%.*s\n", What,
                 static_cast<int>(std::min<std::size_t>(Detail.size(), 400)), Detail.data());
    std::abort();
}

// Comparisons by hand: the library's would go through memcmp, whose hook
// feeds libFuzzer the checks' own comparisons with every output.
NOT_TRACED inline bool StartsWith(std::string_view Text, std::string_view Prefix) {
    if (Text.size() < Prefix.size()) return false;
    for (std::size_t i = 0; i < Prefix.size(); ++i)
        if (Text[i] != Prefix[i]) return false;
    return true;
}

NOT_TRACED inline bool Equal(std::string_view A, std::string_view B) {
    return A.size() == B.size() && StartsWith(A, B);
}

enum class TExporter : std::uint8_t { Csv, Sql, Html };

// The encoding the database holds its names in.
using ::TCharset;

struct TWork {
    TExporter Exporter = TExporter::Csv;
    bool ExcludeChannelUF = false;
    bool ExcludeChannelVPID = false;
    bool ExcludeTransponderUF = false;
    bool ExcludeSatelliteUF = false;
    char DecimalSeparator = ',';
    TCharset Charset = TCharset::Windows1252;
};

inline constexpr std::size_t HeaderSize = 3;

inline bool IsPrintable(std::uint8_t Byte) { return (Byte >= 0x20 && Byte < 0x7F) || Byte >= 0xA0; }

inline TWork DecodeWork(std::span<const std::uint8_t> Input) {
    std::array<std::uint8_t, HeaderSize> Header{};
    std::copy_n(Input.begin(), std::min(Input.size(), HeaderSize), Header.begin());
    TWork Work;
    Work.ExcludeChannelUF = Header[0] & 0x01;
    Work.ExcludeChannelVPID = Header[0] & 0x02;
    Work.ExcludeTransponderUF = Header[0] & 0x04;
    Work.ExcludeSatelliteUF = Header[0] & 0x08;
    const int Exporter = (Header[0] >> 4) & 3;
    Work.Exporter = Exporter == 1 ? TExporter::Sql : Exporter == 2 ? TExporter::Html : TExporter::Csv;
    Work.DecimalSeparator = IsPrintable(Header[1]) ? static_cast<char>(Header[1]) : ',';
    Work.Charset = (Header[2] & 0x01) ? TCharset::Utf8 : TCharset::Windows1252;
    return Work;
}

// The header that DecodeWork turns back into Work (for the seed corpus).
inline std::array<std::uint8_t, HeaderSize> EncodeWork(const TWork& Work) {
    const auto Flags = static_cast<std::uint8_t>(Work.ExcludeChannelUF | Work.ExcludeChannelVPID << 1 |
                                                 Work.ExcludeTransponderUF << 2 | Work.ExcludeSatelliteUF << 3);
    return {static_cast<std::uint8_t>(Flags | static_cast<std::uint8_t>(Work.Exporter) << 4),
            static_cast<std::uint8_t>(Work.DecimalSeparator), static_cast<std::uint8_t>(Work.Charset)};
}

// The image behind the header: a short one overlays an image of empty slots,
// a long one is cut. The bytes live in one buffer that the next input
// overwrites, so an input costs no allocation of its own.
inline std::span<const std::uint8_t> ImageOf(std::span<const std::uint8_t> Input) {
    static const std::vector<std::uint8_t> Empty = testsupport::CxfImageBuilder().Bytes();
    static std::vector<std::uint8_t> Image(Empty.size());
    const auto Body = Input.subspan(std::min(Input.size(), HeaderSize));
    const std::size_t Copied = std::min(Body.size(), Image.size());
    std::copy_n(Body.begin(), Copied, Image.begin());
    std::copy(Empty.begin() + static_cast<std::ptrdiff_t>(Copied), Empty.end(),
              Image.begin() + static_cast<std::ptrdiff_t>(Copied));
    return Image;
}

// Null when the loader refuses the image (no magic, or table offsets outside
// it); every other exception is a finding and leaves the target.
inline std::unique_ptr<TCxfFile> Load(std::span<const std::uint8_t> Image, const TWork& Work) {
    try {
        return std::make_unique<TCxfFile>(Image, Work.DecimalSeparator, Work.Charset);
    } catch (const ENotCxfFileError&) {
        return nullptr;
    } catch (const ECorruptFileError&) {
        return nullptr;
    }
}

}  // namespace fuzzcxf
