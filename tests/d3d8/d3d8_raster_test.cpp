// Rasterisation as Direct3D 8 does it: pixel centres, depth range, culling,
// lines with their last pixel, wireframe, flat shading.
#include "d3d8_test_scene.h"

namespace {

class PixelCentreTest : public DevicePictureTest {
protected:
    PixelCentreTest() {
        width = 640;
        height = 480;
    }
};

TEST_F(PixelCentreTest, ScreenQuadCoversTheDirect3DPixels) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    drawRect(90, 110, 570, 300, 0xFFFFFFFF);
    const RgbaImage picture = present();
    for (const POINT inside : {POINT{92, 112}, POINT{568, 112}, POINT{92, 298}, POINT{568, 298}, POINT{90, 110},
                               POINT{569, 299}}) {
        EXPECT_TRUE(pixelNear(picture, inside.x, inside.y, 0x00FFFFFF, 0));
    }
    for (const POINT outside : {POINT{88, 200}, POINT{572, 200}, POINT{300, 108}, POINT{300, 302}, POINT{89, 200},
                                POINT{570, 200}, POINT{300, 109}, POINT{300, 300}}) {
        EXPECT_TRUE(pixelNear(picture, outside.x, outside.y, 0x00000000, 0));
    }
}

// The same through the transforms: clip x -1..1 maps to Direct3D pixels 0..640
// with centres on integers, so a quad from pixel 160 to 480 covers 160..479.
TEST_F(PixelCentreTest, TransformedQuadCoversTheDirect3DPixels) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    drawClipRect(-0.5f, -0.5f, 0.5f, 0.5f, 0xFFFFFFFF);
    const RgbaImage picture = present();
    EXPECT_TRUE(pixelNear(picture, 160, 120, 0x00FFFFFF, 0));
    EXPECT_TRUE(pixelNear(picture, 479, 359, 0x00FFFFFF, 0));
    EXPECT_TRUE(pixelNear(picture, 159, 200, 0x00000000, 0));
    EXPECT_TRUE(pixelNear(picture, 480, 200, 0x00000000, 0));
    EXPECT_TRUE(pixelNear(picture, 300, 119, 0x00000000, 0));
    EXPECT_TRUE(pixelNear(picture, 300, 360, 0x00000000, 0));
}

// Texel centres line up with pixel centres: a 4 x 4 texture on a 4 x 4 pixel
// quad maps texel for texel with point filtering.
TEST_F(PixelCentreTest, TexelsLandOnTheirPixels) {
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    D3DLOCKED_RECT locked{};
    texture->LockRect(0, &locked, nullptr, 0);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch)[x] =
                0xFF000000u | static_cast<DWORD>(x * 60) << 16 | static_cast<DWORD>(y * 60) << 8;
        }
    }
    texture->UnlockRect(0);
    device->SetTexture(0, texture);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    drawRect(10, 20, 14, 24, 0xFFFFFFFF);
    const RgbaImage picture = present();
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_TRUE(pixelNear(picture, 10 + x, 20 + y, static_cast<uint32_t>(x * 60) << 16 | static_cast<uint32_t>(y * 60) << 8, 0));
        }
    }
    device->SetTexture(0, nullptr);
    texture->Release();
}

using RasterTest = DevicePictureTest;

