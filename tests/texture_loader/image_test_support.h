// Helpers for the texture-loader tests: reading files, decoding them, and
// turning decoded images into plain RGBA bytes for comparison.
#ifndef ZELVARO_TESTS_TEXTURE_LOADER_IMAGE_TEST_SUPPORT_H
#define ZELVARO_TESTS_TEXTURE_LOADER_IMAGE_TEST_SUPPORT_H

#include <string>
#include <vector>

#include "decoded_image.h"

// The shared folder of reference images, or "" when it is not beside the project.
std::string testImageDir();
// True under continuous integration (CI=true), where every suite must run.
bool runningUnderCi();
// Without the folder a test skips, except under CI, where it fails: there the
// suites are expected and a skip would hide that they were never checked.
#define REQUIRE_TEST_IMAGES(dir)                                                           \
    std::string dir = testImageDir();                                                      \
    if (dir.empty() && runningUnderCi()) FAIL() << "no ../shared/testimages beside the project (CI=true)"; \
    if (dir.empty()) GTEST_SKIP() << "no ../shared/testimages beside the project; skipped"

std::vector<BYTE> readWholeFile(const std::string& path);
bool isDirectory(const std::string& path);
// File names in a folder ending in `suffix`, sorted.
std::vector<std::string> listFiles(const std::string& dir, const std::string& suffix);

struct RgbaPixels {
    UINT width = 0;
    UINT height = 0;
    std::vector<BYTE> pixels;  // R, G, B, A per pixel, rows top-down
};

// Decodes bytes with the loader's decoders; false when none accepts them.
bool decodeBytes(const std::vector<BYTE>& bytes, DecodedImage* image);
// The decoded image as 8-bit RGBA, through the loader's pixel conversion.
RgbaPixels toRgba(const DecodedImage& image);
// Decodes a file straight to RGBA; false when it does not decode.
bool decodeFileToRgba(const std::string& path, RgbaPixels* out);

// Compares two images; channels may differ by `tolerance`. Pixels whose alpha
// is 0 in both are not compared; with `compareAlpha` false alpha is ignored.
// Returns "" on a match or a description of the first difference.
std::string compareRgba(const RgbaPixels& actual, const RgbaPixels& expected, int tolerance,
                        bool compareAlpha = true);

// A JSON array of numbers, as the PngSuite expectations store them.
std::vector<long> readJsonNumbers(const std::string& path);

#endif  // ZELVARO_TESTS_TEXTURE_LOADER_IMAGE_TEST_SUPPORT_H
