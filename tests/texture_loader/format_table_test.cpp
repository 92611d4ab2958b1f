// The format table, the closest-format cost rule and pixel conversion of
// every listed format.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "decoded_image.h"
#include "recording_device.h"
#include "format_table.h"
#include "pixel_conversion.h"

TEST(FormatTable, HoldsFortyThreeDistinctRowsWithTheirChannels) {
    std::set<DWORD> codes;
    for (const FormatDescriptor& row : formatTable) codes.insert(row.format);
    EXPECT_EQ(43u, codes.size());
    const FormatDescriptor* r5g6b5 = findFormatDescriptor(D3DFMT_R5G6B5);
    EXPECT_EQ(16u, r5g6b5->bits);
    EXPECT_EQ(5u, r5g6b5->red);
    EXPECT_EQ(6u, r5g6b5->green);
    EXPECT_TRUE(r5g6b5->substitute);
    EXPECT_FALSE(findFormatDescriptor(D3DFMT_R8G8B8)->substitute);
    EXPECT_EQ(formatClassPalette, findFormatDescriptor(D3DFMT_P8)->formatClass);
    EXPECT_EQ(formatClassDepth, findFormatDescriptor(D3DFMT_D24S8)->formatClass);
    const FormatDescriptor* unknown = findFormatDescriptor((D3DFORMAT)12345);
    EXPECT_EQ(32u, unknown->bits);
    EXPECT_EQ(8u, unknown->alpha);
    EXPECT_FALSE(unknown->substitute);
}

TEST(FormatTable, ClassesOnlyMoveTowardsColour) {
    EXPECT_TRUE(classesCompatible(formatClassPalette, formatClassColour));
    EXPECT_TRUE(classesCompatible(formatClassLuminance, formatClassColour));
    EXPECT_FALSE(classesCompatible(formatClassColour, formatClassLuminance));
    EXPECT_FALSE(classesCompatible(formatClassBump, formatClassColour));
    EXPECT_FALSE(classesCompatible(formatClassColour, formatClassDepth));
}

TEST(ClosestDeviceFormat, PrefersTheExactFormatThenTheCheapestSubstitute) {
    RecordingDevice device;
    EXPECT_EQ(D3DFMT_X8R8G8B8, findClosestDeviceFormat(&device, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE));
    // R8G8B8 is not accepted: X8R8G8B8 keeps every channel at no cost.
    EXPECT_EQ(D3DFMT_X8R8G8B8, findClosestDeviceFormat(&device, D3DFMT_R8G8B8, 0, D3DRTYPE_TEXTURE));
    // Without 32-bit formats: A4R4G4B4 and A1R5G5B5 lose the same; the earlier row wins.
    device.acceptedFormats = {D3DFMT_R5G6B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4};
    EXPECT_EQ(D3DFMT_A1R5G5B5, findClosestDeviceFormat(&device, D3DFMT_A8R8G8B8, 0, D3DRTYPE_TEXTURE));
    EXPECT_EQ(D3DFMT_R5G6B5, findClosestDeviceFormat(&device, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE));
    // Luminance may become colour, never the reverse.
    device.acceptedFormats = {D3DFMT_L8, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8};
    EXPECT_EQ(D3DFMT_X8R8G8B8, findClosestDeviceFormat(&device, D3DFMT_R5G6B5, 0, D3DRTYPE_TEXTURE));
    device.acceptedFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8};
    EXPECT_EQ(D3DFMT_X8R8G8B8, findClosestDeviceFormat(&device, D3DFMT_L8, 0, D3DRTYPE_TEXTURE));
    EXPECT_EQ(D3DFMT_A8R8G8B8, findClosestDeviceFormat(&device, D3DFMT_A8L8, 0, D3DRTYPE_TEXTURE));
    device.acceptedFormats = {D3DFMT_L8};
    EXPECT_EQ(D3DFMT_UNKNOWN, findClosestDeviceFormat(&device, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE));
    // A row that keeps none of the wanted channels is never chosen.
    device.acceptedFormats = {D3DFMT_A8};
    EXPECT_EQ(D3DFMT_UNKNOWN, findClosestDeviceFormat(&device, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE));
}

