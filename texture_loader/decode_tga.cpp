// Truevision TGA: colour-mapped (1), true-colour (2) and grey (3) images and
// their run-length forms (9, 10, 11).
//
// Alpha: a 16- or 32-bit image keeps the alpha it stores, unless the file's
// TGA 2.0 extension area says that the alpha is absent or undefined
// (attribute type 0, 1 or 2); then the image is opaque (X1R5G5B5,
// X8R8G8B8, or opaque palette entries).
#include <cstring>

#include "byte_reader.h"
#include "image_decoders.h"

namespace {

const UINT tgaHeaderSize = 18;
const UINT tgaFooterSize = 26;
const UINT tgaExtensionAttributeOffset = 494;

// True when the extension area declares the alpha channel meaningless.
bool tgaAlphaDeclaredAbsent(const BYTE* data, UINT size) {
    if (size < tgaHeaderSize + tgaFooterSize) return false;
    const BYTE* footer = data + size - tgaFooterSize;
    if (memcmp(footer + 8, "TRUEVISION-XFILE.", 18) != 0) return false;
    DWORD extension = readDword(footer);
    if (extension < tgaHeaderSize || extension > size - tgaFooterSize) return false;
    if (size - tgaFooterSize - extension < tgaExtensionAttributeOffset + 1) return false;
    if (readWord(data + extension) < tgaExtensionAttributeOffset + 1) return false;
    BYTE attributes = data[extension + tgaExtensionAttributeOffset];
    return attributes <= 2;
}

// Reads one colour-map entry of 15, 16, 24 or 32 bits into a palette entry.
void readTgaMapEntry(const BYTE* at, UINT bits, PALETTEENTRY* entry) {
    switch (bits) {
    case 15:
    case 16: {
        WORD v = readWord(at);
        entry->peRed = widen5((v >> 10) & 31);
        entry->peGreen = widen5((v >> 5) & 31);
        entry->peBlue = widen5(v & 31);
        entry->peFlags = (bits == 16 && !(v & 0x8000)) ? 0 : 255;
        break;
    }
    case 24:
        entry->peBlue = at[0];
        entry->peGreen = at[1];
        entry->peRed = at[2];
        entry->peFlags = 255;
        break;
    default:
        entry->peBlue = at[0];
        entry->peGreen = at[1];
        entry->peRed = at[2];
        entry->peFlags = at[3];
        break;
    }
}

}  // namespace

