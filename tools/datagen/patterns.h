// Environment and surface maps. Those that wrap around shapes tile without a
// seam: every function of position they use repeats exactly across the image.
#pragma once

#include "image.h"

namespace datagen {

void paintRoseTile(Image& image);        // stained-glass rosettes, 2 x 2 tiles (seamless)
void paintLiquidChrome(Image& image);    // glossy warped liquid (seamless)
void paintSymbolGrid(Image& image);      // signs and symbols on a glowing ground (seamless)
void paintFolkOrnament(Image& image);    // bands of folk ornament (seamless)
void paintMetalPlasma(Image& image);     // brushed metal with rivets under coloured light (seamless)
void paintTitlePanel(Image& image);      // a glowing framed panel with the title, for a cube's faces
void paintFunkStripes(Image& image);     // rings of warm seventies colours (seamless)
void paintSoftGlow(Image& image);        // a soft round glow fading to black at the edges
void paintCellPlasma(Image& image);      // colourful plasma with glowing cells (seamless)
void paintRadialWheel(Image& image);     // a large wheel of rings, spokes and engraving

}  // namespace datagen
