// A decoded image file: its pixels in one format, an optional palette, and for
// DDS files the further mip levels and cube faces.
#ifndef ZELVARO_TEXTURE_LOADER_DECODED_IMAGE_H
#define ZELVARO_TEXTURE_LOADER_DECODED_IMAGE_H

#include <d3d8.h>

#include "d3dx8tex.h"

// Formats with 16 bits per channel that only decoders produce; they are never
// texture formats. Channels are little-endian WORDs in the order R, G, B, A
// (luminance first for the L forms).
#define ZELVARO_FMT_L16 ((D3DFORMAT)MAKEFOURCC(' ', 'L', '1', '6'))
#define ZELVARO_FMT_AL16 ((D3DFORMAT)MAKEFOURCC('A', 'L', '1', '6'))
#define ZELVARO_FMT_R16 ((D3DFORMAT)MAKEFOURCC(' ', 'R', '1', '6'))
#define ZELVARO_FMT_AR16 ((D3DFORMAT)MAKEFOURCC('A', 'R', '1', '6'))

// Decoders refuse images beyond these (16384 on a side, 4096 x 4096 pixels
// in all): a file claiming more is treated as damaged rather than trusted
// with the allocation.
const UINT maxImageSide = 16384;
const UINT maxImagePixels = 16u * 1024u * 1024u;

class DecodedImage {
public:
    UINT width;
    UINT height;
    UINT depth;
    D3DFORMAT format;
    UINT pitch;  // bytes from one row to the next
    BYTE* pixels;
    PALETTEENTRY* palette;  // 256 entries: red, green, blue, alpha; null without one
    bool ownsPixels;        // false when the pixels point into the file's bytes
    bool ownsPalette;
    D3DXIMAGE_FILEFORMAT fileFormat;
    D3DFORMAT fileFormatCode;  // the format reported to callers, when it differs from `format`
    DecodedImage* nextLevel;   // the next smaller mip level (DDS only)
    DecodedImage* nextFace;    // the next cube face (DDS only)

    DecodedImage();
    ~DecodedImage();
    // Frees what the image owns and its chains; back to the empty state.
    void reset();
    // New owned pixel storage of width x height x bytesPerPixel with the pitch
    // set; fails for dimensions beyond the limits or when memory runs out.
    HRESULT allocate(UINT newWidth, UINT newHeight, D3DFORMAT newFormat, UINT bytesPerPixel);
    // New owned 256-entry palette, every entry opaque white.
    HRESULT allocatePalette();
    UINT mipLevelCount() const;
    D3DFORMAT reportedFormat() const;

private:
    DecodedImage(const DecodedImage&);
    DecodedImage& operator=(const DecodedImage&);
};

// True when width x height is inside the limits above (and neither is 0).
bool imageSizeAcceptable(UINT width, UINT height);

#endif  // ZELVARO_TEXTURE_LOADER_DECODED_IMAGE_H
