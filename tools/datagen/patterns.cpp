#include "patterns.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "det_math.h"
#include "noise.h"
#include "text_render.h"

namespace datagen {

namespace {

constexpr float kTau = 6.2831853f;

// A colour ramp through the given stops, t in [0, 1].
Color ramp(const Color* stops, int count, float t) {
  t = clamp01(t) * static_cast<float>(count - 1);
  auto i = std::min(count - 2, static_cast<int>(std::floor(t)));
  return mixColor(stops[i], stops[i + 1], t - static_cast<float>(i));
}

template <typename Paint>
void forEachPixel(Image& image, Paint paint) {
  for (int y = 0; y < image.height; ++y) {
    float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(image.height);
    for (int x = 0; x < image.width; ++x) {
      float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(image.width);
      Color c = paint(u, v, x, y);
      c.a = 1.0f;
      image.at(x, y) = c;
    }
  }
}

}  // namespace

void paintRoseTile(Image& image) {
  const Color glass[] = {hexColor(0x3A0A1E), hexColor(0xB0183A), hexColor(0xF2B03A), hexColor(0x1A4AA8), hexColor(0x0A1A48)};
  forEachPixel(image, [&](float u, float v, int, int) {
    // two tiles across, two down; rosettes at the tile centres and at the corners
    float tu = u * 2.0f - std::floor(u * 2.0f), tv = v * 2.0f - std::floor(v * 2.0f);
    float dx = tu - 0.5f, dy = tv - 0.5f;
    float r = std::sqrt(dx * dx + dy * dy);
    float a = detAtan2f(dy, dx);
    float cx = tu < 0.5f ? tu : 1.0f - tu, cy = tv < 0.5f ? tv : 1.0f - tv;
    float rc = std::sqrt(cx * cx + cy * cy);
    float ac = detAtan2f(cy, cx);
    float petals = 0.3f + 0.07f * detCosf(a * 8.0f);
    float inner = 0.12f + 0.03f * detCosf(a * 16.0f);
    Color c;
    if (r < inner) {
      c = ramp(glass, 5, 0.5f + 0.5f * detCosf(a * 8.0f + r * 40.0f));
    } else if (r < petals) {
      float t = (r - inner) / (petals - inner);
      c = ramp(glass, 5, 0.15f + 0.5f * t + 0.2f * detCosf(a * 16.0f));
    } else if (rc < 0.16f + 0.03f * detCosf(ac * 12.0f)) {
      c = ramp(glass, 5, 0.7f + 0.25f * detCosf(ac * 12.0f + rc * 30.0f));
    } else {
      float lattice = 0.5f + 0.5f * detCosf(a * 24.0f) * detCosf(r * 60.0f);
      c = mixColor(glass[4], glass[3], lattice * 0.7f);
    }
    // lead lines between the pieces of glass
    float lead = std::min({std::fabs(r - inner), std::fabs(r - petals), std::fabs(rc - 0.16f - 0.03f * detCosf(ac * 12.0f))});
    float spoke = std::fabs(detSinf(a * 8.0f)) * r;
    if (r < petals) lead = std::min(lead, spoke);
    c = scaleColor(c, 0.25f + 0.75f * smoothstep(0.002f, 0.008f, lead));
    float grain = fractalNoise(u * 16.0f, v * 16.0f, 1101u, 4, 0.5f, 16);
    return scaleColor(c, 0.8f + 0.4f * grain);
  });
}

void paintLiquidChrome(Image& image) {
  // Dark, saturated bands with highlights at half brightness: the scenes add
  // this map onto the picture several times over, so a brighter one turns
  // their shapes into plain white.
  const Color chrome[] = {hexColor(0x080210), hexColor(0x3C0820), hexColor(0x7A3040), hexColor(0x806070),
                          hexColor(0x341448), hexColor(0x0A0414), hexColor(0x7A5030), hexColor(0x706870)};
  forEachPixel(image, [&](float u, float v, int, int) {
    float px = u * 4.0f, py = v * 4.0f;
    float qx = fractalNoise(px, py, 1201u, 5, 0.5f, 4);
    float qy = fractalNoise(px + 5.2f, py + 1.3f, 1202u, 5, 0.5f, 4);
    float n = fractalNoise(px + qx * 4.0f, py + qy * 4.0f, 1203u, 6, 0.5f, 4);
    float t = n * 2.2f + qx * 0.6f;
    float bands = t - std::floor(t);
    Color c = ramp(chrome, 8, bands);
    float gloss = detExpf(-((qy - 0.6f) * (qy - 0.6f)) * 60.0f);
    return scaleColor(addColor(c, scaleColor(rgb(1, 1, 1), gloss * 0.2f)), 0.8f);
  });
}

void paintSymbolGrid(Image& image) {
  const char* symbols[] = {"\u2600", "\u263C", "\u2605", "\u262F", "\u2668", "\u2693", "\u2699", "\u273F",
                           "\u2756", "\u2726", "\u266B", "\u2663", "\u2665", "\u2666", "\u2660", "\u263D",
                           "\u2318", "\u221E", "\u03A9", "\u2234", "\u25C8", "\u2740", "\u2638", "\u269B"};
  const int symbolCount = static_cast<int>(sizeof(symbols) / sizeof(symbols[0]));
  forEachPixel(image, [&](float u, float v, int, int) {
    float n = fractalNoise(u * 6.0f, v * 6.0f, 1301u, 5, 0.5f, 6);
    float grid = std::min(std::fabs(u * 8.0f - std::floor(u * 8.0f + 0.5f)), std::fabs(v * 8.0f - std::floor(v * 8.0f + 0.5f)));
    Color c = mixColor(hexColor(0x06122A), hexColor(0x1E3A6A), n);
    return addColor(c, scaleColor(hexColor(0x3A8AC8), (1.0f - smoothstep(0.0f, 0.03f, grid)) * 0.5f));
  });
  int cell = image.width / 8;
  for (int row = 0; row < 8; ++row) {
    for (int col = 0; col < 8; ++col) {
      int pick = static_cast<int>(hash3(col, row, 1302u) % static_cast<std::uint32_t>(symbolCount));
      TextMask glyph = fitText(Font::sans, symbols[pick], cell - 12, cell - 12, 4, cell);
      if (!glyph.error.empty()) continue;
      Image glow = glyph.mask;
      blurImage(glow, 6, false);
      float hue = hashUnit(col, row, 1303u);
      Color tone = mixColor(hexColor(0xFFD070), hexColor(0x70E0FF), hue);
      drawMaskCentred(image, glow.pixels.empty() ? glyph.mask : glow, col * cell, row * cell, cell, cell,
                      Color{tone.r, tone.g, tone.b, 0.9f});
      drawMaskCentred(image, glyph.mask, col * cell, row * cell, cell, cell, mixColor(tone, rgb(1, 1, 1), 0.6f));
    }
  }
}

void paintFolkOrnament(Image& image) {
  const Color red = hexColor(0xC0202A), green = hexColor(0x2A7A3A), yellow = hexColor(0xF0B428),
              blue = hexColor(0x1A4A9A), cream = hexColor(0xF2E6CC), black = hexColor(0x1A1410);
  forEachPixel(image, [&](float u, float v, int, int) {
    // four repeats down the image; each repeat has a zigzag, a diamond row and a flower row
    float band = v * 4.0f - std::floor(v * 4.0f);
    float paper = fractalNoise(u * 8.0f, v * 8.0f, 1401u, 4, 0.5f, 8);
    Color c = scaleColor(cream, 0.9f + 0.15f * paper);
    float x = u * 16.0f;  // 16 motifs across
    float fx = x - std::floor(x);
    if (band < 0.08f || (band > 0.92f)) {
      c = red;
    } else if (band < 0.3f) {
      float t = (band - 0.08f) / 0.22f;
      float zig = std::fabs(fx * 2.0f - 1.0f);
      float d = std::fabs(t - zig);
      if (d < 0.18f) c = d < 0.1f ? green : black;
    } else if (band < 0.62f) {
      float t = (band - 0.3f) / 0.32f;
      float dx = std::fabs(fx - 0.5f) * 2.0f, dy = std::fabs(t - 0.5f) * 2.0f;
      float diamond = dx + dy;
      if (diamond < 0.9f) c = diamond < 0.45f ? yellow : (diamond < 0.6f ? red : blue);
      if (diamond < 0.15f) c = black;
    } else {
      float t = (band - 0.62f) / 0.3f;
      float fx2 = u * 8.0f - std::floor(u * 8.0f);
      float dx = (fx2 - 0.5f) * 1.6f, dy = t - 0.5f;
      float r = std::sqrt(dx * dx + dy * dy);
      float a = detAtan2f(dy, dx);
      float petal = 0.38f + 0.12f * detCosf(a * 6.0f);
      if (r < petal) c = r < 0.14f ? yellow : (r < 0.2f ? black : mixColor(red, blue, 0.5f + 0.5f * detCosf(a * 6.0f)));
      float stemX = std::fabs(fx2 - 0.0f) < std::fabs(fx2 - 1.0f) ? fx2 : 1.0f - fx2;
      if (stemX < 0.03f) c = green;
    }
    return c;
  });
}

void paintMetalPlasma(Image& image) {
  forEachPixel(image, [&](float u, float v, int, int) {
    float brushed = fractalNoise(u * 4.0f, v * 64.0f, 1501u, 5, 0.6f, 4);
    // coloured light: sums of waves with whole numbers of periods across the tile
    float p = detSinf(kTau * (u * 2.0f + v)) + detSinf(kTau * (v * 3.0f - u)) + detSinf(kTau * (u + v * 2.0f) + 2.0f * detCosf(kTau * v));
    Color light{0.5f + 0.5f * detSinf(p * 1.3f), 0.5f + 0.5f * detSinf(p * 1.3f + 2.1f), 0.5f + 0.5f * detSinf(p * 1.3f + 4.2f), 1.0f};
    Color metal = scaleColor(mixColor(hexColor(0x6A6E74), hexColor(0xD8DCE0), brushed), 1.0f);
    Color c{metal.r * (0.35f + 0.85f * light.r), metal.g * (0.35f + 0.85f * light.g), metal.b * (0.35f + 0.85f * light.b), 1.0f};
    // rivets on a regular grid of 8 x 8
    float ru = u * 8.0f - std::floor(u * 8.0f) - 0.5f, rv = v * 8.0f - std::floor(v * 8.0f) - 0.5f;
    float rr = std::sqrt(ru * ru + rv * rv);
    if (rr < 0.09f) {
      float shade = clamp01(0.6f - (ru + rv) * 4.0f);
      c = mixColor(c, scaleColor(rgb(0.95f, 0.95f, 0.97f), shade), smoothstep(0.09f, 0.07f, rr));
    }
    float dent = cellDistance(u * 12.0f, v * 12.0f, 1502u, 12);
    return scaleColor(c, 0.85f + 0.3f * dent);
  });
}

void paintTitlePanel(Image& image) {
  forEachPixel(image, [&](float u, float v, int, int) {
    float dx = u - 0.5f, dy = v - 0.5f;
    float edge = std::max(std::fabs(dx), std::fabs(dy));
    Color c = mixColor(hexColor(0x0A1030), hexColor(0x1A2A6A), 1.0f - edge * 2.0f);
    float gx = std::fabs(u * 16.0f - std::floor(u * 16.0f + 0.5f)), gy = std::fabs(v * 16.0f - std::floor(v * 16.0f + 0.5f));
    float grid = 1.0f - smoothstep(0.0f, 0.06f, std::min(gx, gy));
    c = addColor(c, scaleColor(hexColor(0x2A6AC0), grid * 0.4f));
    for (int k = 0; k < 3; ++k) {
      float frame = std::fabs(edge - (0.46f - 0.03f * static_cast<float>(k)));
      c = addColor(c, scaleColor(hexColor(0x60C0FF), (1.0f - smoothstep(0.0f, 0.006f, frame)) * (0.9f - 0.25f * static_cast<float>(k))));
    }
    return c;
  });
  TextMask title = fitText(Font::sansBold, "ZELVARO", image.width * 3 / 4, image.height / 4, 16, image.height / 5);
  if (!title.error.empty()) return;
  Image glow = title.mask;
  blurImage(glow, 14, false);
  drawMaskCentred(image, glow, 0, 0, image.width, image.height, hexColor(0x40A0FF));
  drawMaskCentred(image, title.mask, 0, 0, image.width, image.height, rgb(0.95f, 0.98f, 1.0f));
  TextMask sub = fitText(Font::sans, "opening title", image.width / 2, image.height / 12, 2, image.height / 18);
  if (sub.error.empty()) {
    drawMaskCentred(image, sub.mask, 0, image.height * 5 / 8, image.width, image.height / 8, hexColor(0x9AD0FF));
  }
}

void paintFunkStripes(Image& image) {
  const Color palette[] = {hexColor(0x5A2A10), hexColor(0xC8581A), hexColor(0xF0A030), hexColor(0xF8DA7A), hexColor(0x8A3A14)};
  forEachPixel(image, [&](float u, float v, int, int) {
    float best = 10.0f;
    // ring centres at the tile centre and its corners, so the rings tile
    const float centres[5][2] = {{0.5f, 0.5f}, {0.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 1.0f}};
    for (const auto& cc : centres) {
      float dx = u - cc[0], dy = v - cc[1];
      best = std::min(best, std::sqrt(dx * dx + dy * dy));
    }
    auto band = static_cast<int>(std::floor(best * 18.0f));
    Color c = palette[band % 5];
    float fine = best * 18.0f - std::floor(best * 18.0f);
    return scaleColor(c, 0.85f + 0.15f * smoothstep(0.0f, 0.15f, fine) * smoothstep(1.0f, 0.85f, fine));
  });
}

void paintSoftGlow(Image& image) {
  forEachPixel(image, [&](float u, float v, int, int) {
    float dx = u - 0.5f, dy = v - 0.5f;
    float r = std::sqrt(dx * dx + dy * dy) * 2.0f;  // 1 at the edge midpoints
    float core = detExpf(-r * r * 9.0f);
    float halo = detExpf(-r * r * 2.5f) * (1.0f - smoothstep(0.7f, 1.0f, r));
    Color c = addColor(scaleColor(hexColor(0x3A70FF), halo * 0.8f), scaleColor(rgb(1.0f, 0.97f, 0.92f), core));
    return c;
  });
}

void paintCellPlasma(Image& image) {
  forEachPixel(image, [&](float u, float v, int, int) {
    float p = detSinf(kTau * (u * 3.0f)) + detSinf(kTau * (v * 2.0f + u)) + detSinf(kTau * (u * 2.0f - v * 3.0f) + 1.0f) +
              2.0f * fractalNoise(u * 4.0f, v * 4.0f, 1601u, 4, 0.5f, 4);
    Color c{0.5f + 0.5f * detSinf(p * 1.7f), 0.5f + 0.5f * detSinf(p * 1.7f + 2.4f), 0.5f + 0.5f * detSinf(p * 1.7f + 4.4f), 1.0f};
    float d = cellDistance(u * 10.0f, v * 10.0f, 1602u, 10);
    float spark = (1.0f - clamp01(d * 1.6f));
    spark = spark * spark * spark;
    return addColor(scaleColor(c, 0.75f), scaleColor(rgb(1.0f, 0.95f, 0.85f), spark * 0.9f));
  });
}

void paintRadialWheel(Image& image) {
  const Color palette[] = {hexColor(0x081028), hexColor(0x1A4A7A), hexColor(0xE0B040), hexColor(0x2A9A9A), hexColor(0xF4ECD8)};
  forEachPixel(image, [&](float u, float v, int, int) {
    float dx = u - 0.5f, dy = v - 0.5f;
    float r = std::sqrt(dx * dx + dy * dy) * 2.0f;
    float a = detAtan2f(dy, dx);
    if (r > 0.98f) return scaleColor(palette[0], 0.6f + 0.4f * fractalNoise(u * 20.0f, v * 20.0f, 1701u, 3));
    // rings from the hub outwards; each ring has its own number of spokes or teeth
    auto ring = static_cast<int>(std::floor(r * 9.0f));
    float inRing = r * 9.0f - static_cast<float>(ring);
    float spokes = static_cast<float>(6 << (ring / 2));
    float wave = detCosf(a * spokes + (ring % 2 == 0 ? 0.0f : 3.14159f / spokes * 2.0f));
    Color c;
    switch (ring % 4) {
      case 0: c = mixColor(palette[1], palette[2], smoothstep(-0.2f, 0.2f, wave)); break;
      case 1: c = mixColor(palette[0], palette[3], 0.5f + 0.5f * wave * (1.0f - inRing)); break;
      case 2: c = std::fabs(inRing - 0.5f) < 0.35f * (0.5f + 0.5f * wave) ? palette[2] : palette[1]; break;
      default: c = mixColor(palette[4], palette[3], 0.5f + 0.5f * detCosf(a * spokes * 2.0f)); break;
    }
    // engraved lines and a bevel at the ring edges
    float engraving = 0.5f + 0.5f * detCosf(a * 180.0f);
    c = scaleColor(c, 0.85f + 0.15f * engraving);
    float bevel = std::min(inRing, 1.0f - inRing);
    c = scaleColor(c, 0.5f + 0.5f * smoothstep(0.0f, 0.08f, bevel));
    return c;
  });
}

}  // namespace datagen
