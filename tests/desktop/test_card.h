// The test card the screen checks show and look for: the emulated screen
// divided into 8 x 6 cells of distinct flat colours. What lies beyond the
// emulated screen in the back buffer is magenta, which must never be seen.
#ifndef ZELVARO_TESTS_DESKTOP_TEST_CARD_H
#define ZELVARO_TESTS_DESKTOP_TEST_CARD_H

#include <cstdint>

constexpr int testCardColumns = 8;
constexpr int testCardRows = 6;
constexpr uint32_t testCardOffScreen = 0xFFFF00FFu;

// Colour (0xAARRGGBB, opaque) of the cell in `column`, `row`.
inline uint32_t testCardColour(int column, int row) {
    const uint32_t red = uint32_t(24 + column * 29);
    const uint32_t green = uint32_t(30 + row * 40);
    const uint32_t blue = ((column + row) % 2) != 0 ? 0x70u : 0x20u;
    return 0xFF000000u | red << 16 | green << 8 | blue;
}

// The cell's left (or top) edge on a screen `size` pixels wide (or high).
inline int testCardEdge(int index, int count, int size) { return index * size / count; }

#endif  // ZELVARO_TESTS_DESKTOP_TEST_CARD_H
