// Pictures in tests: an RGBA image read back from the device, pixel checks
// with a tolerance, whole-image comparison and PNG files for failures and
// golden images.
#ifndef ZELVARO_TESTS_SUPPORT_IMAGE_COMPARE_H
#define ZELVARO_TESTS_SUPPORT_IMAGE_COMPARE_H

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // R, G, B, A per pixel, top row first

    // The pixel as a Direct3D colour 0xAARRGGBB.
    uint32_t argb(int x, int y) const;
    void setArgb(int x, int y, uint32_t color);
};

// Whether every channel of two 0xAARRGGBB colours is within tolerance
// (alpha only when compareAlpha is set).
bool colorsNear(uint32_t actual, uint32_t expected, int tolerance, bool compareAlpha = false);

// A gtest assertion on one pixel (red, green, blue; alpha when asked).
::testing::AssertionResult pixelNear(const RgbaImage& image, int x, int y, uint32_t expected, int tolerance,
                                     bool compareAlpha = false);

struct ImageDifference {
    int differingPixels = 0;  // pixels with a channel beyond the tolerance
    int maxChannelDelta = 0;
    int firstX = -1;
    int firstY = -1;
    bool sizeMismatch = false;
};

ImageDifference compareImages(const RgbaImage& actual, const RgbaImage& expected, int tolerance);

// PNG files (8-bit RGBA). Both return false with a message on stderr when the file cannot be written or read.
bool writePng(const RgbaImage& image, const std::string& path);
bool readPng(const std::string& path, RgbaImage* image);

#endif  // ZELVARO_TESTS_SUPPORT_IMAGE_COMPARE_H
