// A new device's states, lighting, and stages that read a missing texture.
#include "d3d8_test_scene.h"

namespace {

using StateTest = DevicePictureTest;

DWORD renderState(IDirect3DDevice8* device, D3DRENDERSTATETYPE state) {
    DWORD value = 0xdeadbeef;
    EXPECT_EQ(device->GetRenderState(state, &value), D3D_OK);
    return value;
}

DWORD stageState(IDirect3DDevice8* device, DWORD stage, D3DTEXTURESTAGESTATETYPE type) {
    DWORD value = 0xdeadbeef;
    EXPECT_EQ(device->GetTextureStageState(stage, type, &value), D3D_OK);
    return value;
}

TEST(NewDeviceTest, StatesStartAtDirect3DDefaults) {
    TestDevice test;
    ASSERT_TRUE(createTestDevice(64, 64, &test)) << test.error;
    IDirect3DDevice8* device = test.device;
    EXPECT_EQ(renderState(device, D3DRS_ZENABLE), static_cast<DWORD>(D3DZB_TRUE));
    EXPECT_EQ(renderState(device, D3DRS_ZWRITEENABLE), static_cast<DWORD>(TRUE));
    EXPECT_EQ(renderState(device, D3DRS_ZFUNC), static_cast<DWORD>(D3DCMP_LESSEQUAL));
    EXPECT_EQ(renderState(device, D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CCW));
    EXPECT_EQ(renderState(device, D3DRS_FILLMODE), static_cast<DWORD>(D3DFILL_SOLID));
    EXPECT_EQ(renderState(device, D3DRS_SHADEMODE), static_cast<DWORD>(D3DSHADE_GOURAUD));
    EXPECT_EQ(renderState(device, D3DRS_LIGHTING), static_cast<DWORD>(TRUE));
    EXPECT_EQ(renderState(device, D3DRS_ALPHABLENDENABLE), static_cast<DWORD>(FALSE));
    EXPECT_EQ(renderState(device, D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_ONE));
    EXPECT_EQ(renderState(device, D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_ZERO));
    EXPECT_EQ(renderState(device, D3DRS_LASTPIXEL), static_cast<DWORD>(TRUE));
    EXPECT_EQ(renderState(device, D3DRS_WRAP0), 0u);
    EXPECT_EQ(renderState(device, D3DRS_TEXTUREFACTOR), 0xFFFFFFFFu);
    EXPECT_EQ(stageState(device, 0, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_MODULATE));
    EXPECT_EQ(stageState(device, 0, D3DTSS_ALPHAOP), static_cast<DWORD>(D3DTOP_SELECTARG1));
    for (DWORD stage = 0; stage < 2; ++stage) {
        if (stage > 0) {
            EXPECT_EQ(stageState(device, stage, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_DISABLE));
            EXPECT_EQ(stageState(device, stage, D3DTSS_ALPHAOP), static_cast<DWORD>(D3DTOP_DISABLE));
        }
        EXPECT_EQ(stageState(device, stage, D3DTSS_COLORARG1), static_cast<DWORD>(D3DTA_TEXTURE));
        EXPECT_EQ(stageState(device, stage, D3DTSS_COLORARG2), static_cast<DWORD>(D3DTA_CURRENT));
        EXPECT_EQ(stageState(device, stage, D3DTSS_ALPHAARG1), static_cast<DWORD>(D3DTA_TEXTURE));
        EXPECT_EQ(stageState(device, stage, D3DTSS_ALPHAARG2), static_cast<DWORD>(D3DTA_CURRENT));
        EXPECT_EQ(stageState(device, stage, D3DTSS_TEXCOORDINDEX), stage);
        EXPECT_EQ(stageState(device, stage, D3DTSS_ADDRESSU), static_cast<DWORD>(D3DTADDRESS_WRAP));
        EXPECT_EQ(stageState(device, stage, D3DTSS_ADDRESSV), static_cast<DWORD>(D3DTADDRESS_WRAP));
        EXPECT_EQ(stageState(device, stage, D3DTSS_MAGFILTER), static_cast<DWORD>(D3DTEXF_POINT));
        EXPECT_EQ(stageState(device, stage, D3DTSS_MINFILTER), static_cast<DWORD>(D3DTEXF_POINT));
        EXPECT_EQ(stageState(device, stage, D3DTSS_MIPFILTER), static_cast<DWORD>(D3DTEXF_NONE));
        EXPECT_EQ(stageState(device, stage, D3DTSS_MAXMIPLEVEL), 0u);
    }
    D3DVIEWPORT8 viewport{};
    device->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 64u);
    EXPECT_EQ(viewport.Height, 64u);
    EXPECT_EQ(viewport.MaxZ, 1.0f);
    releaseTestDevice(&test);
}

TEST_F(StateTest, LightingWithoutLightsMakesGeometryBlack) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x000000FF, 1.0f, 0);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    drawClipRect(-1.0f, -1.0f, 0.0f, 1.0f, 0xFFFF0000);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    drawClipRect(0.0f, -1.0f, 1.0f, 1.0f, 0xFFFF0000);
    const RgbaImage picture = present();
    EXPECT_TRUE(pixelNear(picture, 32, 64, 0x00000000, 0));
    EXPECT_TRUE(pixelNear(picture, 96, 64, 0x00FF0000, 0));
}

