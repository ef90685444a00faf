// A name field decoded the plain way, one byte at a time and one step after
// the other: the yardstick for the loader's word-at-a-time decoder. The
// load-only fuzz target and the unit tests compare the loader's names with
// what this gives. Written for clarity, not speed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "CxfFileUnit.h"
#include "Utf8Unit.h"

namespace reference {

// Windows-1252 bytes 0x80-0x9F and the Unicode characters they stand for; the
// five bytes without a character are missing.
struct TCharacterByte {
    std::uint32_t Code;
    std::uint8_t Byte;
};
inline constexpr TCharacterByte Windows1252Extras[] = {
    {0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85}, {0x2020, 0x86},
    {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A}, {0x2039, 0x8B}, {0x0152, 0x8C},
    {0x017D, 0x8E}, {0x2018, 0x91}, {0x2019, 0x92}, {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95},
    {0x2013, 0x96}, {0x2014, 0x97}, {0x02DC, 0x98}, {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B},
    {0x0153, 0x9C}, {0x017E, 0x9E}, {0x0178, 0x9F}};

// Characters that Windows-1252 lacks, with the letter that stands in for them.
inline constexpr TCharacterByte NearestLetters[] = {
#include "NearestLetters.inc"
};

// The Windows-1252 byte of a character: its own, the byte of its nearest
// letter, or "?".
inline char ToWindows1252(std::uint32_t Code) {
    if (Code < 0x80 || (Code >= 0xA0 && Code <= 0xFF)) return static_cast<char>(Code);
    for (const TCharacterByte& Entry : Windows1252Extras)
        if (Entry.Code == Code) return static_cast<char>(Entry.Byte);
    for (const TCharacterByte& Entry : NearestLetters)
        if (Entry.Code == Code) return static_cast<char>(Entry.Byte);
    return '?';
}

// Whether the UTF-8 character set keeps a character: not a C1 control, a
// surrogate half, U+FFFE, U+FFFF or beyond Unicode.
inline bool KeptInUtf8(std::uint32_t Code) {
    const bool C1Control = Code >= 0x80 && Code <= 0x9F;
    const bool Surrogate = Code >= 0xD800 && Code <= 0xDFFF;
    return !C1Control && !Surrogate && Code != 0xFFFE && Code != 0xFFFF && Code <= 0x10FFFF;
}

// The text of a name field in Charset, not trimmed; empty when the field is
// no valid UTF-8.
inline std::string DecodeName(std::span<const std::uint8_t> Field, TCharset Charset) {
    // 1. Cleaning: bytes below 0x20 and 0xFF are dropped.
    std::vector<std::uint8_t> Kept;
    for (const std::uint8_t Byte : Field)
        if (Byte >= 0x20 && Byte != 0xFF) Kept.push_back(Byte);

    // 2. Decoding, one sequence at a time.
    std::string Text;
    std::size_t At = 0;
    while (At < Kept.size()) {
        const std::uint8_t Lead = Kept[At];
        if (Lead < 0x80) {
            Text += static_cast<char>(Lead);
            At += 1;
            continue;
        }
        // 11110xxx starts four bytes; otherwise bit 0x20 decides between
        // three and two.
        std::size_t Length = 2;
        if ((Lead & 0xF8) == 0xF0)
            Length = 4;
        else if ((Lead & 0x20) != 0)
            Length = 3;
        if (At + Length > Kept.size()) return "";  // the field ends inside the sequence

        // Four bytes: the lead's three value bits, then six from each
        // further byte. Two or three: six bits from every byte, cut to 16.
        std::uint32_t Code = Length == 4 ? Lead & 0x07 : Lead & 0x3F;
        for (std::size_t k = 1; k < Length; ++k) {
            const std::uint8_t Next = Kept[At + k];
            if ((Next & 0xC0) != 0x80) return "";  // not a continuation byte
            Code = (Code << 6) | (Next & 0x3F);
        }
        if (Length != 4) Code &= 0xFFFF;
        At += Length;

        // 3. Conversion to the character set. Windows-1252 writes every
        // four-byte sequence as "?", even an overlong one. Otherwise an
        // overlong control character is dropped as its plain byte would
        // have been.
        if (Charset == TCharset::Windows1252 && Length == 4) {
            Text += '?';
            continue;
        }
        if (Code < 0x20) continue;
        if (Charset == TCharset::Windows1252)
            Text += ToWindows1252(Code);
        else if (KeptInUtf8(Code))
            AppendUtf8(Text, Code);
        else
            Text += '?';
    }
    return Text;
}

// Text without its leading and trailing characters up to 0x20.
inline std::string Trimmed(const std::string& Text) {
    std::size_t First = 0;
    std::size_t Last = Text.size();
    while (First < Last && static_cast<unsigned char>(Text[First]) <= 0x20) ++First;
    while (Last > First && static_cast<unsigned char>(Text[Last - 1]) <= 0x20) --Last;
    return Text.substr(First, Last - First);
}

}  // namespace reference
