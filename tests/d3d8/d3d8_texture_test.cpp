// Texture formats, locking, mip levels, filters, UpdateTexture.
#include <cstring>

#include "../../platform/d3d8/d3d8_surface.h"
#include "d3d8_test_scene.h"

namespace {

struct FormatCase {
    D3DFORMAT format;
    UINT bytes;
    uint32_t texel;     // the texel as stored (little-endian, low bytes used)
    D3DCOLOR expected;  // what sampling gives, as A8R8G8B8
    const char* name;
};

const FormatCase kFormats[] = {
    {D3DFMT_A8R8G8B8, 4, 0x80FF8040, 0x80FF8040, "A8R8G8B8"},
    {D3DFMT_X8R8G8B8, 4, 0x00FF8040, 0xFFFF8040, "X8R8G8B8"},
    {D3DFMT_R5G6B5, 2, 0xF81F, 0xFFFF00FF, "R5G6B5"},           // red 31, green 0, blue 31
    {D3DFMT_X1R5G5B5, 2, 0x03E0, 0xFF00FF00, "X1R5G5B5"},       // green 31, X bit clear
    {D3DFMT_A1R5G5B5, 2, 0x7C00, 0x00FF0000, "A1R5G5B5"},       // red, alpha bit clear
    {D3DFMT_A4R4G4B4, 2, 0x8F00, 0x88FF0000, "A4R4G4B4"},
    {D3DFMT_L8, 1, 0x80, 0xFF808080, "L8"},
    {D3DFMT_A8L8, 2, 0x40C0, 0x40C0C0C0, "A8L8"},
    {D3DFMT_A8, 1, 0x80, 0x80000000, "A8"},
};

class FormatTest : public DevicePictureTest, public ::testing::WithParamInterface<FormatCase> {};

// The texel goes to the screen as colour (SELECTARG1) and its alpha through
// blending over white: colour x a + white x (1 - a) per channel.
TEST_P(FormatTest, TexelsReadAsDirect3DLaysThemOut) {
    const FormatCase& format = GetParam();
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, format.format, D3DPOOL_MANAGED, &texture), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    EXPECT_GE(locked.Pitch, static_cast<INT>(4 * format.bytes));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + x * format.bytes, &format.texel,
                        format.bytes);
        }
    }
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
    device->SetTexture(0, texture);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    drawRect(0, 0, 64, 128, 0xFFFFFFFF);
    // Right half: texture alpha as a grey level.
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE);
    drawRect(64, 0, 128, 128, 0xFFFFFFFF);
    const RgbaImage picture = present();
    EXPECT_TRUE(pixelNear(picture, 32, 64, format.expected & 0x00FFFFFF, 2)) << format.name;
    const uint32_t alpha = format.expected >> 24;
    EXPECT_TRUE(pixelNear(picture, 96, 64, alpha << 16 | alpha << 8 | alpha, 2)) << format.name << " alpha";
    device->SetTexture(0, nullptr);
    texture->Release();
}

INSTANTIATE_TEST_SUITE_P(Formats, FormatTest, ::testing::ValuesIn(kFormats),
                         [](const ::testing::TestParamInfo<FormatCase>& info) { return info.param.name; });

using TextureTest = DevicePictureTest;

