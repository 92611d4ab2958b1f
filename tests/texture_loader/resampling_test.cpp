// Resampling one level: the linear filter's taps with wrap and mirror
// addressing, the other filters, and conversion between formats.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "pixel_conversion.h"
#include "resampling.h"

namespace {

// A decoded image over a caller's A8R8G8B8 pixels.
struct Argb {
    std::vector<DWORD> pixels;
    DecodedImage image;
    Argb(UINT width, UINT height, std::vector<DWORD> values) : pixels(std::move(values)) {
        image.width = width;
        image.height = height;
        image.depth = 1;
        image.format = D3DFMT_A8R8G8B8;
        image.pitch = width * 4;
        image.pixels = reinterpret_cast<BYTE*>(pixels.data());
    }
};

std::vector<DWORD> resample(const DecodedImage& source, UINT width, UINT height, DWORD filter,
                            D3DCOLOR key = 0) {
    std::vector<DWORD> out(width * height, 0xDEADBEEF);
    EXPECT_EQ(S_OK, loadLevelFromImage(reinterpret_cast<BYTE*>(out.data()), width * 4, D3DFMT_A8R8G8B8, nullptr,
                                       width, height, &source, filter, key));
    return out;
}

}  // namespace

TEST(LinearResampling, FourToTwoBlendsAcrossTheWrappedEdge) {
    // Channel values chosen so that every pair average is exact.
    Argb row(4, 1, {0xFF000000, 0xFF400000, 0xFF800000, 0xFFC00000});
    std::vector<DWORD> out = resample(row.image, 2, 1, D3DX_FILTER_LINEAR);
    EXPECT_EQ(0xFF600000u, out[0]);  // pixels 3 and 0, half each
    EXPECT_EQ(0xFF600000u, out[1]);  // pixels 1 and 2
    Argb distinct(4, 1, {0xFF000000, 0xFF000040, 0xFF004000, 0xFF400000});
    out = resample(distinct.image, 2, 1, D3DX_FILTER_LINEAR);
    EXPECT_EQ(0xFF200000u, out[0]);
    EXPECT_EQ(0xFF002020u, out[1]);
}

TEST(LinearResampling, MirrorFlagsClampTheTapsToTheEdge) {
    Argb distinct(4, 1, {0xFF000000, 0xFF000040, 0xFF004000, 0xFF400000});
    std::vector<DWORD> out = resample(distinct.image, 2, 1, D3DX_FILTER_LINEAR | D3DX_FILTER_MIRROR_U);
    EXPECT_EQ(0xFF000000u, out[0]);
    Argb column(1, 4, {0xFF000000, 0xFF000040, 0xFF004000, 0xFF400000});
    out = resample(column.image, 1, 2, D3DX_FILTER_LINEAR | D3DX_FILTER_MIRROR_U);
    EXPECT_EQ(0xFF200000u, out[0]);  // U only: rows still wrap
    out = resample(column.image, 1, 2, D3DX_FILTER_LINEAR | D3DX_FILTER_MIRROR_V);
    EXPECT_EQ(0xFF000000u, out[0]);
}

TEST(LinearResampling, EnlargingInterpolatesBetweenNeighbours) {
    Argb pair(2, 1, {0xFF000000, 0xFF800000});
    std::vector<DWORD> out = resample(pair.image, 4, 1, D3DX_FILTER_LINEAR | D3DX_FILTER_MIRROR_U);
    // s = i * 0.5 - 0.5: -0.5, 0, 0.5, 1 with clamping at the edges
    EXPECT_EQ(0xFF000000u, out[0]);
    EXPECT_EQ(0xFF000000u, out[1]);
    EXPECT_EQ(0xFF400000u, out[2]);
    EXPECT_EQ(0xFF800000u, out[3]);
}

