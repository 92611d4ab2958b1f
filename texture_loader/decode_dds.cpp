// DirectDraw surfaces: uncompressed RGB, luminance, alpha and bump layouts,
// DXT1 to DXT5 and BC4/BC5 (expanded to A8R8G8B8), the DX10 extension header
// for those, mip chains and complete cube maps. Volume files give their
// first slice of each level.
#include <cstring>

#include "block_decompression.h"
#include "byte_reader.h"
#include "channel_mask.h"
#include "d3dx8math.h"
#include "image_decoders.h"

namespace {

const UINT ddsHeaderSize = 4 + 124;
const UINT ddsDx10HeaderSize = 20;
const DWORD ddsdMipMapCount = 0x20000;
const DWORD ddpfAlphaPixels = 0x1;
const DWORD ddpfAlpha = 0x2;
const DWORD ddpfFourCC = 0x4;
const DWORD ddpfPaletteIndexed8 = 0x20;
const DWORD ddpfRgb = 0x40;
const DWORD ddpfLuminance = 0x20000;
const DWORD ddpfBumpDuDv = 0x80000;
const DWORD ddsCaps2Cubemap = 0x200;
const DWORD ddsCaps2AllFaces = 0xFC00;
const DWORD ddsCaps2Volume = 0x200000;

// How the pixel data of every level is laid out and what it becomes.
class DdsLayout {
public:
    bool compressed;
    BlockFormat blocks;
    D3DFORMAT fileFormat;  // what the file holds (reported to callers)
    D3DFORMAT format;      // what the decoded pixels are
    UINT bitsPerPixel;
    bool convertMasks;  // pixels go through the channel masks into A8R8G8B8
    DWORD masks[4];     // red, green, blue, alpha
};

class PixelFormatMatch {
public:
    D3DFORMAT format;
    DWORD flags;  // ddpfRgb, ddpfLuminance, ddpfAlpha or ddpfBumpDuDv
    UINT bits;
    DWORD masks[4];
};

const PixelFormatMatch knownLayouts[] = {
    {D3DFMT_A8R8G8B8, ddpfRgb, 32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}},
    {D3DFMT_X8R8G8B8, ddpfRgb, 32, {0xFF0000, 0xFF00, 0xFF, 0}},
    {D3DFMT_R8G8B8, ddpfRgb, 24, {0xFF0000, 0xFF00, 0xFF, 0}},
    {D3DFMT_R5G6B5, ddpfRgb, 16, {0xF800, 0x7E0, 0x1F, 0}},
    {D3DFMT_X1R5G5B5, ddpfRgb, 16, {0x7C00, 0x3E0, 0x1F, 0}},
    {D3DFMT_A1R5G5B5, ddpfRgb, 16, {0x7C00, 0x3E0, 0x1F, 0x8000}},
    {D3DFMT_A4R4G4B4, ddpfRgb, 16, {0xF00, 0xF0, 0xF, 0xF000}},
    {D3DFMT_X4R4G4B4, ddpfRgb, 16, {0xF00, 0xF0, 0xF, 0}},
    {D3DFMT_A8R3G3B2, ddpfRgb, 16, {0xE0, 0x1C, 0x3, 0xFF00}},
    {D3DFMT_R3G3B2, ddpfRgb, 8, {0xE0, 0x1C, 0x3, 0}},
    {D3DFMT_A2B10G10R10, ddpfRgb, 32, {0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000}},
    {D3DFMT_G16R16, ddpfRgb, 32, {0xFFFF, 0xFFFF0000, 0, 0}},
    {D3DFMT_L8, ddpfLuminance, 8, {0xFF, 0, 0, 0}},
    {D3DFMT_A8L8, ddpfLuminance, 16, {0xFF, 0, 0, 0xFF00}},
    {D3DFMT_A4L4, ddpfLuminance, 8, {0xF, 0, 0, 0xF0}},
    {D3DFMT_A8, ddpfAlpha, 8, {0, 0, 0, 0xFF}},
    {D3DFMT_V8U8, ddpfBumpDuDv, 16, {0xFF, 0xFF00, 0, 0}},
    {D3DFMT_V16U16, ddpfBumpDuDv, 32, {0xFFFF, 0xFFFF0000, 0, 0}},
    {D3DFMT_Q8W8V8U8, ddpfBumpDuDv, 32, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}},
};

