#include "pixel_conversion.h"

#include <cmath>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "byte_reader.h"
#include "decoded_image.h"

namespace {

inline float unorm(UINT v, UINT bits) { return (float)v / (float)((1u << bits) - 1); }

inline UINT toUnorm(float v, UINT bits) {
    float maximum = (float)((1u << bits) - 1);
    if (!(v > 0)) return 0;
    if (v >= 1) return (UINT)maximum;
    return (UINT)(v * maximum + 0.5f);
}

// A signed field of `bits` bits at the bottom of `v`, as -1..1.
inline float snorm(UINT v, UINT bits) {
    int shift = 32 - (int)bits;
    int value = (int)(v << shift) >> shift;
    float maximum = (float)((1 << (bits - 1)) - 1);
    float f = (float)value / maximum;
    return f < -1 ? -1 : f;
}

inline UINT toSnorm(float v, UINT bits) {
    float maximum = (float)((1 << (bits - 1)) - 1);
    if (!(v > -1)) v = -1;
    if (v > 1) v = 1;
    int value = (int)lrintf(v * maximum);
    return (UINT)value & ((1u << bits) - 1);
}

inline float luminance(const FloatPixel& p) { return 0.2125f * p.r + 0.7154f * p.g + 0.0721f * p.b; }

inline DWORD readBits(const BYTE* at, UINT bytes) {
    DWORD v = 0;
    for (UINT i = 0; i < bytes; i++) v |= (DWORD)at[i] << (8 * i);
    return v;
}

inline void writeBits(BYTE* at, UINT bytes, DWORD v) {
    for (UINT i = 0; i < bytes; i++) at[i] = (BYTE)(v >> (8 * i));
}

// A packed unsigned format: widths and positions of A, R, G, B.
struct PackedLayout {
    D3DFORMAT format;
    UINT bytes;
    UINT aBits, aShift, rBits, rShift, gBits, gShift, bBits, bShift;
};

const PackedLayout packedLayouts[] = {
    {D3DFMT_A8R8G8B8, 4, 8, 24, 8, 16, 8, 8, 8, 0},
    {D3DFMT_X8R8G8B8, 4, 0, 0, 8, 16, 8, 8, 8, 0},
    {D3DFMT_R8G8B8, 3, 0, 0, 8, 16, 8, 8, 8, 0},
    {D3DFMT_R5G6B5, 2, 0, 0, 5, 11, 6, 5, 5, 0},
    {D3DFMT_X1R5G5B5, 2, 0, 0, 5, 10, 5, 5, 5, 0},
    {D3DFMT_A1R5G5B5, 2, 1, 15, 5, 10, 5, 5, 5, 0},
    {D3DFMT_A4R4G4B4, 2, 4, 12, 4, 8, 4, 4, 4, 0},
    {D3DFMT_R3G3B2, 1, 0, 0, 3, 5, 3, 2, 2, 0},
    {D3DFMT_A8, 1, 8, 0, 0, 0, 0, 0, 0, 0},
    {D3DFMT_A8R3G3B2, 2, 8, 8, 3, 5, 3, 2, 2, 0},
    {D3DFMT_X4R4G4B4, 2, 0, 0, 4, 8, 4, 4, 4, 0},
    {D3DFMT_A2B10G10R10, 4, 2, 30, 10, 0, 10, 10, 10, 20},
    {D3DFMT_G16R16, 4, 0, 0, 16, 0, 16, 16, 0, 0},
};

const PackedLayout* findPacked(D3DFORMAT format) {
    for (const PackedLayout& layout : packedLayouts)
        if (layout.format == format) return &layout;
    return nullptr;
}

// One channel of a bump-map format: its width, position and whether it is
// signed. A width of 0 means the format has no such channel.
struct BumpField {
    UINT bits, shift;
    bool isSigned;
};

// A bump-map format: U, V, W (or luminance) and Q in red, green, blue and
// alpha, and the bits every written pixel carries besides its channels.
struct BumpLayout {
    D3DFORMAT format;
    UINT bytes;
    BumpField r, g, b, a;
    DWORD fill;
};

const BumpLayout bumpLayouts[] = {
    {D3DFMT_V8U8, 2, {8, 0, true}, {8, 8, true}, {0, 0, false}, {0, 0, false}, 0},
    {D3DFMT_L6V5U5, 2, {5, 0, true}, {5, 5, true}, {6, 10, false}, {0, 0, false}, 0},
    {D3DFMT_X8L8V8U8, 4, {8, 0, true}, {8, 8, true}, {8, 16, false}, {0, 0, false}, 0xFF000000u},
    {D3DFMT_Q8W8V8U8, 4, {8, 0, true}, {8, 8, true}, {8, 16, true}, {8, 24, true}, 0},
    {D3DFMT_V16U16, 4, {16, 0, true}, {16, 16, true}, {0, 0, false}, {0, 0, false}, 0},
    {D3DFMT_W11V11U10, 4, {10, 0, true}, {11, 10, true}, {11, 21, true}, {0, 0, false}, 0},
    {D3DFMT_A2W10V10U10, 4, {10, 0, true}, {10, 10, true}, {10, 20, true}, {2, 30, false}, 0},
};

const BumpLayout* findBump(D3DFORMAT format) {
    for (const BumpLayout& layout : bumpLayouts)
        if (layout.format == format) return &layout;
    return nullptr;
}

// A channel read from a pixel's bits; `missing` when the format lacks it.
inline float readBumpField(DWORD v, const BumpField& field, float missing) {
    if (!field.bits) return missing;
    DWORD bits = (v >> field.shift) & ((1u << field.bits) - 1);
    return field.isSigned ? snorm(bits, field.bits) : unorm(bits, field.bits);
}

inline DWORD writeBumpField(float value, const BumpField& field) {
    if (!field.bits) return 0;
    return (field.isSigned ? toSnorm(value, field.bits) : toUnorm(value, field.bits)) << field.shift;
}

// YUV (ITU-R BT.601, studio range) pairs.
void yuvToPixel(float y, float u, float v, FloatPixel* out) {
    float c = 1.164f * (y - 16.0f) / 255.0f;
    u = (u - 128.0f) / 255.0f;
    v = (v - 128.0f) / 255.0f;
    out->a = 1;
    out->r = c + 1.596f * v;
    out->g = c - 0.813f * v - 0.391f * u;
    out->b = c + 2.018f * u;
    out->r = out->r < 0 ? 0 : out->r > 1 ? 1 : out->r;
    out->g = out->g < 0 ? 0 : out->g > 1 ? 1 : out->g;
    out->b = out->b < 0 ? 0 : out->b > 1 ? 1 : out->b;
}

void pixelToYuv(const FloatPixel& p, float* y, float* u, float* v) {
    float r = p.r * 255.0f, g = p.g * 255.0f, b = p.b * 255.0f;
    *y = 16.0f + 0.257f * r + 0.504f * g + 0.098f * b;
    *u = 128.0f - 0.148f * r - 0.291f * g + 0.439f * b;
    *v = 128.0f + 0.439f * r - 0.368f * g - 0.071f * b;
}

BYTE clampByte(float v) { return (BYTE)(v < 0 ? 0 : v > 255 ? 255 : v + 0.5f); }

BYTE nearestPaletteIndex(const FloatPixel& p, const PALETTEENTRY* palette) {
    if (!palette) return 0;
    float best = 1e30f;
    BYTE index = 0;
    for (UINT i = 0; i < 256; i++) {
        float dr = palette[i].peRed / 255.0f - p.r;
        float dg = palette[i].peGreen / 255.0f - p.g;
        float db = palette[i].peBlue / 255.0f - p.b;
        float da = palette[i].peFlags / 255.0f - p.a;
        float distance = dr * dr + dg * dg + db * db + da * da;
        if (distance < best) {
            best = distance;
            index = (BYTE)i;
        }
    }
    return index;
}

}  // namespace