TEST(Resampling, EveryFilterKeepsAFlatImageFlat) {
    Argb flat(7, 5, std::vector<DWORD>(35, 0x80336699u));
    for (DWORD type = D3DX_FILTER_POINT; type <= D3DX_FILTER_BOX; type++) {
        for (DWORD mirror : {0u, (DWORD)D3DX_FILTER_MIRROR}) {
            for (UINT size : {1u, 2u, 3u, 16u}) {
                std::vector<DWORD> out = resample(flat.image, size, size, type | mirror);
                for (DWORD v : out) ASSERT_EQ(0x80336699u, v) << "filter " << type << " size " << size;
            }
        }
    }
}

TEST(Resampling, BoxAveragesAndPointPicks) {
    Argb square(2, 2, {0xFF000000, 0xFF000080, 0xFF008000, 0xFF800000});
    EXPECT_EQ(0xFF202020u, resample(square.image, 1, 1, D3DX_FILTER_BOX)[0]);
    EXPECT_EQ(0xFF800000u, resample(square.image, 1, 1, D3DX_FILTER_POINT)[0]);
    EXPECT_EQ(0xFF202020u, resample(square.image, 1, 1, D3DX_FILTER_TRIANGLE)[0]);
}

TEST(Resampling, NoFilterCopiesAndLeavesTheRestTransparentBlack) {
    Argb square(2, 2, {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004});
    std::vector<DWORD> out = resample(square.image, 4, 2, D3DX_FILTER_NONE);
    EXPECT_EQ(0xFF000002u, out[1]);
    EXPECT_EQ(0xFF000003u, out[4]);
    EXPECT_EQ(0u, out[2]);
    EXPECT_EQ(0u, out[7]);
}

TEST(Resampling, SameSizeIsACopyWhateverTheFilter) {
    Argb square(2, 2, {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004});
    for (DWORD type = D3DX_FILTER_NONE; type <= D3DX_FILTER_BOX; type++)
        EXPECT_EQ(square.pixels, resample(square.image, 2, 2, type));
}

TEST(Resampling, ColourKeyedPixelsTakePartAsTransparentBlack) {
    Argb pair(2, 1, {0xFFFF00FF, 0xFF00FF00});
    std::vector<DWORD> same = resample(pair.image, 2, 1, D3DX_FILTER_POINT, 0xFFFF00FF);
    EXPECT_EQ(0u, same[0]);
    EXPECT_EQ(0xFF00FF00u, same[1]);
    EXPECT_EQ(0x80008000u, resample(pair.image, 1, 1, D3DX_FILTER_BOX, 0xFFFF00FF)[0]);
}

TEST(Resampling, RejectsBadArguments) {
    Argb one(1, 1, {0});
    DWORD out = 0;
    BYTE* target = reinterpret_cast<BYTE*>(&out);
    EXPECT_TRUE(FAILED(loadLevelFromImage(target, 4, D3DFMT_A8R8G8B8, nullptr, 1, 1, &one.image, 0, 0)));
    EXPECT_TRUE(FAILED(loadLevelFromImage(target, 4, D3DFMT_A8R8G8B8, nullptr, 1, 1, &one.image, 6, 0)));
    EXPECT_TRUE(FAILED(loadLevelFromImage(target, 4, D3DFMT_DXT1, nullptr, 1, 1, &one.image, 1, 0)));
    EXPECT_TRUE(FAILED(loadLevelFromImage(target, 4, D3DFMT_A8R8G8B8, nullptr, 0, 1, &one.image, 1, 0)));
}

namespace {

// Pixels that differ everywhere (a hash of the position), in `format`.
std::vector<BYTE> noise(UINT width, UINT height, UINT bytesPerPixel, unsigned seed) {
    std::vector<BYTE> bytes(size_t(width) * height * bytesPerPixel);
    unsigned state = seed;
    for (BYTE& b : bytes) {
        state = state * 1664525u + 1013904223u;
        b = BYTE(state >> 24);
    }
    return bytes;
}

// Points `image` at `bytes` (the image does not own them).
void pointAt(DecodedImage* image, BYTE* bytes, UINT width, UINT height, D3DFORMAT format, UINT bytesPerPixel) {
    image->width = width;
    image->height = height;
    image->depth = 1;
    image->format = format;
    image->pitch = width * bytesPerPixel;
    image->pixels = bytes;
}

std::vector<BYTE> loadInto(D3DFORMAT format, UINT bytesPerPixel, UINT width, UINT height, const DecodedImage& source,
                           DWORD filter, D3DCOLOR key) {
    std::vector<BYTE> out(size_t(width) * height * bytesPerPixel, 0xCD);
    EXPECT_EQ(S_OK, loadLevelFromImage(out.data(), width * bytesPerPixel, format, nullptr, width, height, &source,
                                       filter, key));
    return out;
}

}  // namespace

