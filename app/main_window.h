// Entry point, the one borderless window and the message loop.
#ifndef ZELVARO_APP_MAIN_WINDOW_H
#define ZELVARO_APP_MAIN_WINDOW_H

#include <windows.h>

extern int windowActive;  // frames are rendered only while non-zero
extern HWND mainWindow;
extern HINSTANCE mainInstance;

bool createMainWindow(HINSTANCE instance);
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine,
                   int showCommand);

#endif  // ZELVARO_APP_MAIN_WINDOW_H