bool matchFourCC(DWORD fourCC, DdsLayout* layout) {
    static const struct {
        DWORD code;
        BlockFormat blocks;
    } codes[] = {
        {MAKEFOURCC('D', 'X', 'T', '1'), blockDxt1}, {MAKEFOURCC('D', 'X', 'T', '2'), blockDxt2},
        {MAKEFOURCC('D', 'X', 'T', '3'), blockDxt3}, {MAKEFOURCC('D', 'X', 'T', '4'), blockDxt4},
        {MAKEFOURCC('D', 'X', 'T', '5'), blockDxt5}, {MAKEFOURCC('A', 'T', 'I', '1'), blockBc4},
        {MAKEFOURCC('B', 'C', '4', 'U'), blockBc4},  {MAKEFOURCC('A', 'T', 'I', '2'), blockBc5},
        {MAKEFOURCC('B', 'C', '5', 'U'), blockBc5},
    };
    for (const auto& code : codes) {
        if (code.code != fourCC) continue;
        layout->compressed = true;
        layout->blocks = code.blocks;
        layout->fileFormat = code.blocks <= blockDxt5 ? (D3DFORMAT)fourCC : D3DFMT_A8R8G8B8;
        layout->format = D3DFMT_A8R8G8B8;
        return true;
    }
    return false;
}

// The DX10 header's DXGI formats that have a layout above.
bool matchDxgiFormat(DWORD dxgi, DdsLayout* layout) {
    switch (dxgi) {
    case 28:  // R8G8B8A8_UNORM
    case 29:  // R8G8B8A8_UNORM_SRGB
        layout->convertMasks = true;
        layout->bitsPerPixel = 32;
        layout->masks[0] = 0xFF;
        layout->masks[1] = 0xFF00;
        layout->masks[2] = 0xFF0000;
        layout->masks[3] = 0xFF000000;
        layout->format = layout->fileFormat = D3DFMT_A8R8G8B8;
        return true;
    case 87:  // B8G8R8A8_UNORM
    case 91:
        layout->bitsPerPixel = 32;
        layout->format = layout->fileFormat = D3DFMT_A8R8G8B8;
        return true;
    case 71: case 72: return matchFourCC(MAKEFOURCC('D', 'X', 'T', '1'), layout);
    case 74: case 75: return matchFourCC(MAKEFOURCC('D', 'X', 'T', '3'), layout);
    case 77: case 78: return matchFourCC(MAKEFOURCC('D', 'X', 'T', '5'), layout);
    case 80: return matchFourCC(MAKEFOURCC('B', 'C', '4', 'U'), layout);
    case 83: return matchFourCC(MAKEFOURCC('B', 'C', '5', 'U'), layout);
    default: return false;
    }
}

