#include "CxfFileUnit.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>

#include "FileReadUnit.h"
#include "Utf8Unit.h"
#include "WordBytesUnit.h"

namespace {

constexpr const char* ReadBeyondEndOfFileText = "Read beyond end of file";

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

// The characters of Cp1252High with their bytes, sorted by code point.
constexpr auto Cp1252HighByCode = [] {
    std::array<TNearestLetter, 27> Entries{};
    std::size_t Count = 0;
    for (std::size_t i = 0; i < Cp1252High.size(); ++i)
        if (Cp1252High[i] != 0) Entries[Count++] = {Cp1252High[i], static_cast<std::uint8_t>(0x80 + i)};
    std::sort(Entries.begin(), Entries.end(),
              [](const TNearestLetter& A, const TNearestLetter& B) { return A.Code < B.Code; });
    return Entries;
}();

// The Windows-1252 byte of each character from U+0100 up to the last one
// that has a byte or a nearest letter, "?" for the others: a name full of
// typographic quotes, dashes or accented letters looks each one up directly.
constexpr std::uint32_t ByCodeStart = 0x100;
constexpr std::uint32_t ByCodeEnd =
    std::max(Cp1252HighByCode.back().Code, std::end(NearestLetters)[-1].Code) + 1;
static_assert(NearestLetters[0].Code >= ByCodeStart && Cp1252HighByCode[0].Code >= ByCodeStart);
constexpr auto Windows1252ByCode = [] {
    std::array<char, ByCodeEnd - ByCodeStart> Table{};
    Table.fill('?');
    for (const TNearestLetter& Entry : NearestLetters) Table[Entry.Code - ByCodeStart] = static_cast<char>(Entry.Byte);
    // A character that Windows-1252 has keeps its own byte.
    for (const TNearestLetter& Entry : Cp1252HighByCode) Table[Entry.Code - ByCodeStart] = static_cast<char>(Entry.Byte);
    return Table;
}();

// The Windows-1252 byte of a character, its nearest letter, or "?". One
// character stays one byte, so name lengths do not change.
constexpr char ToWindows1252(std::uint32_t Code) {
    if (Code < 0x80 || (Code >= 0xA0 && Code <= 0xFF)) return static_cast<char>(Code);
    if (Code >= ByCodeStart && Code < ByCodeEnd) return Windows1252ByCode[Code - ByCodeStart];
    return '?';
}

// The character of a Windows-1252 byte; the five unassigned bytes stand for
// themselves.
constexpr std::uint32_t FromWindows1252(unsigned char Byte) {
    if (Byte >= 0x80 && Byte < 0xA0 && Cp1252High[Byte - 0x80] != 0) return Cp1252High[Byte - 0x80];
    return Byte;
}

// Lower case for the letters of Windows-1252 that have both cases, by code
// point, so that both character sets match package names alike.
constexpr std::uint32_t FoldLetterCase(std::uint32_t C) {
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

// FoldLetterCase for each Windows-1252 byte.
constexpr auto Windows1252Lower = [] {
    std::array<char, 256> Table{};
    for (unsigned Byte = 0; Byte < 256; ++Byte) {
        const std::uint32_t Code = FromWindows1252(static_cast<unsigned char>(Byte));
        const std::uint32_t Lower = FoldLetterCase(Code);
        Table[Byte] = Lower == Code ? static_cast<char>(Byte) : ToWindows1252(Lower);
    }
    return Table;
}();

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

void TNameText::Assign(std::string_view Text) {
    if (Text.size() > Capacity) throw std::length_error("name longer than " + std::to_string(Capacity) + " bytes");
    FBytes = {};
    std::copy(Text.begin(), Text.end(), FBytes.begin());
    FSize = static_cast<std::uint8_t>(Text.size());
}

std::uint64_t TNameTextHash::operator()(const TNameText& Text) const noexcept {
    // The 20 bytes and the size as three words, each multiplied by its own
    // odd constant, then mixed so that the high bits depend on every byte.
    static_assert(TNameText::Capacity == 20);
    std::uint32_t Tail;
    std::memcpy(&Tail, Text.FBytes.data() + 16, 4);
    const std::uint64_t Front = wordbytes::LoadWord(Text.FBytes.data());
    const std::uint64_t Middle = wordbytes::LoadWord(Text.FBytes.data() + 8);
    const std::uint64_t Last = std::uint64_t{Tail} << 32 | Text.FSize;
    std::uint64_t Hash = Front * 0x9E3779B97F4A7C15 ^ Middle * 0xC2B2AE3D27D4EB4F ^ Last * 0x165667B19E3779F9;
    Hash ^= Hash >> 29;
    return Hash * 0xBF58476D1CE4E5B9 ^ Hash >> 32;
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

// SanitiseName into Out, which has room for Text.size() bytes; returns the
// length.
std::size_t SanitiseInto(std::string_view Text, TCharset Charset, char* Out) {
    std::size_t Size = 0;
    for (const char C : Text) {
        // The lead byte of a UTF-8 character already gave its "_".
        if (Charset == TCharset::Utf8 && IsContinuationByte(C)) continue;
        const bool Keep = (C >= '0' && C <= '9') || (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z');
        Out[Size++] = Keep ? C : '_';
    }
    return Size;
}

}  // namespace

std::string CutText(const std::string& Text, std::size_t MaxCharacters, TCharset Charset) {
    return Text.substr(0, CutLength(Text, MaxCharacters, Charset));
}

std::string SanitiseName(std::string_view Text, TCharset Charset) {
    std::string Result(Text.size(), '\0');
    Result.resize(SanitiseInto(Text, Charset, Result.data()));
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

// Decoding a name field: cleaning (step 1) goes through the field a word of
// eight bytes at a time where its words are name bytes followed by zero
// padding, as nearly all are; decoding (steps 2 and 3) copies runs of ASCII
// a word at a time. Both word paths write whole words, so each buffer holds
// WordRoom bytes past the longest text.
constexpr std::size_t WordRoom = 8;

// The bytes of a field that cleaning keeps, in order.
struct TKeptBytes {
    std::size_t Count = 0;
    bool Ascii = true;  // none from 0x80 up: nothing to decode
};

// Step 1: the bytes of Field from 0x20 up, other than 0xFF, to Kept.
TKeptBytes CleanField(std::span<const std::uint8_t> Field, char* Kept) {
    using namespace wordbytes;
    TKeptBytes Result;
    auto KeepByte = [&](std::uint8_t Byte) {
        if (Byte >= 0x20 && Byte != 0xFF) Kept[Result.Count++] = static_cast<char>(Byte);
        Result.Ascii = Result.Ascii && Byte < 0x80;
    };
    // A word whose bytes up to the first one that cleaning drops are followed
    // by zero bytes alone keeps exactly those bytes: it is copied whole and
    // counted up to there. False, with nothing kept, for any other word.
    auto KeepWord = [&](std::uint64_t Word) {
        const int Length = FirstMarkedByte(BytesBelow<0x20>(Word) | BytesEqual(Word, 0xFF));
        if (Length < 8 && DropFirstBytes(Word, Length) != 0) return false;
        StoreWord(Kept + Result.Count, Word);  // bytes past Length are overwritten or ignored
        Result.Count += static_cast<std::size_t>(Length);
        Result.Ascii = Result.Ascii && (Word & Highs) == 0;
        return true;
    };
    std::size_t At = 0;
    for (; At + 8 <= Field.size(); At += 8) {
        if (!KeepWord(LoadWord(Field.data() + At)))
            for (std::size_t k = 0; k < 8; ++k) KeepByte(Field[At + k]);
    }
    // Fewer than eight bytes left (the last four of a 20-byte field): the
    // word that ends with the field, without the bytes already read, so that
    // zero bytes follow them.
    const std::size_t Left = Field.size() - At;
    if (Left != 0 && At != 0 &&
        KeepWord(DropFirstBytes(LoadWord(Field.data() + Field.size() - 8), static_cast<int>(8 - Left))))
        At = Field.size();
    for (; At < Field.size(); ++At) KeepByte(Field[At]);
    return Result;
}

// A decoded character of two or three bytes is cut to 16 bits; one of four
// keeps the lead byte's three value bits and three times six.
constexpr std::uint32_t ShortSequenceCodeMask = 0xFFFF;
constexpr std::uint32_t FourByteCodeMask = 0x1FFFFF;

// Steps 2 and 3: the Count bytes at Kept as UTF-8, written to Out in
// Charset; returns the length of the text. Every byte from 0x80 up starts a
// sequence: of four bytes when it is 11110xxx, else of three when its bit
// 0x20 is set and of two when it is not; each further byte of a sequence must
// be 10xxxxxx, or the result is 0 (empty text), as it is when the bytes end
// inside a sequence. Nothing else is checked: overlong forms, surrogate
// halves and the lead bytes 0x80-0xBF and 0xF8-0xFE (0xFF never gets here)
// all give a character, the lead byte's low six bits and six more from each
// further byte, masked as above. A character below 0x20 is dropped. A
// character never takes more bytes in Out than in Kept.
std::size_t DecodeKept(const char* Kept, std::size_t Count, char* Out, TCharset Charset) {
    using namespace wordbytes;
    std::size_t Read = 0;
    std::size_t Written = 0;
    while (Read < Count) {
        // A run of ASCII: up to eight bytes copied as one word, counted up to
        // the first byte from 0x80 up, which the steps below then decode.
        const std::uint64_t Word = LoadWord(Kept + Read);
        StoreWord(Out + Written, Word);
        const auto Run = std::min<std::size_t>(static_cast<std::size_t>(FirstMarkedByte(Word & Highs)), Count - Read);
        Read += Run;
        Written += Run;
        if (Run == 8 || Read == Count) continue;

        const auto Lead = static_cast<std::uint8_t>(Kept[Read]);
        // Four-byte characters (11110xxx) are taken whole; otherwise bit 0x20
        // of the lead byte decides between three and two bytes.
        const std::size_t Length = (Lead & 0xF8) == 0xF0 ? 4 : (Lead & 0x20) ? 3 : 2;
        if (Read + Length > Count) return 0;
        std::uint32_t Code = Lead & 0x3F;
        for (std::size_t k = 1; k < Length; ++k) {
            const auto Next = static_cast<std::uint8_t>(Kept[Read + k]);
            if ((Next & 0xC0) != 0x80) return 0;
            Code = (Code << 6) | (Next & 0x3F);
        }
        Read += Length;
        if (Length == 4) {
            if (Charset == TCharset::Windows1252) {
                Out[Written++] = '?';  // no character beyond U+FFFF has a nearest letter there
                continue;
            }
            Code &= FourByteCodeMask;
        } else {
            Code &= ShortSequenceCodeMask;
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

// The text of a name field in Charset, not trimmed; empty when the field is
// no valid UTF-8. Kept and Text each hold Field.size() + WordRoom zeroed
// bytes, and the text lies in one of them.
std::string_view DecodeField(std::span<const std::uint8_t> Field, char* Kept, char* Text, TCharset Charset) {
    const TKeptBytes Cleaned = CleanField(Field, Kept);
    if (Cleaned.Ascii) return {Kept, Cleaned.Count};
    return {Text, DecodeKept(Kept, Cleaned.Count, Text, Charset)};
}

bool IsBlank(char C) { return static_cast<unsigned char>(C) <= 0x20; }

// What a satellite record holds after its name and position word: a word
// and four double words that nothing reads.
constexpr std::size_t SatelliteUnreadBytes = SatelliteRecordSize - NameFieldSize - sizeof(std::uint16_t);
static_assert(SatelliteUnreadBytes == 2 + 4 * 4);

// The little-endian word at Bytes.
std::uint16_t WordAt(const std::uint8_t* Bytes) { return static_cast<std::uint16_t>(Bytes[0] | Bytes[1] << 8); }

std::string_view TrimmedView(std::string_view Text) {
    while (!Text.empty() && IsBlank(Text.front())) Text.remove_prefix(1);
    while (!Text.empty() && IsBlank(Text.back())) Text.remove_suffix(1);
    return Text;
}

// The 20 bytes of a name at Text, when they are plain ASCII, to Out with
// A-Z in lower case, a word at a time; false, and nothing written, otherwise.
// Both character sets fold ASCII alike. A file of package markers folds a
// name per channel, and this is the common case.
bool FoldAscii(const char* Text, char* Out) {
    using namespace wordbytes;
    static_assert(TNameText::Capacity == 20);
    std::uint64_t Words[3] = {};
    std::memcpy(Words, Text, 20);
    if (((Words[0] | Words[1] | Words[2]) & Highs) != 0) return false;
    for (std::uint64_t& Word : Words) {
        const std::uint64_t Capitals = BytesBelow<'Z' + 1>(Word) & ~BytesBelow<'A'>(Word);
        Word |= Capitals >> 2;  // 0x80 >> 2 is 0x20, the bit that makes a capital small
    }
    std::memcpy(Out, Words, 20);
    return true;
}

// Text with the letters of Windows-1252 in lower case. Each folded letter
// takes as many bytes as the letter it replaces, in either character set;
// only a byte that is no UTF-8 may grow (to two), which the buffer allows
// for and TNameText then refuses.
TNameText LowerCase(const TNameText& Text, TCharset Charset) {
    std::array<char, 4 * TNameText::Capacity> Folded;
    std::size_t Size = 0;
    if (FoldAscii(Text.data(), Folded.data())) {
        Size = Text.size();
    } else if (Charset == TCharset::Windows1252) {
        for (const char C : Text) Folded[Size++] = Windows1252Lower[static_cast<unsigned char>(C)];
    } else {
        for (std::size_t At = 0; At < Text.size();)
            Size = static_cast<std::size_t>(PutUtf8(Folded.data() + Size, FoldLetterCase(NextUtf8(Text, At))) -
                                            Folded.data());
    }
    return TNameText(std::string_view(Folded.data(), Size));
}

}  // namespace

std::string DecodeNameField(std::span<const std::uint8_t> Field, TCharset Charset) {
    std::string Kept(Field.size() + WordRoom, '\0');
    std::string Text(Field.size() + WordRoom, '\0');
    return std::string(DecodeField(Field, Kept.data(), Text.data(), Charset));
}

std::string TrimText(const std::string& Text) { return std::string(TrimmedView(Text)); }

int CompareSortText(std::string_view A, std::string_view B) {
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
template <typename Compare>
void QuickSort(std::vector<TChannel*>& Items, std::ptrdiff_t Lo, std::ptrdiff_t Hi, Compare Cmp) {
    auto At = [&](std::ptrdiff_t Index) -> const TChannel& { return *Items[static_cast<std::size_t>(Index)]; };
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
        if (Lo < J) QuickSort(Items, Lo, J, Cmp);
        Lo = I;
    } while (I < Hi);
}

void SortList(std::vector<TChannel*>& Items, int Order) {
    if (Items.empty()) return;
    const auto Hi = static_cast<std::ptrdiff_t>(Items.size()) - 1;
    if (Order == BY_NAME || Order == BY_FREQUENCY || Order == BY_PACKAGE) {
        QuickSort(Items, 0, Hi, [Order](const TChannel& A, const TChannel& B) {
            return CompareChannels(A, B, Order);
        });
    } else {
        // The other orders compare the pay-TV flag alone (the SQL dump sorts
        // this way); the same steps with the comparison inlined.
        QuickSort(Items, 0, Hi, [](const TChannel& A, const TChannel& B) {
            return static_cast<int>(A.PayTV) - static_cast<int>(B.PayTV);
        });
    }
}

}  // namespace

TCxfFile::TCxfFile(const std::string& FileName, char DecimalSeparator, TCharset Charset)
    : FDecimalSeparator(DecimalSeparator), FCharset(Charset) {
    AddPackage("-");
    LoadFromFile(FileName);
}

TCxfFile::TCxfFile(std::span<const std::uint8_t> Image, char DecimalSeparator, TCharset Charset)
    : FDecimalSeparator(DecimalSeparator), FCharset(Charset) {
    AddPackage("-");
    if (Image.size() < CxfFileSize) throw EInOutError(ReadBeyondEndOfFileText, ReadBeyondEndOfFileCode);
    Parse(Image.data());
}

TCxfFile::~TCxfFile() = default;

ENotCxfFileError SpecialFileError(TSpecialFile Kind) {
    const char* What = Kind == TSpecialFile::Device ? "ein Gerät" : Kind == TSpecialFile::Pipe ? "eine Pipe" : "ein Socket";
    return ENotCxfFileError(std::string("Die Datei ist keine .cxf-Datei: sie ist ") + What + ".");
}

void TCxfFile::LoadFromFile(const std::string& FileName) {
    if (FileName.empty()) throw EInOutError("Invalid filename", InvalidFileNameCode);
    // Read only while parsing: nothing keeps the image once the records exist.
    // Not zeroed first: the read fills it. (A plain new[], since the
    // WebAssembly build's library lacks make_unique_for_overwrite.)
    const std::unique_ptr<std::uint8_t[]> Image(new std::uint8_t[CxfFileSize]);
    const std::size_t Done = ReadFileStart(FileName, std::span(Image.get(), CxfFileSize));
    if (Done < CxfFileSize) throw EInOutError(ReadBeyondEndOfFileText, ReadBeyondEndOfFileCode);
    Parse(Image.get());
}

void TCxfFile::Parse(const std::uint8_t* Image) {
    // Only a file of the full size gets here, so a short one keeps its own
    // message whatever its first bytes.
    if (!std::equal(CxfMagic.begin(), CxfMagic.end(), Image))
        throw ENotCxfFileError("Die Datei ist keine .cxf-Datei: sie beginnt nicht mit „" + std::string(CxfMagic) + "“.");
    FImage = Image;
    Cursor = CxfMagic.size();

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

    // Records never move once read: transponders point at satellites,
    // channels at transponders, and the HTML export at channels.
    FSatelliteRecords.reserve(SatelliteCount);
    FTransponderRecords.reserve(TransponderCount);
    FChannelRecords.reserve(ChannelCount);
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
    FImage = nullptr;

    auto Addresses = [](auto& Records, auto& Pointers) {
        Pointers.reserve(Records.size());
        for (auto& Record : Records) Pointers.push_back(&Record);
    };
    Addresses(FSatelliteRecords, FSatellites);
    Addresses(FTransponderRecords, FTransponders);
}

std::uint8_t TCxfFile::ReadByte() {
    return FImage[Cursor++];
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

TNameText TCxfFile::ReadRecordName() {
    std::array<char, NameFieldSize + WordRoom> Kept{};
    std::array<char, NameFieldSize + WordRoom> Decoded{};
    const std::string_view Text =
        DecodeField(std::span(FImage + Cursor, NameFieldSize), Kept.data(), Decoded.data(), FCharset);
    Cursor += NameFieldSize;
    // Decoding never makes a field longer, so the name needs no cut.
    static_assert(NameFieldSize <= NameMaxLength);
    return TNameText(TrimmedView(Text));
}

void TCxfFile::ReadSatellite() {
    TSatellite* Satellite = &FSatelliteRecords.emplace_back();
    Satellite->Name = ReadRecordName();
    std::array<char, TNameText::Capacity> Sanitised;  // as SanitiseName, without a string in between
    Satellite->SanitisedName =
        TNameText(std::string_view(Sanitised.data(), SanitiseInto(Satellite->Name, FCharset, Sanitised.data())));
    const std::uint16_t PositionWord = ReadWord();
    Satellite->Position = PositionWord & 0x0FFF;
    Satellite->UF = (PositionWord & 0x1000) != 0;
    Satellite->AC = (PositionWord & 0x2000) != 0;
    Satellite->PositionText = PositionToText(Satellite->Position, FDecimalSeparator, FCharset);
    Cursor += SatelliteUnreadBytes;
    Satellite->Number = static_cast<std::uint8_t>(SatelliteCounter & 0xFF);
}

void TCxfFile::ReadTransponder() {
    TTransponder* Transponder = &FTransponderRecords.emplace_back();
    const std::uint8_t* Record = FImage + Cursor;
    Cursor += TransponderRecordSize;
    const std::uint16_t First = WordAt(Record);
    Transponder->Frequency = First & 0x3FFF;
    Transponder->Polarisation = static_cast<std::uint8_t>(First >> 14);
    Transponder->Symbolrate = WordAt(Record + 2);
    Transponder->SatelliteIndex = Record[4];
    if (Transponder->SatelliteIndex < FSatelliteRecords.size())
        Transponder->Satellite = &FSatelliteRecords[Transponder->SatelliteIndex];
    Transponder->UF = (Record[5] & 0x01) != 0;
    Transponder->OriginalNetworkID = WordAt(Record + 6);
    Transponder->TransportStreamID = WordAt(Record + 8);
    Transponder->Number = TransponderCounter;
}

void TCxfFile::ReadChannel() {
    const std::uint8_t* Record = FImage + Cursor;
    Cursor += ChannelNameOffset;
    // A channel is kept when it has its transponder. One that is not still
    // reads its name, which may open a package.
    const std::uint16_t TransponderIndex = WordAt(Record + 10) & 0x03FF;
    TTransponder* Transponder =
        TransponderIndex < FTransponderRecords.size() ? &FTransponderRecords[TransponderIndex] : nullptr;
    if (Transponder != nullptr && Transponder->Satellite != LastSatellite) {
        CurrentPayTV = false;
        CurrentPackage = 0;
        LastSatellite = Transponder->Satellite;
    }

    const TNameText Name = ReadRecordName();
    const std::string_view Text = Name;
    if (Text.size() >= 2 && Text.front() == '<' && Text.back() == '>') {
        std::string_view Package = TrimmedView(Text.substr(1, Text.size() - 2));
        CurrentPayTV = !Package.empty() && Package.front() == '$';
        if (CurrentPayTV) Package = TrimmedView(Package.substr(1));
        CurrentPackage = AddPackage(Package);
    }
    if (Transponder == nullptr) return;

    // A package holds at most NameFieldSize bytes, so never more than
    // NameMaxLength characters: its name is copied whole.
    static_assert(TNameText::Capacity <= NameMaxLength);
    const std::uint16_t First = WordAt(Record);
    TChannel& Channel = FChannelRecords.emplace_back();
    Channel.Transponder = Transponder;
    Channel.VideoPID = First & 0x1FFF;
    Channel.AudioPID = WordAt(Record + 2) & 0x1FFF;
    Channel.PCRPID = WordAt(Record + 4) & 0x1FFF;
    Channel.TeletextPID = WordAt(Record + 6) & 0x1FFF;
    Channel.ServiceID = WordAt(Record + 8);
    Channel.TransponderIndex = TransponderIndex;
    Channel.Number = ChannelCounter;
    Channel.PackageID = static_cast<std::uint16_t>(CurrentPackage);
    Channel.UF = (First & 0x3000) != 0;
    Channel.PayTV = CurrentPayTV;
    Channel.Name = Name;
    Channel.PackageName = FPackages[static_cast<std::size_t>(CurrentPackage)];
    FChannels.push_back(&Channel);
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

int TCxfFile::AddPackage(std::string_view Name) {
    const TNameText Package(Name);  // refuses more than a name field holds
    const TNameText Folded = LowerCase(Package, FCharset);
    if (2 * (FPackages.size() + 1) > FPackageSlots.size()) GrowPackageIndex();
    // The first package whose folded name matches keeps the index.
    const std::size_t Mask = FPackageSlots.size() - 1;
    for (std::size_t Slot = TNameTextHash()(Folded) >> (64 - FPackageSlotBits);; Slot = (Slot + 1) & Mask) {
        const std::uint32_t Entry = FPackageSlots[Slot];
        if (Entry == 0) {
            FPackages.push_back(Package);
            FFoldedPackages.push_back(Folded);
            FPackageSlots[Slot] = static_cast<std::uint32_t>(FPackages.size());
            return static_cast<int>(FPackages.size() - 1);
        }
        if (FFoldedPackages[Entry - 1] == Folded) return static_cast<int>(Entry - 1);
    }
}

void TCxfFile::GrowPackageIndex() {
    // The table doubles from 64 slots up to 256, which the usual file of a
    // few dozen packages never leaves. The next growth comes with the 129th
    // package; a file with that many is most likely one marker after another,
    // so the table then takes room for a package on every channel (8192
    // slots) and the name lists are reserved for as many: such a load places
    // its names once more, not five times, and never copies the lists.
    constexpr int FirstSlotBits = 6;
    constexpr int LastDoublingSlotBits = 8;
    constexpr std::size_t MostPackages = ChannelCount + 1;
    if (FPackageSlotBits == LastDoublingSlotBits) {
        FPackages.reserve(MostPackages);
        FFoldedPackages.reserve(MostPackages);
        FPackageSlotBits = std::bit_width(2 * MostPackages - 1);
    } else {
        FPackageSlotBits = std::max(FirstSlotBits, FPackageSlotBits + 1);
    }
    std::vector<std::uint32_t> Slots(std::size_t{1} << FPackageSlotBits);
    const std::size_t Mask = Slots.size() - 1;
    for (std::size_t i = 0; i < FFoldedPackages.size(); ++i) {
        std::size_t Slot = TNameTextHash()(FFoldedPackages[i]) >> (64 - FPackageSlotBits);
        while (Slots[Slot] != 0) Slot = (Slot + 1) & Mask;
        Slots[Slot] = static_cast<std::uint32_t>(i + 1);
    }
    FPackageSlots = std::move(Slots);
}

void TCxfFile::SortChannels(int Order) { SortList(FChannels, Order); }

void TCxfFile::SortSatelliteChannels(int SatelliteIndex, int Order) {
    SortList(GetSatellite(SatelliteIndex).Channels, Order);
}
