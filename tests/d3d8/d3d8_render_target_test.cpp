// Drawing into a texture and showing it: orientation, culling, viewport,
// reference counts of the targets.
#include "d3d8_test_scene.h"

namespace {

class RenderTargetTest : public DevicePictureTest {
protected:
    void SetUp() override {
        DevicePictureTest::SetUp();
        ASSERT_EQ(device->CreateTexture(64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target),
                  D3D_OK);
        ASSERT_EQ(target->GetSurfaceLevel(0, &targetSurface), D3D_OK);
        ASSERT_EQ(device->CreateDepthStencilSurface(64, 64, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, &targetDepth), D3D_OK);
        ASSERT_EQ(device->GetRenderTarget(&savedBackBuffer), D3D_OK);
        ASSERT_EQ(device->GetDepthStencilSurface(&savedDepth), D3D_OK);
    }
    void TearDown() override {
        device->SetTexture(0, nullptr);
        device->SetRenderTarget(savedBackBuffer, savedDepth);
        savedBackBuffer->Release();
        savedDepth->Release();
        targetDepth->Release();
        targetSurface->Release();
        target->Release();
        DevicePictureTest::TearDown();
    }
    // Top half red, bottom half blue, and one triangle pair where only the
    // clockwise one survives counter-clockwise culling.
    void drawPicture() {
        drawClipRect(-1.0f, 0.0f, 1.0f, 1.0f, 0xFFFF0000);
        drawClipRect(-1.0f, -1.0f, 1.0f, 0.0f, 0xFF0000FF);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        const ClipVertex triangles[6] = {
            // clockwise on screen, left half of the picture: kept
            {-0.9f, 0.9f, 0.1f, 0xFF00FF00, 0, 0}, {-0.1f, 0.9f, 0.1f, 0xFF00FF00, 0, 0},
            {-0.9f, 0.1f, 0.1f, 0xFF00FF00, 0, 0},
            // counter-clockwise on screen, right half: culled
            {0.1f, 0.9f, 0.1f, 0xFF00FF00, 0, 0}, {0.1f, 0.1f, 0.1f, 0xFF00FF00, 0, 0},
            {0.9f, 0.9f, 0.1f, 0xFF00FF00, 0, 0}};
        device->SetVertexShader(kClipFvf);
        device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, triangles, sizeof(ClipVertex));
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    }
    // Checks the picture at the scale of a size x size image.
    void expectPicture(const RgbaImage& picture, int size, const char* where) {
        const int quarter = size / 4;
        EXPECT_TRUE(pixelNear(picture, quarter / 2, quarter / 2, 0x0000FF00, 2)) << where << ": kept triangle";
        EXPECT_TRUE(pixelNear(picture, size - quarter, quarter / 2, 0x00FF0000, 2)) << where << ": culled triangle";
        EXPECT_TRUE(pixelNear(picture, size / 2, size - quarter, 0x000000FF, 2)) << where << ": bottom";
    }

    IDirect3DTexture8* target = nullptr;
    IDirect3DSurface8* targetSurface = nullptr;
    IDirect3DSurface8* targetDepth = nullptr;
    IDirect3DSurface8* savedBackBuffer = nullptr;
    IDirect3DSurface8* savedDepth = nullptr;
};

TEST_F(RenderTargetTest, TextureShowsItsPictureTheRightWayUpWithTheSameCulling) {
    ASSERT_EQ(device->SetRenderTarget(targetSurface, targetDepth), D3D_OK);
    device->BeginScene();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    drawPicture();
    device->EndScene();
    // Row 0 of the texture is the top of the picture.
    expectPicture(readTexture(device, target), 64, "texture");

    ASSERT_EQ(device->SetRenderTarget(savedBackBuffer, savedDepth), D3D_OK);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    drawPicture();
    expectPicture(present(), 128, "screen");

    // The texture on a full-screen quad, v = 0 at the top: the same picture.
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    device->SetTexture(0, target);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    drawRect(0, 0, 128, 128, 0xFFFFFFFF);
    const RgbaImage shown = present();
    expectPicture(shown, 128, "texture on screen");
    if (HasFailure()) saveTestPicture(shown, "render_target_on_screen");
}

