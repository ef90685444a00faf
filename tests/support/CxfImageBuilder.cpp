#include "CxfImageBuilder.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace testsupport {

CxfImageBuilder::CxfImageBuilder() : Image(CxfFileSize, 0) {
    Magic("CXF2");
    Offsets(DefaultSatelliteOffset, DefaultTransponderOffset, DefaultChannelOffset);
    for (int i = 0; i < TransponderCount; ++i) PutByte(TransponderRecord(i) + 4, 0xFF);
    for (int i = 0; i < ChannelCount; ++i) PutWord(ChannelRecord(i) + 10, 0x03FF);
}

CxfImageBuilder& CxfImageBuilder::Magic(std::string_view Raw) {
    std::string Field(Raw.substr(0, 4));
    Field.resize(4, '\0');
    return PutBytes(0, Field);
}

CxfImageBuilder& CxfImageBuilder::Offsets(std::uint32_t Satellites, std::uint32_t Transponders,
                                          std::uint32_t Channels) {
    SatOffset = Satellites;
    TpOffset = Transponders;
    ChOffset = Channels;
    PutDWord(4, Satellites);
    PutDWord(8, Transponders);
    return PutDWord(12, Channels);
}

CxfImageBuilder& CxfImageBuilder::Satellite(int Index, const SatelliteSpec& Fields) {
    const std::size_t At = SatelliteRecord(Index);
    PutName(At, Fields.Name);
    return PutWord(At + 20, Fields.PositionWord);
}

CxfImageBuilder& CxfImageBuilder::Transponder(int Index, const TransponderSpec& Fields) {
    const std::size_t At = TransponderRecord(Index);
    PutWord(At, Fields.FirstWord);
    PutWord(At + 2, Fields.Symbolrate);
    PutByte(At + 4, Fields.SatelliteIndex);
    PutByte(At + 5, Fields.Flags);
    PutWord(At + 6, Fields.OriginalNetworkID);
    return PutWord(At + 8, Fields.TransportStreamID);
}

CxfImageBuilder& CxfImageBuilder::Channel(int Index, const ChannelSpec& Fields) {
    const std::size_t At = ChannelRecord(Index);
    PutWord(At, Fields.VideoWord);
    PutWord(At + 2, Fields.AudioPID);
    PutWord(At + 4, Fields.PCRPID);
    PutWord(At + 6, Fields.TeletextPID);
    PutWord(At + 8, Fields.ServiceID);
    PutWord(At + 10, Fields.TransponderWord);
    PutName(At + 12, Fields.Name);
    return *this;
}

CxfImageBuilder& CxfImageBuilder::PutByte(std::size_t Offset, std::uint8_t Value) {
    Image.at(Offset) = Value;
    return *this;
}

CxfImageBuilder& CxfImageBuilder::PutWord(std::size_t Offset, std::uint16_t Value) {
    PutByte(Offset, static_cast<std::uint8_t>(Value & 0xFF));
    return PutByte(Offset + 1, static_cast<std::uint8_t>(Value >> 8));
}

CxfImageBuilder& CxfImageBuilder::PutDWord(std::size_t Offset, std::uint32_t Value) {
    PutWord(Offset, static_cast<std::uint16_t>(Value & 0xFFFF));
    return PutWord(Offset + 2, static_cast<std::uint16_t>(Value >> 16));
}

CxfImageBuilder& CxfImageBuilder::PutBytes(std::size_t Offset, std::string_view Raw) {
    for (std::size_t i = 0; i < Raw.size(); ++i) PutByte(Offset + i, static_cast<std::uint8_t>(Raw[i]));
    return *this;
}

void CxfImageBuilder::PutName(std::size_t Offset, const std::string& Raw) {
    if (Raw.size() > NameFieldSize) throw std::invalid_argument("name field longer than 20 bytes: " + Raw);
    std::string Field = Raw;
    Field.resize(NameFieldSize, '\0');
    PutBytes(Offset, Field);
}

std::filesystem::path CxfImageBuilder::WriteTo(const std::filesystem::path& Path) const {
    WriteFileBytes(Path, std::string_view(reinterpret_cast<const char*>(Image.data()), Image.size()));
    return Path;
}

TempDir::TempDir() {
    const std::filesystem::path Base = std::filesystem::temp_directory_path();
    std::random_device Random;
    for (int Attempt = 0; Attempt < 100; ++Attempt) {
        Dir = Base / ("zanvero-test-" + std::to_string(Random()));
        // Creating fails for a name that exists, so no other test shares it.
        if (std::filesystem::create_directory(Dir)) {
            std::filesystem::permissions(Dir, std::filesystem::perms::owner_all);
            return;
        }
    }
    throw std::runtime_error("cannot create a test directory in " + Base.string());
}

TempDir::~TempDir() {
    std::error_code Ignored;
    // Tests may have taken rights away; give them back so that removal works.
    std::filesystem::permissions(Dir, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, Ignored);
    std::filesystem::remove_all(Dir, Ignored);
}