TEST_F(StateTest, ScreenSpaceVerticesAreNeverLit) {
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    drawRect(0, 0, 128, 128, 0xFF00FF00);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x0000FF00, 0));
}

// Stage 0 SELECTARG1(TEXTURE) with no texture: the stage is dropped and the
// diffuse colour and alpha pass.
TEST_F(StateTest, StageReadingAMissingTextureIsDroppedWithItsDiffuseBlended) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80FF0000, 1.0f, 0);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    const struct {
        float x, y, z;
        D3DCOLOR diffuse;
    } quad[6] = {{-1, 1, 0.1f, 0x4000FF00}, {1, 1, 0.1f, 0x4000FF00}, {-1, -1, 0.1f, 0x4000FF00},
                 {1, 1, 0.1f, 0x4000FF00},  {1, -1, 0.1f, 0x4000FF00}, {-1, -1, 0.1f, 0x4000FF00}};
    device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad, sizeof(quad[0])), D3D_OK);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x00BF4000, 1));
}

TEST_F(StateTest, VertexWithoutDiffuseAndNoTextureIsWhite) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80FF0000, 1.0f, 0);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    const struct {
        float x, y, z, u, v;
    } quad[6] = {{-1, 1, 0.1f, 0, 0}, {1, 1, 0.1f, 1, 0},  {-1, -1, 0.1f, 0, 1},
                 {1, 1, 0.1f, 1, 0},  {1, -1, 0.1f, 1, 1}, {-1, -1, 0.1f, 0, 1}};
    device->SetVertexShader(D3DFVF_XYZ | D3DFVF_TEX1);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad, sizeof(quad[0])), D3D_OK);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x00FFFFFF, 1));
}

// A later stage that reads a missing texture is dropped too: stage 0's result stays.
TEST_F(StateTest, LaterStageReadingAMissingTextureLeavesTheEarlierResult) {
    IDirect3DTexture8* texture = solidTexture(0xFF0000FF);
    device->SetTexture(0, texture);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    drawRect(0, 0, 128, 128, 0xFFFF0000);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x000000FF, 0));
    device->SetTexture(0, nullptr);
    texture->Release();
}

// Chosen behaviour: an alpha operation reading a missing texture keeps the
// alpha so far (the diffuse alpha at stage 0).
TEST_F(StateTest, AlphaOperationReadingAMissingTextureKeepsTheDiffuseAlpha) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    drawRect(0, 0, 128, 128, 0x80FFFFFF);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x00808080, 2));
}

TEST_F(StateTest, SettersRefuseOutOfRangeStagesAndStates) {
    EXPECT_EQ(device->SetTextureStageState(8, D3DTSS_COLOROP, D3DTOP_ADD), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTexture(8, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(1000), 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetVertexShader(D3DFVF_NORMAL), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);  // no stream
}

TEST_F(StateTest, TransformsReadBackAsSet) {
    D3DMATRIX matrix{};
    for (int i = 0; i < 16; ++i) matrix.m[i / 4][i % 4] = static_cast<float>(i);
    for (D3DTRANSFORMSTATETYPE type : {D3DTS_WORLD, D3DTS_VIEW, D3DTS_PROJECTION}) {
        ASSERT_EQ(device->SetTransform(type, &matrix), D3D_OK);
        D3DMATRIX back{};
        ASSERT_EQ(device->GetTransform(type, &back), D3D_OK);
        EXPECT_EQ(back.m[3][1], 13.0f);
    }
}

// Row-vector convention: p' = p x World x View x Projection.
TEST_F(StateTest, TransformsApplyInRowVectorOrder) {
    D3DMATRIX translate{};
    translate._11 = translate._22 = translate._33 = translate._44 = 1.0f;
    translate._41 = 0.5f;  // world: move right by a quarter of the screen
    D3DMATRIX scale{};
    scale._11 = 0.5f;      // view: then halve x
    scale._22 = scale._33 = scale._44 = 1.0f;
    device->SetTransform(D3DTS_WORLD, &translate);
    device->SetTransform(D3DTS_VIEW, &scale);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    // x -0.25..0.25 -> world 0.25..0.75 -> view 0.125..0.375 -> pixels 72..88
    drawClipRect(-0.25f, -0.25f, 0.25f, 0.25f, 0xFFFFFFFF);
    const RgbaImage picture = present();
    EXPECT_TRUE(pixelNear(picture, 74, 64, 0x00FFFFFF, 0));
    EXPECT_TRUE(pixelNear(picture, 86, 64, 0x00FFFFFF, 0));
    EXPECT_TRUE(pixelNear(picture, 69, 64, 0x00000000, 0));
    EXPECT_TRUE(pixelNear(picture, 91, 64, 0x00000000, 0));
}

}  // namespace