// z runs from 1.1 at the left edge to -1.1 at the right: Direct3D keeps 0..1,
// i.e. from x = -0.909 (pixel 6) to x = 0 (pixel 64).
TEST_F(RasterTest, DepthOutsideZeroToOneIsClipped) {
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 0.75f, 0);
    const ClipVertex quad[6] = {{-1, 1, 1.1f, 0xFFFFFFFF, 0, 0},  {1, 1, -1.1f, 0xFFFFFFFF, 0, 0},
                                {-1, -1, 1.1f, 0xFFFFFFFF, 0, 0}, {1, 1, -1.1f, 0xFFFFFFFF, 0, 0},
                                {1, -1, -1.1f, 0xFFFFFFFF, 0, 0}, {-1, -1, 1.1f, 0xFFFFFFFF, 0, 0}};
    device->SetVertexShader(kClipFvf);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad, sizeof(ClipVertex));
    RgbaImage picture = present();
    EXPECT_TRUE(pixelNear(picture, 3, 64, 0x00000000, 0)) << "z > 1";
    EXPECT_TRUE(pixelNear(picture, 10, 64, 0x00FFFFFF, 0));
    EXPECT_TRUE(pixelNear(picture, 60, 64, 0x00FFFFFF, 0));
    EXPECT_TRUE(pixelNear(picture, 68, 64, 0x00000000, 0)) << "z < 0";
    // Against the cleared depth of 0.75 with LESS: only z < 0.75 (x > -0.68, pixel 20) passes.
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 0.75f, 0);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad, sizeof(ClipVertex));
    picture = present();
    EXPECT_TRUE(pixelNear(picture, 16, 64, 0x00000000, 0));
    EXPECT_TRUE(pixelNear(picture, 26, 64, 0x00FFFFFF, 0));
}

TEST_F(RasterTest, DepthTestAndWritesFollowTheirStates) {
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    drawClipRect(-1, -1, 1, 1, 0xFFFF0000, 0.5f);
    drawClipRect(-1, -1, 0, 1, 0xFF00FF00, 0.7f);  // behind: hidden
    drawClipRect(0, -1, 1, 1, 0xFF0000FF, 0.3f);   // in front: shown
    RgbaImage picture = present();
    EXPECT_TRUE(pixelNear(picture, 32, 64, 0x00FF0000, 0));
    EXPECT_TRUE(pixelNear(picture, 96, 64, 0x000000FF, 0));
    // Without depth writes the near quad leaves the depth at 0.5.
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    drawClipRect(-1, -1, 1, 1, 0xFFFF0000, 0.5f);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    drawClipRect(-1, -1, 1, 1, 0xFF00FF00, 0.7f);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x0000FF00, 0));
    // ZENABLE FALSE draws regardless.
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    drawClipRect(-1, -1, 1, 1, 0xFFFFFFFF, 0.9f);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x00FFFFFF, 0));
}

TEST_F(RasterTest, ViewportDepthRangeIsKept) {
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 0.6f, 0);
    const D3DVIEWPORT8 viewport{0, 0, 128, 128, 0.5f, 1.0f};
    device->SetViewport(&viewport);
    drawClipRect(-1, -1, 0, 1, 0xFFFFFFFF, 0.1f);  // 0.55: in front of 0.6
    drawClipRect(0, -1, 1, 1, 0xFFFFFFFF, 0.4f);   // 0.7: behind
    const RgbaImage picture = present();
    EXPECT_TRUE(pixelNear(picture, 32, 64, 0x00FFFFFF, 0));
    EXPECT_TRUE(pixelNear(picture, 96, 64, 0x00000000, 0));
}

// Screen-space vertices are not clipped in depth (the device does not offer
// D3DPMISCCAPS_CLIPTLVERTS): z below 0 and above 1 is clamped to 0 and 1.
TEST_F(RasterTest, ScreenSpaceDepthOutsideZeroToOneIsClampedNotClipped) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    drawRect(0, 0, 64, 128, 0xFFFF0000, -0.5f);
    drawRect(64, 0, 128, 128, 0xFF00FF00, 1.5f);
    RgbaImage picture = present();
    EXPECT_TRUE(pixelNear(picture, 32, 64, 0x00FF0000, 0)) << "z < 0, depth buffer off";
    EXPECT_TRUE(pixelNear(picture, 96, 64, 0x0000FF00, 0)) << "z > 1, depth buffer off";

    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    drawRect(0, 0, 64, 128, 0xFFFF0000, -0.5f);
    drawRect(64, 0, 128, 128, 0xFF00FF00, 1.5f);
    picture = present();
    EXPECT_TRUE(pixelNear(picture, 32, 64, 0x00FF0000, 0)) << "z < 0 against depth 1";
    EXPECT_TRUE(pixelNear(picture, 96, 64, 0x0000FF00, 0)) << "z > 1 is depth 1: passes LESSEQUAL";

    // Against depth 0.5 the quad below 0 passes and writes 0; the one above 1 fails.
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 0.5f, 0);
    drawRect(0, 0, 64, 128, 0xFFFF0000, -0.5f);
    drawRect(64, 0, 128, 128, 0xFF00FF00, 1.5f);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    drawRect(0, 0, 128, 128, 0xFF0000FF, 0.0f);
    picture = present();
    EXPECT_TRUE(pixelNear(picture, 32, 64, 0x00FF0000, 0)) << "depth 0 written: z = 0 is not less";
    EXPECT_TRUE(pixelNear(picture, 96, 64, 0x000000FF, 0));
}

