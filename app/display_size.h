// The display size: 1024 x 768 (zelvaro) or 640 x 480 (zelvaro-640), chosen
// when main_window.cpp is compiled. The capture program may set another
// before it creates the window; the window is made from these values.
#ifndef ZELVARO_APP_DISPLAY_SIZE_H
#define ZELVARO_APP_DISPLAY_SIZE_H

#ifndef ZELVARO_DISPLAY_WIDTH
#define ZELVARO_DISPLAY_WIDTH 1024
#endif
#ifndef ZELVARO_DISPLAY_HEIGHT
#define ZELVARO_DISPLAY_HEIGHT 768
#endif

// The display mode set at start, 32 bits per pixel.
extern int displayWidth;
extern int displayHeight;
// The window's size before the frame and caption metrics are added: two
// pixels less than the display mode.
extern int windowBaseWidth;
extern int windowBaseHeight;

#endif  // ZELVARO_APP_DISPLAY_SIZE_H
