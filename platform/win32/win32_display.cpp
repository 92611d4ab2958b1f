// Screen metrics, the display mode and the cursor over SDL's displays.
//
// A display mode set with ChangeDisplaySettingsA is emulated by default, as
// compatibility layers on current desktops do: the program sees the mode it
// asked for (GetSystemMetrics, the adapter's display mode), the borderless
// window at (0, 0) that covers that mode covers the real screen at the
// desktop's own resolution (SDL's full-screen-desktop mode), and Present
// scales the emulated screen's part of the back buffer into it. The real
// display mode never changes, so nothing can leave the desktop in the wrong
// mode. ZELVARO_DISPLAY_MODE=switch switches the real display instead, where
// it offers the mode (SDL's full-screen mode). ZELVARO_WINDOW=1 (or the
// programs' --window) plays in an ordinary resizable window of the emulated
// screen's size.
//
// A mode neither offered by the display nor one of the classic PC modes
// fails without effect. The null mode gives the desktop its mode back; so
// does destroying the window.
#include <SDL.h>

#include <cstdlib>
#include <cstring>

#include "win32_sdl.h"
#include "win32_windows.h"

namespace {

// Frame and caption metrics of the classic window style.
constexpr int frameWidth = 4;
constexpr int captionHeight = 19;
constexpr int borderWidth = 1;

struct DisplayState {
    bool modeSet = false;
    bool realMode = false;  // the real display was switched to `mode`
    SDL_DisplayMode mode{};
    int cursorCounter = 0;  // the cursor shows while it is 0 or more
};

DisplayState& display() {
    static DisplayState instance;
    return instance;
}

// The modes a PC display of the program's time offered: an emulated screen
// may have any of them, whatever the real display offers.
struct ClassicMode {
    int width;
    int height;
};
constexpr ClassicMode classicModes[] = {
    {320, 200},   {320, 240},   {400, 300},   {512, 384},   {640, 400},   {640, 480},
    {800, 600},   {1024, 768},  {1152, 864},  {1280, 720},  {1280, 768},  {1280, 800},
    {1280, 960},  {1280, 1024}, {1360, 768},  {1366, 768},  {1400, 1050}, {1440, 900},
    {1600, 900},  {1600, 1200}, {1680, 1050}, {1920, 1080}, {1920, 1200}, {2560, 1440},
    {2560, 1600}, {3840, 2160},
};

bool switchRealMode() {
    const char* setting = std::getenv("ZELVARO_DISPLAY_MODE");
    return setting != nullptr && std::strcmp(setting, "switch") == 0;
}

bool emulatedMode(int width, int height, SDL_DisplayMode* found) {
    for (const ClassicMode& mode : classicModes) {
        if (mode.width != width || mode.height != height) continue;
        SDL_DisplayMode desktop{};
        SDL_GetDesktopDisplayMode(0, &desktop);  // its format and refresh rate
        desktop.w = width;
        desktop.h = height;
        *found = desktop;
        return true;
    }
    return false;
}

// The display offers its listed modes and always the desktop's own.
bool findMode(int width, int height, SDL_DisplayMode* found) {
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
        if (mode.w == width && mode.h == height) {
            *found = mode;
            return true;
        }
    }
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w == width &&
        desktop.h == height) {
        *found = desktop;
        return true;
    }
    return false;
}

void leaveFullScreen() {
    for (HWND handle : win32AllWindows()) {
        Win32Window* window = win32FindWindow(handle);
        if (window == nullptr || window->sdlWindow == nullptr) continue;
        if ((SDL_GetWindowFlags(window->sdlWindow) & SDL_WINDOW_FULLSCREEN) == 0) continue;
        window->scaled = false;
        SDL_SetWindowFullscreen(window->sdlWindow, 0);
        SDL_SetWindowSize(window->sdlWindow, window->clientWidth, window->clientHeight);
        SDL_SetWindowPosition(window->sdlWindow, 0, 0);
    }
}

}  // namespace

bool win32PlayInWindow() {
    const char* setting = std::getenv("ZELVARO_WINDOW");
    return win32KeepDesktop || (setting != nullptr && std::strcmp(setting, "1") == 0);
}

