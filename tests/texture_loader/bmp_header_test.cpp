// Bitmaps whose information header is one of the longer kinds (108-byte V4,
// 124-byte V5) with uncompressed (BI_RGB) pixels: their mask fields are zero
// and must not be used; the standard 5-5-5 and 8-8-8 layouts apply.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "image_test_support.h"

namespace {

void putWord(std::vector<BYTE>* out, size_t at, WORD value) {
    (*out)[at] = BYTE(value);
    (*out)[at + 1] = BYTE(value >> 8);
}
void putDword(std::vector<BYTE>* out, size_t at, DWORD value) {
    putWord(out, at, WORD(value));
    putWord(out, at + 2, WORD(value >> 16));
}

// A 2 x 2 bottom-up BI_RGB bitmap with an information header of `headerSize`
// bytes: the file's pixel rows hold `rows` (bottom row first, each padded).
std::vector<BYTE> bmpFile(UINT headerSize, WORD bitCount, const std::vector<BYTE>& rows) {
    const UINT offset = 14 + headerSize;
    std::vector<BYTE> file(offset + rows.size(), 0);
    file[0] = 'B';
    file[1] = 'M';
    putDword(&file, 2, DWORD(file.size()));
    putDword(&file, 10, offset);
    putDword(&file, 14, headerSize);
    putDword(&file, 18, 2);  // width
    putDword(&file, 22, 2);  // height, bottom-up
    putWord(&file, 26, 1);   // planes
    putWord(&file, 28, bitCount);
    putDword(&file, 30, 0);  // BI_RGB; the mask fields that follow stay zero
    putDword(&file, 34, DWORD(rows.size()));
    if (headerSize >= 108) putDword(&file, 14 + 56, 0x73524742);  // 'sRGB' colour space
    memcpy(file.data() + offset, rows.data(), rows.size());
    return file;
}

// The picture every file holds: top row red, green; bottom row blue, white.
const BYTE expectedTopDown[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};

void expectPicture(const std::vector<BYTE>& file, D3DFORMAT format, const char* what) {
    DecodedImage image;
    ASSERT_TRUE(decodeBytes(file, &image)) << what;
    EXPECT_EQ(image.format, format) << what;
    RgbaPixels rgba = toRgba(image);
    ASSERT_EQ(rgba.width, 2u);
    ASSERT_EQ(rgba.height, 2u);
    for (int i = 0; i < 4; ++i) {
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(rgba.pixels[4 * i + c], expectedTopDown[i][c])
                << what << ", pixel " << i << ", channel " << c;
        EXPECT_EQ(rgba.pixels[4 * i + 3], 255) << what << ", pixel " << i;
    }
}

// The same rows behind each kind of information header: 40 bytes (the
// common one, no masks), 108 (V4) and 124 (V5).
void expectEveryHeaderGivesThePicture(WORD bitCount, const std::vector<BYTE>& rows, D3DFORMAT format) {
    for (UINT size : {40u, 108u, 124u}) {
        const std::string what = "header of " + std::to_string(size) + " bytes";
        expectPicture(bmpFile(size, bitCount, rows), format, what.c_str());
    }
}

TEST(BmpLongHeaders, SixteenBitRgbUsesFiveFiveFive) {
    // Blue, white / red, green as X1R5G5B5 words, rows padded to 4 bytes.
    expectEveryHeaderGivesThePicture(16, {0x1F, 0x00, 0xFF, 0x7F, 0x00, 0x7C, 0xE0, 0x03}, D3DFMT_X1R5G5B5);
}

TEST(BmpLongHeaders, TwentyFourBitRgbIsBlueGreenRed) {
    expectEveryHeaderGivesThePicture(24, {255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0},
                                     D3DFMT_R8G8B8);
}

TEST(BmpLongHeaders, ThirtyTwoBitRgbUsesEightEightEight) {
    // The fourth byte is unused in BI_RGB images: 0 must not make them transparent.
    expectEveryHeaderGivesThePicture(32, {255, 0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 0, 0, 255, 0, 0},
                                     D3DFMT_X8R8G8B8);
}

}  // namespace
