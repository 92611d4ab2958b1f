// The captured picture's sizes and the steps from the drawn picture to the
// file's: the supersampling filter and the black frame around the picture.
#ifndef ZELVARO_TOOLS_CAPTURE_PICTURE_SHAPING_H
#define ZELVARO_TOOLS_CAPTURE_PICTURE_SHAPING_H

#include <string>
#include <vector>

#include "capture_options.h"

struct PictureLayout {
    int pictureWidth = 0;  // the show's picture in the file
    int pictureHeight = 0;
    int factor = 1;        // the show draws the picture `factor` times larger
    int frameWidth = 0;    // the file's picture: the show's one, or the frame around it
    int frameHeight = 0;
    int left = 0;  // the show's picture's top-left corner in the file's
    int top = 0;
    int windowWidth = 0;  // the show's window: its top-left part is the drawn picture
    int windowHeight = 0;

    int drawnWidth() const { return pictureWidth * factor; }
    int drawnHeight() const { return pictureHeight * factor; }
    // The drawn picture goes to the file as it is.
    bool unchanged() const {
        return factor == 1 && frameWidth == pictureWidth && frameHeight == pictureHeight;
    }
};

// The sizes the options ask for, given the program's own picture size;
// false with the reason when they cannot be made. At the builds' sizes,
// 1024 x 768 and 640 x 480, the window is the one the program makes (two
// pixels smaller than the display plus the frame and caption metrics, so it
// reaches past the screen's right and bottom edges); at any other size it is
// the 1024 x 768 build's window scaled to the picture, so the picture shows
// what that build shows. Supersampled, the whole window is `factor` times
// larger: the projection then spreads the same picture over `factor` times
// as many pixels each way.
bool layoutPicture(const CaptureOptions& options, int ownWidth, int ownHeight,
                   PictureLayout* layout, std::string* error);

// The file's picture from the drawn one. `drawn` holds drawnHeight rows of
// drawnWidth pixels B, G, R, A, `pitch` bytes apart; `picture` receives
// frameHeight tightly packed rows of frameWidth such pixels. Each block of
// factor x factor drawn pixels becomes one, averaged in linear light (a box
// filter); the frame around the picture is opaque black.
void shapePicture(const PictureLayout& layout, const unsigned char* drawn, int pitch,
                  std::vector<unsigned char>* picture);

#endif  // ZELVARO_TOOLS_CAPTURE_PICTURE_SHAPING_H
