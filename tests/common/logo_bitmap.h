#pragma once
// Windows bitmaps made by the tests: a picture of W x H dots where a
// function says which dots are black, written bottom row first with rows
// padded to four bytes, as the logo editor expects them (1 bit a dot, two
// colours: black first).
#include <cstdint>
#include <functional>
#include <string>

namespace logotest {

// Black dots on the diagonal from the top-left corner.
inline bool Diagonal(int x, int y) { return x == y; }

// bits: 1 for the black-and-white bitmap; another count makes a header
// that the conversion must refuse (the pixels are then left out).
inline std::string Bitmap(int w, int h, const std::function<bool(int, int)>& black, int bits = 1) {
    auto le = [](uint32_t v, int n) {
        std::string out;
        for (int i = 0; i < n; ++i) out += static_cast<char>(i < 4 ? (v >> (8 * i)) & 0xFF : 0);
        return out;
    };
    const int row = ((w + 7) / 8 + 3) / 4 * 4;
    std::string pixels;
    for (int y = h - 1; y >= 0; --y) {
        std::string r(static_cast<size_t>(row), '\0');
        for (int x = 0; x < w; ++x)
            if (!black(x, y)) r[static_cast<size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
        pixels += r;
    }
    if (bits != 1) pixels.clear();
    const auto size = static_cast<uint32_t>(pixels.size());
    return "BM" + le(62 + size, 4) + le(0, 4) + le(62, 4) + le(40, 4) + le(static_cast<uint32_t>(w), 4) +
           le(static_cast<uint32_t>(h), 4) + le(1, 2) + le(static_cast<uint32_t>(bits), 2) + le(0, 4) +
           le(size, 4) + le(0, 16) + le(0, 4) + le(0xFFFFFF, 4) + pixels;
}

}  // namespace logotest
