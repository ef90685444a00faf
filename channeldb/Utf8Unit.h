// Reading and writing single characters of UTF-8 text, for the database in
// its UTF-8 character set and for the exporters that walk its names.
#pragma once

#include <cstddef>
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

// The character that starts at Text[At]; At moves past it. Text from the
// loader is always well formed; a byte that starts no complete sequence
// counts as a character of its own value, so nothing is skipped or read
// past the end.
inline char32_t NextUtf8(std::string_view Text, std::size_t& At) {
    const auto Lead = static_cast<unsigned char>(Text[At++]);
    const std::size_t Length = Lead >= 0xF0 && Lead < 0xF8 ? 4 : Lead >= 0xE0 ? 3 : Lead >= 0xC0 ? 2 : 1;
    if (Length == 1 || Lead >= 0xF8 || At + Length - 1 > Text.size()) return Lead;
    char32_t Code = Lead & (0x7F >> Length);
    for (std::size_t k = 0; k + 1 < Length; ++k) {
        const auto Next = static_cast<unsigned char>(Text[At + k]);
        if ((Next & 0xC0) != 0x80) return Lead;
        Code = Code << 6 | (Next & 0x3F);
    }
    At += Length - 1;
    return Code;
}
