// Display modes are emulated: the program sees the mode it asked for while
// the real display keeps its own; a real switch happens only on request.
// Headless (SDL's offscreen driver, whose one display mode is its desktop's).
#include <d3d8.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "show_window.h"

namespace {

DEVMODEA modeOf(int width, int height) { return showDisplayMode(width, height); }

class EmulatedModeTest : public ::testing::Test {
protected:
    void TearDown() override {
        unsetenv("ZELVARO_DISPLAY_MODE");
        ChangeDisplaySettingsA(nullptr, 0);
    }
};

TEST_F(EmulatedModeTest, TheProgramSeesTheModeItAskedFor) {
    const int desktopWidth = GetSystemMetrics(SM_CXSCREEN);
    ASSERT_GT(desktopWidth, 0);
    const int width = desktopWidth == 800 ? 640 : 800;
    const int height = width * 3 / 4;
    DEVMODEA mode = modeOf(width, height);
    ASSERT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), width);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), height);
    IDirect3D8* direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(direct3D, nullptr);
    D3DDISPLAYMODE display{};
    ASSERT_EQ(direct3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &display), D3D_OK);
    EXPECT_EQ(int(display.Width), width);
    EXPECT_EQ(int(display.Height), height);
    EXPECT_EQ(display.Format, D3DFMT_X8R8G8B8);
    direct3D->Release();

    // The null mode gives the desktop's own back.
    ASSERT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), desktopWidth);
}

TEST_F(EmulatedModeTest, OnlyModesOfARealDisplayAreEmulated) {
    const int desktopWidth = GetSystemMetrics(SM_CXSCREEN);
    DEVMODEA odd = modeOf(123, 45);
    EXPECT_EQ(ChangeDisplaySettingsA(&odd, CDS_FULLSCREEN), DISP_CHANGE_BADMODE);
    DEVMODEA eightBits = modeOf(640, 480);
    eightBits.dmBitsPerPel = 8;
    EXPECT_EQ(ChangeDisplaySettingsA(&eightBits, CDS_FULLSCREEN), DISP_CHANGE_BADMODE);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), desktopWidth);
}

TEST_F(EmulatedModeTest, ARealSwitchOnRequestNeedsAModeTheDisplayOffers) {
    const int desktopWidth = GetSystemMetrics(SM_CXSCREEN);
    const int desktopHeight = GetSystemMetrics(SM_CYSCREEN);
    setenv("ZELVARO_DISPLAY_MODE", "switch", 1);
    // The offscreen display offers only its desktop's mode.
    const int width = desktopWidth == 800 ? 640 : 800;
    DEVMODEA other = modeOf(width, width * 3 / 4);
    EXPECT_EQ(ChangeDisplaySettingsA(&other, CDS_FULLSCREEN), DISP_CHANGE_BADMODE);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), desktopWidth);
    DEVMODEA own = modeOf(desktopWidth, desktopHeight);
    EXPECT_EQ(ChangeDisplaySettingsA(&own, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
}

}  // namespace
