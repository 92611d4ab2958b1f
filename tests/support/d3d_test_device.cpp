#include "d3d_test_device.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

bool createTestDevice(UINT width, UINT height, TestDevice* test, D3DFORMAT backBufferFormat) {
    test->direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    if (test->direct3D == nullptr) {
        test->error = "Direct3DCreate8 failed (no display?)";
        return false;
    }
    D3DPRESENT_PARAMETERS parameters{};
    parameters.BackBufferWidth = width;
    parameters.BackBufferHeight = height;
    parameters.BackBufferFormat = backBufferFormat;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.Windowed = TRUE;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
    const HRESULT result = test->direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                                        D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters,
                                                        &test->device);
    if (FAILED(result)) {
        test->error = "CreateDevice failed: " + std::to_string(result);
        test->direct3D->Release();
        test->direct3D = nullptr;
        return false;
    }
    test->width = width;
    test->height = height;
    return true;
}

void releaseTestDevice(TestDevice* test) {
    if (test->device != nullptr) test->device->Release();
    if (test->direct3D != nullptr) test->direct3D->Release();
    test->device = nullptr;
    test->direct3D = nullptr;
}

namespace {

// Copies a locked A8R8G8B8 / X8R8G8B8 surface into an RGBA image.
RgbaImage imageOfSurface(IDirect3DSurface8* surface, bool opaque) {
    RgbaImage image;
    D3DSURFACE_DESC desc{};
    surface->GetDesc(&desc);
    D3DLOCKED_RECT locked{};
    if (FAILED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) return image;
    image.width = static_cast<int>(desc.Width);
    image.height = static_cast<int>(desc.Height);
    image.pixels.resize(static_cast<size_t>(image.width) * image.height * 4);
    for (int y = 0; y < image.height; ++y) {
        const auto* row = static_cast<const uint8_t*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch;
        for (int x = 0; x < image.width; ++x) {
            uint32_t color;
            std::memcpy(&color, row + x * 4, 4);
            image.setArgb(x, y, opaque ? color | 0xff000000u : color);
        }
    }
    surface->UnlockRect();
    return image;
}

}  // namespace

RgbaImage readFrontBuffer(IDirect3DDevice8* device) {
    IDirect3DSurface8* backBuffer = nullptr;
    device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
    D3DSURFACE_DESC desc{};
    backBuffer->GetDesc(&desc);
    backBuffer->Release();
    IDirect3DSurface8* copy = nullptr;
    RgbaImage image;
    if (FAILED(device->CreateImageSurface(desc.Width, desc.Height, D3DFMT_A8R8G8B8, &copy))) return image;
    if (SUCCEEDED(device->GetFrontBuffer(copy))) image = imageOfSurface(copy, false);
    copy->Release();
    return image;
}

RgbaImage readSurface(IDirect3DDevice8* device, IDirect3DSurface8* surface) {
    D3DSURFACE_DESC desc{};
    surface->GetDesc(&desc);
    RgbaImage image;
    IDirect3DSurface8* copy = nullptr;
    if (FAILED(device->CreateImageSurface(desc.Width, desc.Height, desc.Format, &copy))) return image;
    if (SUCCEEDED(device->CopyRects(surface, nullptr, 0, copy, nullptr))) {
        image = imageOfSurface(copy, desc.Format == D3DFMT_X8R8G8B8);
    }
    copy->Release();
    return image;
}

RgbaImage readTexture(IDirect3DDevice8* device, IDirect3DTexture8* texture) {
    IDirect3DSurface8* level = nullptr;
    RgbaImage image;
    if (FAILED(texture->GetSurfaceLevel(0, &level))) return image;
    image = readSurface(device, level);
    level->Release();
    return image;
}

void beginTestFrame(IDirect3DDevice8* device) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device->BeginScene();
}

RgbaImage endTestFrame(IDirect3DDevice8* device, const char* name) {
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
    RgbaImage picture = readFrontBuffer(device);
    if (::testing::Test::HasFailure()) {
        saveTestPicture(picture, name);
    }
    return picture;
}

std::string saveTestPicture(const RgbaImage& image, const std::string& name) {
    const std::filesystem::path folder = std::filesystem::current_path() / "test-pictures";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const std::string path = (folder / (name + ".png")).string();
    writePng(image, path);
    return path;
}
