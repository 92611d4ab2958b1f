// Blend factors, on targets with and without alpha.
#include "d3d8_test_scene.h"

namespace {

struct BlendCase {
    DWORD source;
    DWORD destination;
    D3DCOLOR clear;
    D3DCOLOR quad;
    D3DCOLOR expected;
    const char* name;
};

// Destination 0x80FF0000 (alpha 0x80), source 0xC00000FF / 0x4000FF00.
const BlendCase kOnAlphaTarget[] = {
    {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0x80FF0000, 0x4000FF00, 0x00BF4000, "SrcAlphaInvSrcAlpha"},
    {D3DBLEND_DESTALPHA, D3DBLEND_INVDESTALPHA, 0x80FF0000, 0xC00000FF, 0x007F0080, "DestAlphaInvDestAlpha"},
    {D3DBLEND_ONE, D3DBLEND_ONE, 0x80800000, 0x40004020, 0x00804020, "OneOne"},
    {D3DBLEND_ZERO, D3DBLEND_ONE, 0x80FF0000, 0xFF00FF00, 0x00FF0000, "ZeroOne"},
    {D3DBLEND_ONE, D3DBLEND_ZERO, 0x80FF0000, 0xFF00FF00, 0x0000FF00, "OneZero"},
    {D3DBLEND_SRCCOLOR, D3DBLEND_INVSRCCOLOR, 0x80FFFFFF, 0xFF808080, 0x00C0C0C0, "SrcColorInvSrcColor"},
    {D3DBLEND_DESTCOLOR, D3DBLEND_ZERO, 0x80808080, 0xFF8080FF, 0x00404080, "DestColorZero"},
    {D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO, 0x80C0C0C0, 0xFFFFFFFF, 0x003F3F3F, "InvDestColorZero"},
    {D3DBLEND_SRCALPHA, D3DBLEND_ONE, 0x80400000, 0x8000FF00, 0x00408000, "SrcAlphaOne"},
};

class BlendTest : public DevicePictureTest, public ::testing::WithParamInterface<BlendCase> {};

// Into an A8R8G8B8 render-target texture, the destination alpha is stored.
TEST_P(BlendTest, FactorsBlendIntoAnAlphaTarget) {
    const BlendCase& blend = GetParam();
    IDirect3DTexture8* target = nullptr;
    IDirect3DSurface8* surface = useAlphaTarget(&target);
    ASSERT_NE(surface, nullptr);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, blend.clear, 1.0f, 0);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, blend.source);
    device->SetRenderState(D3DRS_DESTBLEND, blend.destination);
    drawRect(0, 0, 128, 128, blend.quad);
    EXPECT_TRUE(pixelNear(readSurface(device, surface), 64, 64, blend.expected, 2)) << blend.name;
    surface->Release();
    target->Release();
}

INSTANTIATE_TEST_SUITE_P(Factors, BlendTest, ::testing::ValuesIn(kOnAlphaTarget),
                         [](const ::testing::TestParamInfo<BlendCase>& info) { return info.param.name; });

using BackBufferBlendTest = DevicePictureTest;

// The X8R8G8B8 back buffer has no alpha: DESTALPHA reads 1, INVDESTALPHA 0.
TEST_F(BackBufferBlendTest, DestinationAlphaReadsOneOnTheBackBuffer) {
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80FF0000, 1.0f, 0);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    drawRect(0, 0, 128, 128, 0x4000FF00);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x00BF4000, 2));
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80FF0000, 1.0f, 0);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_DESTALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVDESTALPHA);
    drawRect(0, 0, 128, 128, 0xC00000FF);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x000000FF, 2));
}

TEST_F(BackBufferBlendTest, BlendingOffWritesTheSourceAsItIs) {
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00FF0000, 1.0f, 0);
    drawRect(0, 0, 128, 128, 0x1000FF00);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x0000FF00, 0));
}

}  // namespace
