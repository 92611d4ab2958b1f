// The display size of this build: 1024 x 768 (zelvaro) or 640 x 480
// (zelvaro-640), chosen when main_window.cpp is compiled.
#ifndef ZELVARO_APP_DISPLAY_SIZE_H
#define ZELVARO_APP_DISPLAY_SIZE_H

#ifndef ZELVARO_DISPLAY_WIDTH
#define ZELVARO_DISPLAY_WIDTH 1024
#endif
#ifndef ZELVARO_DISPLAY_HEIGHT
#define ZELVARO_DISPLAY_HEIGHT 768
#endif

// The display mode set at start, 32 bits per pixel.
const int displayWidth = ZELVARO_DISPLAY_WIDTH;
const int displayHeight = ZELVARO_DISPLAY_HEIGHT;
// The window's size before the frame and caption metrics are added.
const int windowBaseWidth = displayWidth - 2;
const int windowBaseHeight = displayHeight - 2;

#endif  // ZELVARO_APP_DISPLAY_SIZE_H