// The clamp belongs to screen-space draws only: transformed geometry is still
// clipped after a screen-space draw.
TEST_F(RasterTest, TransformedDepthIsClippedAfterAScreenSpaceDraw) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    drawRect(0, 0, 1, 1, 0xFF000000, 2.0f);
    drawClipRect(-1, -1, 1, 1, 0xFFFFFFFF, 1.5f);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x00000000, 0));
}

TEST_F(RasterTest, ViewportMaxZAboveOneIsAccepted) {
    const D3DVIEWPORT8 viewport{0, 0, 128, 128, 0.0f, 7.5f};
    ASSERT_EQ(device->SetViewport(&viewport), D3D_OK);
    D3DVIEWPORT8 back{};
    device->GetViewport(&back);
    EXPECT_EQ(back.MaxZ, 7.5f);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    drawClipRect(-1, -1, 0, 1, 0xFFFFFFFF, 0.5f);
    drawRect(64, 0, 128, 128, 0xFF00FF00, 0.5f);
    const RgbaImage picture = present();
    EXPECT_TRUE(pixelNear(picture, 32, 64, 0x00FFFFFF, 0));
    EXPECT_TRUE(pixelNear(picture, 96, 64, 0x0000FF00, 0));
}

// Two triangles, clockwise on screen at the left, counter-clockwise at the right.
void drawWindingPair(IDirect3DDevice8* device) {
    const ScreenVertex triangles[6] = {
        {10, 10, 0, 1, 0xFFFFFFFF, 0, 0}, {50, 10, 0, 1, 0xFFFFFFFF, 0, 0},  {10, 50, 0, 1, 0xFFFFFFFF, 0, 0},
        {70, 10, 0, 1, 0xFFFFFFFF, 0, 0}, {70, 50, 0, 1, 0xFFFFFFFF, 0, 0}, {110, 10, 0, 1, 0xFFFFFFFF, 0, 0}};
    device->SetVertexShader(kScreenFvf);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, triangles, sizeof(ScreenVertex));
}

TEST_F(RasterTest, CullModesCullByScreenWinding) {
    const struct {
        DWORD mode;
        uint32_t left;
        uint32_t right;
    } cases[] = {{D3DCULL_CCW, 0x00FFFFFF, 0}, {D3DCULL_CW, 0, 0x00FFFFFF}, {D3DCULL_NONE, 0x00FFFFFF, 0x00FFFFFF}};
    for (const auto& cull : cases) {
        device->SetRenderState(D3DRS_CULLMODE, cull.mode);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        drawWindingPair(device);
        const RgbaImage picture = present();
        EXPECT_TRUE(pixelNear(picture, 20, 20, cull.left, 0)) << "cull mode " << cull.mode;
        EXPECT_TRUE(pixelNear(picture, 80, 20, cull.right, 0)) << "cull mode " << cull.mode;
    }
}

void drawLines(IDirect3DDevice8* device) {
    const ScreenVertex lines[4] = {{10, 20, 0, 1, 0xFFFFFFFF, 0, 0},
                                   {30, 20, 0, 1, 0xFFFFFFFF, 0, 0},
                                   {50, 10, 0, 1, 0xFFFFFFFF, 0, 0},
                                   {50, 40, 0, 1, 0xFFFFFFFF, 0, 0}};
    device->SetVertexShader(kScreenFvf);
    device->DrawPrimitiveUP(D3DPT_LINELIST, 2, lines, sizeof(ScreenVertex));
}

