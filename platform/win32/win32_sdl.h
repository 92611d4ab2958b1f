// What the other platform layers need to know of the Win32 windows: the SDL
// window behind a window handle. Only platform code includes this.
#ifndef ZELVARO_PLATFORM_WIN32_SDL_H
#define ZELVARO_PLATFORM_WIN32_SDL_H

#include <windows.h>

struct SDL_Window;

// The SDL window of a window created by CreateWindowExA; null for any other handle.
SDL_Window* win32GetSdlWindow(HWND window);

#endif  // ZELVARO_PLATFORM_WIN32_SDL_H