HRESULT decodeTga(const BYTE* data, UINT size, DecodedImage* image) {
    if (!data || size < tgaHeaderSize) return E_FAIL;
    UINT idLength = data[0];
    UINT mapType = data[1];
    UINT imageType = data[2];
    UINT mapFirst = readWord(data + 3);
    UINT mapLength = readWord(data + 5);
    UINT mapBits = data[7];
    UINT width = readWord(data + 12);
    UINT height = readWord(data + 14);
    UINT pixelBits = data[16];
    UINT descriptor = data[17];

    if (mapType > 1) return E_FAIL;
    UINT baseType = imageType & 7;
    bool runLength = (imageType & 8) != 0;
    if ((imageType & ~11u) != 0 || baseType < 1 || baseType > 3) return E_FAIL;
    if (width == 0 || height == 0 || !imageSizeAcceptable(width, height)) return E_FAIL;

    UINT mapEntryBytes = 0;
    if (mapType == 1) {
        if (mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32) return E_FAIL;
        mapEntryBytes = (mapBits + 7) / 8;
    }
    size_t offset = tgaHeaderSize + idLength;
    size_t mapBytes = (size_t)mapLength * mapEntryBytes;
    if (offset + mapBytes > size) return E_FAIL;
    const BYTE* map = data + offset;
    offset += mapBytes;

    bool alphaAbsent = tgaAlphaDeclaredAbsent(data, size);
    D3DFORMAT format;
    UINT bytesPerPixel;
    switch (baseType) {
    case 1:
        if (mapType != 1 || pixelBits != 8 || mapFirst + mapLength > 256) return E_FAIL;
        format = D3DFMT_P8;
        bytesPerPixel = 1;
        break;
    case 2:
        switch (pixelBits) {
        case 15: format = D3DFMT_X1R5G5B5; bytesPerPixel = 2; break;
        case 16: format = alphaAbsent ? D3DFMT_X1R5G5B5 : D3DFMT_A1R5G5B5; bytesPerPixel = 2; break;
        case 24: format = D3DFMT_R8G8B8; bytesPerPixel = 3; break;
        case 32: format = alphaAbsent ? D3DFMT_X8R8G8B8 : D3DFMT_A8R8G8B8; bytesPerPixel = 4; break;
        default: return E_FAIL;
        }
        break;
    default:
        switch (pixelBits) {
        case 8: format = D3DFMT_L8; bytesPerPixel = 1; break;
        case 16: format = alphaAbsent ? D3DFMT_L8 : D3DFMT_A8L8; bytesPerPixel = 2; break;
        default: return E_FAIL;
        }
        break;
    }

    if (format == D3DFMT_P8) {
        if (FAILED(image->allocatePalette())) return E_OUTOFMEMORY;
        for (UINT i = 0; i < mapLength; i++) {
            readTgaMapEntry(map + i * mapEntryBytes, mapBits, &image->palette[mapFirst + i]);
            if (alphaAbsent) image->palette[mapFirst + i].peFlags = 255;
        }
    }

    bool topToBottom = (descriptor & 0x20) != 0;
    bool rightToLeft = (descriptor & 0x10) != 0;
    size_t rowBytes = (size_t)width * bytesPerPixel;
    size_t imageBytes = rowBytes * height;
    // Grey with alpha declared absent keeps 2-byte pixels but only their grey byte.
    bool dropGreyAlpha = baseType == 3 && pixelBits == 16 && alphaAbsent;

    if (!runLength && topToBottom && !rightToLeft && !dropGreyAlpha) {
        // Natural order: the pixels are used where they lie in the file.
        if (imageBytes > size - offset) return E_FAIL;
        image->width = width;
        image->height = height;
        image->depth = 1;
        image->format = format;
        image->pitch = (UINT)rowBytes;
        image->pixels = const_cast<BYTE*>(data + offset);
        image->ownsPixels = false;
        image->fileFormat = D3DXIFF_TGA;
        return S_OK;
    }

    // A run packet covers at most 128 pixels with 2 bytes or more.
    if (runLength && (size_t)width * height > (size_t)(size - offset) * 64) return E_FAIL;

    UINT storedBytes = bytesPerPixel;
    if (dropGreyAlpha) bytesPerPixel = 1;
    if (FAILED(image->allocate(width, height, format, bytesPerPixel))) return E_OUTOFMEMORY;
    image->fileFormat = D3DXIFF_TGA;

    // Pixels arrive in file order; each goes to its place top-down, left to right.
    const BYTE* in = data + offset;
    const BYTE* end = data + size;
    UINT fileRow = 0;
    UINT fileColumn = 0;
    size_t total = (size_t)width * height;
    size_t done = 0;
    while (done < total) {
        UINT count = 1;
        bool repeat = false;
        if (runLength) {
            if (in >= end) return E_FAIL;
            BYTE header = *in++;
            count = (header & 0x7F) + 1u;
            repeat = (header & 0x80) != 0;
        } else {
            count = (UINT)(total - done);
        }
        if (count > total - done) count = (UINT)(total - done);
        size_t needed = repeat ? storedBytes : (size_t)count * storedBytes;
        if ((size_t)(end - in) < needed) return E_FAIL;
        for (UINT i = 0; i < count; i++) {
            const BYTE* source = repeat ? in : in + (size_t)i * storedBytes;
            UINT row = topToBottom ? fileRow : height - 1 - fileRow;
            UINT column = rightToLeft ? width - 1 - fileColumn : fileColumn;
            BYTE* target = image->pixels + (size_t)row * image->pitch + (size_t)column * bytesPerPixel;
            memcpy(target, source, bytesPerPixel);
            if (++fileColumn == width) {
                fileColumn = 0;
                fileRow++;
            }
        }
        in += needed;
        done += count;
    }
    return S_OK;
}
