// Rows of pixels in any listed format to and from four floats per pixel:
// alpha, red, green, blue in 0..1 (signed bump channels in -1..1: U in red,
// V in green, W or the luminance in blue, Q in alpha).
#ifndef ZELVARO_TEXTURE_LOADER_PIXEL_CONVERSION_H
#define ZELVARO_TEXTURE_LOADER_PIXEL_CONVERSION_H

#include "d3dx8tex.h"

struct FloatPixel {
    float a;
    float r;
    float g;
    float b;
};

// True for the formats readPixels and writePixels handle (every format of
// the table except the depth and block-compressed ones).
bool pixelFormatConvertible(D3DFORMAT format);
// Bytes per pixel of a convertible format (2 for UYVY and YUY2, whose pixels
// come in pairs).
UINT pixelFormatBytes(D3DFORMAT format);

// Reads `count` pixels from `row`. Palette formats look their index up in
// `palette` (red, green, blue, alpha; white when null).
void readPixels(D3DFORMAT format, const BYTE* row, UINT count, const PALETTEENTRY* palette,
                FloatPixel* out);
// Writes `count` pixels to `row`, clamping and rounding to the format.
// Palette formats store the index of the nearest entry of `palette`.
void writePixels(D3DFORMAT format, const FloatPixel* in, UINT count, const PALETTEENTRY* palette,
                 BYTE* row);

// The pixel as an A8R8G8B8 value, for colour-key comparison.
D3DCOLOR pixelToColour(const FloatPixel& pixel);

#endif  // ZELVARO_TEXTURE_LOADER_PIXEL_CONVERSION_H
