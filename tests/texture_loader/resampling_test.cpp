// Resampling one level: the linear filter's taps with wrap and mirror
// addressing, the other filters, and conversion between formats.
#include <gtest/gtest.h>

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
