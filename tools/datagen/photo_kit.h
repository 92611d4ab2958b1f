// Building blocks of the procedural "photographs": sky with sun and clouds,
// mountain and hill ridges with forests, water that mirrors what is above the
// horizon, city skylines with lit windows, and a photographic finish (grain,
// vignette). Positions are fractions of the image height from the top (y)
// and of the image width from the left (x), so the pictures keep their
// composition at any size.
#pragma once

#include <cstdint>

#include "image.h"

namespace datagen {

struct Sky {
  Color zenith;
  Color horizon;
  float horizonY;      // where the gradient reaches the horizon colour
  float sunX, sunY;    // sun centre; sunRadius 0 for no sun
  float sunRadius;     // fraction of the height
  Color sunColor;
  float glow;          // strength of the halo around the sun
  float cloudCover;    // 0 clear .. 1 overcast
  Color cloudLight, cloudShade;
  float cloudTop, cloudBottom;  // band where clouds live
  float stars;         // 0 none .. 1 many
  std::uint32_t seed;
};
void paintSky(Image& image, const Sky& sky);

struct Ridge {
  float baseY;       // mean height of the crest line
  float amplitude;   // how far the crest rises above baseY
  float features;    // crest wiggles across the width
  bool ridged;       // sharp alpine crests instead of rounded hills
  Color light, dark; // surface colours facing and turned from the light
  Color snow;        // snow colour on the highest parts; alpha 0 for none
  float snowLine;    // fraction of the amplitude above which snow lies
  Color haze;        // atmosphere colour the ridge fades into
  float hazeAmount;  // 0 crisp .. 1 invisible
  float trees;       // height of the forest fringe on the crest (fraction of height); 0 none
  Color treeColor;
  float lightDir;    // +1 light from the right, -1 from the left
  std::uint32_t seed;
};
// Crest height (fraction of image height from the top) of a ridge at column fraction x.
float ridgeCrest(const Ridge& ridge, float x);
void paintRidge(Image& image, const Ridge& ridge);

// Everything below horizonY becomes water mirroring the rows above it,
// rippled, tinted and with the sun's glitter path at sunX (negative: none).
struct Water {
  float horizonY;
  Color tint;
  float tintAmount;  // at the horizon; grows towards the viewer
  float ripple;      // strength of the ripples
  float sunX;
  Color glitter;
  std::uint32_t seed;
};
void paintWater(Image& image, const Water& water);

struct Skyline {
  float baseY;                 // ground line of the buildings
  float minHeight, maxHeight;  // building heights (fractions of the height)
  float minWidth, maxWidth;    // building widths (fractions of the width)
  Color wall, wallVariation;   // mean facade colour and its spread
  Color window;                // lit window colour
  float litFraction;           // share of windows that are lit
  float windowScale;           // window pitch as a fraction of the height
  Color haze;
  float hazeAmount;
  float spires;                // chance of a spire or stepped roof
  float gap;                   // chance of a gap between buildings
  std::uint32_t seed;
};
void paintSkyline(Image& image, const Skyline& skyline);

// Slight film grain, a vignette and a gentle contrast curve.
void photoFinish(Image& image, std::uint32_t seed, float grain, float vignette);

// Light bleeding around bright parts (lit windows, lamps, the sun).
void addBloom(Image& image, float threshold, int radius, float strength);

// Converts to brown-toned monochrome (old photograph).
void sepiaTone(Image& image, float strength);

}  // namespace datagen
