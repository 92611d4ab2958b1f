// Without a display, creating a window fails with an error instead of a crash.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

namespace {

LRESULT CALLBACK unusedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(NoDisplay, CreatingAWindowFailsWithAnError) {
    // A video driver that does not exist: SDL's video cannot start.
    setenv("SDL_VIDEODRIVER", "no_such_driver", 1);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = unusedProc;
    windowClass.lpszClassName = "no display";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    SetLastError(0);
    EXPECT_EQ(CreateWindowExA(0, "no display", "", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480,
                              nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_NE(GetLastError(), 0u);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 0);
    DEVMODEA mode{};
    mode.dmPelsWidth = 640;
    mode.dmPelsHeight = 480;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_FAILED);
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    ShowCursor(FALSE);  // harmless without a display
}

}  // namespace
