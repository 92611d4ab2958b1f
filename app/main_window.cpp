#include "main_window.h"

#include <cstdio>
#include <cstring>

#include "demo_context.h"
#include "demo_frame.h"
#include "display_size.h"
#include "frame_timer.h"
#include "music_clock.h"

int displayWidth = ZELVARO_DISPLAY_WIDTH;
int displayHeight = ZELVARO_DISPLAY_HEIGHT;
int windowBaseWidth = ZELVARO_DISPLAY_WIDTH - 2;
int windowBaseHeight = ZELVARO_DISPLAY_HEIGHT - 2;

int windowActive = 1;
HWND mainWindow = nullptr;
HINSTANCE mainInstance = nullptr;

namespace {

const char* const windowClassName = "MY_CLASS_NAME";
const char* const windowTitle = "New Miravel Demo";

// The system's text for the last error, without its line end.
void lastErrorText(char* text, DWORD size) {
    const DWORD error = GetLastError();
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, text, size, nullptr);
    if (length == 0) {
        std::snprintf(text, size, "error %lu", static_cast<unsigned long>(error));
        return;
    }
    size_t end = std::strlen(text);
    while (end > 0 && (text[end - 1] == '\n' || text[end - 1] == '\r' || text[end - 1] == ' ' ||
                       text[end - 1] == '.')) {
        --end;
    }
    text[end] = '\0';
}

}  // namespace

bool createMainWindow(HINSTANCE instance) {
    WNDCLASSA windowClass;
    std::memset(&windowClass, 0, sizeof windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = windowClassName;

    savedScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    savedScreenHeight = GetSystemMetrics(SM_CYSCREEN);

    // The result is not looked at: where the mode cannot be set the demo
    // runs at the desktop's size.
    DEVMODEA mode;
    std::memset(&mode, 0, sizeof mode);
    mode.dmSize = sizeof mode;
    mode.dmBitsPerPel = 32;
    mode.dmPelsWidth = displayWidth;
    mode.dmPelsHeight = displayHeight;
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN);

    if (RegisterClassA(&windowClass) == 0) return false;

    // Sized as if it had a frame and a caption, so the window (and the back
    // buffer with it) reaches a few pixels past the right and bottom edges.
    const int width = 2 * GetSystemMetrics(SM_CXFRAME) + windowBaseWidth;
    const int height =
        GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME) + windowBaseHeight;
    HWND window = CreateWindowExA(0, windowClassName, windowTitle, WS_POPUP | WS_VISIBLE, 0, 0,
                                  width, height, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return false;
    mainInstance = instance;
    mainWindow = window;
    return true;
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        // The whole start-up runs here, inside CreateWindowExA.
        mainWindow = window;
        frameTimer.start();
        initDemo(window);
        return 0;
    case WM_DESTROY:
        shutdownDemo();
        PostQuitMessage(0);
        return 0;
    case WM_ACTIVATE:
        // The high word (minimised) does not matter.
        switch (LOWORD(wParam)) {
        case WA_INACTIVE:
            windowActive = 0;
            ShowCursor(TRUE);
            break;
        case WA_ACTIVE:
        case WA_CLICKACTIVE:
            windowActive = 1;
            ShowCursor(FALSE);
            break;
        default:
            break;
        }
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE || wParam == VK_F12) PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (!createMainWindow(instance)) {
        char reason[256];
        lastErrorText(reason, sizeof reason);
        exitWithStartupError("open a window", reason);
    }
    // Frames back to back whenever no message waits; never a sleep, also
    // not while the window is inactive.
    MSG message;
    for (;;) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) break;
            TranslateMessage(&message);
            DispatchMessageA(&message);
            continue;
        }
        if (windowActive) {
            frameTimer.update();
            if (musicStream != 0) refreshMusicTime();
            if (demoContext != nullptr) demoContext->renderFrame();
        }
    }
    return 0;
}
