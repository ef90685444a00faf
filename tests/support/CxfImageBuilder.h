// Builds .cxf file images in memory, field by field, for tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "CxfFileUnit.h"

namespace testsupport {

struct SatelliteSpec {
    std::string Name{};             // raw bytes of the 20-byte field, zero padded
    std::uint16_t PositionWord = 0; // position | 0x1000 UF | 0x2000 AC
};

struct TransponderSpec {
    std::uint16_t FirstWord = 0;  // frequency | polarisation << 14
    std::uint16_t Symbolrate = 0;
    std::uint8_t SatelliteIndex = 0;
    std::uint8_t Flags = 0;  // bit 0: UF
    std::uint16_t OriginalNetworkID = 0;
    std::uint16_t TransportStreamID = 0;
};

struct ChannelSpec {
    std::string Name{};                 // raw bytes of the 20-byte field, zero padded
    std::uint16_t TransponderWord = 0;  // index in bits 0-9
    std::uint16_t VideoWord = 0;        // video PID, 0x1000/0x2000 give UF
    std::uint16_t AudioPID = 0;
    std::uint16_t PCRPID = 0;
    std::uint16_t TeletextPID = 0;
    std::uint16_t ServiceID = 0;
};

class CxfImageBuilder {
public:
    static constexpr std::uint32_t DefaultSatelliteOffset = 16;
    static constexpr std::uint32_t DefaultTransponderOffset =
        DefaultSatelliteOffset + SatelliteCount * SatelliteRecordSize;
    static constexpr std::uint32_t DefaultChannelOffset =
        DefaultTransponderOffset + TransponderCount * TransponderRecordSize;

    // A valid image with every slot empty: no satellite names, transponders
    // pointing at no satellite, channels pointing at no transponder.
    CxfImageBuilder();

    CxfImageBuilder& Magic(std::string_view Raw);  // the first four bytes
    CxfImageBuilder& Offsets(std::uint32_t Satellites, std::uint32_t Transponders, std::uint32_t Channels);
    CxfImageBuilder& Satellite(int Index, const SatelliteSpec& Fields);
    CxfImageBuilder& Transponder(int Index, const TransponderSpec& Fields);
    CxfImageBuilder& Channel(int Index, const ChannelSpec& Fields);

    CxfImageBuilder& PutByte(std::size_t Offset, std::uint8_t Value);
    CxfImageBuilder& PutWord(std::size_t Offset, std::uint16_t Value);
    CxfImageBuilder& PutDWord(std::size_t Offset, std::uint32_t Value);
    CxfImageBuilder& PutBytes(std::size_t Offset, std::string_view Raw);

    std::size_t SatelliteRecord(int Index) const { return SatOffset + Index * SatelliteRecordSize; }
    std::size_t TransponderRecord(int Index) const { return TpOffset + Index * TransponderRecordSize; }
    std::size_t ChannelRecord(int Index) const { return ChOffset + Index * ChannelRecordSize; }

    const std::vector<std::uint8_t>& Bytes() const { return Image; }
    std::vector<std::uint8_t>& Bytes() { return Image; }

    // Writes the image to Path and returns Path.
    std::filesystem::path WriteTo(const std::filesystem::path& Path) const;

private:
    void PutName(std::size_t Offset, const std::string& Raw);

    std::vector<std::uint8_t> Image;
    std::uint32_t SatOffset = DefaultSatelliteOffset;
    std::uint32_t TpOffset = DefaultTransponderOffset;
    std::uint32_t ChOffset = DefaultChannelOffset;
};

// A fresh directory that is removed with everything in it at the end of scope.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return Dir; }
    std::filesystem::path operator/(const std::string& Name) const { return Dir / Name; }

private:
    std::filesystem::path Dir;
};

// Loads the image as the file it stands for would load (it never touches the
// disk); Separator is the decimal separator of the position texts.
std::unique_ptr<TCxfFile> LoadImage(const CxfImageBuilder& Builder, char Separator = ',',
                                    TCharset Charset = TCharset::Windows1252);

// The whole content of a file as bytes in a string.
std::string ReadFileBytes(const std::filesystem::path& Path);
void WriteFileBytes(const std::filesystem::path& Path, std::string_view Bytes);

}  // namespace testsupport

namespace testsupport {

// The largest database a file can hold: 99 named satellites, 999 transponders
// and 2500 kept channels, with package markers (free and pay-TV) on every
// satellite and names that need escaping in every format.
CxfImageBuilder MaximalImage();

// MaximalImage after a scan that changed a good part of it: one channel in
// twenty renamed, one in fifty gone and another one in fifty new (a service
// ID of its own), and every tenth transponder retuned.
CxfImageBuilder ChangedMaximalImage();

// The worst case for the package list: the satellites and transponders of
// MaximalImage, and every one of the 2500 channels a package marker with a
// name of its own, alike up to its last characters.
CxfImageBuilder MarkerImage();

// A .cxf image from which no export writes a single record: no channel, and
// every satellite beyond the full circle of 3600 tenths, which the SQL dump
// leaves out.
CxfImageBuilder NothingToExportImage();

}  // namespace testsupport