// A level of the image's own size is converted row by row; it must come out
// as the filter makes it. A colour key that matches no pixel (its alpha is
// 1, every pixel here is opaque or has an alpha of its own that the key's
// colour bits never equal) sends the same work through the filter.
TEST(Resampling, SameSizeConversionEqualsTheFilteredResult) {
    struct Case {
        D3DFORMAT from;
        UINT fromBytes;
        D3DFORMAT to;
        UINT toBytes;
    };
    const Case cases[] = {{D3DFMT_R8G8B8, 3, D3DFMT_X8R8G8B8, 4}, {D3DFMT_R8G8B8, 3, D3DFMT_A8R8G8B8, 4},
                          {D3DFMT_R8G8B8, 3, D3DFMT_R5G6B5, 2},   {D3DFMT_X8R8G8B8, 4, D3DFMT_A4R4G4B4, 2},
                          {D3DFMT_R5G6B5, 2, D3DFMT_X8R8G8B8, 4}, {D3DFMT_A1R5G5B5, 2, D3DFMT_A8R8G8B8, 4}};
    const D3DCOLOR neverMatches = 0x01FEDCBA;
    for (const Case& c : cases) {
        std::vector<BYTE> bytes = noise(37, 11, c.fromBytes, c.from);
        if (c.from == D3DFMT_A1R5G5B5) {
            for (size_t i = 1; i < bytes.size(); i += 2) bytes[i] |= 0x80;  // opaque: the key's alpha is 1
        }
        DecodedImage image;
        pointAt(&image, bytes.data(), 37, 11, c.from, c.fromBytes);
        EXPECT_EQ(loadInto(c.to, c.toBytes, 37, 11, image, D3DX_FILTER_TRIANGLE, neverMatches),
                  loadInto(c.to, c.toBytes, 37, 11, image, D3DX_FILTER_TRIANGLE, 0))
            << "format " << c.from << " into " << c.to;
    }
}

// A large level is shared between two threads, each with half the rows; a
// band of rows made alone (from the matching band of the source) must be the
// same as the same rows of the whole level.
TEST(Resampling, LargeLevelsComeOutAsTheirRowsMadeAlone) {
    const UINT width = 1024;
    const UINT height = 512;
    std::vector<BYTE> bytes = noise(width, height, 4, 7);
    DecodedImage whole;
    pointAt(&whole, bytes.data(), width, height, D3DFMT_A8R8G8B8, 4);
    const std::vector<BYTE> level = loadInto(D3DFMT_A8R8G8B8, 4, width / 2, height / 2, whole, D3DX_FILTER_BOX, 0);
    // The box filter halving the size reads source rows 2y and 2y + 1 only:
    // bands of 16 source rows give 8 whole rows of the level.
    for (UINT band = 0; band < height; band += 16) {
        DecodedImage part;
        pointAt(&part, bytes.data() + size_t(band) * whole.pitch, width, 16, D3DFMT_A8R8G8B8, 4);
        const std::vector<BYTE> rows = loadInto(D3DFMT_A8R8G8B8, 4, width / 2, 8, part, D3DX_FILTER_BOX, 0);
        const size_t rowBytes = size_t(width / 2) * 4;
        ASSERT_TRUE(std::equal(rows.begin(), rows.end(), level.begin() + std::ptrdiff_t(band / 2 * rowBytes)))
            << "rows from " << band / 2;
    }
}
