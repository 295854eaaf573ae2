#pragma once
#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

// Eight bytes at a time: the list reader, the writer and the key builder look at every byte of a
// million-row catalogue, and a word test is far cheaper than a test per byte.
namespace verdan::wordscan {

static_assert(std::endian::native == std::endian::little, "word scanning assumes little-endian order");

inline constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
inline constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

inline std::uint64_t load(const char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
}

inline void store(char* p, std::uint64_t w) {
    std::memcpy(p, &w, 8);
}

// High bit set exactly in the bytes of w equal to `byte` (no borrow runs between bytes).
inline std::uint64_t bytesEqual(std::uint64_t w, unsigned char byte) {
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
    const std::uint64_t t = w ^ (kOnes * byte);
    return ~(((t & kLow7) + kLow7) | t | kLow7);
}

// Position in memory of the first byte whose high bit is set in the mask; 8 for an empty mask.
inline unsigned firstByte(std::uint64_t mask) {
    return static_cast<unsigned>(std::countr_zero(mask)) / 8;
}

// Number of bytes flagged in a mask (std::popcount is a library call without -mpopcnt).
inline unsigned countFlagged(std::uint64_t mask) {
    return static_cast<unsigned>(((mask >> 7) * kOnes) >> 56);
}

// Where each cell of a row (cells joined by tabs) starts, for the cells 0 to `last`; a cell ends one
// byte before the next one starts. Cells past the row's last tab start at size + 1.
template <std::size_t N> void cellStarts(std::string_view row, int last, std::array<std::size_t, N>& starts) {
    const char* data = row.data();
    const std::size_t size = row.size();
    std::size_t col = 1;
    starts[0] = 0;
    const std::size_t wanted = std::min(static_cast<std::size_t>(last) + 1, N - 1);
    std::size_t i = 0;
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i tab = _mm_set1_epi8('\t');
    for (; i + 16 <= size && col <= wanted; i += 16) {
        auto tabs = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i)), tab)));
        for (; tabs && col <= wanted; tabs &= tabs - 1)
            starts[col++] = i + static_cast<std::size_t>(std::countr_zero(tabs)) + 1;
    }
#endif
    for (; i + 8 <= size && col <= wanted; i += 8) {
        for (std::uint64_t tabs = bytesEqual(load(data + i), '\t'); tabs && col <= wanted; tabs &= tabs - 1)
            starts[col++] = i + firstByte(tabs) + 1;
    }
    for (; i < size && col <= wanted; ++i) {
        if (data[i] == '\t') starts[col++] = i + 1;
    }
    for (; col <= wanted; ++col) starts[col] = size + 1;
}

} // namespace verdan::wordscan