TEST_F(TextureTest, CreationFollowsTheCaps) {
    IDirect3DTexture8* texture = nullptr;
    EXPECT_EQ(device->CreateTexture(100, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(4096, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(64, 64, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(64, 64, 8, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(texture, nullptr);
    ASSERT_EQ(device->CreateTexture(2048, 16, 0, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &texture), D3D_OK);
    EXPECT_EQ(texture->GetLevelCount(), 12u);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(texture->GetLevelDesc(5, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 64u);
    EXPECT_EQ(desc.Height, 1u);
    EXPECT_EQ(desc.Format, D3DFMT_R5G6B5);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    EXPECT_EQ(texture->GetLevelDesc(12, &desc), D3DERR_INVALIDCALL);
    texture->Release();
}

TEST_F(TextureTest, LockRectGivesTheRectanglesBytes) {
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    D3DLOCKED_RECT whole{};
    ASSERT_EQ(texture->LockRect(0, &whole, nullptr, 0), D3D_OK);
    D3DLOCKED_RECT again{};
    EXPECT_EQ(texture->LockRect(0, &again, nullptr, 0), D3DERR_INVALIDCALL);  // already locked
    for (int i = 0; i < 64; ++i) static_cast<DWORD*>(whole.pBits)[i] = 0x01000000u * static_cast<DWORD>(i + 1);
    texture->UnlockRect(0);
    const RECT rect{2, 3, 4, 5};
    D3DLOCKED_RECT part{};
    ASSERT_EQ(texture->LockRect(0, &part, &rect, 0), D3D_OK);
    EXPECT_EQ(part.Pitch, whole.Pitch);
    EXPECT_EQ(*static_cast<DWORD*>(part.pBits), 0x01000000u * (3 * 8 + 2 + 1)) << "texel (2, 3)";
    EXPECT_EQ(*reinterpret_cast<DWORD*>(static_cast<BYTE*>(part.pBits) + part.Pitch + 4), 0x01000000u * (4 * 8 + 3 + 1))
        << "texel (3, 4)";
    texture->UnlockRect(0);
    const RECT outside{6, 6, 10, 10};
    EXPECT_EQ(texture->LockRect(0, &part, &outside, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->UnlockRect(0), D3DERR_INVALIDCALL);
    texture->Release();
}

// A test texture made in SetUp, bound to stage 0 as the only colour source
// by useTexture, and released after the test.
class BoundTextureTest : public DevicePictureTest {
protected:
    void useTexture() {
        device->SetTexture(0, texture);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    }
    void TearDown() override {
        if (device != nullptr) device->SetTexture(0, nullptr);
        if (texture != nullptr) texture->Release();
        DevicePictureTest::TearDown();
    }
    IDirect3DTexture8* texture = nullptr;
};

// Level 0 red, level 1 green, level 2 blue; a quad small enough to use level 2.
class MipTest : public BoundTextureTest {
protected:
    void SetUp() override {
        DevicePictureTest::SetUp();
        ASSERT_EQ(device->CreateTexture(16, 16, 3, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
        const D3DCOLOR colors[3] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
        for (UINT level = 0; level < 3; ++level) {
            D3DLOCKED_RECT locked{};
            texture->LockRect(level, &locked, nullptr, 0);
            D3DSURFACE_DESC desc{};
            texture->GetLevelDesc(level, &desc);
            for (UINT y = 0; y < desc.Height; ++y) {
                auto* row = reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
                for (UINT x = 0; x < desc.Width; ++x) row[x] = colors[level];
            }
            texture->UnlockRect(level);
        }
        useTexture();
    }
    uint32_t smallQuad() {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        drawRect(0, 0, 4, 4, 0xFFFFFFFF);
        return present().argb(2, 2);
    }
};

TEST_F(MipTest, MipFilterNoneSamplesOnlyTheFirstLevel) { EXPECT_TRUE(colorsNear(smallQuad(), 0x00FF0000, 0)); }

TEST_F(MipTest, MipFilterPointPicksTheLevelOfTheSize) {
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
    EXPECT_TRUE(colorsNear(smallQuad(), 0x000000FF, 0));
}

TEST_F(MipTest, MaxMipLevelLimitsTheLargestLevel) {
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MAXMIPLEVEL, 1);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    drawRect(0, 0, 128, 128, 0xFFFFFFFF);  // would use level 0
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x0000FF00, 0));
}

// Levels that were never locked hold the zeros they were made with, also
// after other levels of the texture were filled, and also when the first
// draw that samples them comes long after the texture was made.
using UnfilledLevelTest = BoundTextureTest;

TEST_F(UnfilledLevelTest, LevelsNeverLockedSampleAsZero) {
    ASSERT_EQ(device->CreateTexture(16, 16, 3, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < 16; ++y) {
        auto* row = reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
        for (UINT x = 0; x < 16; ++x) row[x] = 0xFFFF0000;
    }
    texture->UnlockRect(0);
    useTexture();
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x000000FF, 1.0f, 0);
    drawRect(0, 0, 128, 128, 0xFFFFFFFF);  // level 0, filled
    drawRect(0, 0, 4, 4, 0xFFFFFFFF);      // level 2, never filled
    const RgbaImage picture = present();
    EXPECT_TRUE(pixelNear(picture, 64, 64, 0x00FF0000, 0));
    EXPECT_TRUE(pixelNear(picture, 2, 2, 0x00000000, 0));
}

TEST_F(UnfilledLevelTest, ATextureNeverLockedSamplesAsTransparentBlack) {
    ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    useTexture();
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_SRCALPHA);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00FF0000, 1.0f, 0);
    // Texture (0, 0, 0, 0) + diffuse green: green over a destination times 0.
    drawRect(0, 0, 128, 128, 0xFF00FF00);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x0000FF00, 0));
}

// A 2 x 1 texture black | white stretched over 128 pixels.
class FilterTest : public BoundTextureTest {
protected:
    void SetUp() override {
        DevicePictureTest::SetUp();
        ASSERT_EQ(device->CreateTexture(2, 1, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
        D3DLOCKED_RECT locked{};
        texture->LockRect(0, &locked, nullptr, 0);
        static_cast<DWORD*>(locked.pBits)[0] = 0xFF000000;
        static_cast<DWORD*>(locked.pBits)[1] = 0xFFFFFFFF;
        texture->UnlockRect(0);
        useTexture();
    }
};

TEST_F(FilterTest, PointFilterKeepsTexelsSharp) {
    drawRect(0, 0, 128, 128, 0xFFFFFFFF);
    const RgbaImage picture = present();
    EXPECT_TRUE(pixelNear(picture, 60, 64, 0x00000000, 0));
    EXPECT_TRUE(pixelNear(picture, 68, 64, 0x00FFFFFF, 0));
}

TEST_F(FilterTest, LinearFilterBlendsNeighbours) {
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    drawRect(0, 0, 128, 128, 0xFFFFFFFF);
    const RgbaImage picture = present();
    EXPECT_TRUE(pixelNear(picture, 64, 64, 0x00808080, 3));
    EXPECT_TRUE(pixelNear(picture, 2, 64, 0x00000000, 0));
    EXPECT_TRUE(pixelNear(picture, 125, 64, 0x00FFFFFF, 0));
}

TEST_F(FilterTest, AddressModesRepeatOrClamp) {
    // u from 0 to 2: wrap repeats black | white, clamp stays white on the right half.
    const ScreenVertex quad[6] = {{0, 0, 0, 1, 0xFFFFFFFF, 0, 0},   {128, 0, 0, 1, 0xFFFFFFFF, 2, 0},
                                  {0, 128, 0, 1, 0xFFFFFFFF, 0, 1}, {128, 0, 0, 1, 0xFFFFFFFF, 2, 0},
                                  {128, 128, 0, 1, 0xFFFFFFFF, 2, 1}, {0, 128, 0, 1, 0xFFFFFFFF, 0, 1}};
    device->SetVertexShader(kScreenFvf);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad, sizeof(ScreenVertex));
    EXPECT_TRUE(pixelNear(present(), 80, 64, 0x00000000, 0));
    device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad, sizeof(ScreenVertex));
    EXPECT_TRUE(pixelNear(present(), 80, 64, 0x00FFFFFF, 0));
}

// Creating and filling textures between draws leaves the stages' textures alone.
TEST_F(TextureTest, NewTexturesDoNotDisturbTheBoundOnes) {
    IDirect3DTexture8* first = solidTexture(0xFFFF0000);
    IDirect3DTexture8* second = solidTexture(0xFF00FF00);
    device->SetTexture(0, first);
    device->SetTexture(1, second);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
    drawRect(0, 0, 128, 128, 0xFFFFFFFF);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x00FFFF00, 0));
    IDirect3DTexture8* third = solidTexture(0xFF0000FF, 4);
    D3DLOCKED_RECT locked{};
    first->LockRect(0, &locked, nullptr, 0);
    *static_cast<DWORD*>(locked.pBits) = 0xFF800000;
    first->UnlockRect(0);
    drawRect(0, 0, 128, 128, 0xFFFFFFFF);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x0080FF00, 1));
    device->SetTexture(0, nullptr);
    device->SetTexture(1, nullptr);
    third->Release();
    second->Release();
    first->Release();
}

