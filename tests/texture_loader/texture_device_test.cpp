// The loader, the texture table and the render target on the real device:
// textures are checked as pictures (drawn on a full-screen quad and read
// back), the render target by drawing into it and reading it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "d3d_test_device.h"
#include "d3dx8tex.h"
#include "demo_context.h"
#include "image_writers.h"
#include "render_target.h"
#include "temp_folder.h"
#include "texture_table.h"

namespace {

struct ScreenVertex {
    float x, y, z, rhw;
    DWORD colour;
    float u, v;
};
const DWORD screenVertexFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// Draws the texture (or, without one, the colour) over the rectangle.
void drawRectangle(IDirect3DDevice8* device, IDirect3DTexture8* texture, float width, float height,
                   DWORD colour = 0xFFFFFFFF) {
    ScreenVertex quad[4] = {{0, 0, 0.5f, 1, colour, 0, 0},
                            {width, 0, 0.5f, 1, colour, 1, 0},
                            {0, height, 0.5f, 1, colour, 0, 1},
                            {width, height, 0.5f, 1, colour, 1, 1}};
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetTexture(0, texture);
    device->SetTextureStageState(0, D3DTSS_COLOROP, texture ? D3DTOP_SELECTARG1 : D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, texture ? D3DTOP_SELECTARG1 : D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
    device->SetVertexShader(screenVertexFormat);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex));
    device->SetTexture(0, nullptr);
}

class RealDevice : public ::testing::Test {
protected:
    TestDevice test;
    TempFolder folder{"texture-device"};
    std::string dir = folder.path();

    void SetUp() override {
        if (!createTestDevice(256, 256, &test)) GTEST_SKIP() << "no device: " << test.error;
    }
    void TearDown() override {
        releaseTestDevice(&test);
    }
    // Draws the texture over the whole back buffer and reads the picture back.
    RgbaImage show(IDirect3DTexture8* texture) {
        test.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        test.device->BeginScene();
        drawRectangle(test.device, texture, 256, 256);
        test.device->EndScene();
        test.device->Present(nullptr, nullptr, nullptr, nullptr);
        return readFrontBuffer(test.device);
    }
};

DWORD quadrants(UINT x, UINT y) {
    if (x < 150) return y < 100 ? 0xFFFF0000u : 0xFF00FF00u;
    return y < 100 ? 0xFF0000FFu : 0xFFFFFFFFu;
}

}  // namespace

TEST_F(RealDevice, JpegTextureShowsItsPictureAtPowerOfTwoSize) {
    std::string path = dir + "/odd.jpg";
    writeFileBytes(path, encodeJpeg(300, 200, quadrants, 100));
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(S_OK, D3DXCreateTextureFromFileExA(test.device, path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 0, 0,
                                                 D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_LINEAR,
                                                 D3DX_FILTER_LINEAR, 0, nullptr, nullptr, &texture));
    D3DSURFACE_DESC desc;
    ASSERT_EQ(S_OK, texture->GetLevelDesc(0, &desc));
    EXPECT_EQ(512u, desc.Width);
    EXPECT_EQ(256u, desc.Height);
    EXPECT_EQ(10u, texture->GetLevelCount());
    RgbaImage picture = show(texture);
    EXPECT_TRUE(pixelNear(picture, 40, 40, 0xFFFF0000, 8));
    EXPECT_TRUE(pixelNear(picture, 200, 40, 0xFF0000FF, 8));
    EXPECT_TRUE(pixelNear(picture, 40, 200, 0xFF00FF00, 8));
    EXPECT_TRUE(pixelNear(picture, 200, 200, 0xFFFFFFFF, 8));
    if (HasFailure()) saveTestPicture(picture, "texture_loader_jpeg");
    texture->Release();
}

TEST_F(RealDevice, PaletteAndTransparencyReachTheScreen) {
    std::string path = dir + "/alpha.png";
    writeFileBytes(path, encodePalettePng(8, 8, {0xFF0000, 0x00FF00}, {0},
                                          [](UINT x, UINT) { return (BYTE)(x < 4 ? 0 : 1); }));
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(S_OK, D3DXCreateTextureFromFileExA(test.device, path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 0, 0,
                                                 D3DFMT_UNKNOWN, D3DPOOL_MANAGED, 3, 3, 0, nullptr, nullptr,
                                                 &texture));
    D3DSURFACE_DESC desc;
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(D3DFMT_A8R8G8B8, desc.Format);
    // Alpha-blended over white: the transparent half shows the background.
    test.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
    test.device->BeginScene();
    test.device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    test.device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    test.device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    drawRectangle(test.device, texture, 256, 256);
    test.device->EndScene();
    test.device->Present(nullptr, nullptr, nullptr, nullptr);
    RgbaImage picture = readFrontBuffer(test.device);
    EXPECT_TRUE(pixelNear(picture, 30, 100, 0xFFFFFFFF, 4));
    EXPECT_TRUE(pixelNear(picture, 220, 100, 0xFF00FF00, 4));
    if (HasFailure()) saveTestPicture(picture, "texture_loader_palette");
    texture->Release();
}

