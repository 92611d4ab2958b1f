// IDirect3D8: display mode, formats, caps, device creation.
#include <d3d8.h>
#include <gtest/gtest.h>

#include "d3d_test_device.h"

namespace {

class Direct3DTest : public ::testing::Test {
protected:
    void SetUp() override {
        direct3D = Direct3DCreate8(D3D_SDK_VERSION);
        ASSERT_NE(direct3D, nullptr);
    }
    void TearDown() override {
        if (direct3D != nullptr) direct3D->Release();
    }
    IDirect3D8* direct3D = nullptr;
};

TEST_F(Direct3DTest, DisplayModeIs32BitsWithoutAlphaAtTheDesktopSize) {
    D3DDISPLAYMODE mode{};
    ASSERT_EQ(direct3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode), D3D_OK);
    EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
    EXPECT_GT(mode.Width, 0u);
    EXPECT_GT(mode.Height, 0u);
    EXPECT_EQ(direct3D->GetAdapterDisplayMode(1, &mode), D3DERR_INVALIDCALL);
    EXPECT_EQ(direct3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, nullptr), D3DERR_INVALIDCALL);
}

TEST_F(Direct3DTest, WrongSdkVersionGivesNoInterface) { EXPECT_EQ(Direct3DCreate8(120), nullptr); }

TEST_F(Direct3DTest, CheckDeviceFormatAcceptsTheTextureFormatsAndRefusesTheRest) {
    const D3DFORMAT accepted[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5,
                                  D3DFMT_A4R4G4B4, D3DFMT_L8,       D3DFMT_A8L8,   D3DFMT_A8};
    for (D3DFORMAT format : accepted) {
        EXPECT_EQ(direct3D->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0,
                                              D3DRTYPE_TEXTURE, format),
                  D3D_OK)
            << "format " << format;
    }
    const D3DFORMAT refused[] = {D3DFMT_R8G8B8, D3DFMT_P8, D3DFMT_DXT1, D3DFMT_DXT5, D3DFMT_A8P8,
                                 D3DFMT_R3G3B2, D3DFMT_V8U8, D3DFMT_X4R4G4B4, D3DFMT_A4L4};
    for (D3DFORMAT format : refused) {
        EXPECT_EQ(direct3D->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0,
                                              D3DRTYPE_TEXTURE, format),
                  D3DERR_NOTAVAILABLE)
            << "format " << format;
    }
    EXPECT_EQ(direct3D->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_RENDERTARGET,
                                          D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8),
              D3D_OK);
    EXPECT_EQ(direct3D->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_RENDERTARGET,
                                          D3DRTYPE_TEXTURE, D3DFMT_L8),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(direct3D->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL,
                                          D3DRTYPE_SURFACE, D3DFMT_D24S8),
              D3D_OK);
}

TEST_F(Direct3DTest, CapsDescribeATypicalCardOfItsTime) {
    D3DCAPS8 caps{};
    ASSERT_EQ(direct3D->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_TRUE(caps.TextureCaps & D3DPTEXTURECAPS_POW2);
    EXPECT_TRUE(caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP);
    EXPECT_FALSE(caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY);
    EXPECT_EQ(caps.MaxTextureWidth, 2048u);
    EXPECT_EQ(caps.MaxTextureHeight, 2048u);
    EXPECT_GE(caps.MaxTextureBlendStages, 2u);
    EXPECT_GE(caps.MaxSimultaneousTextures, 2u);
    const DWORD ops = D3DTEXOPCAPS_DISABLE | D3DTEXOPCAPS_SELECTARG1 | D3DTEXOPCAPS_SELECTARG2 |
                      D3DTEXOPCAPS_MODULATE | D3DTEXOPCAPS_MODULATE2X | D3DTEXOPCAPS_ADD;
    EXPECT_EQ(caps.TextureOpCaps & ops, ops);
}

TEST_F(Direct3DTest, CreateDeviceRefusesBadParameters) {
    D3DPRESENT_PARAMETERS parameters{};
    parameters.Windowed = TRUE;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.BackBufferFormat = D3DFMT_P8;
    IDirect3DDevice8* device = reinterpret_cast<IDirect3DDevice8*>(1);
    EXPECT_EQ(direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, 0, &parameters, &device),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device, nullptr);
    parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_A8R8G8B8;
    EXPECT_EQ(direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, 0, &parameters, &device),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, 0, nullptr, &device),
              D3DERR_INVALIDCALL);
}

TEST_F(Direct3DTest, BackBufferSizeZeroTakesTheWindowsSize) {
    D3DPRESENT_PARAMETERS parameters{};
    parameters.Windowed = TRUE;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
    IDirect3DDevice8* device = nullptr;
    // Without a window of the Win32 layer the device's own hidden window is 640 x 480.
    ASSERT_EQ(direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, 0, &parameters, &device), D3D_OK);
    IDirect3DSurface8* backBuffer = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
    D3DSURFACE_DESC desc{};
    backBuffer->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 640u);
    EXPECT_EQ(desc.Height, 480u);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(desc.Usage, static_cast<DWORD>(D3DUSAGE_RENDERTARGET));
    backBuffer->Release();
    IDirect3DSurface8* depth = nullptr;
    ASSERT_EQ(device->GetDepthStencilSurface(&depth), D3D_OK);
    depth->GetDesc(&desc);
    EXPECT_EQ(desc.Format, D3DFMT_D24S8);
    EXPECT_EQ(desc.Width, 640u);
    depth->Release();
    EXPECT_EQ(device->Release(), 0u);
}

}  // namespace
