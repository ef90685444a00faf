// Reading and writing single characters of UTF-8 text, for the database in
// its UTF-8 character set and for the exporters that walk its names.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Writes Code (at most U+10FFFF) as one to four bytes at To and returns the
// end of what was written.
inline char* PutUtf8(char* To, char32_t Code) {
    auto Put = [&To](char32_t Byte) { *To++ = static_cast<char>(Byte); };
    if (Code < 0x80) {
        Put(Code);
    } else if (Code < 0x800) {
        Put(0xC0 | Code >> 6);
        Put(0x80 | (Code & 0x3F));
    } else if (Code < 0x10000) {
        Put(0xE0 | Code >> 12);
        Put(0x80 | (Code >> 6 & 0x3F));
        Put(0x80 | (Code & 0x3F));
    } else {
        Put(0xF0 | Code >> 18);
        Put(0x80 | (Code >> 12 & 0x3F));
        Put(0x80 | (Code >> 6 & 0x3F));
        Put(0x80 | (Code & 0x3F));
    }
    return To;
}

inline void AppendUtf8(std::string& Out, char32_t Code) {
    char Bytes[4];
    const char* End = PutUtf8(Bytes, Code);
    // Byte by byte: GCC 12 at -O3 takes an append of the range for an
    // overlapping copy and warns.
    for (const char* Byte = Bytes; Byte != End; ++Byte) Out.push_back(*Byte);
}

// The character of the well-formed UTF-8 sequence that starts at Text[At]
// (no overlong form, no surrogate half, nothing above U+10FFFF); At moves
// past it. Nothing when no such sequence starts there, and At stays.
inline std::optional<char32_t> DecodeUtf8At(std::string_view Text, std::size_t& At) {
    const auto Lead = static_cast<unsigned char>(Text[At]);
    if (Lead < 0x80) {
        ++At;
        return Lead;
    }
    std::size_t Length = 0;
    char32_t Code = 0;
    char32_t Smallest = 0;
    if ((Lead & 0xE0) == 0xC0) {
        Length = 2, Code = Lead & 0x1F, Smallest = 0x80;
    } else if ((Lead & 0xF0) == 0xE0) {
        Length = 3, Code = Lead & 0x0F, Smallest = 0x800;
    } else if ((Lead & 0xF8) == 0xF0) {
        Length = 4, Code = Lead & 0x07, Smallest = 0x10000;
    } else {
        return std::nullopt;
    }
    if (Text.size() - At < Length) return std::nullopt;
    for (std::size_t k = 1; k < Length; ++k) {
        const auto Next = static_cast<unsigned char>(Text[At + k]);
        if ((Next & 0xC0) != 0x80) return std::nullopt;
        Code = Code << 6 | (Next & 0x3F);
    }
    if (Code < Smallest || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF)) return std::nullopt;
    At += Length;
    return Code;
}

// The characters of Text; nothing when Text is not well-formed UTF-8.
inline std::optional<std::u32string> DecodeUtf8(std::string_view Text) {
    std::u32string Codes;
    for (std::size_t At = 0; At < Text.size();) {
        const std::optional<char32_t> Code = DecodeUtf8At(Text, At);
        if (!Code) return std::nullopt;
        Codes.push_back(*Code);
    }
    return Codes;
}

// The character that starts at Text[At]; At moves past it. Text from the
// loader is always well formed; a byte that starts no well-formed sequence
// counts as a character of its own value, so nothing is skipped or read
// past the end.
inline char32_t NextUtf8(std::string_view Text, std::size_t& At) {
    if (const std::optional<char32_t> Code = DecodeUtf8At(Text, At)) return *Code;
    return static_cast<unsigned char>(Text[At++]);
}