bool pixelFormatConvertible(D3DFORMAT format) { return pixelFormatBytes(format) != 0; }

UINT pixelFormatBytes(D3DFORMAT format) {
    if (const PackedLayout* packed = findPacked(format)) return packed->bytes;
    if (const BumpLayout* bump = findBump(format)) return bump->bytes;
    switch ((DWORD)format) {
    case D3DFMT_P8:
    case D3DFMT_L8:
    case D3DFMT_A4L4:
        return 1;
    case D3DFMT_A8P8:
    case D3DFMT_A8L8:
    case D3DFMT_UYVY:
    case D3DFMT_YUY2:
    case ZELVARO_FMT_L16:
        return 2;
    case ZELVARO_FMT_AL16:
        return 4;
    case ZELVARO_FMT_R16:
        return 6;
    case ZELVARO_FMT_AR16:
        return 8;
    default:
        return 0;
    }
}

void readPixels(D3DFORMAT format, const BYTE* row, UINT count, const PALETTEENTRY* palette,
                FloatPixel* out) {
    if (format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8) {
        // The common case, kept free of per-channel shifts and divisions.
        const float scale = 1.0f / 255.0f;
        bool alpha = format == D3DFMT_A8R8G8B8;
#if defined(__SSE2__)
        // The four channels of a pixel at once: the same conversion and
        // product per channel as below, so the same floats.
        const __m128 scales = _mm_set1_ps(scale);
        const __m128i zero = _mm_setzero_si128();
        for (UINT x = 0; x < count; x++) {
            int bytes;
            memcpy(&bytes, row + 4 * x, 4);
            __m128i wide = _mm_unpacklo_epi8(_mm_cvtsi32_si128(bytes), zero);
            wide = _mm_unpacklo_epi16(wide, zero);                          // b, g, r, a
            __m128 channels = _mm_mul_ps(_mm_cvtepi32_ps(wide), scales);
            channels = _mm_shuffle_ps(channels, channels, _MM_SHUFFLE(0, 1, 2, 3));  // a, r, g, b
            if (!alpha) channels = _mm_move_ss(channels, _mm_set_ss(1.0f));
            _mm_storeu_ps(&out[x].a, channels);
        }
        return;
#endif
        for (UINT x = 0; x < count; x++) {
            const BYTE* at = row + 4 * x;
            out[x].b = at[0] * scale;
            out[x].g = at[1] * scale;
            out[x].r = at[2] * scale;
            out[x].a = alpha ? at[3] * scale : 1.0f;
        }
        return;
    }
    if (const PackedLayout* packed = findPacked(format)) {
        const DWORD aMask = (1u << packed->aBits) - 1, rMask = (1u << packed->rBits) - 1;
        const DWORD gMask = (1u << packed->gBits) - 1, bMask = (1u << packed->bBits) - 1;
        const float aScale = packed->aBits ? 1.0f / aMask : 0, rScale = packed->rBits ? 1.0f / rMask : 0;
        const float gScale = packed->gBits ? 1.0f / gMask : 0, bScale = packed->bBits ? 1.0f / bMask : 0;
        for (UINT x = 0; x < count; x++) {
            DWORD v = readBits(row + x * packed->bytes, packed->bytes);
            FloatPixel& p = out[x];
            p.a = packed->aBits ? ((v >> packed->aShift) & aMask) * aScale : 1;
            p.r = ((v >> packed->rShift) & rMask) * rScale;
            p.g = ((v >> packed->gShift) & gMask) * gScale;
            p.b = ((v >> packed->bShift) & bMask) * bScale;
            if (format == D3DFMT_G16R16) p.b = 1;
        }
        return;
    }
    if (const BumpLayout* bump = findBump(format)) {
        for (UINT x = 0; x < count; x++) {
            DWORD v = readBits(row + x * bump->bytes, bump->bytes);
            FloatPixel& p = out[x];
            p.r = readBumpField(v, bump->r, 0);
            p.g = readBumpField(v, bump->g, 0);
            p.b = readBumpField(v, bump->b, 0);
            p.a = readBumpField(v, bump->a, 1);
        }
        return;
    }
    for (UINT x = 0; x < count; x++) {
        FloatPixel& p = out[x];
        switch ((DWORD)format) {
        case D3DFMT_P8:
        case D3DFMT_A8P8: {
            UINT bytes = format == D3DFMT_P8 ? 1 : 2;
            BYTE index = row[x * bytes];
            if (palette) {
                p.r = palette[index].peRed / 255.0f;
                p.g = palette[index].peGreen / 255.0f;
                p.b = palette[index].peBlue / 255.0f;
                p.a = palette[index].peFlags / 255.0f;
            } else {
                p.r = p.g = p.b = p.a = 1;
            }
            if (format == D3DFMT_A8P8) p.a = row[x * 2 + 1] / 255.0f;
            break;
        }
        case D3DFMT_L8:
            p.r = p.g = p.b = row[x] / 255.0f;
            p.a = 1;
            break;
        case D3DFMT_A8L8:
            p.r = p.g = p.b = row[2 * x] / 255.0f;
            p.a = row[2 * x + 1] / 255.0f;
            break;
        case D3DFMT_A4L4:
            p.r = p.g = p.b = unorm(row[x] & 15, 4);
            p.a = unorm(row[x] >> 4, 4);
            break;
        case ZELVARO_FMT_L16:
            p.r = p.g = p.b = unorm(readWord(row + 2 * x), 16);
            p.a = 1;
            break;
        case ZELVARO_FMT_AL16:
            p.r = p.g = p.b = unorm(readWord(row + 4 * x), 16);
            p.a = unorm(readWord(row + 4 * x + 2), 16);
            break;
        case ZELVARO_FMT_R16:
        case ZELVARO_FMT_AR16: {
            UINT bytes = format == ZELVARO_FMT_R16 ? 6 : 8;
            const BYTE* at = row + x * bytes;
            p.r = unorm(readWord(at), 16);
            p.g = unorm(readWord(at + 2), 16);
            p.b = unorm(readWord(at + 4), 16);
            p.a = bytes == 8 ? unorm(readWord(at + 6), 16) : 1;
            break;
        }
        case D3DFMT_UYVY:
        case D3DFMT_YUY2: {
            // Pixel pairs share U and V; an odd last pixel reads its own pair.
            const BYTE* pair = row + (x & ~1u) * 2;
            bool yuy2 = format == D3DFMT_YUY2;
            bool whole = (x | 1u) < count;
            float y = yuy2 ? pair[(x & 1) * 2] : pair[(x & 1) * 2 + 1];
            float u = yuy2 ? pair[1] : pair[0];
            float v = whole ? (yuy2 ? pair[3] : pair[2]) : 128.0f;
            yuvToPixel(y, u, v, &p);
            break;
        }
        default:
            p.a = p.r = p.g = p.b = 0;
            break;
        }
    }
}