std::unique_ptr<TCxfFile> LoadImage(const CxfImageBuilder& Builder, char Separator, TCharset Charset) {
    return std::make_unique<TCxfFile>(std::span<const std::uint8_t>(Builder.Bytes()), Separator, Charset);
}

std::string ReadFileBytes(const std::filesystem::path& Path) {
    std::ifstream In(Path, std::ios::binary);
    if (!In) throw std::runtime_error("cannot read " + Path.string());
    return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::filesystem::path& Path, std::string_view Bytes) {
    std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
    Out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
    if (!Out) throw std::runtime_error("cannot write " + Path.string());
}

}  // namespace testsupport

namespace testsupport {

CxfImageBuilder MaximalImage() {
    CxfImageBuilder B;
    for (int s = 0; s < SatelliteCount; ++s) {
        const std::string Name = "Sat \xC3\xA4 & <" + std::to_string(s) + "> 'x'";
        B.Satellite(s, {.Name = Name, .PositionWord = static_cast<std::uint16_t>((s * 37) % 3600)});
    }
    for (int t = 0; t < TransponderCount; ++t)
        B.Transponder(t, {.FirstWord = static_cast<std::uint16_t>(10700 + t * 2 + ((t % 4) << 14)),
                          .Symbolrate = 27500,
                          .SatelliteIndex = static_cast<std::uint8_t>(t % SatelliteCount),
                          .OriginalNetworkID = static_cast<std::uint16_t>(t),
                          .TransportStreamID = static_cast<std::uint16_t>(1000 + t)});
    // Channels run satellite by satellite, so every satellite's run opens
    // with a marker: a free package, then a pay-TV one halfway through.
    int Record = 0;
    for (int s = 0; s < SatelliteCount && Record < ChannelCount; ++s) {
        const int PerSatellite = ChannelCount / SatelliteCount + (s < ChannelCount % SatelliteCount ? 1 : 0);
        for (int k = 0; k < PerSatellite && Record < ChannelCount; ++k, ++Record) {
            std::string Name;
            if (k == 0) Name = "<Paket " + std::to_string(s % 40) + ">";
            else if (k == PerSatellite / 2) Name = "<$Pay \xE2\x82\xAC " + std::to_string(s % 40) + ">";
            else Name = "Kan\xC3\xA4l \"" + std::to_string(Record) + "\" \xE2\x80\x93 x";
            const int Transponder = s + SatelliteCount * (k % 10);
            B.Channel(Record, {.Name = Name,
                               .TransponderWord = static_cast<std::uint16_t>(Transponder),
                               .VideoWord = static_cast<std::uint16_t>(k % 7 == 0 ? 0 : 100 + Record),
                               .AudioPID = static_cast<std::uint16_t>(101 + Record),
                               .PCRPID = static_cast<std::uint16_t>(100 + Record),
                               .TeletextPID = 32,
                               .ServiceID = static_cast<std::uint16_t>(Record)});
        }
    }
    return B;
}

CxfImageBuilder ChangedMaximalImage() {
    CxfImageBuilder B = MaximalImage();
    for (int t = 0; t < TransponderCount; t += 10) {
        const std::size_t Record = B.TransponderRecord(t);
        B.PutWord(Record, static_cast<std::uint16_t>(B.Bytes()[Record] | B.Bytes()[Record + 1] << 8) + 1);
    }
    for (int Record = 0; Record < ChannelCount; ++Record) {
        const std::size_t At = B.ChannelRecord(Record);
        if (Record % 50 == 0) B.PutWord(At + 10, 0x3FF);
        if (Record % 50 == 25) B.PutWord(At + 8, static_cast<std::uint16_t>(40000 + Record));
        if (Record % 20 == 10) {
            std::string Name = "Umbenannt " + std::to_string(Record);
            Name.resize(NameFieldSize, '\0');
            B.PutBytes(At + 12, Name);
        }
    }
    return B;
}

CxfImageBuilder MarkerImage() {
    CxfImageBuilder B = MaximalImage();
    for (int Record = 0; Record < ChannelCount; ++Record) {
        std::string Number = std::to_string(Record);
        Number.insert(0, 4 - Number.size(), '0');
        // Pay-TV and free markers alternate; case differs from channel to
        // channel so that only the folded comparison tells them apart.
        const std::string Name = (Record % 2 ? "<$Paket Nummer " : "<PAKET nummer ") + Number + ">";
        B.Channel(Record, {.Name = Name, .TransponderWord = static_cast<std::uint16_t>(Record % TransponderCount)});
    }
    return B;
}

CxfImageBuilder NothingToExportImage() {
    CxfImageBuilder B;
    for (int Satellite = 0; Satellite < SatelliteCount; ++Satellite) B.Satellite(Satellite, {.PositionWord = 3601});
    return B;
}

}  // namespace testsupport