TEST(ClosestDeviceFormat, EqualCostGoesToTheSmallerFormat) {
    // Wanted X4R4G4B4: X1R5G5B5 and R5G6B5 both cost more than A4R4G4B4,
    // which only adds an unwanted alpha (256).
    RecordingDevice device;
    device.acceptedFormats = {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4};
    EXPECT_EQ(D3DFMT_A4R4G4B4, findClosestDeviceFormat(&device, D3DFMT_X4R4G4B4, 0, D3DRTYPE_TEXTURE));
    FormatDescriptor wanted = *findFormatDescriptor(D3DFMT_X8R8G8B8);
    wanted.format = D3DFMT_UNKNOWN;
    wanted.alpha = 1;
    EXPECT_EQ(D3DFMT_A8R8G8B8, findClosestFormat(wanted));
}

TEST(ClosestDeviceFormat, OfTwoEqualCostsTheFewerBitsWinEvenWhenListedLater) {
    // Wanted A8: A8R8G8B8 (32 bits) and A8R3G3B2 (16 bits, listed after it)
    // both keep the alpha and add three unwanted colour channels (3 x 256).
    RecordingDevice device;
    device.acceptedFormats = {D3DFMT_A8R8G8B8, D3DFMT_A8R3G3B2};
    EXPECT_EQ(D3DFMT_A8R3G3B2, findClosestDeviceFormat(&device, D3DFMT_A8, 0, D3DRTYPE_TEXTURE));
    device.acceptedFormats = {D3DFMT_A8R3G3B2, D3DFMT_A8R8G8B8};  // the set's order plays no part
    EXPECT_EQ(D3DFMT_A8R3G3B2, findClosestDeviceFormat(&device, D3DFMT_A8, 0, D3DRTYPE_TEXTURE));
    // A cheaper row still beats a smaller one: with A8 itself accepted it is taken.
    device.acceptedFormats = {D3DFMT_A8R8G8B8, D3DFMT_A8R3G3B2, D3DFMT_A8};
    EXPECT_EQ(D3DFMT_A8, findClosestDeviceFormat(&device, D3DFMT_A8, 0, D3DRTYPE_TEXTURE));
}

// Every convertible format keeps a value that it can represent.
TEST(PixelConversion, EveryListedFormatRoundTrips) {
    int converted = 0;
    for (const FormatDescriptor& row : formatTable) {
        if (!pixelFormatConvertible(row.format)) continue;
        converted++;
        const UINT n = 4;
        FloatPixel in[n] = {{1, 1, 1, 1}, {0, 0, 0, 0}, {1, 0.5f, 0.25f, 0.75f}, {0.5f, 0.2f, 0.9f, 0.6f}};
        if (row.formatClass == formatClassBump)
            for (FloatPixel& p : in) p = {p.a, p.r * 2 - 1, p.g * 2 - 1, p.b * 2 - 1};
        if (row.format == D3DFMT_UYVY || row.format == D3DFMT_YUY2)
            in[1] = in[0], in[3] = in[2];  // pairs share their colour
        PALETTEENTRY palette[256] = {};
        for (UINT i = 0; i < n; i++)
            palette[i] = {(BYTE)lrintf(in[i].r * 255), (BYTE)lrintf(in[i].g * 255), (BYTE)lrintf(in[i].b * 255),
                          (BYTE)lrintf(in[i].a * 255)};
        BYTE bytes[64] = {};
        writePixels(row.format, in, n, palette, bytes);
        FloatPixel out[n];
        readPixels(row.format, bytes, n, palette, out);
        auto tolerance = [](UINT bits) { return bits ? 1.2f / ((1u << bits) - 1) : 2.0f; };
        for (UINT i = 0; i < n; i++) {
            SCOPED_TRACE(testing::Message() << "format " << row.format << " pixel " << i);
            bool luminance = row.formatClass == formatClassLuminance;
            bool yuv = row.format == D3DFMT_UYVY || row.format == D3DFMT_YUY2;
            float grey = 0.2125f * in[i].r + 0.7154f * in[i].g + 0.0721f * in[i].b;
            float limit = yuv ? 0.03f : 0;
            if (row.alpha && !yuv) {
                EXPECT_NEAR(in[i].a, out[i].a, tolerance(row.alpha) + limit);
            }
            if (row.red) {
                EXPECT_NEAR(luminance ? grey : in[i].r, out[i].r, tolerance(row.red) + limit);
            }
            if (row.green) {
                EXPECT_NEAR(luminance ? grey : in[i].g, out[i].g, tolerance(row.green) + limit);
            }
            if (row.blue && row.formatClass != formatClassBump) {
                EXPECT_NEAR(luminance ? grey : in[i].b, out[i].b, tolerance(row.blue) + limit);
            }
        }
    }
    EXPECT_EQ(31, converted);  // all but the block and depth formats
}

