// The windowing layer's own bookkeeping, shared by its files: window classes,
// windows and their SDL windows, the message queue and the display mode.
// Only platform/win32 includes this.
#ifndef ZELVARO_PLATFORM_WIN32_WINDOWS_H
#define ZELVARO_PLATFORM_WIN32_WINDOWS_H

#include <SDL.h>
#include <windows.h>

#include <string>
#include <vector>

// Error codes the windowing calls leave for GetLastError.
constexpr DWORD win32ErrorInvalidWindowHandle = ERROR_INVALID_WINDOW_HANDLE;
constexpr DWORD win32ErrorClassAlreadyExists = ERROR_CLASS_ALREADY_EXISTS;
constexpr DWORD win32ErrorCannotFindWindowClass = ERROR_CANNOT_FIND_WND_CLASS;
constexpr DWORD win32ErrorModuleNotFound = ERROR_MOD_NOT_FOUND;
// No display could be opened (SDL's video start-up failed).
constexpr DWORD win32ErrorNoDisplay = ERROR_DEVICE_NOT_CONNECTED;

struct Win32Window {
    HWND handle;
    WNDPROC procedure;
    SDL_Window* sdlWindow;
    DWORD style;
    int width;   // the size the program created the window with
    int height;
    int clientWidth;
    int clientHeight;
    bool active;      // the state the procedure was last told with WM_ACTIVATE
    bool destroying;  // inside DestroyWindow: WM_DESTROY is being delivered
    bool scaled;      // it shows the emulated screen scaled (win32PresentationOf)
};

// Starts SDL's video on first use. False when there is no display; the reason
// is then in win32VideoError().
bool win32EnsureVideo();
const std::string& win32VideoError();

Win32Window* win32FindWindow(HWND window);
Win32Window* win32FindWindowBySdlId(Uint32 windowId);
// The window keyboard input goes to when SDL names none: the active one, else
// the most recently created one; null without windows.
Win32Window* win32KeyboardWindow();
std::vector<HWND> win32AllWindows();

// Messages (win32_messages.cpp).
void win32PostToQueue(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void win32DropMessagesFor(HWND window);
// Tells a window's procedure it became active or inactive, once per change.
void win32SetActive(Win32Window& window, bool active, bool minimised);

// SDL events into messages (win32_sdl_events.cpp).
void win32PumpSdlEvents();

// Keys (win32_keys.cpp): the virtual-key code of an SDL key, 0 for none.
WPARAM win32VirtualKey(const SDL_Keysym& key);

// Display mode and cursor (win32_display.cpp).
// Puts a newly created pop-up window at (0, 0) over the screen when a display
// mode has been set (or sizes it as the emulated screen, played in a window).
void win32ApplyDisplayMode(Win32Window& window);
// Hands the cursor counter to SDL once its video runs.
void win32ApplyCursor();

// "--window": play in an ordinary resizable window (set by main() before
// WinMain runs); ZELVARO_WINDOW=1 does the same.
extern bool win32KeepDesktop;
bool win32PlayInWindow();

#endif  // ZELVARO_PLATFORM_WIN32_WINDOWS_H