TEST_F(TextureTest, UpdateTextureCopiesSystemMemoryToTheDevice) {
    IDirect3DTexture8* staging = nullptr;
    IDirect3DTexture8* onDevice = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &staging), D3D_OK);
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &onDevice), D3D_OK);
    EXPECT_EQ(device->SetTexture(0, staging), D3DERR_INVALIDCALL);  // system memory cannot be drawn with
    D3DLOCKED_RECT locked{};
    staging->LockRect(0, &locked, nullptr, 0);
    for (int i = 0; i < 16; ++i) static_cast<DWORD*>(locked.pBits)[i] = 0xFF00C0FF;
    staging->UnlockRect(0);
    ASSERT_EQ(device->UpdateTexture(staging, onDevice), D3D_OK);
    device->SetTexture(0, onDevice);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    drawRect(0, 0, 128, 128, 0xFFFFFFFF);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x0000C0FF, 0));
    EXPECT_EQ(device->UpdateTexture(onDevice, staging), D3DERR_INVALIDCALL);
    device->SetTexture(0, nullptr);
    staging->Release();
    onDevice->Release();
}

// GL holds the bytes of a managed level once they are sent: the level gives
// back its system-memory copy and reads it back on the next lock. Whatever
// was written must come back, byte for byte, and pictures must not change.
class LevelCopyTest : public DevicePictureTest {
protected:
    IDirect3DTexture8* filled(D3DFORMAT format, DWORD fourthByte) {
        IDirect3DTexture8* texture = nullptr;
        EXPECT_EQ(device->CreateTexture(16, 8, 2, 0, format, D3DPOOL_MANAGED, &texture), D3D_OK);
        for (UINT level = 0; level < 2; ++level) {
            D3DLOCKED_RECT locked{};
            EXPECT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
            for (UINT y = 0; y < 8u >> level; ++y) {
                for (UINT x = 0; x < 16u >> level; ++x) {
                    reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch)[x] =
                        texel(level, x, y, fourthByte);
                }
            }
            EXPECT_EQ(texture->UnlockRect(level), D3D_OK);
        }
        EXPECT_FALSE(copyInGl(texture, 0)) << "the copy stays until the next sweep";
        sweep();
        return texture;
    }
    // Copies GL holds too are given back when a scene begins (and when a texture is made).
    void sweep() {
        device->BeginScene();
        device->EndScene();
    }
    static DWORD texel(UINT level, UINT x, UINT y, DWORD fourthByte) {
        return fourthByte << 24 | (x * 16 + level * 7) << 16 | (y * 30) << 8 | ((x ^ y) * 9 + 1);
    }
    // Every texel of both levels, read with a lock of its own (read-only or not).
    void expectTexels(IDirect3DTexture8* texture, DWORD fourthByte, DWORD flags) {
        for (UINT level = 0; level < 2; ++level) {
            D3DLOCKED_RECT locked{};
            ASSERT_EQ(texture->LockRect(level, &locked, nullptr, flags), D3D_OK);
            for (UINT y = 0; y < 8u >> level; ++y) {
                for (UINT x = 0; x < 16u >> level; ++x) {
                    ASSERT_EQ(reinterpret_cast<const DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch)[x],
                              texel(level, x, y, fourthByte))
                        << "level " << level << " texel " << x << ", " << y;
                }
            }
            texture->UnlockRect(level);
        }
    }
    static bool copyInGl(IDirect3DTexture8* texture, UINT level) {
        IDirect3DSurface8* surface = nullptr;
        texture->GetSurfaceLevel(level, &surface);
        const bool inGl = static_cast<D3d8Surface*>(surface)->memoryInGl;
        surface->Release();
        return inGl;
    }
};

