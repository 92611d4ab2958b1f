// What the device tests share: a fixture with a fresh 128 x 128 device, and
// quads and triangles drawn with DrawPrimitiveUP.
#ifndef ZELVARO_TESTS_D3D8_TEST_SCENE_H
#define ZELVARO_TESTS_D3D8_TEST_SCENE_H

#include <d3d8.h>
#include <gtest/gtest.h>

#include "d3d_test_device.h"

// FVF XYZRHW | DIFFUSE | TEX1: positions in pixels.
struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse;
    float u, v;
};
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// FVF XYZ | DIFFUSE | TEX1: with identity transforms the position is the clip position.
struct ClipVertex {
    float x, y, z;
    D3DCOLOR diffuse;
    float u, v;
};
constexpr DWORD kClipFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

class DevicePictureTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A screen-space rectangle from (x1, y1) to (x2, y2) in one colour,
    // texture coordinates 0..1 across it, two clockwise triangles.
    void drawRect(float x1, float y1, float x2, float y2, D3DCOLOR color, float z = 0.0f);
    // A rectangle in clip coordinates (y up) with the identity transforms, clockwise on screen.
    void drawClipRect(float x1, float y1, float x2, float y2, D3DCOLOR color, float z = 0.5f);
    // Presents and reads the front buffer back.
    RgbaImage present();
    // The back buffer as it is now.
    RgbaImage backBuffer();
    // An A8R8G8B8 render-target texture of the device's size made the render
    // target (without depth); returns its level 0. The caller releases both.
    IDirect3DSurface8* useAlphaTarget(IDirect3DTexture8** texture);
    // A 1 x 1 (or size x size) texture of one A8R8G8B8 colour, MANAGED.
    IDirect3DTexture8* solidTexture(D3DCOLOR color, UINT size = 1, D3DFORMAT format = D3DFMT_A8R8G8B8);

    TestDevice test;
    IDirect3DDevice8* device = nullptr;
    UINT width = 128;
    UINT height = 128;
    D3DFORMAT backBufferFormat = D3DFMT_X8R8G8B8;
};

#endif  // ZELVARO_TESTS_D3D8_TEST_SCENE_H
