// Windows bitmaps: BMP files (a 14-byte file header, then a DIB) and bare DIBs
// (the bitmap information header, colour table and bits). Palette images
// become P8; 24-bit R8G8B8; 16- and 32-bit images without masks X1R5G5B5
// and X8R8G8B8; images with channel masks A8R8G8B8 (X8R8G8B8 without an
// alpha mask). Run-length images (RLE4, RLE8) are expanded; pixels that the
// runs skip take palette index 0.
#include <cstring>

#include "byte_reader.h"
#include "channel_mask.h"
#include "image_decoders.h"

namespace {

const UINT bmpFileHeaderSize = 14;
const DWORD biRgb = 0;
const DWORD biRle8 = 1;
const DWORD biRle4 = 2;
const DWORD biBitfields = 3;
const DWORD biAlphaBitfields = 6;

class DibHeader {
public:
    UINT headerSize;
    UINT width;
    UINT height;
    bool topDown;
    UINT bitCount;
    DWORD compression;
    UINT colorsUsed;
    DWORD masks[4];  // red, green, blue, alpha
    bool hasMasks;
    UINT paletteEntrySize;
};

HRESULT readDibHeader(const BYTE* info, UINT size, DibHeader* header) {
    if (size < 12) return E_FAIL;
    memset(header, 0, sizeof(*header));
    header->headerSize = readDword(info);
    if (header->headerSize == 12) {
        header->width = readWord(info + 4);
        header->height = readWord(info + 6);
        if (readWord(info + 8) != 1) return E_FAIL;
        header->bitCount = readWord(info + 10);
        header->paletteEntrySize = 3;
        return S_OK;
    }
    if (header->headerSize < 16 || header->headerSize > size) return E_FAIL;
    if (header->headerSize != 16 && header->headerSize < 40) return E_FAIL;
    LONG width = (LONG)readDword(info + 4);
    LONG height = (LONG)readDword(info + 8);
    if (width <= 0 || height == 0 || height == (LONG)0x80000000) return E_FAIL;
    header->width = (UINT)width;
    header->topDown = height < 0;
    header->height = (UINT)(height < 0 ? -height : height);
    if (readWord(info + 12) != 1) return E_FAIL;
    header->bitCount = readWord(info + 14);
    header->paletteEntrySize = 4;
    if (header->headerSize >= 40) {
        header->compression = readDword(info + 16);
        header->colorsUsed = readDword(info + 32);
    }
    if (header->headerSize >= 52) {
        for (int i = 0; i < 3; i++) header->masks[i] = readDword(info + 40 + 4 * i);
        header->hasMasks = true;
    }
    if (header->headerSize >= 56) header->masks[3] = readDword(info + 52);
    return S_OK;
}

// Palette-indexed rows (1, 4 or 8 bits) into one index byte per pixel.
HRESULT expandIndexedRows(const BYTE* bits, UINT stride, const DibHeader& header,
                          DecodedImage* image) {
    UINT perByte = 8 / header.bitCount;
    BYTE mask = (BYTE)((1 << header.bitCount) - 1);
    for (UINT y = 0; y < header.height; y++) {
        const BYTE* row = bits + (size_t)y * stride;
        UINT target = header.topDown ? y : header.height - 1 - y;
        BYTE* out = image->pixels + (size_t)target * image->pitch;
        for (UINT x = 0; x < header.width; x++) {
            UINT shift = 8 - header.bitCount * (x % perByte + 1);
            out[x] = (BYTE)((row[x / perByte] >> shift) & mask);
        }
    }
    return S_OK;
}

// RLE8 / RLE4 runs into one index byte per pixel, bottom-up.
HRESULT expandRunLength(const BYTE* bits, size_t available, const DibHeader& header,
                        DecodedImage* image) {
    memset(image->pixels, 0, (size_t)image->pitch * image->height);
    bool four = header.compression == biRle4;
    UINT x = 0;
    UINT y = 0;  // counted from the bottom row
    size_t at = 0;
    auto put = [&](BYTE index) {
        if (x < header.width && y < header.height)
            image->pixels[(size_t)(header.height - 1 - y) * image->pitch + x] = index;
        x++;
    };
    while (y < header.height) {
        if (available - at < 2) return E_FAIL;
        BYTE count = bits[at];
        BYTE value = bits[at + 1];
        at += 2;
        if (count) {
            for (UINT i = 0; i < count && x < header.width; i++)
                put(four ? (BYTE)((i & 1) ? value & 15 : value >> 4) : value);
            continue;
        }
        switch (value) {
        case 0:  // end of line
            x = 0;
            y++;
            break;
        case 1:  // end of bitmap
            return S_OK;
        case 2:  // move right and up
            if (available - at < 2) return E_FAIL;
            x += bits[at];
            y += bits[at + 1];
            at += 2;
            break;
        default: {  // absolute run of `value` pixels, padded to a word
            size_t bytes = four ? (value + 1u) / 2 : value;
            size_t padded = (bytes + 1) & ~(size_t)1;
            if (available - at < padded) return E_FAIL;
            for (UINT i = 0; i < value; i++) {
                BYTE b = bits[at + (four ? i / 2 : i)];
                put(four ? (BYTE)((i & 1) ? b & 15 : b >> 4) : b);
            }
            at += padded;
            break;
        }
        }
    }
    return S_OK;
}

HRESULT decodeDibBits(const BYTE* info, UINT infoSize, const BYTE* bitsBase, size_t bitsAvailable,
                      bool bitsAfterTable, DecodedImage* image) {
    DibHeader header;
    if (FAILED(readDibHeader(info, infoSize, &header))) return E_FAIL;
    if (!imageSizeAcceptable(header.width, header.height)) return E_FAIL;
    UINT bpp = header.bitCount;
    DWORD compression = header.compression;
    size_t tableAt = header.headerSize;

    switch (compression) {
    case biRgb:
        if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return E_FAIL;
        // Uncompressed pixels keep the standard 5-5-5 and 8-8-8 layouts; the
        // mask fields of a longer header (zero here) say nothing about them.
        memset(header.masks, 0, sizeof(header.masks));
        header.hasMasks = false;
        break;
    case biRle8:
        if (bpp != 8 || header.topDown) return E_FAIL;
        break;
    case biRle4:
        if (bpp != 4 || header.topDown) return E_FAIL;
        break;
    case biBitfields:
    case biAlphaBitfields:
        if (bpp != 16 && bpp != 32) return E_FAIL;
        if (!header.hasMasks) {
            UINT count = compression == biAlphaBitfields ? 4 : 3;
            if (infoSize < tableAt + 4 * count) return E_FAIL;
            for (UINT i = 0; i < count; i++) header.masks[i] = readDword(info + tableAt + 4 * i);
            tableAt += 4 * count;
        }
        header.hasMasks = true;
        break;
    default:
        return E_FAIL;  // embedded JPEG or PNG, or unknown
    }

    UINT paletteCount = 0;
    if (bpp <= 8) {
        paletteCount = header.colorsUsed ? header.colorsUsed : 1u << bpp;
        if (paletteCount > 256) return E_FAIL;
    } else if (header.colorsUsed <= 65536) {
        paletteCount = header.colorsUsed;  // a table that true-colour images may carry
    } else {
        return E_FAIL;
    }
    size_t tableBytes = (size_t)paletteCount * header.paletteEntrySize;
    if (bpp <= 8 && tableAt + tableBytes > infoSize) return E_FAIL;

    const BYTE* bits = bitsBase;
    size_t available = bitsAvailable;
    if (bitsAfterTable) {
        size_t skip = tableAt + tableBytes;
        if (skip > available) return E_FAIL;
        bits += skip;
        available -= skip;
    }

    image->fileFormat = D3DXIFF_DIB;
    if (bpp <= 8) {
        if (FAILED(image->allocate(header.width, header.height, D3DFMT_P8, 1))) return E_FAIL;
        if (FAILED(image->allocatePalette())) return E_OUTOFMEMORY;
        for (UINT i = 0; i < 256; i++) {
            PALETTEENTRY& entry = image->palette[i];
            entry.peRed = entry.peGreen = entry.peBlue = 0;
            entry.peFlags = 255;
            if (i < paletteCount) {
                const BYTE* at = info + tableAt + (size_t)i * header.paletteEntrySize;
                entry.peBlue = at[0];
                entry.peGreen = at[1];
                entry.peRed = at[2];
            }
        }
        if (compression == biRle8 || compression == biRle4)
            return expandRunLength(bits, available, header, image);
    }

    size_t stride = (((size_t)header.width * bpp + 31) / 32) * 4;
    if (stride * header.height > available) return E_FAIL;
    if (bpp <= 8) return expandIndexedRows(bits, (UINT)stride, header, image);

    bool masked = header.hasMasks;
    D3DFORMAT format;
    UINT bytes;
    if (bpp == 24) {
        format = D3DFMT_R8G8B8;
        bytes = 3;
    } else if (!masked) {
        format = bpp == 16 ? D3DFMT_X1R5G5B5 : D3DFMT_X8R8G8B8;
        bytes = bpp / 8;
    } else {
        format = header.masks[3] ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
        bytes = 4;
    }
    if (FAILED(image->allocate(header.width, header.height, format, bytes))) return E_FAIL;

    MaskChannel red(header.masks[0]);
    MaskChannel green(header.masks[1]);
    MaskChannel blue(header.masks[2]);
    MaskChannel alpha(header.masks[3]);
    for (UINT y = 0; y < header.height; y++) {
        const BYTE* row = bits + y * stride;
        UINT target = header.topDown ? y : header.height - 1 - y;
        BYTE* out = image->pixels + (size_t)target * image->pitch;
        if (!masked || bpp == 24) {
            memcpy(out, row, (size_t)header.width * bytes);
            continue;
        }
        for (UINT x = 0; x < header.width; x++) {
            DWORD pixel = bpp == 16 ? readWord(row + 2 * x) : readDword(row + 4 * x);
            out[4 * x + 0] = blue.read(pixel, 0);
            out[4 * x + 1] = green.read(pixel, 0);
            out[4 * x + 2] = red.read(pixel, 0);
            out[4 * x + 3] = alpha.read(pixel, 255);
        }
    }
    return S_OK;
}

}  // namespace

HRESULT decodeBmp(const BYTE* data, UINT size, DecodedImage* image) {
    if (!data || size < bmpFileHeaderSize || data[0] != 'B' || data[1] != 'M') return E_FAIL;
    if (readDword(data + 2) > size) return E_FAIL;
    DWORD bitsOffset = readDword(data + 10);
    const BYTE* info = data + bmpFileHeaderSize;
    UINT infoSize = size - bmpFileHeaderSize;
    if (bitsOffset < bmpFileHeaderSize || bitsOffset > size) return E_FAIL;
    HRESULT result = decodeDibBits(info, infoSize, data + bitsOffset, size - bitsOffset, false, image);
    if (SUCCEEDED(result)) image->fileFormat = D3DXIFF_BMP;
    return result;
}

HRESULT decodeDib(const BYTE* data, UINT size, DecodedImage* image) {
    if (!data) return E_FAIL;
    return decodeDibBits(data, size, data, size, true, image);
}
