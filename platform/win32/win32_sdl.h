// What the other platform layers need to know of the Win32 windows: the SDL
// window behind a window handle. Only platform code includes this.
//
// Every window is an SDL window made with SDL_WINDOW_OPENGL after the OpenGL
// attributes for a 3.3 core context with double buffering, 8-bit RGB, 24-bit
// depth and 8-bit stencil were set; a layer that wants others sets them again
// before it creates its context.
//
// GetClientRect reports the size the program created the window with. When a
// display mode was set, the borderless window at (0, 0) covers the screen:
// the part of the window (and of its back buffer) that lies on the screen the
// program sees is what is shown, and the right and bottom edges beyond it lie
// off-screen, as on Windows. With the mode emulated (the default) that part is
// scaled to the real screen; with a real mode switch it is shown 1:1.
#ifndef ZELVARO_PLATFORM_WIN32_SDL_H
#define ZELVARO_PLATFORM_WIN32_SDL_H

#include <windows.h>

struct SDL_Window;

// The SDL window of a window created by CreateWindowExA; null for any other
// handle, and null again once the window has been destroyed.
SDL_Window* win32GetSdlWindow(HWND window);

// How Present shows a window's back buffer. Scaled: the part from the top-left
// that lies on the screen the program sees (screenWidth x screenHeight) fills
// the largest centred rectangle of that screen's shape in the window's
// drawable, with black bars around it. Otherwise the back buffer goes to the
// window pixel for pixel from its top-left corner.
struct Win32Presentation {
    bool scaled = false;
    int screenWidth = 0;
    int screenHeight = 0;
};
Win32Presentation win32PresentationOf(HWND window);

// The display mode the program set and sees while the real display keeps
// its own; false when no mode is emulated.
bool win32EmulatedDisplayMode(int* width, int* height);

#endif  // ZELVARO_PLATFORM_WIN32_SDL_H
