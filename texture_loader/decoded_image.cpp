#include "decoded_image.h"

#include <cstring>
#include <new>

DecodedImage::DecodedImage()
    : width(0),
      height(0),
      depth(0),
      format(D3DFMT_UNKNOWN),
      pitch(0),
      pixels(nullptr),
      palette(nullptr),
      ownsPixels(false),
      ownsPalette(false),
      fileFormat(D3DXIFF_BMP),
      fileFormatCode(D3DFMT_UNKNOWN),
      nextLevel(nullptr),
      nextFace(nullptr) {}

DecodedImage::~DecodedImage() { reset(); }

void DecodedImage::reset() {
    if (ownsPixels) delete[] pixels;
    if (ownsPalette) delete[] palette;
    // Chains are walked iteratively so that a long chain cannot exhaust the stack.
    while (nextLevel) {
        DecodedImage* level = nextLevel;
        nextLevel = level->nextLevel;
        level->nextLevel = nullptr;
        delete level;
    }
    while (nextFace) {
        DecodedImage* face = nextFace;
        nextFace = face->nextFace;
        face->nextFace = nullptr;
        delete face;
    }
    width = height = depth = 0;
    format = D3DFMT_UNKNOWN;
    fileFormatCode = D3DFMT_UNKNOWN;
    pitch = 0;
    pixels = nullptr;
    palette = nullptr;
    ownsPixels = ownsPalette = false;
    fileFormat = D3DXIFF_BMP;
}

bool imageSizeAcceptable(UINT width, UINT height) {
    if (width == 0 || height == 0) return false;
    if (width > maxImageSide || height > maxImageSide) return false;
    return (unsigned long long)width * height <= maxImagePixels;
}

HRESULT DecodedImage::allocate(UINT newWidth, UINT newHeight, D3DFORMAT newFormat,
                               UINT bytesPerPixel) {
    if (!imageSizeAcceptable(newWidth, newHeight) || bytesPerPixel == 0 || bytesPerPixel > 16)
        return E_FAIL;
    size_t rowBytes = (size_t)newWidth * bytesPerPixel;
    size_t total = rowBytes * newHeight;
    BYTE* storage = new (std::nothrow) BYTE[total];
    if (!storage) return E_OUTOFMEMORY;
    if (ownsPixels) delete[] pixels;
    pixels = storage;
    ownsPixels = true;
    width = newWidth;
    height = newHeight;
    depth = 1;
    format = newFormat;
    pitch = (UINT)rowBytes;
    return S_OK;
}

HRESULT DecodedImage::allocatePalette() {
    PALETTEENTRY* entries = new (std::nothrow) PALETTEENTRY[256];
    if (!entries) return E_OUTOFMEMORY;
    memset(entries, 0xFF, 256 * sizeof(PALETTEENTRY));
    if (ownsPalette) delete[] palette;
    palette = entries;
    ownsPalette = true;
    return S_OK;
}

UINT DecodedImage::mipLevelCount() const {
    UINT count = 1;
    for (const DecodedImage* level = nextLevel; level; level = level->nextLevel) count++;
    return count;
}

D3DFORMAT DecodedImage::reportedFormat() const {
    D3DFORMAT shown = fileFormatCode != D3DFMT_UNKNOWN ? fileFormatCode : format;
    switch ((DWORD)shown) {
    case ZELVARO_FMT_L16: return D3DFMT_L8;
    case ZELVARO_FMT_AL16: return D3DFMT_A8L8;
    case ZELVARO_FMT_R16: return D3DFMT_R8G8B8;
    case ZELVARO_FMT_AR16: return D3DFMT_A8R8G8B8;
    default: return shown;
    }
}