TEST_F(LevelCopyTest, LockedAgainTheLevelsGiveBackEveryByte) {
    IDirect3DTexture8* alpha = filled(D3DFMT_A8R8G8B8, 0x80);
    EXPECT_TRUE(copyInGl(alpha, 0));
    EXPECT_TRUE(copyInGl(alpha, 1));
    expectTexels(alpha, 0x80, D3DLOCK_READONLY);
    EXPECT_FALSE(copyInGl(alpha, 0)) << "read back by the lock";
    IDirect3DTexture8* another = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &another), D3D_OK);
    EXPECT_TRUE(copyInGl(alpha, 0)) << "a new texture sweeps";
    another->Release();
    expectTexels(alpha, 0x80, 0);
    // Without alpha too GL keeps every fourth byte, 0xFF or not.
    IDirect3DTexture8* opaque = filled(D3DFMT_X8R8G8B8, 0xFF);
    EXPECT_TRUE(copyInGl(opaque, 0));
    expectTexels(opaque, 0xFF, 0);
    IDirect3DTexture8* marked = filled(D3DFMT_X8R8G8B8, 0x12);
    EXPECT_TRUE(copyInGl(marked, 0));
    expectTexels(marked, 0x12, 0);
    marked->Release();
    opaque->Release();
    alpha->Release();
}

