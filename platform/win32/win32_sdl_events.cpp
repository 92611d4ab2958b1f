// SDL's events as window messages: keys, activation and the window manager's
// close request. Everything else SDL reports is dropped.
#include <SDL.h>

#include "win32_windows.h"

namespace {

// Key messages carry a repeat count of 1 and, for a held key, the
// "previous state down" bit; key-up messages also the transition bit.
constexpr LPARAM keyRepeatCount = 1;
constexpr LPARAM keyWasDown = LPARAM{1} << 30;
constexpr LPARAM keyReleased = LPARAM{1} << 31;

Win32Window* keyboardTarget(Uint32 windowId) {
    Win32Window* window = win32FindWindowBySdlId(windowId);
    return window != nullptr ? window : win32KeyboardWindow();
}

void translateKey(const SDL_KeyboardEvent& key) {
    Win32Window* window = keyboardTarget(key.windowID);
    if (window == nullptr) return;
    const WPARAM virtualKey = win32VirtualKey(key.keysym);
    if (virtualKey == 0) return;
    if (key.type == SDL_KEYDOWN) {
        const LPARAM flags = keyRepeatCount | (key.repeat != 0 ? keyWasDown : 0);
        win32PostToQueue(window->handle, WM_KEYDOWN, virtualKey, flags);
    } else {
        win32PostToQueue(window->handle, WM_KEYUP, virtualKey,
                         keyRepeatCount | keyWasDown | keyReleased);
    }
}

void translateWindowEvent(const SDL_WindowEvent& event) {
    Win32Window* window = win32FindWindowBySdlId(event.windowID);
    if (window == nullptr) return;
    switch (event.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        win32SetActive(*window, true, false);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        win32SetActive(*window, false, false);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        win32SetActive(*window, false, true);
        break;
    case SDL_WINDOWEVENT_CLOSE:
        win32PostToQueue(window->handle, WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
}

}  // namespace

void win32PumpSdlEvents() {
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return;
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            translateKey(event.key);
            break;
        case SDL_WINDOWEVENT:
            translateWindowEvent(event.window);
            break;
        case SDL_QUIT:
            // The session asks the program to end (an interrupt, the last
            // window closed): a close request to every window.
            for (HWND window : win32AllWindows()) win32PostToQueue(window, WM_CLOSE, 0, 0);
            break;
        default:
            break;
        }
    }
}
