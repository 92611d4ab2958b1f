// Screen metrics, the display mode and the cursor over SDL's displays.
//
// A display mode set with ChangeDisplaySettingsA is kept and applied to the
// borderless window at (0, 0) that covers the screen: SDL switches it to that
// mode full screen. A mode the display does not offer fails without effect.
// The null mode gives the desktop its mode back; so does destroying the window.
#include <SDL.h>

#include "win32_windows.h"

namespace {

// Frame and caption metrics of the classic window style.
constexpr int frameWidth = 4;
constexpr int captionHeight = 19;
constexpr int borderWidth = 1;

struct DisplayState {
    bool modeSet = false;
    SDL_DisplayMode mode{};
    int cursorCounter = 0;  // the cursor shows while it is 0 or more
};

DisplayState& display() {
    static DisplayState instance;
    return instance;
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
        SDL_SetWindowFullscreen(window->sdlWindow, 0);
        SDL_SetWindowSize(window->sdlWindow, window->clientWidth, window->clientHeight);
        SDL_SetWindowPosition(window->sdlWindow, 0, 0);
    }
}

}  // namespace

void win32ApplyDisplayMode(Win32Window& window) {
    DisplayState& state = display();
    if (!state.modeSet || win32KeepDesktop || window.sdlWindow == nullptr) return;
    // Only a window that covers the whole mode becomes the full-screen one.
    if (window.clientWidth < state.mode.w || window.clientHeight < state.mode.h) return;
    if (SDL_SetWindowDisplayMode(window.sdlWindow, &state.mode) != 0) return;
    SDL_SetWindowFullscreen(window.sdlWindow, SDL_WINDOW_FULLSCREEN);
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
    if (win32KeepDesktop) return DISP_CHANGE_SUCCESSFUL;
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
    SDL_DisplayMode found;
    if (width <= 0 || height <= 0 || !findMode(width, height, &found)) return DISP_CHANGE_BADMODE;
    if ((flags & CDS_TEST) != 0) return DISP_CHANGE_SUCCESSFUL;

    // The desktop's own size is a mode like any other: the window that
    // covers the screen stays full screen until it is destroyed.
    state.modeSet = true;
    state.mode = found;
    for (HWND handle : win32AllWindows()) {
        Win32Window* window = win32FindWindow(handle);
        if (window != nullptr && (window->style & WS_POPUP) != 0) win32ApplyDisplayMode(*window);
    }
    return DISP_CHANGE_SUCCESSFUL;
}

int WINAPI ShowCursor(BOOL show) {
    DisplayState& state = display();
    state.cursorCounter += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) win32ApplyCursor();
    return state.cursorCounter;
}
