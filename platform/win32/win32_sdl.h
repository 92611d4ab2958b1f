// What the other platform layers need to know of the Win32 windows: the SDL
// window behind a window handle. Only platform code includes this.
//
// Every window is an SDL window made with SDL_WINDOW_OPENGL after the OpenGL
// attributes for a 3.3 core context with double buffering, 8-bit RGB, 24-bit
// depth and 8-bit stencil were set; a layer that wants others sets them again
// before it creates its context.
//
// GetClientRect reports the size the program created the window with. When a
// display mode was set, the borderless window at (0, 0) is full screen in that
// mode, and SDL's window (and its drawable) may then be smaller than that
// size: as on Windows, the screen shows the top-left part and the right and
// bottom edges lie off-screen.
#ifndef ZELVARO_PLATFORM_WIN32_SDL_H
#define ZELVARO_PLATFORM_WIN32_SDL_H

#include <windows.h>

struct SDL_Window;

// The SDL window of a window created by CreateWindowExA; null for any other
// handle, and null again once the window has been destroyed.
SDL_Window* win32GetSdlWindow(HWND window);

#endif  // ZELVARO_PLATFORM_WIN32_SDL_H