// The unused byte of X8R8G8B8 is the program's: whatever it holds, pixel by
// pixel, comes back from GL, and the texture still samples as opaque.
TEST_F(LevelCopyTest, UnusedBytesOfOpaqueColourComeBackFromGl) {
    for (UINT width : {1u, 2u, 4u}) {
        IDirect3DTexture8* texture = nullptr;
        ASSERT_EQ(device->CreateTexture(width, 1, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        for (UINT x = 0; x < width; ++x) static_cast<DWORD*>(locked.pBits)[x] = (0x10u + x) << 24 | 0x123456;
        texture->UnlockRect(0);
        sweep();
        EXPECT_TRUE(copyInGl(texture, 0)) << width << " pixels";
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        for (UINT x = 0; x < width; ++x) EXPECT_EQ(static_cast<DWORD*>(locked.pBits)[x], (0x10u + x) << 24 | 0x123456);
        texture->UnlockRect(0);
        // Alpha through blending over white: opaque shows the colour alone.
        device->SetTexture(0, texture);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
        drawRect(0, 0, 128, 128, 0xFFFFFFFF);
        EXPECT_TRUE(pixelNear(present(), 64, 64, 0x123456, 1)) << width << " pixels";
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        device->SetTexture(0, nullptr);
        texture->Release();
    }
}

TEST_F(LevelCopyTest, LevelsInGlDrawCopyAndOutliveTheirDevice) {
    IDirect3DTexture8* texture = filled(D3DFMT_A8R8G8B8, 0xFF);
    ASSERT_TRUE(copyInGl(texture, 0));
    // Drawn: texel (0, 0) fills the picture with a point filter.
    device->SetTexture(0, texture);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    drawRect(0, 0, 128, 128, 0xFFFFFFFF);
    EXPECT_TRUE(pixelNear(present(), 0, 0, texel(0, 0, 0, 0xFF) & 0xFFFFFF, 0));
    device->SetTexture(0, nullptr);
    // Copied to an image surface: the bytes of the level.
    IDirect3DSurface8* level = nullptr;
    IDirect3DSurface8* image = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(1, &level), D3D_OK);
    ASSERT_EQ(device->CreateImageSurface(8, 4, D3DFMT_A8R8G8B8, &image), D3D_OK);
    ASSERT_EQ(device->CopyRects(level, nullptr, 0, image, nullptr), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(image->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(reinterpret_cast<const DWORD*>(static_cast<BYTE*>(locked.pBits) + 3 * locked.Pitch)[5],
              texel(1, 5, 3, 0xFF));
    image->UnlockRect();
    image->Release();
    level->Release();
    // The device goes first: the texture still holds its bytes.
    releaseTestDevice(&test);
    device = nullptr;
    expectTexels(texture, 0xFF, 0);
    texture->Release();
}

}  // namespace
