// The channel database of one receiver .cxf file: the loader and the records
// it builds, the shared constant tables and the channel sort orders.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Size of the part of a .cxf file that is read; everything is parsed from it.
inline constexpr std::size_t CxfFileSize = 126068;
inline constexpr int SatelliteCount = 99;
inline constexpr int TransponderCount = 999;
inline constexpr int ChannelCount = 2500;
inline constexpr std::size_t SatelliteRecordSize = 40;
inline constexpr std::size_t TransponderRecordSize = 10;
inline constexpr std::size_t ChannelRecordSize = 32;
inline constexpr std::size_t ChannelNameOffset = 12;  // after the record's six words
inline constexpr std::size_t NameFieldSize = 20;
inline constexpr std::size_t NameMaxLength = 20;
inline constexpr std::size_t PositionTextMaxLength = 30;
// The first four bytes of every .cxf file.
inline constexpr std::string_view CxfMagic = "CXF2";

inline constexpr std::array<const char*, 10> SortOrderNames = {
    "BY_NAME",         "BY_FREQUENCY",  "BY_VIDEOPID",       "BY_AUDIOPID",
    "BY_POLARISATION", "BY_SYMBOLRATE", "BY_SATELLITE",      "BY_SATELLITE_NAME",
    "BY_ORIGINAL_CHANNEL_ID", "BY_PACKAGE"};
inline constexpr int BY_NAME = 0;
inline constexpr int BY_FREQUENCY = 1;
inline constexpr int BY_ORIGINAL_CHANNEL_ID = 8;
inline constexpr int BY_PACKAGE = 9;

inline constexpr std::array<const char*, 4> PolarisationNames = {"H", "V", "L", "R"};

// Errors carry the exact text that the user is shown, in UTF-8 (file names
// in it as the core holds them: UTF-8 on Windows, raw bytes on Linux).
class ECxfError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file that cannot be opened or read; ErrorCode is the platform's number
// (ReadBeyondEndOfFileCode for a file that ends too early).
class EInOutError : public ECxfError {
public:
    EInOutError(const std::string& Message, int Code) : ECxfError(Message), ErrorCode(Code) {}
    int ErrorCode;
};

// The numbers of the errors that the loader names by their classic texts, as
// Windows numbers them; Linux gives them the same numbers.
inline constexpr int FileNotFoundCode = 2;
inline constexpr int TooManyOpenFilesCode = 4;
inline constexpr int FileAccessDeniedCode = 5;
inline constexpr int InvalidFileNameCode = 123;
// Reading past the end of a file, in the classic runtime's numbering.
inline constexpr int ReadBeyondEndOfFileCode = 100;

// A file that is no .cxf file at all: a device, a pipe or a socket, or a
// file that does not start with CxfMagic. Refused before anything waits on
// it or reads its tables.
class ENotCxfFileError : public ECxfError {
public:
    using ECxfError::ECxfError;
};

// A lookup with an index outside its list.
class EListError : public ECxfError {
public:
    using ECxfError::ECxfError;
};

// A header that points a table outside the file image.
class ECorruptFileError : public ECxfError {
public:
    using ECxfError::ECxfError;
};

// The text of one name, held inside its record so that a load allocates
// nothing per name. It reads like a std::string_view and converts to
// std::string. A decoded name field never grows, so NameFieldSize bytes hold
// any name in either character set; longer text is refused.
class TNameText {
public:
    static constexpr std::size_t Capacity = NameFieldSize;

    constexpr TNameText() = default;
    TNameText(std::string_view Text) { Assign(Text); }
    TNameText(const char* Text) { Assign(Text); }
    TNameText(const std::string& Text) { Assign(Text); }

    operator std::string_view() const noexcept { return {FBytes.data(), FSize}; }
    operator std::string() const { return std::string(FBytes.data(), FSize); }
    std::string_view View() const noexcept { return *this; }

    const char* data() const noexcept { return FBytes.data(); }
    std::size_t size() const noexcept { return FSize; }
    bool empty() const noexcept { return FSize == 0; }
    char front() const noexcept { return FBytes[0]; }
    char back() const noexcept { return FBytes[FSize - 1]; }
    const char* begin() const noexcept { return FBytes.data(); }
    const char* end() const noexcept { return FBytes.data() + FSize; }

