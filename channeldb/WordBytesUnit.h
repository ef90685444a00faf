// Eight bytes of text at once in one 64-bit word. The tests below mark each
// byte that passes by that byte's high bit (0x80) in their result; they work
// on each byte alone, so no carry runs from one byte into the next and every
// mark is exact. The loader's name decoding and the fuzz targets' checks use
// them.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace wordbytes {

inline constexpr std::uint64_t Ones = 0x0101010101010101;  // 0x01 in every byte
inline constexpr std::uint64_t Highs = Ones * 0x80;        // each byte's high bit
inline constexpr std::uint64_t Lows = Ones * 0x7F;         // each byte's other seven bits

// The word paths take the first byte in memory as a word's lowest byte, as
// on every machine Zanvero is built for (x86-64, ARM, WebAssembly).
static_assert(std::endian::native == std::endian::little, "the word paths are little-endian only");

// Every helper is always inlined: the fuzz checks call them from functions
// built without sanitizer checks, and a compiler inlines no checked function
// into those, which would leave a call and a checked load per word.

[[gnu::always_inline]] inline std::uint64_t LoadWord(const void* At) {
    std::uint64_t Word;
    std::memcpy(&Word, At, sizeof Word);
    return Word;
}

[[gnu::always_inline]] inline void StoreWord(void* At, std::uint64_t Word) { std::memcpy(At, &Word, sizeof Word); }

// Marks the bytes below Limit. Adding 0x80 - Limit to the low seven bits of
// a byte sets its high bit exactly when they reach Limit; a byte whose own
// high bit is set is never marked, which is why Limit is at most 0x80.
template <std::uint8_t Limit>
[[gnu::always_inline]] constexpr std::uint64_t BytesBelow(std::uint64_t Word) {
    static_assert(Limit <= 0x80, "BytesBelow marks bytes below 0x80 at most");
    return ~(((Word & Lows) + Ones * (0x80u - Limit)) | Word) & Highs;
}

// Marks the bytes equal to Byte: those that are zero once Byte is taken out.
[[gnu::always_inline]] constexpr std::uint64_t BytesEqual(std::uint64_t Word, std::uint8_t Byte) {
    const std::uint64_t Difference = Word ^ (Ones * Byte);
    return ~(((Difference & Lows) + Lows) | Difference) & Highs;
}

// The place in memory (0-7) of the first marked byte, 8 when none is marked.
[[gnu::always_inline]] constexpr int FirstMarkedByte(std::uint64_t Marks) { return std::countr_zero(Marks) / 8; }

// Word without its first Count bytes in memory (0-7); zero bytes follow.
[[gnu::always_inline]] constexpr std::uint64_t DropFirstBytes(std::uint64_t Word, int Count) { return Word >> 8 * Count; }

}  // namespace wordbytes