TEST_F(RasterTest, LineListsAreOnePixelWideWithTheirLastPixel) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    drawLines(device);
    const RgbaImage picture = present();
    for (int x = 10; x <= 30; ++x) EXPECT_TRUE(pixelNear(picture, x, 20, 0x00FFFFFF, 0)) << x;
    EXPECT_TRUE(pixelNear(picture, 9, 20, 0, 0));
    EXPECT_TRUE(pixelNear(picture, 31, 20, 0, 0));
    EXPECT_TRUE(pixelNear(picture, 20, 19, 0, 0));
    EXPECT_TRUE(pixelNear(picture, 20, 21, 0, 0));
    for (int y = 10; y <= 40; ++y) EXPECT_TRUE(pixelNear(picture, 50, y, 0x00FFFFFF, 0)) << y;
    EXPECT_TRUE(pixelNear(picture, 50, 41, 0, 0));
    EXPECT_TRUE(pixelNear(picture, 51, 25, 0, 0));
}

TEST_F(RasterTest, LastPixelOffLeavesTheEndOut) {
    device->SetRenderState(D3DRS_LASTPIXEL, FALSE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    drawLines(device);
    const RgbaImage picture = present();
    EXPECT_TRUE(pixelNear(picture, 29, 20, 0x00FFFFFF, 0));
    EXPECT_TRUE(pixelNear(picture, 30, 20, 0, 0));
    EXPECT_TRUE(pixelNear(picture, 50, 40, 0, 0));
}

// Additive lines (the program's ray bursts) hit their last pixel once, not twice.
TEST_F(RasterTest, LastPixelIsBlendedOnce) {
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    const ScreenVertex lines[2] = {{10, 20, 0, 1, 0xFF404040, 0, 0}, {30, 20, 0, 1, 0xFF404040, 0, 0}};
    device->SetVertexShader(kScreenFvf);
    device->DrawPrimitiveUP(D3DPT_LINELIST, 1, lines, sizeof(ScreenVertex));
    const RgbaImage picture = present();
    EXPECT_TRUE(pixelNear(picture, 10, 20, 0x00404040, 1));
    EXPECT_TRUE(pixelNear(picture, 20, 20, 0x00404040, 1));
    EXPECT_TRUE(pixelNear(picture, 30, 20, 0x00404040, 1));
}

TEST_F(RasterTest, WireframeDrawsTheEdgesOnly) {
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    drawRect(20, 20, 100, 100, 0xFFFFFFFF);
    const RgbaImage picture = present();
    EXPECT_TRUE(pixelNear(picture, 60, 20, 0x00FFFFFF, 0));  // top edge
    EXPECT_TRUE(pixelNear(picture, 20, 60, 0x00FFFFFF, 0));  // left edge
    EXPECT_TRUE(pixelNear(picture, 60, 60, 0x00FFFFFF, 0));  // the diagonal
    EXPECT_TRUE(pixelNear(picture, 40, 70, 0x00000000, 0));  // inside
    EXPECT_TRUE(pixelNear(picture, 80, 45, 0x00000000, 0));
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    drawRect(20, 20, 100, 100, 0xFFFFFFFF);
    EXPECT_TRUE(pixelNear(present(), 40, 70, 0x00FFFFFF, 0));
}

TEST_F(RasterTest, FlatShadingTakesTheFirstVertexColour) {
    const ScreenVertex triangle[3] = {
        {0, 0, 0, 1, 0xFFFF0000, 0, 0}, {128, 0, 0, 1, 0xFF00FF00, 0, 0}, {0, 128, 0, 1, 0xFF0000FF, 0, 0}};
    device->SetVertexShader(kScreenFvf);
    device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, sizeof(ScreenVertex));
    RgbaImage picture = present();
    EXPECT_TRUE(pixelNear(picture, 60, 10, 0x00FF0000, 0));
    EXPECT_TRUE(pixelNear(picture, 10, 60, 0x00FF0000, 0));
    device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, sizeof(ScreenVertex));
    picture = present();
    EXPECT_FALSE(colorsNear(picture.argb(10, 60), 0x00FF0000, 20));
}

}  // namespace
