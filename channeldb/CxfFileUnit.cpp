#include "CxfFileUnit.h"

#include <algorithm>
#include <iterator>
#include <locale>

#include "FileReadUnit.h"
#include "Utf8Unit.h"

namespace {

// Code 100 is the classic number for reading past the end of a file.
constexpr int ReadBeyondEndOfFile = 100;

// Unicode code points of Windows-1252 bytes 0x80-0x9F; 0 marks the five
// bytes that have no character.
constexpr std::array<std::uint16_t, 32> Cp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Characters that Windows-1252 lacks but whose letter a reader still
// recognises without its accent (Č as C, ő as o, Ł as L), with that letter's
// byte. Generated from the Unicode character database.
struct TNearestLetter {
    std::uint32_t Code;
    std::uint8_t Byte;
};
constexpr TNearestLetter NearestLetters[] = {
#include "NearestLetters.inc"
};
static_assert(std::is_sorted(std::begin(NearestLetters), std::end(NearestLetters),
                             [](const TNearestLetter& A, const TNearestLetter& B) { return A.Code < B.Code; }));

// The Windows-1252 byte of a character, its nearest letter, or "?". One
// character stays one byte, so name lengths do not change.
char ToWindows1252(std::uint32_t Code) {
    if (Code < 0x80 || (Code >= 0xA0 && Code <= 0xFF)) return static_cast<char>(Code);
    if (Code > 0xFF) {
        for (std::size_t i = 0; i < Cp1252High.size(); ++i)
            if (Cp1252High[i] == Code) return static_cast<char>(0x80 + i);
        const auto Found =
            std::lower_bound(std::begin(NearestLetters), std::end(NearestLetters), Code,
                             [](const TNearestLetter& Entry, std::uint32_t C) { return Entry.Code < C; });
        if (Found != std::end(NearestLetters) && Found->Code == Code) return static_cast<char>(Found->Byte);
    }
    return '?';
}

// The character of a Windows-1252 byte; the five unassigned bytes stand for
// themselves.
std::uint32_t FromWindows1252(unsigned char Byte) {
    if (Byte >= 0x80 && Byte < 0xA0 && Cp1252High[Byte - 0x80] != 0) return Cp1252High[Byte - 0x80];
    return Byte;
}

// Lower case for the letters of Windows-1252 that have both cases, by code
// point, so that both character sets match package names alike.
std::uint32_t FoldLetterCase(std::uint32_t C) {
    if (C >= 'A' && C <= 'Z') return C + 0x20;
    if (C >= 0xC0 && C <= 0xDE && C != 0xD7) return C + 0x20;
    switch (C) {
        case 0x0160: return 0x0161;  // Š
        case 0x0152: return 0x0153;  // Œ
        case 0x017D: return 0x017E;  // Ž
        case 0x0178: return 0x00FF;  // Ÿ
        default: return C;
    }
}

// What the UTF-8 character set cannot keep: C1 controls (never meant as
// text), surrogate halves, the two noncharacters that mark byte order, and
// values beyond Unicode. XML refuses most of them in the pages.
bool KeepsInUtf8(std::uint32_t Code) {
    if (Code >= 0x80 && Code <= 0x9F) return false;
    if (Code >= 0xD800 && Code <= 0xDFFF) return false;
    return Code != 0xFFFE && Code != 0xFFFF && Code <= 0x10FFFF;
}

void AppendDigits(std::string& Out, unsigned Value) {
    Out += std::to_string(Value);
}

}  // namespace

char LocaleDecimalSeparator() {
    try {
        const std::locale User("");
        const char Separator = std::use_facet<std::numpunct<char>>(User).decimal_point();
        return Separator == '\0' ? '.' : Separator;
    } catch (const std::exception&) {
        return '.';
    }
}

namespace {

bool IsContinuationByte(char C) { return (static_cast<unsigned char>(C) & 0xC0) == 0x80; }

// Bytes of the first MaxCharacters characters of Text.
std::size_t CutLength(std::string_view Text, std::size_t MaxCharacters, TCharset Charset) {
    if (Charset == TCharset::Windows1252 || Text.size() <= MaxCharacters) return std::min(Text.size(), MaxCharacters);
    std::size_t Characters = 0;
    for (std::size_t i = 0; i < Text.size(); ++i)
        if (!IsContinuationByte(Text[i]) && Characters++ == MaxCharacters) return i;
    return Text.size();
}

}  // namespace

std::string CutText(const std::string& Text, std::size_t MaxCharacters, TCharset Charset) {
    return Text.substr(0, CutLength(Text, MaxCharacters, Charset));
}

