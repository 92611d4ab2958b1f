// Start-up and shutdown of the demo: the device, the textures, the music and
// the fourteen scenes (DemoContext::renderFrame is defined with them, in
// demo_frame.cpp).
#ifndef ZELVARO_APP_DEMO_FRAME_H
#define ZELVARO_APP_DEMO_FRAME_H

#include <windows.h>

void initDemo(HWND window);
void shutdownDemo();

#endif  // ZELVARO_APP_DEMO_FRAME_H
