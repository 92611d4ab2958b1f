// Temporary: replaced by the window registry of the windowing layer.
#include "win32_sdl.h"

SDL_Window* win32GetSdlWindow(HWND) { return nullptr; }