std::string SanitiseName(const std::string& Text, TCharset Charset) {
    std::string Result;
    Result.reserve(Text.size());
    for (const char C : Text) {
        // The lead byte of a UTF-8 character already gave its "_".
        if (Charset == TCharset::Utf8 && IsContinuationByte(C)) continue;
        const bool Keep = (C >= '0' && C <= '9') || (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z');
        Result.push_back(Keep ? C : '_');
    }
    return Result;
}

std::string PositionToText(std::uint16_t Position, char DecimalSeparator, TCharset Charset) {
    // Separator and degree sign are Latin-1 characters.
    auto AppendCharacter = [Charset](std::string& Out, char C) {
        if (Charset == TCharset::Utf8)
            AppendUtf8(Out, static_cast<unsigned char>(C));
        else
            Out.push_back(C);
    };
    const bool East = Position < 1800;
    const int Tenths = East ? Position : 3600 - static_cast<int>(Position);
    const unsigned Magnitude = static_cast<unsigned>(Tenths < 0 ? -Tenths : Tenths);
    std::string Text;
    if (Tenths < 0) Text += '-';
    AppendDigits(Text, Magnitude / 10);
    if (Magnitude % 10 != 0) {
        AppendCharacter(Text, DecimalSeparator);
        Text += static_cast<char>('0' + Magnitude % 10);
    }
    AppendCharacter(Text, '\xB0');
    Text += East ? " 0" : " W";
    return CutText(Text, PositionTextMaxLength, Charset);
}

namespace {

// Cleans and decodes a name field into Out, which has room for Field.size()
// bytes; decoding never makes the text longer (a character is never written
// in more bytes than it was read from), so it works in place.
// Returns the length of the text, 0 for a field that is not valid UTF-8.
std::size_t DecodeInto(std::span<const std::uint8_t> Field, char* Out, TCharset Charset) {
    std::size_t Count = 0;
    for (const std::uint8_t B : Field)
        if (B >= 0x20 && B != 0xFF) Out[Count++] = static_cast<char>(B);

    std::size_t Read = 0;
    std::size_t Written = 0;
    while (Read < Count) {
        const auto Lead = static_cast<std::uint8_t>(Out[Read]);
        if (Lead < 0x80) {
            Out[Written++] = Out[Read++];
            continue;
        }
        // Four-byte characters (11110xxx) are taken whole; otherwise bit 0x20
        // of the lead byte decides between three and two bytes.
        const std::size_t Length = (Lead & 0xF8) == 0xF0 ? 4 : (Lead & 0x20) ? 3 : 2;
        if (Read + Length > Count) return 0;
        std::uint32_t Code = Lead & 0x3F;
        for (std::size_t k = 1; k < Length; ++k) {
            const auto Next = static_cast<std::uint8_t>(Out[Read + k]);
            if ((Next & 0xC0) != 0x80) return 0;
            Code = (Code << 6) | (Next & 0x3F);
        }
        Read += Length;
        if (Length == 4) {
            if (Charset == TCharset::Windows1252) {
                Out[Written++] = '?';  // no character beyond U+FFFF has a nearest letter there
                continue;
            }
            Code &= 0x1FFFFF;  // the lead byte's three value bits and three times six
        } else {
            Code &= 0xFFFF;
        }
        // Overlong forms can smuggle in control characters that cleaning
        // removed from the raw bytes; keep them out of names the same way.
        if (Code < 0x20) continue;
        if (Charset == TCharset::Windows1252)
            Out[Written++] = ToWindows1252(Code);
        else if (KeepsInUtf8(Code))
            Written = static_cast<std::size_t>(PutUtf8(Out + Written, Code) - Out);
        else
            Out[Written++] = '?';
    }
    return Written;
}

bool IsBlank(char C) { return static_cast<unsigned char>(C) <= 0x20; }

std::string LowerCase(const std::string& Text, TCharset Charset) {
    std::string Folded;
    Folded.reserve(Text.size());
    if (Charset == TCharset::Windows1252) {
        for (const char C : Text) {
            const std::uint32_t Code = FromWindows1252(static_cast<unsigned char>(C));
            const std::uint32_t Lower = FoldLetterCase(Code);
            Folded.push_back(Lower == Code ? C : ToWindows1252(Lower));
        }
        return Folded;
    }
    for (std::size_t At = 0; At < Text.size();) AppendUtf8(Folded, FoldLetterCase(NextUtf8(Text, At)));
    return Folded;
}

}  // namespace

std::string DecodeNameField(std::span<const std::uint8_t> Field, TCharset Charset) {
    std::string Text(Field.size(), '\0');
    Text.resize(DecodeInto(Field, Text.data(), Charset));
    return Text;
}

std::string TrimText(const std::string& Text) {
    const auto First = std::find_if_not(Text.begin(), Text.end(), IsBlank);
    const auto Last = std::find_if_not(Text.rbegin(), Text.rend(), IsBlank).base();
    return First < Last ? std::string(First, Last) : std::string();
}

int CompareSortText(const std::string& A, const std::string& B) {
    auto Upper = [](char C) {
        const auto U = static_cast<unsigned char>(C);
        return U >= 'a' && U <= 'z' ? U - 0x20 : U;
    };
    const std::size_t Common = std::min(A.size(), B.size());
    for (std::size_t i = 0; i < Common; ++i) {
        const int Difference = Upper(A[i]) - Upper(B[i]);
        if (Difference != 0) return Difference;
    }
    return A.size() < B.size() ? -1 : A.size() > B.size() ? 1 : 0;
}

int CompareChannels(const TChannel& A, const TChannel& B, int Order) {
    if (A.PayTV != B.PayTV) return A.PayTV ? 1 : -1;
    auto Number = [](unsigned X, unsigned Y) { return X < Y ? -1 : X > Y ? 1 : 0; };
    auto Frequency = [&] { return Number(A.Transponder->Frequency, B.Transponder->Frequency); };
    auto VideoPID = [&] { return Number(A.VideoPID, B.VideoPID); };
    int Result = 0;
    switch (Order) {
        case BY_NAME:
            if ((Result = CompareSortText(A.Name, B.Name)) != 0) return Result;
            if ((Result = Frequency()) != 0) return Result;
            return VideoPID();
        case BY_FREQUENCY:
            if ((Result = Frequency()) != 0) return Result;
            if ((Result = CompareSortText(A.Name, B.Name)) != 0) return Result;
            return VideoPID();
        case BY_PACKAGE:
            if ((Result = CompareSortText(A.PackageName, B.PackageName)) != 0) return Result;
            if ((Result = CompareSortText(A.Name, B.Name)) != 0) return Result;
            if ((Result = Frequency()) != 0) return Result;
            return VideoPID();
        default:
            return 0;
    }
}

namespace {

// The quicksort the exported channel orders depend on: the order in which
// equal channels come out is part of the output, so neither the pivot choice
// nor the partitioning may change.
template <typename List, typename Get, typename Compare>
void QuickSort(List& Items, std::ptrdiff_t Lo, std::ptrdiff_t Hi, Get ChannelOf, Compare Cmp) {
    auto At = [&](std::ptrdiff_t Index) -> const TChannel& { return *ChannelOf(Items[static_cast<std::size_t>(Index)]); };
    std::ptrdiff_t I = 0;
    do {
        I = Lo;
        std::ptrdiff_t J = Hi;
        const TChannel& Pivot = At((Lo + Hi) / 2);
        do {
            while (Cmp(At(I), Pivot) < 0) ++I;
            while (Cmp(At(J), Pivot) > 0) --J;
            if (I <= J) {
                std::swap(Items[static_cast<std::size_t>(I)], Items[static_cast<std::size_t>(J)]);
                ++I;
                --J;
            }
        } while (I <= J);
        if (Lo < J) QuickSort(Items, Lo, J, ChannelOf, Cmp);
        Lo = I;
    } while (I < Hi);
}

template <typename List, typename Get>
void SortList(List& Items, int Order, Get ChannelOf) {
    if (Items.empty()) return;
    const auto Hi = static_cast<std::ptrdiff_t>(Items.size()) - 1;
    if (Order == BY_NAME || Order == BY_FREQUENCY || Order == BY_PACKAGE) {
        QuickSort(Items, 0, Hi, ChannelOf, [Order](const TChannel& A, const TChannel& B) {
            return CompareChannels(A, B, Order);
        });
    } else {
        // The other orders compare the pay-TV flag alone (the SQL dump sorts
        // this way); the same steps with the comparison inlined.
        QuickSort(Items, 0, Hi, ChannelOf, [](const TChannel& A, const TChannel& B) {
            return static_cast<int>(A.PayTV) - static_cast<int>(B.PayTV);
        });
    }
}

}  // namespace

TCxfFile::TCxfFile(const std::string& FileName, char DecimalSeparator, TCharset Charset)
    : FImage(std::make_unique<std::array<std::uint8_t, CxfFileSize>>()),
      FDecimalSeparator(DecimalSeparator),
      FCharset(Charset) {
    FPackages.emplace_back("-");
    FFoldedPackages.emplace_back("-");
    LoadFromFile(FileName);
}

TCxfFile::TCxfFile(std::span<const std::uint8_t> Image, char DecimalSeparator, TCharset Charset)
    : FImage(std::make_unique<std::array<std::uint8_t, CxfFileSize>>()),
      FDecimalSeparator(DecimalSeparator),
      FCharset(Charset) {
    FPackages.emplace_back("-");
    FFoldedPackages.emplace_back("-");
    LoadFromImage(Image);
}

TCxfFile::~TCxfFile() = default;

void TCxfFile::LoadFromFile(const std::string& FileName) {
    if (FileName.empty()) throw EInOutError("Invalid filename", 123);
    const std::size_t Done = ReadFileStart(FileName, *FImage);
    if (Done < CxfFileSize) throw EInOutError("Read beyond end of file", ReadBeyondEndOfFile);
    Parse();
}

void TCxfFile::LoadFromImage(std::span<const std::uint8_t> Image) {
    if (Image.size() < CxfFileSize) throw EInOutError("Read beyond end of file", ReadBeyondEndOfFile);
    std::copy_n(Image.begin(), CxfFileSize, FImage->begin());
    Parse();
}

void TCxfFile::Parse() {
    Cursor = 0;
    if (ReadName(4) != "CXF2") return;

    const std::uint32_t SatelliteOffset = ReadDWord();
    const std::uint32_t TransponderOffset = ReadDWord();
    const std::uint32_t ChannelOffset = ReadDWord();

    auto Check = [](std::uint32_t Offset, std::size_t Records, std::size_t Size, const char* Table) {
        if (std::uint64_t{Offset} + Records * Size > CxfFileSize)
            throw ECorruptFileError(std::string("Die .cxf-Datei ist beschädigt: die ") + Table +
                                    " liegt außerhalb der Datei.");
    };
    Check(SatelliteOffset, SatelliteCount, SatelliteRecordSize, "Satellitentabelle");
    Check(TransponderOffset, TransponderCount, TransponderRecordSize, "Transpondertabelle");
    Check(ChannelOffset, ChannelCount, ChannelRecordSize, "Kanaltabelle");

    FSatellites.reserve(SatelliteCount);
    FTransponders.reserve(TransponderCount);
    FChannels.reserve(ChannelCount);

    SatelliteCounter = 1;
    Cursor = SatelliteOffset;
    for (int i = 0; i < SatelliteCount; ++i, ++SatelliteCounter) ReadSatellite();

    TransponderCounter = 1;
    Cursor = TransponderOffset;
    for (int i = 0; i < TransponderCount; ++i, ++TransponderCounter) ReadTransponder();

    ChannelCounter = 1;
    LastSatellite = nullptr;
    Cursor = ChannelOffset;
    for (int i = 0; i < ChannelCount; ++i, ++ChannelCounter) ReadChannel();
}

std::uint8_t TCxfFile::ReadByte() {
    return (*FImage)[Cursor++];
}

std::uint16_t TCxfFile::ReadWord() {
    const std::uint16_t Low = ReadByte();
    const std::uint16_t High = ReadByte();
    return static_cast<std::uint16_t>(Low | (High << 8));
}

std::uint32_t TCxfFile::ReadDWord() {
    const std::uint32_t Low = ReadWord();
    const std::uint32_t High = ReadWord();
    return Low | (High << 16);
}

std::string TCxfFile::ReadName(std::size_t Size) {
    const std::span<const std::uint8_t> Field(FImage->data() + Cursor, Size);
    Cursor += Size;
    return DecodeNameField(Field, FCharset);
}

std::string TCxfFile::ReadRecordName() {
    std::array<char, NameFieldSize> Text;
    std::size_t Last = DecodeInto(std::span(FImage->data() + Cursor, NameFieldSize), Text.data(), FCharset);
    Cursor += NameFieldSize;
    // Blanks and controls are single bytes in both character sets.
    std::size_t First = 0;
    while (First < Last && IsBlank(Text[First])) ++First;
    while (Last > First && IsBlank(Text[Last - 1])) --Last;
    const std::string_view Trimmed(Text.data() + First, Last - First);
    return std::string(Trimmed.substr(0, CutLength(Trimmed, NameMaxLength, FCharset)));
}

void TCxfFile::ReadSatellite() {
    auto Satellite = std::make_unique<TSatellite>();
    Satellite->Name = ReadRecordName();
    Satellite->SanitisedName = SanitiseName(Satellite->Name, FCharset);
    const std::uint16_t PositionWord = ReadWord();
    Satellite->Position = PositionWord & 0x0FFF;
    Satellite->UF = (PositionWord & 0x1000) != 0;
    Satellite->AC = (PositionWord & 0x2000) != 0;
    Satellite->PositionText = PositionToText(Satellite->Position, FDecimalSeparator, FCharset);
    ReadWord();
    for (int i = 0; i < 4; ++i) ReadDWord();
    Satellite->Number = static_cast<std::uint8_t>(SatelliteCounter & 0xFF);
    FSatellites.push_back(std::move(Satellite));
}

void TCxfFile::ReadTransponder() {
    auto Transponder = std::make_unique<TTransponder>();
    const std::uint16_t First = ReadWord();
    Transponder->Frequency = First & 0x3FFF;
    Transponder->Polarisation = static_cast<std::uint8_t>(First >> 14);
    Transponder->Symbolrate = ReadWord();
    Transponder->SatelliteIndex = ReadByte();
    if (Transponder->SatelliteIndex < FSatellites.size())
        Transponder->Satellite = FSatellites[Transponder->SatelliteIndex].get();
    Transponder->UF = (ReadByte() & 0x01) != 0;
    Transponder->OriginalNetworkID = ReadWord();
    Transponder->TransportStreamID = ReadWord();
    Transponder->Number = TransponderCounter;
    FTransponders.push_back(std::move(Transponder));
}

void TCxfFile::ReadChannel() {
    auto Channel = std::make_unique<TChannel>();
    const std::uint16_t First = ReadWord();
    Channel->VideoPID = First & 0x1FFF;
    Channel->UF = (First & 0x3000) != 0;
    Channel->AudioPID = ReadWord() & 0x1FFF;
    Channel->PCRPID = ReadWord() & 0x1FFF;
    Channel->TeletextPID = ReadWord() & 0x1FFF;
    Channel->ServiceID = ReadWord();
    Channel->TransponderIndex = ReadWord() & 0x03FF;

    if (Channel->TransponderIndex < FTransponders.size())
        Channel->Transponder = FTransponders[Channel->TransponderIndex].get();

    if (Channel->Transponder != nullptr && Channel->Transponder->Satellite != LastSatellite) {
        CurrentPayTV = false;
        CurrentPackage = 0;
        LastSatellite = Channel->Transponder->Satellite;
    }

    Channel->Name = ReadRecordName();

    const std::string& Name = Channel->Name;
    if (Name.size() >= 2 && Name.front() == '<' && Name.back() == '>') {
        std::string Package = TrimText(Name.substr(1, Name.size() - 2));
        CurrentPayTV = !Package.empty() && Package.front() == '$';
        if (CurrentPayTV) Package = TrimText(Package.substr(1));
        CurrentPackage = AddPackage(Package);
    }

    Channel->Number = ChannelCounter;
    Channel->PackageID = static_cast<std::uint16_t>(CurrentPackage);
    Channel->PackageName = CutText(FPackages[static_cast<std::size_t>(CurrentPackage)], NameMaxLength, FCharset);
    Channel->PayTV = CurrentPayTV;

    if (Channel->Transponder != nullptr) FChannels.push_back(std::move(Channel));
}

TSatellite& TCxfFile::GetSatellite(int Index) const {
    if (Index < 0 || static_cast<std::size_t>(Index) >= FSatellites.size())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return *FSatellites[static_cast<std::size_t>(Index)];
}

TTransponder& TCxfFile::GetTransponder(int Index) const {
    if (Index < 0 || static_cast<std::size_t>(Index) >= FTransponders.size())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return *FTransponders[static_cast<std::size_t>(Index)];
}

TChannel& TCxfFile::GetChannel(int Index) const {
    if (Index < 0 || static_cast<std::size_t>(Index) >= FChannels.size())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return *FChannels[static_cast<std::size_t>(Index)];
}

int TCxfFile::AddPackage(const std::string& Name) {
    std::string Folded = LowerCase(Name, FCharset);
    for (std::size_t i = 0; i < FFoldedPackages.size(); ++i)
        if (FFoldedPackages[i] == Folded) return static_cast<int>(i);
    FPackages.push_back(Name);
    FFoldedPackages.push_back(std::move(Folded));
    return static_cast<int>(FPackages.size() - 1);
}

void TCxfFile::SortChannels(int Order) {
    SortList(FChannels, Order, [](const std::unique_ptr<TChannel>& C) { return C.get(); });
}

void TCxfFile::SortSatelliteChannels(int SatelliteIndex, int Order) {
    SortList(GetSatellite(SatelliteIndex).Channels, Order, [](TChannel* C) { return C; });
}
