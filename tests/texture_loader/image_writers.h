// Small image files made by the tests themselves: JPEG through libjpeg, PNG
// through libpng, TGA by hand.
#ifndef ZELVARO_TESTS_TEXTURE_LOADER_IMAGE_WRITERS_H
#define ZELVARO_TESTS_TEXTURE_LOADER_IMAGE_WRITERS_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// colour(x, y) gives 0xAARRGGBB.
typedef std::function<DWORD(UINT x, UINT y)> PixelSource;

std::vector<BYTE> encodeJpeg(UINT width, UINT height, const PixelSource& colour, int quality = 90);
// An RGB (colourType 2) or RGBA (6) PNG.
std::vector<BYTE> encodePng(UINT width, UINT height, const PixelSource& colour, bool withAlpha);
// A palette PNG; `alpha` (may be empty) becomes its tRNS chunk.
std::vector<BYTE> encodePalettePng(UINT width, UINT height, const std::vector<DWORD>& palette,
                                   const std::vector<BYTE>& alpha, const std::function<BYTE(UINT, UINT)>& index);
// A type-2 32-bit TGA; rows stored bottom-up unless topDown.
std::vector<BYTE> encodeTga(UINT width, UINT height, const PixelSource& colour, bool topDown);

// Stand-ins for the forty image files the texture table loads, written into
// `texDir` under their own names, all painted by `colour`: the photographs as
// JPEG, the cards and sprites as PNG with alpha and logos.tga.
struct StandInSizes {
    UINT photoWidth, photoHeight;
    int photoQuality;
    UINT cardSize;  // square
    UINT logoWidth, logoHeight;
};
void writeTextureStandIns(const std::string& texDir, const PixelSource& colour, const StandInSizes& sizes);

void writeFileBytes(const std::string& path, const std::vector<BYTE>& bytes);

#endif  // ZELVARO_TESTS_TEXTURE_LOADER_IMAGE_WRITERS_H