bool matchMasks(DWORD flags, UINT bits, const DWORD masks[4], DdsLayout* layout) {
    DWORD kind = flags & (ddpfRgb | ddpfLuminance | ddpfAlpha | ddpfBumpDuDv);
    for (const PixelFormatMatch& known : knownLayouts) {
        if (known.flags != kind || known.bits != bits) continue;
        bool alphaUsed = (flags & (ddpfAlphaPixels | ddpfAlpha)) != 0;
        DWORD alphaMask = alphaUsed ? masks[3] : 0;
        if (kind == ddpfLuminance) {
            // Writers fill the colour masks of luminance files inconsistently;
            // the size and the alpha decide.
            if ((alphaMask != 0) == (known.masks[3] != 0)) {
                layout->format = layout->fileFormat = known.format;
                layout->bitsPerPixel = bits;
                return true;
            }
            continue;
        }
        if (known.masks[0] == masks[0] && known.masks[1] == masks[1] &&
            known.masks[2] == masks[2] && known.masks[3] == alphaMask) {
            layout->format = layout->fileFormat = known.format;
            layout->bitsPerPixel = bits;
            return true;
        }
    }
    // Any other RGB layout of whole bytes goes through its masks.
    if (kind == ddpfRgb && (bits == 16 || bits == 24 || bits == 32)) {
        layout->convertMasks = true;
        layout->bitsPerPixel = bits;
        for (int i = 0; i < 4; i++) layout->masks[i] = masks[i];
        if (!(flags & ddpfAlphaPixels)) layout->masks[3] = 0;
        layout->format = layout->fileFormat = layout->masks[3] ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
        return true;
    }
    return false;
}

size_t levelBytes(const DdsLayout& layout, UINT width, UINT height) {
    if (layout.compressed) return blockImageBytes(layout.blocks, width, height);
    return ((size_t)width * layout.bitsPerPixel + 7) / 8 * height;
}

// One level of one face from `source` into `image`.
HRESULT decodeLevel(const DdsLayout& layout, const BYTE* source, UINT width, UINT height,
                    DecodedImage* image) {
    image->fileFormat = D3DXIFF_DDS;
    image->fileFormatCode = layout.fileFormat;
    if (layout.compressed) {
        if (FAILED(image->allocate(width, height, D3DFMT_A8R8G8B8, 4))) return E_OUTOFMEMORY;
        decompressBlocks(layout.blocks, source, width, height, image->pixels, image->pitch);
        return S_OK;
    }
    if (layout.convertMasks) {
        if (FAILED(image->allocate(width, height, layout.format, 4))) return E_OUTOFMEMORY;
        MaskChannel red(layout.masks[0]);
        MaskChannel green(layout.masks[1]);
        MaskChannel blue(layout.masks[2]);
        MaskChannel alpha(layout.masks[3]);
        UINT bytes = layout.bitsPerPixel / 8;
        for (UINT y = 0; y < height; y++) {
            const BYTE* row = source + (size_t)y * width * bytes;
            BYTE* out = image->pixels + (size_t)y * image->pitch;
            for (UINT x = 0; x < width; x++) {
                const BYTE* at = row + (size_t)x * bytes;
                DWORD pixel = at[0] | (at[1] << 8);
                if (bytes > 2) pixel |= (DWORD)at[2] << 16;
                if (bytes > 3) pixel |= (DWORD)at[3] << 24;
                out[4 * x] = blue.read(pixel, 0);
                out[4 * x + 1] = green.read(pixel, 0);
                out[4 * x + 2] = red.read(pixel, 0);
                out[4 * x + 3] = alpha.read(pixel, 255);
            }
        }
        return S_OK;
    }
    // The file's own layout: used where it lies.
    image->width = width;
    image->height = height;
    image->depth = 1;
    image->format = layout.format;
    image->pitch = (UINT)(((size_t)width * layout.bitsPerPixel + 7) / 8);
    image->pixels = const_cast<BYTE*>(source);
    image->ownsPixels = false;
    return S_OK;
}

}  // namespace

