// Text through FreeType with the DejaVu fonts of Debian's fonts-dejavu-core:
// a line of text becomes a coverage mask (an Image whose alpha is the glyph
// coverage, colour white) that painters colour, blur and place.
#pragma once

#include <string>

#include "image.h"

namespace datagen {

enum class Font { sans, sansBold, sansBoldOblique, condensedBold, serifBold, serifItalic, monoBold };

// Directory of the DejaVu fonts.
extern const char* const kFontDirectory;

std::string fontPath(Font font);

struct TextMask {
  Image mask;       // tight box around the inked pixels plus `margin` on every side
  int baseline = 0; // row of the baseline inside mask
  std::string error;  // empty on success
};

// One line at a pixel size (the em height); margin is free space around it,
// useful for glows.
TextMask renderText(Font font, const std::string& text, int pixelSize, int margin = 0);

// The largest rendering (pixel sizes stepped down from maxPixelSize) whose inked
// box fits within maxWidth x maxHeight, margins included.
TextMask fitText(Font font, const std::string& text, int maxWidth, int maxHeight, int margin,
                 int maxPixelSize);

// Composites mask onto target with its top-left at (x, y), coloured by c (the
// mask's coverage times c.a is the opacity).
void drawMask(Image& target, const Image& mask, int x, int y, const Color& c);

// Mask centred in the target rectangle (x, y, w, h).
void drawMaskCentred(Image& target, const Image& mask, int x, int y, int w, int h, const Color& c);

}  // namespace datagen
