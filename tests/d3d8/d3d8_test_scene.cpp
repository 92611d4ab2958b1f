#include "d3d8_test_scene.h"

#include <cstring>

void DevicePictureTest::SetUp() {
    ASSERT_TRUE(createTestDevice(width, height, &test, backBufferFormat)) << test.error;
    device = test.device;
    // The tests draw unlit, untextured unless they say otherwise.
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
}

void DevicePictureTest::TearDown() { releaseTestDevice(&test); }

void DevicePictureTest::drawRect(float x1, float y1, float x2, float y2, D3DCOLOR color, float z) {
    const ScreenVertex vertices[6] = {
        {x1, y1, z, 1.0f, color, 0.0f, 0.0f}, {x2, y1, z, 1.0f, color, 1.0f, 0.0f},
        {x1, y2, z, 1.0f, color, 0.0f, 1.0f}, {x2, y1, z, 1.0f, color, 1.0f, 0.0f},
        {x2, y2, z, 1.0f, color, 1.0f, 1.0f}, {x1, y2, z, 1.0f, color, 0.0f, 1.0f},
    };
    device->SetVertexShader(kScreenFvf);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, vertices, sizeof(ScreenVertex)), D3D_OK);
}

void DevicePictureTest::drawClipRect(float x1, float y1, float x2, float y2, D3DCOLOR color, float z) {
    // y up: (x1, y2) is the top-left corner on screen.
    const ClipVertex vertices[6] = {
        {x1, y2, z, color, 0.0f, 0.0f}, {x2, y2, z, color, 1.0f, 0.0f}, {x1, y1, z, color, 0.0f, 1.0f},
        {x2, y2, z, color, 1.0f, 0.0f}, {x2, y1, z, color, 1.0f, 1.0f}, {x1, y1, z, color, 0.0f, 1.0f},
    };
    device->SetVertexShader(kClipFvf);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, vertices, sizeof(ClipVertex)), D3D_OK);
}

RgbaImage DevicePictureTest::present() {
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    return readFrontBuffer(device);
}

RgbaImage DevicePictureTest::backBuffer() {
    IDirect3DSurface8* surface = nullptr;
    device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface);
    RgbaImage image = readSurface(device, surface);
    surface->Release();
    return image;
}

IDirect3DSurface8* DevicePictureTest::useAlphaTarget(IDirect3DTexture8** texture) {
    *texture = nullptr;
    EXPECT_EQ(device->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                    texture),
              D3D_OK);
    if (*texture == nullptr) return nullptr;
    IDirect3DSurface8* surface = nullptr;
    (*texture)->GetSurfaceLevel(0, &surface);
    EXPECT_EQ(device->SetRenderTarget(surface, nullptr), D3D_OK);
    return surface;
}

IDirect3DTexture8* DevicePictureTest::solidTexture(D3DCOLOR color, UINT size, D3DFORMAT format) {
    IDirect3DTexture8* texture = nullptr;
    EXPECT_EQ(device->CreateTexture(size, size, 1, 0, format, D3DPOOL_MANAGED, &texture), D3D_OK);
    if (texture == nullptr) return nullptr;
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < size; ++y) {
        auto* row = static_cast<BYTE*>(locked.pBits) + y * locked.Pitch;
        for (UINT x = 0; x < size; ++x) std::memcpy(row + x * 4, &color, 4);
    }
    texture->UnlockRect(0);
    return texture;
}