    friend bool operator==(const TNameText& A, const TNameText& B) noexcept { return A.View() == B.View(); }
    friend bool operator==(const TNameText& A, std::string_view B) noexcept { return A.View() == B; }
    friend bool operator==(const TNameText& A, const char* B) noexcept { return A.View() == B; }
    friend bool operator==(const TNameText& A, const std::string& B) noexcept { return A.View() == B; }

private:
    friend struct TNameTextHash;
    void Assign(std::string_view Text);

    std::array<char, Capacity> FBytes{};  // zero past FSize
    std::uint8_t FSize = 0;
};

// A hash of a name for the package index: the padded bytes as three words,
// mixed by multiplication (names are short, so a byte loop costs more). Its
// high bits are the well mixed ones: a table takes its slot from them.
struct TNameTextHash {
    std::uint64_t operator()(const TNameText& Text) const noexcept;
};

struct TChannel;

struct TSatellite {
    TNameText Name;  // in the database's character set, trimmed, at most 20 characters
    std::uint16_t Position = 0;  // tenths of a degree, counted eastward
    bool UF = false;
    bool AC = false;
    TNameText SanitisedName;
    std::string PositionText;
    std::vector<TChannel*> Channels;  // not owning; filled by the HTML export
    std::uint8_t Number = 0;          // 1-based place in the satellite table
};

struct TTransponder {
    std::uint16_t Frequency = 0;
    std::uint8_t Polarisation = 0;  // index into PolarisationNames
    std::uint16_t Symbolrate = 0;
    std::uint8_t SatelliteIndex = 0;
    TSatellite* Satellite = nullptr;  // none when SatelliteIndex names no slot
    bool UF = false;
    std::uint16_t OriginalNetworkID = 0;
    std::uint16_t TransportStreamID = 0;
    std::uint16_t Number = 0;  // 1-based place in the transponder table
};

struct TChannel {
    // Widest fields first, so that alignment pads a channel as little as it
    // can (72 bytes in all).
    TTransponder* Transponder = nullptr;  // never null for a channel in the database
    std::uint16_t VideoPID = 0;
    std::uint16_t AudioPID = 0;
    std::uint16_t PCRPID = 0;
    std::uint16_t TeletextPID = 0;
    std::uint16_t ServiceID = 0;
    std::uint16_t TransponderIndex = 0;
    std::uint16_t Number = 0;  // 1-based place in the channel table, gaps included
    std::uint16_t PackageID = 0;
    bool UF = false;
    bool PayTV = false;
    TNameText Name;
    TNameText PackageName;
};

class TCxfFile;

// The character set of all text in a database, and so of every output made
// from it. Windows-1252 replaces the characters it lacks by their nearest
// letter or "?"; UTF-8 keeps every name as the receiver stores it.
enum class TCharset { Windows1252, Utf8 };

// What one export run hands to one exporter. CxfFile points at the run's
// database variable, which may be filled only after the record is.
struct TExportOptions {
    std::unique_ptr<TCxfFile>* CxfFile = nullptr;
    std::string ExportDirectory;
    std::string FileName;
    bool ExcludeChannelUF = false;
    bool ExcludeChannelVPID = false;
    bool ExcludeTransponderUF = false;
    bool ExcludeSatelliteUF = false;
    // CSV only: write names exactly as they are, even those a spreadsheet
    // would run as a formula (for a program that reads the file, not a
    // person who opens it).
    bool CsvLiteralNames = false;
};

// The decimal separator of the user's locale (LC_ALL, LC_NUMERIC, LANG),
// "." when no usable locale is set or its separator is more than one byte.
char LocaleDecimalSeparator();

// Every character other than 0-9, A-Z and a-z becomes one "_", so the
// result has as many bytes as Text has characters.
std::string SanitiseName(std::string_view Text, TCharset Charset = TCharset::Windows1252);

// The display text of an orbital position in tenths of a degree, for
// example "19,2\xB0 0" (east) or "0,8\xB0 W" (west). DecimalSeparator is a
// Windows-1252 (Latin-1) character; in UTF-8 it and the degree sign take two
// bytes when they lie above ASCII.
std::string PositionToText(std::uint16_t Position, char DecimalSeparator,
                           TCharset Charset = TCharset::Windows1252);