void writePixels(D3DFORMAT format, const FloatPixel* in, UINT count, const PALETTEENTRY* palette,
                 BYTE* row) {
    if (format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8) {
        bool alpha = format == D3DFMT_A8R8G8B8;
#if defined(__SSE2__)
        // toUnorm on four channels at once: v * 255 + 0.5 truncated, with
        // values of 1 and more taken as 1 first (giving 255) and everything
        // at or below 0, or not a number, saturating to 0 in the packing.
        const __m128 one = _mm_set1_ps(1.0f);
        const __m128 maximum = _mm_set1_ps(255.0f);
        const __m128 half = _mm_set1_ps(0.5f);
        const int fourthByte = alpha ? 0 : static_cast<int>(0xFF000000u);
        for (UINT x = 0; x < count; x++) {
            __m128 channels = _mm_loadu_ps(&in[x].a);
            channels = _mm_shuffle_ps(channels, channels, _MM_SHUFFLE(0, 1, 2, 3));  // b, g, r, a
            channels = _mm_min_ps(one, channels);  // NaN stays NaN
            const __m128i whole = _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(channels, maximum), half));
            const __m128i shorts = _mm_packs_epi32(whole, whole);
            const __m128i bytes = _mm_packus_epi16(shorts, shorts);
            const int pixel = _mm_cvtsi128_si32(bytes) | fourthByte;
            memcpy(row + 4 * x, &pixel, 4);
        }
        return;
