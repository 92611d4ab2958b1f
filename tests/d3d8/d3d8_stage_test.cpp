// Texture stage operations and arguments.
#include "d3d8_test_scene.h"

namespace {

class StageTest : public DevicePictureTest {
protected:
    void SetUp() override {
        DevicePictureTest::SetUp();
        texture = solidTexture(0x9900FF00);
        device->SetTexture(0, texture);
        device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xDD333333);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
    }
    void TearDown() override {
        device->SetTexture(0, nullptr);
        if (texture != nullptr) texture->Release();
        DevicePictureTest::TearDown();
    }
    uint32_t drawWith(DWORD colorOp) {
        device->SetTextureStageState(0, D3DTSS_COLOROP, colorOp);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
        drawRect(0, 0, 128, 128, 0xFFFFFFFF);
        return present().argb(64, 64);
    }
    IDirect3DTexture8* texture = nullptr;
};

TEST_F(StageTest, SelectArg1IsTheTexture) { EXPECT_TRUE(colorsNear(drawWith(D3DTOP_SELECTARG1), 0x0000FF00, 3)); }
TEST_F(StageTest, SelectArg2IsTheFactor) { EXPECT_TRUE(colorsNear(drawWith(D3DTOP_SELECTARG2), 0x00333333, 3)); }
TEST_F(StageTest, ModulateMultiplies) { EXPECT_TRUE(colorsNear(drawWith(D3DTOP_MODULATE), 0x00003300, 3)); }
TEST_F(StageTest, Modulate2xDoublesTheProduct) { EXPECT_TRUE(colorsNear(drawWith(D3DTOP_MODULATE2X), 0x00006600, 3)); }
TEST_F(StageTest, AddSaturates) { EXPECT_TRUE(colorsNear(drawWith(D3DTOP_ADD), 0x0033FF33, 3)); }

TEST_F(StageTest, DisableAtStageZeroShowsTheDiffuseColour) {
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    drawRect(0, 0, 128, 128, 0xFF804020);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x00804020, 1));
}

TEST_F(StageTest, CurrentAtStageZeroIsTheDiffuseColour) {
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    drawRect(0, 0, 128, 128, 0xFF204080);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x00204080, 1));
}

TEST_F(StageTest, ComplementAndAlphaReplicateModifyArguments) {
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE | D3DTA_COMPLEMENT);
    EXPECT_TRUE(colorsNear(drawWith(D3DTOP_SELECTARG1), 0x00FF00FF, 3));
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE);
    EXPECT_TRUE(colorsNear(drawWith(D3DTOP_SELECTARG1), 0x00999999, 3));
}

// Stage 1 modulates stage 0's result with its own texture (the program's
// environment-map set-up): CURRENT at stage 1 is stage 0's output.
TEST_F(StageTest, SecondStageCombinesWithTheFirst) {
    IDirect3DTexture8* second = solidTexture(0xFF808080);
    device->SetTexture(1, second);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    drawRect(0, 0, 128, 128, 0xFFFFFFFF);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x00008000, 3));
    device->SetTexture(1, nullptr);
    second->Release();
}

// Alpha operations feed blending: ALPHAOP SELECTARG2 (DIFFUSE) as the program sets it up.
TEST_F(StageTest, AlphaOperationsChooseTheBlendAlpha) {
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    drawRect(0, 0, 128, 128, 0x40FFFFFF);  // alpha 0x40 from the vertex
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x00004000, 2));
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);  // texture alpha 0x99
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    drawRect(0, 0, 128, 128, 0x40FFFFFF);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x00009900, 2));
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);  // 0x99 x 0x40
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    drawRect(0, 0, 128, 128, 0x40FFFFFF);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x00002600, 2));
}

// Chosen behaviour: ALPHAOP DISABLE under an enabled colour operation keeps the previous alpha.
TEST_F(StageTest, AlphaDisableKeepsTheDiffuseAlpha) {
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    drawRect(0, 0, 128, 128, 0x80FFFFFF);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x00008000, 2));
}

TEST_F(StageTest, TexCoordIndexPicksTheCoordinateSet) {
    // A 2 x 2 texture: left column red, right column blue.
    IDirect3DTexture8* columns = nullptr;
    ASSERT_EQ(device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &columns), D3D_OK);
    D3DLOCKED_RECT locked{};
    columns->LockRect(0, &locked, nullptr, 0);
    for (int y = 0; y < 2; ++y) {
        auto* row = reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
        row[0] = 0xFFFF0000;
        row[1] = 0xFF0000FF;
    }
    columns->UnlockRect(0);
    device->SetTexture(0, columns);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    // Set 0 points at the left column, set 1 at the right one.
    struct Vertex {
        float x, y, z, rhw;
        float u0, v0, u1, v1;
    };
    const Vertex quad[6] = {{0, 0, 0, 1, 0.25f, 0.5f, 0.75f, 0.5f},     {128, 0, 0, 1, 0.25f, 0.5f, 0.75f, 0.5f},
                            {0, 128, 0, 1, 0.25f, 0.5f, 0.75f, 0.5f},   {128, 0, 0, 1, 0.25f, 0.5f, 0.75f, 0.5f},
                            {128, 128, 0, 1, 0.25f, 0.5f, 0.75f, 0.5f}, {0, 128, 0, 1, 0.25f, 0.5f, 0.75f, 0.5f}};
    device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_TEX2);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad, sizeof(Vertex));
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x00FF0000, 0));
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 1);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad, sizeof(Vertex));
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x000000FF, 0));
    device->SetTexture(0, nullptr);
    columns->Release();
}

// A vertex format without coordinates samples the texture at (0, 0).
TEST_F(StageTest, FormatWithoutCoordinatesSamplesTheTopLeftTexel) {
    IDirect3DTexture8* corner = nullptr;
    ASSERT_EQ(device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &corner), D3D_OK);
    D3DLOCKED_RECT locked{};
    corner->LockRect(0, &locked, nullptr, 0);
    auto* texels = static_cast<DWORD*>(locked.pBits);
    texels[0] = 0xFF00FFFF;
    texels[1] = texels[2] = texels[3] = 0xFF000000;
    corner->UnlockRect(0);
    device->SetTexture(0, corner);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    const struct {
        float x, y, z, rhw;
        D3DCOLOR diffuse;
    } quad[6] = {{0, 0, 0, 1, 0xFFFFFFFF},   {128, 0, 0, 1, 0xFFFFFFFF},   {0, 128, 0, 1, 0xFFFFFFFF},
                 {128, 0, 0, 1, 0xFFFFFFFF}, {128, 128, 0, 1, 0xFFFFFFFF}, {0, 128, 0, 1, 0xFFFFFFFF}};
    device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad, sizeof(quad[0]));
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x0000FFFF, 0));
    device->SetTexture(0, nullptr);
    corner->Release();
}

}  // namespace