TEST(PixelConversion, FiveBitChannelsWidenByRepeatingTheirTopBits) {
    WORD pixel = (WORD)(0x8000 | 31 << 10 | 16 << 5 | 1);
    FloatPixel out;
    readPixels(D3DFMT_A1R5G5B5, reinterpret_cast<BYTE*>(&pixel), 1, nullptr, &out);
    EXPECT_EQ(0xFFFF8408u, pixelToColour(out));
}

// 32-bit colour, the format nearly every texture goes through: each byte
// reads as byte / 255 exactly, every byte comes back as itself, and writing
// clamps and rounds as for every format (nothing or less and not-a-number to
// 0, 1 or more to 255, else v x 255 + 0.5 truncated); X8R8G8B8 reads its
// fourth byte as opaque and writes it as 0xFF.
TEST(PixelConversion, EightBitChannelsConvertExactlyBothWays) {
    for (D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}) {
        const bool alpha = format == D3DFMT_A8R8G8B8;
        DWORD pixels[256];
        for (DWORD v = 0; v < 256; ++v) pixels[v] = (v ^ 0x5A) << 24 | v << 16 | (255 - v) << 8 | (v * 7 & 255);
        FloatPixel read[256];
        readPixels(format, reinterpret_cast<const BYTE*>(pixels), 256, nullptr, read);
        for (DWORD v = 0; v < 256; ++v) {
            SCOPED_TRACE(testing::Message() << "format " << format << " value " << v);
            EXPECT_EQ(read[v].r, float(v) * (1.0f / 255.0f));
            EXPECT_EQ(read[v].g, float(255 - v) * (1.0f / 255.0f));
            EXPECT_EQ(read[v].b, float(v * 7 & 255) * (1.0f / 255.0f));
            EXPECT_EQ(read[v].a, alpha ? float(v ^ 0x5A) * (1.0f / 255.0f) : 1.0f);
        }
        DWORD written[256];
        writePixels(format, read, 256, nullptr, reinterpret_cast<BYTE*>(written));
        for (DWORD v = 0; v < 256; ++v) EXPECT_EQ(written[v], alpha ? pixels[v] : pixels[v] | 0xFF000000u) << v;

        const float edges[] = {-0.0f, -1.0f, 0.0f, 1e-9f, 0.5f / 255.0f, 0.49f / 255.0f, 0.2f, 0.5f,
                               254.5f / 255.0f, 0.999f, 1.0f, 1.5f, 1e30f, INFINITY, -INFINITY, NAN};
        auto expected = [](float v) -> DWORD {
            if (!(v > 0)) return 0;
            if (v >= 1) return 255;
            return DWORD(v * 255.0f + 0.5f);
        };
        for (float v : edges) {
            const FloatPixel in = {v, v, 1.0f - v, 0.25f};
            DWORD out = 0;
            writePixels(format, &in, 1, nullptr, reinterpret_cast<BYTE*>(&out));
            SCOPED_TRACE(testing::Message() << "format " << format << " channel value " << v);
            EXPECT_EQ(out >> 16 & 255, expected(v));
            EXPECT_EQ(out >> 8 & 255, expected(1.0f - v));
            EXPECT_EQ(out & 255, expected(0.25f));
            EXPECT_EQ(out >> 24, alpha ? expected(v) : 255u);
        }
    }
}