TEST_F(RealDevice, RenderTargetPassDrawsIntoTheTargetAndRestoresTheBackBuffer) {
    DemoContext context;
    context.device = test.device;
    demoContext = &context;
    context.createRenderTarget(1024, 1024);
    ASSERT_NE(nullptr, context.renderTarget);
    ASSERT_NE(nullptr, context.renderTarget->texture);
    ASSERT_NE(nullptr, context.targetSurface);
    ASSERT_NE(nullptr, context.targetDepthSurface);
    ASSERT_NE(nullptr, context.savedBackBuffer);
    D3DSURFACE_DESC desc;
    context.renderTarget->texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(1024u, desc.Width);
    EXPECT_EQ(1024u, desc.Height);
    EXPECT_EQ(D3DFMT_A8R8G8B8, desc.Format);

    ASSERT_TRUE(beginRenderTargetPass());
    D3DVIEWPORT8 viewport;
    test.device->GetViewport(&viewport);
    EXPECT_EQ(1024u, viewport.Width);
    drawRectangle(test.device, nullptr, 512, 256, 0xFF20C040);
    endRenderTargetPass(true);

    IDirect3DSurface8* bound = nullptr;
    test.device->GetRenderTarget(&bound);
    EXPECT_EQ(context.savedBackBuffer, bound);
    if (bound) bound->Release();
    test.device->GetViewport(&viewport);
    EXPECT_EQ(256u, viewport.Width);
    EXPECT_EQ(256u, viewport.Height);

    RgbaImage target = readTexture(test.device, context.renderTarget->texture);
    ASSERT_EQ(1024, target.width);
    EXPECT_TRUE(pixelNear(target, 100, 100, 0xFF20C040, 2, true));
    EXPECT_TRUE(pixelNear(target, 800, 600, 0x00000000, 0, true));  // cleared: black, alpha 0
    if (HasFailure()) saveTestPicture(target, "render_target_pass");

    // The target shown as a texture on the back buffer.
    RgbaImage shown = show(context.renderTarget->texture);
    EXPECT_TRUE(pixelNear(shown, 20, 20, 0xFF20C040, 4));
    EXPECT_TRUE(pixelNear(shown, 200, 200, 0xFF000000, 4));
    demoContext = nullptr;
    context.renderTarget->texture->Release();
    context.targetSurface->Release();
    context.targetDepthSurface->Release();
    context.savedBackBuffer->Release();
    if (context.savedDepthSurface) context.savedDepthSurface->Release();
    delete context.renderTarget;
}

TEST_F(RealDevice, TextureTableLoadsSlotsOntoTheDevice) {
    char cwd[4096];
    std::string previous = getcwd(cwd, sizeof(cwd)) ? cwd : "/";
    ASSERT_EQ(0, mkdir((dir + "/tex").c_str(), 0755));
    writeFileBytes(dir + "/tex/rosetyle.jpg", encodeJpeg(64, 32, quadrants, 90));
    writeFileBytes(dir + "/tex/logos.tga", encodeTga(32, 16, [](UINT, UINT) { return 0x80FFFFFFu; }, false));
    ASSERT_EQ(0, chdir(dir.c_str()));
    DemoContext context;
    context.device = test.device;
    demoContext = &context;
    textureTable.prepare();
    loadTextures();
    EXPECT_EQ(3u, textureTable.records.size());  // slots 1, 2 and 14; the other files are missing
    TextureRecord* first = textureTable.find(1);
    TextureRecord* second = textureTable.find(2);
    EXPECT_NE(first, second);
    EXPECT_NE(first->texture, second->texture);
    EXPECT_EQ(textureTable.emptyRecord, textureTable.find(4));
    std::vector<IDirect3DTexture8*> textures;
    for (auto& entry : textureTable.records) textures.push_back(entry.second->texture);
    textureTable.clear();
    for (IDirect3DTexture8* texture : textures) texture->Release();
    demoContext = nullptr;
    EXPECT_EQ(0, chdir(previous.c_str()));
}