void win32ApplyDisplayMode(Win32Window& window) {
    DisplayState& state = display();
    if (window.sdlWindow == nullptr) return;
    if (win32PlayInWindow()) {
        // The window shows the emulated screen at its own size to start with;
        // the person may resize it, and the picture follows.
        window.scaled = true;
        if (state.modeSet) {
            SDL_SetWindowSize(window.sdlWindow, state.mode.w, state.mode.h);
            SDL_SetWindowPosition(window.sdlWindow, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        }
        return;
    }
    if (!state.modeSet) return;
    // Only a window that covers the whole mode becomes the full-screen one.
    if (window.clientWidth < state.mode.w || window.clientHeight < state.mode.h) return;
    if (!state.realMode) {
        window.scaled = true;
        // The window is also given the screen's size itself: without a window
        // manager (a bare X server) nobody acts on the full-screen request.
        SDL_Rect bounds;
        const int displayIndex = SDL_GetWindowDisplayIndex(window.sdlWindow);
        if (SDL_GetDisplayBounds(displayIndex < 0 ? 0 : displayIndex, &bounds) == 0) {
            SDL_SetWindowPosition(window.sdlWindow, bounds.x, bounds.y);
            SDL_SetWindowSize(window.sdlWindow, bounds.w, bounds.h);
        }
        SDL_SetWindowFullscreen(window.sdlWindow, SDL_WINDOW_FULLSCREEN_DESKTOP);
        return;
    }
    if (SDL_SetWindowDisplayMode(window.sdlWindow, &state.mode) != 0) return;
    SDL_SetWindowFullscreen(window.sdlWindow, SDL_WINDOW_FULLSCREEN);
}

Win32Presentation win32PresentationOf(HWND handle) {
    Win32Window* window = win32FindWindow(handle);
    if (window == nullptr || !window->scaled) return Win32Presentation{};
    const DisplayState& state = display();
    if (state.modeSet) return Win32Presentation{true, state.mode.w, state.mode.h};
    return Win32Presentation{true, window->clientWidth, window->clientHeight};
}

bool win32EmulatedDisplayMode(int* width, int* height) {
    const DisplayState& state = display();
    if (!state.modeSet || state.realMode) return false;
    *width = state.mode.w;
    *height = state.mode.h;
    return true;
}

void win32ApplyCursor() {
    SDL_ShowCursor(display().cursorCounter >= 0 ? SDL_ENABLE : SDL_DISABLE);
}

int WINAPI GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXSCREEN:
    case SM_CYSCREEN: {
        DisplayState& state = display();
        if (state.modeSet) return index == SM_CXSCREEN ? state.mode.w : state.mode.h;
        if (!win32EnsureVideo()) return 0;
        SDL_DisplayMode desktop;
        if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) return 0;
        return index == SM_CXSCREEN ? desktop.w : desktop.h;
    }
    case SM_CXFRAME:
    case SM_CYFRAME:
        return frameWidth;
    case SM_CYCAPTION:
        return captionHeight;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return borderWidth;
    default:
        return 0;
    }
}

LONG WINAPI ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
    DisplayState& state = display();
    if (!win32EnsureVideo()) return DISP_CHANGE_FAILED;
    if (mode == nullptr) {
        if ((flags & CDS_TEST) != 0) return DISP_CHANGE_SUCCESSFUL;
        state.modeSet = false;
        leaveFullScreen();
        return DISP_CHANGE_SUCCESSFUL;
    }

    // Fields not named in dmFields keep their current value.
    const int width = (mode->dmFields & DM_PELSWIDTH) != 0 ? static_cast<int>(mode->dmPelsWidth)
                                                           : GetSystemMetrics(SM_CXSCREEN);
    const int height = (mode->dmFields & DM_PELSHEIGHT) != 0
                           ? static_cast<int>(mode->dmPelsHeight)
                           : GetSystemMetrics(SM_CYSCREEN);
    if ((mode->dmFields & DM_BITSPERPEL) != 0 && mode->dmBitsPerPel != 32 &&
        mode->dmBitsPerPel != 24) {
        return DISP_CHANGE_BADMODE;
    }
    // The real display changes only on request and never for a window.
    const bool realMode = switchRealMode() && !win32PlayInWindow();
    SDL_DisplayMode found;
    if (width <= 0 || height <= 0) return DISP_CHANGE_BADMODE;
    if (!findMode(width, height, &found) && (realMode || !emulatedMode(width, height, &found))) {
        return DISP_CHANGE_BADMODE;
    }
    if ((flags & CDS_TEST) != 0) return DISP_CHANGE_SUCCESSFUL;

    // The desktop's own size is a mode like any other: the window that
    // covers the screen stays full screen until it is destroyed.
    state.modeSet = true;
    state.realMode = realMode;
    state.mode = found;
    for (HWND handle : win32AllWindows()) {
        Win32Window* window = win32FindWindow(handle);
        if (window != nullptr && (window->style & WS_POPUP) != 0 && !window->scaled) {
            win32ApplyDisplayMode(*window);
        }
    }
    return DISP_CHANGE_SUCCESSFUL;
}

int WINAPI ShowCursor(BOOL show) {
    DisplayState& state = display();
    state.cursorCounter += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) win32ApplyCursor();
    return state.cursorCounter;
}