// Decodes one raw name field: drops control bytes, decodes UTF-8 and converts
// to the character set. Not trimmed. Invalid UTF-8 gives an empty text.
std::string DecodeNameField(std::span<const std::uint8_t> Field, TCharset Charset = TCharset::Windows1252);

// The first MaxCharacters characters of Text (bytes in Windows-1252, code
// points in UTF-8).
std::string CutText(const std::string& Text, std::size_t MaxCharacters, TCharset Charset);

// Removes leading and trailing characters with codes up to 0x20.
std::string TrimText(const std::string& Text);

// Byte-wise comparison with only a-z folded to A-Z; <0, 0 or >0.
int CompareSortText(std::string_view A, std::string_view B);

// <0 puts A before B under the sort order (0-9), >0 after it.
int CompareChannels(const TChannel& A, const TChannel& B, int Order);

class TCxfFile final {
public:
    // Reads the first CxfFileSize bytes of the file and builds the database,
    // with all its text in Charset.
    explicit TCxfFile(const std::string& FileName, char DecimalSeparator = LocaleDecimalSeparator(),
                      TCharset Charset = TCharset::Windows1252);
    // Builds the database from an image already in memory; a shorter image
    // fails as a short file does, bytes past CxfFileSize are ignored.
    explicit TCxfFile(std::span<const std::uint8_t> Image, char DecimalSeparator = LocaleDecimalSeparator(),
                      TCharset Charset = TCharset::Windows1252);
    ~TCxfFile();
    TCxfFile(const TCxfFile&) = delete;
    TCxfFile& operator=(const TCxfFile&) = delete;

    // The records in file order; Channels() in the order of the last
    // SortChannels. The records themselves never move while the database
    // lives, so pointers to them stay valid.
    const std::vector<TSatellite*>& Satellites() const { return FSatellites; }
    const std::vector<TTransponder*>& Transponders() const { return FTransponders; }
    const std::vector<TChannel*>& Channels() const { return FChannels; }
    const std::vector<TNameText>& Packages() const { return FPackages; }
    // The character set of every text in the database.
    TCharset Charset() const { return FCharset; }

    TSatellite& GetSatellite(int Index) const;
    TTransponder& GetTransponder(int Index) const;
    TChannel& GetChannel(int Index) const;

    // Index of the package that matches Name without regard to case (ASCII
    // and the letters of Windows-1252, in either character set); a new entry
    // is appended when none does.
    int AddPackage(std::string_view Name);

    void SortChannels(int Order);
    void SortSatelliteChannels(int SatelliteIndex, int Order);

private:
    void LoadFromFile(const std::string& FileName);
    // Image holds at least CxfFileSize bytes; it is read only during Parse.
    void Parse(const std::uint8_t* Image);

    std::uint8_t ReadByte();
    std::uint16_t ReadWord();
    std::uint32_t ReadDWord();
    TNameText ReadRecordName();  // a 20-byte name, trimmed, at most 20 characters
    void ReadSatellite();
    void ReadTransponder();
    void ReadChannel();
    void GrowPackageIndex();  // enlarges FPackageSlots and places every package anew

    char FDecimalSeparator;
    TCharset FCharset;

    // The records themselves. Each list is reserved for its table's count of
    // records before they are read, so no record ever moves.
    std::vector<TSatellite> FSatelliteRecords;
    std::vector<TTransponder> FTransponderRecords;
    std::vector<TChannel> FChannelRecords;
    std::vector<TSatellite*> FSatellites;
    std::vector<TTransponder*> FTransponders;
    std::vector<TChannel*> FChannels;
    std::vector<TNameText> FPackages;
    // The index of AddPackage: FPackages' names folded, and an open-addressing
    // table over them (linear probing), each slot a package's index + 1 (0 for
    // free). It holds 2^FPackageSlotBits slots, at most half of them in use,
    // and grows as GrowPackageIndex says.
    std::vector<TNameText> FFoldedPackages;
    std::vector<std::uint32_t> FPackageSlots;
    int FPackageSlotBits = 0;

    // Reading state of one load.
    const std::uint8_t* FImage = nullptr;
    std::size_t Cursor = 0;
    std::uint16_t SatelliteCounter = 0;
    std::uint16_t TransponderCounter = 0;
    std::uint16_t ChannelCounter = 0;
    int CurrentPackage = 0;
    bool CurrentPayTV = false;
    const TSatellite* LastSatellite = nullptr;
};