#endif
        for (UINT x = 0; x < count; x++) {
            BYTE* at = row + 4 * x;
            at[0] = (BYTE)toUnorm(in[x].b, 8);
            at[1] = (BYTE)toUnorm(in[x].g, 8);
            at[2] = (BYTE)toUnorm(in[x].r, 8);
            at[3] = alpha ? (BYTE)toUnorm(in[x].a, 8) : 0xFF;
        }
        return;
    }
    if (const PackedLayout* packed = findPacked(format)) {
        for (UINT x = 0; x < count; x++) {
            const FloatPixel& p = in[x];
            DWORD v = 0;
            if (packed->aBits) v |= toUnorm(p.a, packed->aBits) << packed->aShift;
            if (packed->rBits) v |= toUnorm(p.r, packed->rBits) << packed->rShift;
            if (packed->gBits) v |= toUnorm(p.g, packed->gBits) << packed->gShift;
            if (packed->bBits) v |= toUnorm(p.b, packed->bBits) << packed->bShift;
            if (!packed->aBits && packed->bytes == 4 && format != D3DFMT_G16R16) v |= 0xFF000000u;
            writeBits(row + x * packed->bytes, packed->bytes, v);
        }
        return;
    }
    if (const BumpLayout* bump = findBump(format)) {
        for (UINT x = 0; x < count; x++) {
            const FloatPixel& p = in[x];
            DWORD v = writeBumpField(p.r, bump->r) | writeBumpField(p.g, bump->g) |
                      writeBumpField(p.b, bump->b) | writeBumpField(p.a, bump->a) | bump->fill;
            writeBits(row + x * bump->bytes, bump->bytes, v);
        }
        return;
    }
    for (UINT x = 0; x < count; x++) {
        const FloatPixel& p = in[x];
        switch ((DWORD)format) {
        case D3DFMT_P8:
            row[x] = nearestPaletteIndex(p, palette);
            break;
        case D3DFMT_A8P8:
            row[2 * x] = nearestPaletteIndex(p, palette);
            row[2 * x + 1] = (BYTE)toUnorm(p.a, 8);
            break;
        case D3DFMT_L8:
            row[x] = (BYTE)toUnorm(luminance(p), 8);
            break;
        case D3DFMT_A8L8:
            row[2 * x] = (BYTE)toUnorm(luminance(p), 8);
            row[2 * x + 1] = (BYTE)toUnorm(p.a, 8);
            break;
        case D3DFMT_A4L4:
            row[x] = (BYTE)(toUnorm(luminance(p), 4) | toUnorm(p.a, 4) << 4);
            break;
        case ZELVARO_FMT_L16:
            writeBits(row + 2 * x, 2, toUnorm(luminance(p), 16));
            break;
        case ZELVARO_FMT_AL16:
            writeBits(row + 4 * x, 2, toUnorm(luminance(p), 16));
            writeBits(row + 4 * x + 2, 2, toUnorm(p.a, 16));
            break;
        case ZELVARO_FMT_R16:
        case ZELVARO_FMT_AR16: {
            UINT bytes = format == ZELVARO_FMT_R16 ? 6 : 8;
            BYTE* at = row + x * bytes;
            writeBits(at, 2, toUnorm(p.r, 16));
            writeBits(at + 2, 2, toUnorm(p.g, 16));
            writeBits(at + 4, 2, toUnorm(p.b, 16));
            if (bytes == 8) writeBits(at + 6, 2, toUnorm(p.a, 16));
            break;
        }
        case D3DFMT_UYVY:
        case D3DFMT_YUY2: {
            if (x & 1) break;  // written with its pair
            const FloatPixel& second = x + 1 < count ? in[x + 1] : p;
            float y0, u0, v0, y1, u1, v1;
            pixelToYuv(p, &y0, &u0, &v0);
            pixelToYuv(second, &y1, &u1, &v1);
            BYTE* pair = row + x * 2;
            bool yuy2 = format == D3DFMT_YUY2;
            pair[yuy2 ? 0 : 1] = clampByte(y0);
            pair[yuy2 ? 1 : 0] = clampByte((u0 + u1) / 2);
            if (x + 1 >= count) break;  // an odd last pixel has only its half
            pair[yuy2 ? 2 : 3] = clampByte(y1);
            pair[yuy2 ? 3 : 2] = clampByte((v0 + v1) / 2);
            break;
        }
        default:
            break;
        }
    }
}

D3DCOLOR pixelToColour(const FloatPixel& pixel) {
    return (D3DCOLOR)(toUnorm(pixel.a, 8) << 24 | toUnorm(pixel.r, 8) << 16 |
                      toUnorm(pixel.g, 8) << 8 | toUnorm(pixel.b, 8));
}