HRESULT decodeDds(const BYTE* data, UINT size, DecodedImage* image) {
    if (!data || size < ddsHeaderSize || memcmp(data, "DDS ", 4) != 0) return E_FAIL;
    if (readDword(data + 4) != 124) return E_FAIL;
    DWORD flags = readDword(data + 8);
    UINT height = readDword(data + 12);
    UINT width = readDword(data + 16);
    UINT depth = readDword(data + 24);
    UINT mipCount = (flags & ddsdMipMapCount) ? readDword(data + 28) : 1;
    DWORD pfFlags = readDword(data + 80);
    DWORD fourCC = readDword(data + 84);
    UINT bitCount = readDword(data + 88);
    DWORD masks[4] = {readDword(data + 92), readDword(data + 96), readDword(data + 100),
                      readDword(data + 104)};
    DWORD caps2 = readDword(data + 112);

    if (!imageSizeAcceptable(width, height)) return E_FAIL;
    if (mipCount == 0) mipCount = 1;
    if (mipCount > 32) return E_FAIL;
    bool volume = (caps2 & ddsCaps2Volume) != 0 && depth > 1;
    if (!volume) depth = 1;
    if (depth > maxImageSide) return E_FAIL;

    DdsLayout layout;
    memset(&layout, 0, sizeof(layout));
    size_t offset = ddsHeaderSize;
    bool recognised;
    if (pfFlags & ddpfFourCC) {
        if (fourCC == MAKEFOURCC('D', 'X', '1', '0')) {
            if (size - offset < ddsDx10HeaderSize) return E_FAIL;
            recognised = matchDxgiFormat(readDword(data + offset), &layout);
            offset += ddsDx10HeaderSize;
        } else {
            recognised = matchFourCC(fourCC, &layout);
        }
    } else if (pfFlags & ddpfPaletteIndexed8) {
        recognised = bitCount == 8;
        layout.format = layout.fileFormat = D3DFMT_P8;
        layout.bitsPerPixel = 8;
    } else {
        recognised = matchMasks(pfFlags, bitCount, masks, &layout);
    }
    if (!recognised) {
        D3DXDebugReport(0, "Unrecognized pixel format in DDS file.");
        return E_FAIL;
    }
    if (volume && layout.compressed) return E_FAIL;

    PALETTEENTRY palette[256];
    if (layout.format == D3DFMT_P8) {
        if (size - offset < sizeof(palette)) return E_FAIL;
        memcpy(palette, data + offset, sizeof(palette));
        offset += sizeof(palette);
    }

    UINT faces = 1;
    if (caps2 & ddsCaps2Cubemap) {
        if ((caps2 & ddsCaps2AllFaces) != ddsCaps2AllFaces) {
            D3DXDebugReport(0, "LoadDDS: Partial cubemaps not supported.");
            return E_FAIL;
        }
        faces = 6;
    }

    // Every level of every face must lie inside the file before anything is made.
    size_t total = 0;
    for (UINT face = 0; face < faces; face++) {
        UINT w = width;
        UINT h = height;
        UINT d = depth;
        for (UINT level = 0; level < mipCount; level++) {
            total += levelBytes(layout, w, h) * d;
            if (total > size - offset) return E_FAIL;
            w = w > 1 ? w / 2 : 1;
            h = h > 1 ? h / 2 : 1;
            d = d > 1 ? d / 2 : 1;
        }
    }

    const BYTE* source = data + offset;
    DecodedImage* faceImage = image;
    for (UINT face = 0; face < faces; face++) {
        if (face > 0) {
            faceImage->nextFace = new DecodedImage();
            faceImage = faceImage->nextFace;
        }
        UINT w = width;
        UINT h = height;
        UINT d = depth;
        DecodedImage* levelImage = faceImage;
        for (UINT level = 0; level < mipCount; level++) {
            if (level > 0) {
                levelImage->nextLevel = new DecodedImage();
                levelImage = levelImage->nextLevel;
            }
            if (FAILED(decodeLevel(layout, source, w, h, levelImage))) return E_OUTOFMEMORY;
            levelImage->depth = d;
            if (layout.format == D3DFMT_P8) {
                if (FAILED(levelImage->allocatePalette())) return E_OUTOFMEMORY;
                memcpy(levelImage->palette, palette, sizeof(palette));
            }
            source += levelBytes(layout, w, h) * d;
            w = w > 1 ? w / 2 : 1;
            h = h > 1 ? h / 2 : 1;
            d = d > 1 ? d / 2 : 1;
        }
    }
    return S_OK;
}
