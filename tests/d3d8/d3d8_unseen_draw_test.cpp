// Draws that cannot change a colour (blended with the source alpha as source
// factor, every fragment of alpha zero) are left out, or drawn into the depth
// buffer only where they write depth. Either way the target must read
// exactly as before and the depth buffer as if the draw had been made; the
// device's counters tell which draws were taken for unseen.
#include <cstring>
#include <vector>

#include "../../platform/d3d8/d3d8_stats.h"
#include "d3d8_test_scene.h"

namespace {

class UnseenDrawTest : public DevicePictureTest {
protected:
    void SetUp() override {
        DevicePictureTest::SetUp();
        d3d8Stats = D3d8Stats{};
        d3d8StatsEnabled = true;
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device->SetRenderState(D3DRS_ZENABLE, FALSE);
    }
    void TearDown() override {
        d3d8StatsEnabled = false;
        if (device != nullptr) device->SetTexture(0, nullptr);
        DevicePictureTest::TearDown();
    }
    uint64_t unseen() const { return d3d8Stats.unseenDraws; }
};

// The fades that have ended: alpha 0 over "source alpha, inverse source
// alpha" and over "source alpha, one" leave colour and alpha as they were.
TEST_F(UnseenDrawTest, ZeroAlphaBlendsAreLeftOutAndLeaveTheTargetExactly) {
    IDirect3DTexture8* target = nullptr;
    IDirect3DSurface8* surface = useAlphaTarget(&target);
    ASSERT_NE(surface, nullptr);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80FF4020, 1.0f, 0);
    drawRect(0, 0, 128, 128, 0x00FFFFFF);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    drawRect(0, 0, 128, 128, 0x0000FF00);
    EXPECT_EQ(unseen(), 2u);
    const RgbaImage picture = readSurface(device, surface);
    EXPECT_EQ(picture.argb(64, 64), 0x80FF4020u);
    EXPECT_EQ(picture.argb(0, 0), 0x80FF4020u);
    // "Source alpha, destination alpha" scales the target by its own alpha.
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_DESTALPHA);
    drawRect(0, 0, 128, 128, 0x0000FF00);
    EXPECT_EQ(unseen(), 2u);
    EXPECT_TRUE(pixelNear(readSurface(device, surface), 64, 64, 0x40802010, 1));
    surface->Release();
    target->Release();
}

// On a target without alpha the destination alpha reads 1: "source alpha,
// destination alpha" at alpha 0 keeps the target too.
TEST_F(UnseenDrawTest, DestinationAlphaKeepsATargetWithoutAlpha) {
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_DESTALPHA);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00FF4020, 1.0f, 0);
    drawRect(0, 0, 128, 128, 0x0000FF00);
    EXPECT_EQ(unseen(), 1u);
    EXPECT_EQ(present().argb(64, 64), 0xFFFF4020u);
}

// A draw of alpha 0 that writes depth still has an effect: it hides what is
// drawn behind it later, and its colour stays unseen.
TEST_F(UnseenDrawTest, ZeroAlphaWithDepthWritesStillWritesDepth) {
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00FF0000, 1.0f, 0);
    drawRect(0, 0, 64, 128, 0x00FFFFFF, 0.2f);
    EXPECT_EQ(unseen(), 1u);
    EXPECT_EQ(backBuffer().argb(32, 64), 0xFFFF0000u) << "the colour stays";
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    drawRect(0, 0, 128, 128, 0xFF00FF00, 0.5f);
    const RgbaImage picture = present();
    EXPECT_TRUE(pixelNear(picture, 32, 64, 0x00FF0000, 0)) << "behind the invisible quad";
    EXPECT_TRUE(pixelNear(picture, 96, 64, 0x0000FF00, 0));
    // With depth writes off, the same quad is left out and hides nothing.
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00FF0000, 1.0f, 0);
    drawRect(0, 0, 64, 128, 0x00FFFFFF, 0.2f);
    EXPECT_EQ(unseen(), 2u);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    drawRect(0, 0, 128, 128, 0xFF00FF00, 0.5f);
    EXPECT_TRUE(pixelNear(present(), 32, 64, 0x0000FF00, 0));
    // Colour writes are back for the draws that show.
    device->SetRenderState(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_RED);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x0000FF00, 1.0f, 0);
    drawRect(0, 0, 128, 128, 0x00FFFFFF);  // unseen: nothing written
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    drawRect(0, 0, 128, 128, 0xFFFF00FF);
    EXPECT_TRUE(pixelNear(present(), 32, 64, 0x00FFFF00, 0)) << "red written, green kept";
}

// Zero diffuse alpha is not zero fragment alpha when a stage takes its
// alpha from elsewhere, or when the blend does not keep the destination.
TEST_F(UnseenDrawTest, DrawsWhoseAlphaOrBlendShowsAreDrawn) {
    IDirect3DTexture8* opaque = solidTexture(0xFF0000FF);
    device->SetTexture(0, opaque);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00FF0000, 1.0f, 0);
    drawRect(0, 0, 128, 128, 0x0000FF00);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x0000FF00, 0)) << "the texture's alpha 1";

    // Modulated with the texture, zero diffuse alpha stays zero: left out.
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00FF0000, 1.0f, 0);
    drawRect(0, 0, 128, 128, 0x0000FF00);
    EXPECT_EQ(unseen(), 1u);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x00FF0000, 0));

    // The complement of zero is one.
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE | D3DTA_COMPLEMENT);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00FF0000, 1.0f, 0);
    drawRect(0, 0, 128, 128, 0x0000FF00);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x0000FF00, 0));

    // Additive blending of the colour shows whatever the alpha.
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00FF0000, 1.0f, 0);
    drawRect(0, 0, 128, 128, 0x0000FF00);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x00FFFF00, 0));
    EXPECT_EQ(unseen(), 1u);
    device->SetTexture(0, nullptr);
    opaque->Release();
}

// From a vertex buffer, only the vertices drawn count.
TEST_F(UnseenDrawTest, OnlyTheDrawnVerticesOfABufferCount) {
    const float z = 0.0f;
    const float rhw = 1.0f;
    std::vector<ScreenVertex> vertices = {
        {0, 0, z, rhw, 0x0000FF00, 0, 0},     {128, 0, z, rhw, 0x0000FF00, 1, 0},
        {0, 128, z, rhw, 0x0000FF00, 0, 1},   {0, 0, z, rhw, 0xFF00FF00, 0, 0},
        {128, 0, z, rhw, 0xFF00FF00, 1, 0},   {0, 128, z, rhw, 0xFF00FF00, 0, 1},
    };
    IDirect3DVertexBuffer8* buffer = nullptr;
    const UINT bytes = static_cast<UINT>(vertices.size() * sizeof(ScreenVertex));
    ASSERT_EQ(device->CreateVertexBuffer(bytes, 0, kScreenFvf, D3DPOOL_MANAGED, &buffer), D3D_OK);
    BYTE* data = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
    std::memcpy(data, vertices.data(), bytes);
    buffer->Unlock();
    device->SetVertexShader(kScreenFvf);
    device->SetStreamSource(0, buffer, sizeof(ScreenVertex));
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00FF0000, 1.0f, 0);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1);
    EXPECT_EQ(unseen(), 1u);
    EXPECT_TRUE(pixelNear(backBuffer(), 20, 20, 0x00FF0000, 0));
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 3, 1);
    EXPECT_EQ(unseen(), 1u);
    EXPECT_TRUE(pixelNear(present(), 20, 20, 0x0000FF00, 0));
    device->SetStreamSource(0, nullptr, 0);
    buffer->Release();
}

}  // namespace
