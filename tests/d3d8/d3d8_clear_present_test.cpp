// Clear, Present and reading pictures back.
#include "d3d8_test_scene.h"

namespace {

using ClearPresentTest = DevicePictureTest;

TEST_F(ClearPresentTest, ClearAndPresentShowTheColourInTheFrontBuffer) {
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00336699, 1.0f, 0), D3D_OK);
    const RgbaImage picture = present();
    ASSERT_EQ(picture.width, 128);
    ASSERT_EQ(picture.height, 128);
    EXPECT_TRUE(pixelNear(picture, 0, 0, 0xFF336699, 0, true));
    EXPECT_TRUE(pixelNear(picture, 127, 127, 0xFF336699, 0, true));
}

TEST_F(ClearPresentTest, FrontBufferKeepsTheLastPresentedPicture) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00FF0000, 1.0f, 0);
    present();
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x0000FF00, 1.0f, 0);
    // Not yet presented: the front buffer still shows red.
    EXPECT_TRUE(pixelNear(readFrontBuffer(device), 5, 5, 0x00FF0000, 0));
    EXPECT_TRUE(pixelNear(backBuffer(), 5, 5, 0x0000FF00, 0));
    EXPECT_TRUE(pixelNear(present(), 5, 5, 0x0000FF00, 0));
}

TEST_F(ClearPresentTest, ClearStaysInsideTheViewport) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
    const D3DVIEWPORT8 viewport{16, 32, 40, 20, 0.0f, 1.0f};
    ASSERT_EQ(device->SetViewport(&viewport), D3D_OK);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00FFFFFF, 1.0f, 0);
    const RgbaImage picture = present();
    EXPECT_TRUE(pixelNear(picture, 16, 32, 0x00FFFFFF, 0));
    EXPECT_TRUE(pixelNear(picture, 55, 51, 0x00FFFFFF, 0));
    EXPECT_TRUE(pixelNear(picture, 15, 32, 0x00000000, 0));
    EXPECT_TRUE(pixelNear(picture, 56, 40, 0x00000000, 0));
    EXPECT_TRUE(pixelNear(picture, 20, 31, 0x00000000, 0));
    EXPECT_TRUE(pixelNear(picture, 20, 52, 0x00000000, 0));
}

TEST_F(ClearPresentTest, ClearRectanglesAreCutToTheViewport) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
    const D3DVIEWPORT8 viewport{0, 0, 64, 64, 0.0f, 1.0f};
    device->SetViewport(&viewport);
    const D3DRECT rects[2] = {{10, 10, 20, 20}, {50, 50, 100, 100}};
    ASSERT_EQ(device->Clear(2, rects, D3DCLEAR_TARGET, 0x000000FF, 1.0f, 0), D3D_OK);
    const RgbaImage picture = backBuffer();
    EXPECT_TRUE(pixelNear(picture, 15, 15, 0x000000FF, 0));
    EXPECT_TRUE(pixelNear(picture, 25, 25, 0x00000000, 0));
    EXPECT_TRUE(pixelNear(picture, 63, 63, 0x000000FF, 0));
    EXPECT_TRUE(pixelNear(picture, 64, 64, 0x00000000, 0));
}

TEST_F(ClearPresentTest, ZBufferOnlyClearLeavesColourAlone) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00123456, 1.0f, 0);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0x00FFFFFF, 0.5f, 0), D3D_OK);
    EXPECT_TRUE(pixelNear(backBuffer(), 64, 64, 0x00123456, 0));
}

TEST_F(ClearPresentTest, ClearIgnoresTheColourWriteMask) {
    device->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00ABCDEF, 1.0f, 0);
    EXPECT_TRUE(pixelNear(backBuffer(), 64, 64, 0x00ABCDEF, 0));
}

TEST_F(ClearPresentTest, ClearWithoutFlagsIsRefused) {
    EXPECT_EQ(device->Clear(0, nullptr, 0, 0, 1.0f, 0), D3DERR_INVALIDCALL);
}

TEST_F(ClearPresentTest, CountOfZeroWithRectanglesClearsNothing) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
    const D3DRECT rect{10, 10, 20, 20};
    EXPECT_EQ(device->Clear(0, &rect, D3DCLEAR_TARGET, 0x000000FF, 1.0f, 0), D3D_OK);
    const RgbaImage picture = backBuffer();
    EXPECT_TRUE(pixelNear(picture, 15, 15, 0x00000000, 0));
    EXPECT_TRUE(pixelNear(picture, 64, 64, 0x00000000, 0));
}

TEST_F(ClearPresentTest, NullRectanglesClearTheViewportWhateverTheCount) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
    EXPECT_EQ(device->Clear(1, nullptr, D3DCLEAR_TARGET, 0x00FF0000, 1.0f, 0), D3D_OK);
    RgbaImage picture = backBuffer();
    EXPECT_TRUE(pixelNear(picture, 0, 0, 0x00FF0000, 0));
    EXPECT_TRUE(pixelNear(picture, 127, 127, 0x00FF0000, 0));
    const D3DVIEWPORT8 viewport{16, 32, 40, 20, 0.0f, 1.0f};
    device->SetViewport(&viewport);
    EXPECT_EQ(device->Clear(3, nullptr, D3DCLEAR_TARGET, 0x0000FF00, 1.0f, 0), D3D_OK);
    picture = backBuffer();
    EXPECT_TRUE(pixelNear(picture, 16, 32, 0x0000FF00, 0));
    EXPECT_TRUE(pixelNear(picture, 55, 51, 0x0000FF00, 0));
    EXPECT_TRUE(pixelNear(picture, 15, 32, 0x00FF0000, 0)) << "outside the viewport";
}

TEST_F(ClearPresentTest, BeginAndEndScenePairUp) {
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
}

TEST_F(ClearPresentTest, FrontBufferNeedsAnA8R8G8B8ImageSurface) {
    IDirect3DSurface8* surface = nullptr;
    ASSERT_EQ(device->CreateImageSurface(128, 128, D3DFMT_R5G6B5, &surface), D3D_OK);
    EXPECT_EQ(device->GetFrontBuffer(surface), D3DERR_INVALIDCALL);
    surface->Release();
    EXPECT_EQ(device->GetFrontBuffer(nullptr), D3DERR_INVALIDCALL);
}

}  // namespace
