// The procedural "photographs": each paints the whole image, which has the
// shape of the plane it is shown on (4:3, 64:37 or 72:80).
#pragma once

#include "image.h"

namespace datagen {

// landscapes.cpp
void paintSunOverLandscape(Image& image);  // a low sun over layered hills
void paintAlpineLake(Image& image);        // snowy peaks mirrored in a lake
void paintSepiaRapids(Image& image);       // an old brown-toned picture of a river over rocks
void paintWaterfall(Image& image);         // a waterfall into a pool between cliffs
void paintWaterSurface(Image& image);      // rippled water seen from above

// cityscapes.cpp
void paintBridges(Image& image);       // a river with an arch bridge and a suspension bridge at dusk
void paintNightCity(Image& image);     // towers and city lights under a night sky
void paintRiverCity(Image& image);     // a city on a river with a clock tower and a wheel, daylight
void paintHarbour(Image& image);       // a harbour at sunset: piers, boats, cranes, lighthouse

}  // namespace datagen