TEST_F(RenderTargetTest, SetRenderTargetResetsTheViewportEvenToTheSameTarget) {
    ASSERT_EQ(device->SetRenderTarget(targetSurface, targetDepth), D3D_OK);
    D3DVIEWPORT8 viewport{};
    device->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 64u);
    EXPECT_EQ(viewport.Height, 64u);
    const D3DVIEWPORT8 small{8, 8, 16, 16, 0.25f, 0.5f};
    ASSERT_EQ(device->SetViewport(&small), D3D_OK);
    ASSERT_EQ(device->SetRenderTarget(targetSurface, targetDepth), D3D_OK);
    device->GetViewport(&viewport);
    EXPECT_EQ(viewport.X, 0u);
    EXPECT_EQ(viewport.Width, 64u);
    EXPECT_EQ(viewport.MinZ, 0.0f);
    EXPECT_EQ(viewport.MaxZ, 1.0f);
    ASSERT_EQ(device->SetRenderTarget(savedBackBuffer, savedDepth), D3D_OK);
    device->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 128u);
    EXPECT_EQ(viewport.Height, 128u);
}

TEST_F(RenderTargetTest, PresentDuringAPassShowsTheBackBuffer) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00FFFF00, 1.0f, 0);
    ASSERT_EQ(device->SetRenderTarget(targetSurface, targetDepth), D3D_OK);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00FF00FF, 1.0f, 0);
    EXPECT_TRUE(pixelNear(present(), 100, 100, 0x00FFFF00, 0));
}

TEST_F(RenderTargetTest, TargetsAreReferenceCounted) {
    // Fixture: texture 1 + surface 1 (shared count) ; the device holds the back buffer.
    target->AddRef();
    EXPECT_EQ(target->Release(), 2u);
    ASSERT_EQ(device->SetRenderTarget(targetSurface, targetDepth), D3D_OK);
    IDirect3DSurface8* current = nullptr;
    ASSERT_EQ(device->GetRenderTarget(&current), D3D_OK);
    EXPECT_EQ(current, targetSurface);
    current->Release();
    IDirect3DSurface8* depth = nullptr;
    ASSERT_EQ(device->GetDepthStencilSurface(&depth), D3D_OK);
    EXPECT_EQ(depth, targetDepth);
    depth->Release();
    // Without a depth surface there is none to get.
    ASSERT_EQ(device->SetRenderTarget(targetSurface, nullptr), D3D_OK);
    EXPECT_EQ(device->GetDepthStencilSurface(&depth), D3DERR_NOTFOUND);
    EXPECT_EQ(depth, nullptr);
}

TEST_F(RenderTargetTest, RefusesSurfacesThatCannotBeTargets) {
    IDirect3DTexture8* plain = solidTexture(0xFFFFFFFF, 64);
    IDirect3DSurface8* level = nullptr;
    plain->GetSurfaceLevel(0, &level);
    EXPECT_EQ(device->SetRenderTarget(level, nullptr), D3DERR_INVALIDCALL);
    IDirect3DSurface8* smallDepth = nullptr;
    device->CreateDepthStencilSurface(32, 32, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, &smallDepth);
    EXPECT_EQ(device->SetRenderTarget(targetSurface, smallDepth), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderTarget(targetSurface, targetSurface), D3DERR_INVALIDCALL);
    smallDepth->Release();
    level->Release();
    plain->Release();
}

TEST_F(RenderTargetTest, RenderTargetLevelsCannotBeLocked) {
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(target->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
}

TEST_F(RenderTargetTest, CopyRectsCopiesPartsOfATarget) {
    ASSERT_EQ(device->SetRenderTarget(targetSurface, targetDepth), D3D_OK);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x11223344, 1.0f, 0);
    const D3DRECT corner{0, 0, 8, 8};
    device->Clear(1, &corner, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
    IDirect3DSurface8* image = nullptr;
    ASSERT_EQ(device->CreateImageSurface(16, 16, D3DFMT_A8R8G8B8, &image), D3D_OK);
    const RECT source{4, 4, 12, 12};
    const POINT at{8, 8};
    ASSERT_EQ(device->CopyRects(targetSurface, &source, 1, image, &at), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(image->LockRect(&locked, nullptr, 0), D3D_OK);
    auto texel = [&](int x, int y) { return reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch)[x]; };
    EXPECT_EQ(texel(0, 0), 0u);             // untouched
    EXPECT_EQ(texel(9, 9), 0xFF00FF00u);    // from (5, 5)
    EXPECT_EQ(texel(14, 14), 0x11223344u);  // from (10, 10)
    image->UnlockRect();
    const RECT tooBig{0, 0, 32, 32};
    EXPECT_EQ(device->CopyRects(targetSurface, &tooBig, 1, image, nullptr), D3DERR_INVALIDCALL);
    image->Release();
}

}  // namespace
