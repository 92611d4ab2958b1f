// City, bridge and harbour photographs.
#include <algorithm>
#include <cmath>

#include "det_math.h"
#include "noise.h"
#include "photo_kit.h"
#include "photos.h"

namespace datagen {

namespace {

Sky eveningSky(std::uint32_t zenith, std::uint32_t horizon, float horizonY, std::uint32_t seed) {
  Sky sky{};
  sky.zenith = hexColor(zenith);
  sky.horizon = hexColor(horizon);
  sky.horizonY = horizonY;
  sky.sunX = 0.5f;
  sky.sunY = horizonY;
  sky.sunColor = rgb(1.0f, 0.85f, 0.6f);
  sky.cloudLight = hexColor(0xF0B090);
  sky.cloudShade = hexColor(0x4A3A5A);
  sky.cloudTop = 0.02f;
  sky.cloudBottom = 0.35f;
  sky.seed = seed;
  return sky;
}

Skyline city(float baseY, float minH, float maxH, std::uint32_t wall, std::uint32_t window, float lit,
             std::uint32_t haze, float hazeAmount, std::uint32_t seed) {
  Skyline s{};
  s.baseY = baseY;
  s.minHeight = minH;
  s.maxHeight = maxH;
  s.minWidth = 0.025f;
  s.maxWidth = 0.07f;
  s.wall = hexColor(wall);
  s.wallVariation = rgb(0.12f, 0.1f, 0.1f);
  s.window = hexColor(window);
  s.litFraction = lit;
  s.windowScale = 0.012f;
  s.haze = hexColor(haze);
  s.hazeAmount = hazeAmount;
  s.spires = 0.25f;
  s.gap = 0.08f;
  s.seed = seed;
  return s;
}

// Courses of stone blocks with mortar lines between them.
Color masonry(float x, float y, float blockH, std::uint32_t seed, Color stone) {
  float row = std::floor(y / blockH);
  float blockW = blockH * 2.2f;
  float shifted = x / blockW + (static_cast<int>(row) % 2 == 0 ? 0.0f : 0.5f);
  float col = std::floor(shifted);
  float fu = shifted - col, fv = y / blockH - row;
  float tone = hashUnit(static_cast<int>(col), static_cast<int>(row), seed);
  Color c = scaleColor(stone, 0.8f + 0.35f * tone + 0.2f * (fractalNoise(x * 0.08f, y * 0.08f, seed + 1u, 3) - 0.5f));
  float mortar = std::min({fu * blockW, (1.0f - fu) * blockW, fv * blockH, (1.0f - fv) * blockH});
  if (mortar < 1.0f) c = scaleColor(c, 0.55f + 0.45f * mortar);
  return c;
}

void lampGlow(Image& image, float x, float y, float radius, const Color& c) {
  for (int i = 0; i < 4; ++i) {
    float r = radius * static_cast<float>(4 - i);
    fillCircle(image, x, y, r, Color{c.r, c.g, c.b, 0.12f});
  }
  fillCircle(image, x, y, radius * 0.7f, rgb(1.0f, 0.97f, 0.85f));
}

}  // namespace

void paintBridges(Image& image) {
  const float w = static_cast<float>(image.width), h = static_cast<float>(image.height);
  Sky sky = eveningSky(0x26214C, 0xF08A58, 0.5f, 701);
  sky.sunX = 0.3f;
  sky.sunY = 0.47f;
  sky.sunRadius = 0.028f;
  sky.glow = 0.65f;
  sky.cloudCover = 0.35f;
  paintSky(image, sky);
  paintSkyline(image, city(0.505f, 0.02f, 0.1f, 0x5A4660, 0xFFD08A, 0.15f, 0xC27A68, 0.55f, 702));
  // the suspension bridge in the distance: two towers, main cables, hangers, deck
  Color steel = mixColor(hexColor(0x2A2238), hexColor(0xC27A68), 0.35f);
  float deckY = 0.47f * h, towerTop = 0.3f * h;
  float towers[2] = {0.56f * w, 0.86f * w};
  for (float tx : towers) {
    fillRect(image, tx - 0.006f * w, towerTop, tx - 0.002f * w, 0.505f * h, steel);
    fillRect(image, tx + 0.002f * w, towerTop, tx + 0.006f * w, 0.505f * h, steel);
    for (int k = 0; k < 3; ++k) {
      float by = towerTop + (deckY - towerTop) * (0.1f + 0.35f * static_cast<float>(k));
      fillRect(image, tx - 0.006f * w, by, tx + 0.006f * w, by + 0.004f * h, steel);
    }
  }
  auto cableY = [&](float x) {
    if (x < towers[0]) {
      float t = (towers[0] - x) / (towers[0] - 0.4f * w);
      return towerTop + (deckY - towerTop) * std::min(1.0f, t * t * 0.0f + t);
    }
    if (x > towers[1]) {
      float t = (x - towers[1]) / (w - towers[1]);
      return towerTop + (deckY - towerTop) * std::min(1.0f, t * 0.8f);
    }
    float t = (x - (towers[0] + towers[1]) * 0.5f) / ((towers[1] - towers[0]) * 0.5f);
    return deckY - 0.012f * h - (deckY - 0.012f * h - towerTop) * t * t;
  };
  for (float x = 0.4f * w; x < w; x += 1.0f) fillCircle(image, x, cableY(x), 0.9f, steel);
  for (float x = towers[0] - 0.12f * w; x < w; x += 0.008f * w) {
    if (x < 0.42f * w) continue;
    fillRect(image, x, cableY(x), x + 0.7f, deckY, Color{steel.r, steel.g, steel.b, 0.7f});
  }
  fillRect(image, 0.4f * w, deckY, w, deckY + 0.007f * h, steel);
  for (float x = 0.42f * w; x < w; x += 0.025f * w) lampGlow(image, x, deckY - 1.0f, 1.0f, hexColor(0xFFD890));

  Water river{};
  river.horizonY = 0.505f;
  river.tint = hexColor(0x2C2440);
  river.tintAmount = 0.2f;
  river.ripple = 0.6f;
  river.sunX = 0.3f;
  river.glitter = rgb(1.0f, 0.75f, 0.45f);
  river.seed = 703;
  paintWater(image, river);

  // the stone arch bridge in front, backlit: a parapet with balusters, the
  // deck, and four arches ringed with wedge stones
  float parapetTop = 0.635f * h, deckTop = 0.66f * h, deckBottom = 0.7f * h, waterLine = 0.85f * h;
  float archCentres[4] = {0.08f, 0.36f, 0.64f, 0.92f};
  float archHalf = 0.11f * w;
  Color stone = hexColor(0x6A5044);
  for (int y = static_cast<int>(parapetTop); y < static_cast<int>(waterLine); ++y) {
    float py = static_cast<float>(y) + 0.5f;
    for (int x = 0; x < image.width; ++x) {
      float px = static_cast<float>(x) + 0.5f;
      if (py < deckTop && py > parapetTop + 0.006f * h) {
        float cell = std::fmod(px, 0.018f * w) / (0.018f * w);  // openings between balusters
        if (cell > 0.3f && cell < 0.7f) continue;
      }
      float ring = 10.0f;  // elliptic distance to the nearest arch (1 on its edge)
      for (float ac : archCentres) {
        float dx = (px - ac * w) / archHalf;
        float dy = (py - waterLine) / (waterLine - (deckBottom + 0.015f * h));
        ring = std::min(ring, std::sqrt(dx * dx + dy * dy));
      }
      if (ring < 1.0f) continue;
      Color c = masonry(px, py, 0.008f * h, 704u, stone);
      if (ring < 1.09f) c = scaleColor(masonry(px * 0.5f, py * 3.0f, 0.01f * h, 707u, stone), 0.8f);  // wedge stones
      float weather = fractalNoise(px * 0.01f, py * 0.04f, 708u, 4);
      c = scaleColor(c, 0.75f + 0.4f * weather);
      if (py > deckBottom) c = scaleColor(c, 0.75f);
      float rim = clamp01(1.0f - (py - parapetTop) / (0.006f * h));  // the sky lights the parapet's top edge
      c = mixColor(c, hexColor(0xF0A070), rim * 0.6f);
      image.at(x, y) = Color{c.r, c.g, c.b, 1.0f};
    }
  }
  for (float x = 0.05f * w; x < w; x += 0.14f * w) {
    fillRect(image, x - 1.2f, parapetTop - 0.05f * h, x + 1.2f, parapetTop, hexColor(0x2A2020));
    lampGlow(image, x, parapetTop - 0.05f * h, 2.5f, hexColor(0xFFCF80));
  }
  Water near{};
  near.horizonY = 0.85f;
  near.tint = hexColor(0x281E30);
  near.tintAmount = 0.25f;
  near.ripple = 0.8f;
  near.sunX = -1.0f;
  near.glitter = rgb(1, 1, 1);
  near.seed = 705;
  paintWater(image, near);
  addBloom(image, 0.8f, 10, 0.5f);
  photoFinish(image, 706, 0.02f, 0.5f);
}

void paintNightCity(Image& image) {
  const float w = static_cast<float>(image.width), h = static_cast<float>(image.height);
  Sky sky{};
  sky.zenith = hexColor(0x03061A);
  sky.horizon = hexColor(0x3C2A5E);
  sky.horizonY = 0.62f;
  sky.sunX = 0.8f;
  sky.sunY = 0.14f;
  sky.sunRadius = 0.032f;
  sky.sunColor = rgb(0.95f, 0.95f, 0.88f);
  sky.glow = 0.25f;
  sky.cloudCover = 0.3f;
  sky.cloudLight = hexColor(0x4A4670);
  sky.cloudShade = hexColor(0x0C0C1C);
  sky.cloudTop = 0.05f;
  sky.cloudBottom = 0.45f;
  sky.stars = 0.7f;
  sky.seed = 801;
  paintSky(image, sky);
  // the glow of the city on the haze above it
  for (int y = 0; y < image.height; ++y) {
    float fy = (static_cast<float>(y) + 0.5f) / h;
    float glow = smoothstep(0.3f, 0.66f, fy) * 0.35f;
    for (int x = 0; x < image.width; ++x) image.at(x, y) = addColor(image.at(x, y), scaleColor(hexColor(0xFF8A40), glow));
  }
  paintSkyline(image, city(0.64f, 0.04f, 0.16f, 0x1C1A30, 0xFFC878, 0.3f, 0x3A2A50, 0.45f, 802));
  Skyline towers = city(0.74f, 0.12f, 0.5f, 0x15151F, 0xFFE0A0, 0.42f, 0x000000, 0.0f, 803);
  towers.spires = 0.5f;
  towers.windowScale = 0.009f;
  towers.minWidth = 0.04f;
  towers.maxWidth = 0.09f;
  paintSkyline(image, towers);
  // streets below: rows of lamps converging on a point far away, and cars' lights
  Random random(804);
  for (int y = static_cast<int>(0.74f * h); y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) image.at(x, y) = rgb(0.03f, 0.03f, 0.05f);
  }
  for (int street = 0; street < 9; ++street) {
    float endX = random.range(-0.6f, 1.6f) * w;
    float vx = 0.5f * w, vy = 0.74f * h;
    for (int k = 1; k < 60; ++k) {
      float t = static_cast<float>(k) / 60.0f;
      float tt = t * t;
      float x = vx + (endX - vx) * tt, y = vy + (h * 1.05f - vy) * tt;
      Color lamp = random.unit() < 0.7f ? hexColor(0xFFB050) : hexColor(0xE0F0FF);
      lampGlow(image, x, y, 0.6f + 2.2f * tt, lamp);
      if (random.unit() < 0.4f) fillCircle(image, x + random.range(-4.0f, 4.0f) * tt * 6.0f, y, 0.8f + 1.5f * tt, hexColor(0xFF3020));
    }
  }
  for (int i = 0; i < 2500; ++i) {
    float fy = 0.745f + 0.255f * random.unit();
    float size = 0.4f + 1.2f * (fy - 0.74f) / 0.26f;
    // random draws in their own statements: the order of evaluation of arguments differs between compilers
    float x = random.range(0.0f, w);
    float tone = random.unit() * 0.6f;
    fillCircle(image, x, fy * h, size, mixColor(hexColor(0xFFB860), hexColor(0xB0D0FF), tone));
  }
  addBloom(image, 0.6f, 12, 0.8f);
  photoFinish(image, 805, 0.03f, 0.5f);
}

void paintRiverCity(Image& image) {
  const float w = static_cast<float>(image.width), h = static_cast<float>(image.height);
  Sky sky{};
  sky.zenith = hexColor(0x5E7896);
  sky.horizon = hexColor(0xD8DDE2);
  sky.horizonY = 0.6f;
  sky.sunX = 0.7f;
  sky.sunY = 0.1f;
  sky.sunColor = rgb(1, 0.98f, 0.92f);
  sky.glow = 0.2f;
  sky.cloudCover = 0.65f;
  sky.cloudLight = hexColor(0xF2F2F0);
  sky.cloudShade = hexColor(0x707A88);
  sky.cloudTop = 0.0f;
  sky.cloudBottom = 0.45f;
  sky.seed = 901;
  paintSky(image, sky);
  paintSkyline(image, city(0.6f, 0.03f, 0.2f, 0x8A8E98, 0xF0E8C8, 0.05f, 0xC8CED6, 0.6f, 902));
  // the wheel: rim, spokes and gondolas
  float wx = 0.76f * w, wy = 0.36f * h, wr = 0.19f * h;
  Color white = hexColor(0xE8ECEE);
  for (int k = 0; k < 360; ++k) {
    float a = static_cast<float>(k) * 0.0174533f;
    fillCircle(image, wx + wr * detCosf(a), wy + wr * detSinf(a), 1.2f, white);
  }
  for (int k = 0; k < 32; ++k) {
    float a = static_cast<float>(k) * 0.19635f;
    fillCapsule(image, wx, wy, wx + wr * detCosf(a), wy + wr * detSinf(a), 0.5f, Color{0.9f, 0.92f, 0.94f, 0.8f});
    fillCircle(image, wx + wr * 1.02f * detCosf(a), wy + wr * 1.02f * detSinf(a) + 3.0f, 3.0f, hexColor(0xDDE6F0));
  }
  fillTriangle(image, wx, wy, wx - 0.1f * h, 0.6f * h, wx - 0.08f * h, 0.6f * h, white);
  fillTriangle(image, wx, wy, wx + 0.1f * h, 0.6f * h, wx + 0.08f * h, 0.6f * h, white);
  // the long hall and its clock tower
  Color sandstone = hexColor(0xB8A070);
  fillRect(image, 0.02f * w, 0.48f * h, 0.45f * w, 0.6f * h, sandstone);
  for (float x = 0.03f * w; x < 0.45f * w; x += 0.012f * w) {
    fillRect(image, x, 0.5f * h, x + 0.004f * w, 0.58f * h, scaleColor(sandstone, 0.7f));
    fillTriangle(image, x - 0.002f * w, 0.48f * h, x + 0.006f * w, 0.48f * h, x + 0.002f * w, 0.455f * h, sandstone);
  }
  float tx = 0.4f * w;
  fillRect(image, tx - 0.025f * w, 0.14f * h, tx + 0.025f * w, 0.6f * h, sandstone);
  for (float y = 0.16f * h; y < 0.58f * h; y += 0.02f * h) {
    fillRect(image, tx - 0.02f * w, y, tx + 0.02f * w, y + 0.004f * h, scaleColor(sandstone, 0.78f));
  }
  fillCircle(image, tx, 0.2f * h, 0.022f * w, hexColor(0xD8C890));
  fillCircle(image, tx, 0.2f * h, 0.018f * w, hexColor(0xF4F0E0));
  for (int k = 0; k < 12; ++k) {
    float a = static_cast<float>(k) * 0.5236f;
    fillCircle(image, tx + 0.015f * w * detCosf(a), 0.2f * h + 0.015f * w * detSinf(a), 0.8f, hexColor(0x202020));
  }
  fillCapsule(image, tx, 0.2f * h, tx + 0.008f * w, 0.2f * h - 0.008f * w, 0.8f, hexColor(0x202020));
  fillCapsule(image, tx, 0.2f * h, tx - 0.012f * w, 0.2f * h + 0.002f * w, 0.8f, hexColor(0x202020));
  fillTriangle(image, tx - 0.03f * w, 0.14f * h, tx + 0.03f * w, 0.14f * h, tx, 0.04f * h, hexColor(0x4A5A58));
  // embankment with a row of trees
  fillRect(image, 0.0f, 0.585f * h, w, 0.61f * h, hexColor(0x9A9080));
  Random random(903);
  for (int i = 0; i < 40; ++i) {
    float x = random.range(0.0f, w), r = random.range(0.012f, 0.025f) * h;
    for (int k = 0; k < 6; ++k) {
      float dx = random.range(-r, r);
      float dy = random.range(-r, r) * 0.5f;
      float size = r * random.range(0.5f, 0.9f);
      float tone = random.unit();
      fillCircle(image, x + dx, 0.58f * h - r + dy, size, mixColor(hexColor(0x2A4022), hexColor(0x6A8A48), tone));
    }
  }
  Water river{};
  river.horizonY = 0.61f;
  river.tint = hexColor(0x56605A);
  river.tintAmount = 0.35f;
  river.ripple = 0.7f;
  river.sunX = -1.0f;
  river.glitter = rgb(1, 1, 1);
  river.seed = 904;
  paintWater(image, river);
  // a river boat
  float by = 0.74f * h, bx = 0.3f * w, bl = 0.22f * w;
  fillRect(image, bx, by - 0.035f * h, bx + bl, by, hexColor(0xF0F0EC));
  fillTriangle(image, bx + bl, by - 0.035f * h, bx + bl + 0.03f * w, by - 0.035f * h, bx + bl, by, hexColor(0xF0F0EC));
  fillRect(image, bx + 0.02f * w, by - 0.06f * h, bx + bl * 0.85f, by - 0.035f * h, hexColor(0xD8D8D4));
  for (float x = bx + 0.025f * w; x < bx + bl * 0.8f; x += 0.014f * w) {
    fillRect(image, x, by - 0.055f * h, x + 0.009f * w, by - 0.042f * h, hexColor(0x3A4A58));
  }
  fillRect(image, bx, by - 0.006f * h, bx + bl + 0.02f * w, by, hexColor(0x8A2020));
  for (int y = static_cast<int>(by); y < static_cast<int>(by + 0.03f * h) && y < image.height; ++y) {
    for (int x = static_cast<int>(bx); x < static_cast<int>(bx + bl) && x < image.width; ++x) {
      float wave = fractalNoise(static_cast<float>(x) * 0.05f, static_cast<float>(y) * 0.3f, 905u, 3);
      image.blendOver(x, y, rgb(0.9f, 0.9f, 0.88f), 0.25f * smoothstep(0.5f, 0.7f, wave));
    }
  }
  photoFinish(image, 906, 0.02f, 0.35f);
}

namespace {

void drawBoat(Image& image, float x, float waterLine, float size, const Color& hull, const Color& sail,
              bool sailing, float alpha, bool mirrored) {
  float s = mirrored ? -1.0f : 1.0f;
  auto Y = [&](float dy) { return waterLine - s * dy; };
  Color hc{hull.r, hull.g, hull.b, alpha};
  Color sc{sail.r, sail.g, sail.b, alpha};
  fillTriangle(image, x - size, Y(size * 0.22f), x + size * 1.1f, Y(size * 0.22f), x + size * 0.8f, Y(0.0f), hc);
  fillTriangle(image, x - size, Y(size * 0.22f), x + size * 0.8f, Y(0.0f), x - size * 0.8f, Y(0.0f), hc);
  fillCapsule(image, x, Y(size * 0.22f), x, Y(size * 2.2f), std::max(0.5f, size * 0.025f), Color{0.2f, 0.16f, 0.12f, alpha});
  if (sailing) {
    fillTriangle(image, x + size * 0.05f, Y(size * 2.1f), x + size * 0.05f, Y(size * 0.35f), x + size * 0.9f, Y(size * 0.35f), sc);
    fillTriangle(image, x - size * 0.05f, Y(size * 1.9f), x - size * 0.05f, Y(size * 0.4f), x - size * 0.7f, Y(size * 0.4f),
                 scaleColor(sc, 0.85f));
  } else {
    fillCapsule(image, x, Y(size * 2.2f), x + size * 1.0f, Y(size * 0.25f), 0.4f, Color{0.15f, 0.12f, 0.1f, alpha * 0.8f});
    fillCapsule(image, x, Y(size * 2.2f), x - size * 0.9f, Y(size * 0.25f), 0.4f, Color{0.15f, 0.12f, 0.1f, alpha * 0.8f});
  }
}

}  // namespace

void paintHarbour(Image& image) {
  const float w = static_cast<float>(image.width), h = static_cast<float>(image.height);
  Sky sky = eveningSky(0x3A2C68, 0xFF9A5A, 0.55f, 1001);
  sky.sunX = 0.47f;
  sky.sunY = 0.53f;
  sky.sunRadius = 0.04f;
  sky.glow = 0.9f;
  sky.cloudCover = 0.5f;
  sky.cloudLight = hexColor(0xFFB080);
  sky.cloudShade = hexColor(0x6A3A6A);
  paintSky(image, sky);
  Ridge hills{};
  hills.baseY = 0.55f;
  hills.amplitude = 0.05f;
  hills.features = 3.0f;
  hills.light = hexColor(0x7A4A6A);
  hills.dark = hexColor(0x4A2A4A);
  hills.snow = Color{1, 1, 1, 0};
  hills.snowLine = 1.0f;
  hills.haze = hexColor(0xE08A68);
  hills.hazeAmount = 0.55f;
  hills.lightDir = -1.0f;
  hills.seed = 1002;
  paintRidge(image, hills);
  // cranes on the quay at the right
  Color dark = hexColor(0x2A1A2A);
  for (int c = 0; c < 3; ++c) {
    float cx = (0.7f + 0.1f * static_cast<float>(c)) * w, base = 0.555f * h, top = (0.3f + 0.04f * static_cast<float>(c)) * h;
    fillRect(image, cx - 0.004f * w, top, cx + 0.004f * w, base, dark);
    for (float y = top; y < base; y += 0.015f * h) fillCapsule(image, cx - 0.004f * w, y, cx + 0.004f * w, y + 0.015f * h, 0.5f, dark);
    fillRect(image, cx - 0.08f * w, top - 0.004f * h, cx + 0.03f * w, top, dark);
    fillCapsule(image, cx, top - 0.03f * h, cx - 0.08f * w, top, 0.6f, dark);
    fillCapsule(image, cx, top - 0.03f * h, cx + 0.03f * w, top, 0.6f, dark);
    fillCapsule(image, cx - 0.06f * w, top, cx - 0.06f * w, top + 0.08f * h, 0.4f, dark);
  }
  fillRect(image, 0.62f * w, 0.54f * h, w, 0.556f * h, hexColor(0x3A2430));
  // the lighthouse on the breakwater at the left
  float lx = 0.12f * w;
  fillRect(image, 0.0f, 0.545f * h, 0.22f * w, 0.556f * h, hexColor(0x3A2A30));
  for (int band = 0; band < 6; ++band) {
    float y0 = (0.36f + 0.03f * static_cast<float>(band)) * h, y1 = y0 + 0.03f * h;
    float half0 = (0.012f + 0.0012f * static_cast<float>(band)) * w;
    fillRect(image, lx - half0, y0, lx + half0, y1, band % 2 == 0 ? hexColor(0xE8D8D0) : hexColor(0xB02A2A));
  }
  fillRect(image, lx - 0.01f * w, 0.335f * h, lx + 0.01f * w, 0.36f * h, hexColor(0x302028));
  fillTriangle(image, lx - 0.014f * w, 0.335f * h, lx + 0.014f * w, 0.335f * h, lx, 0.31f * h, hexColor(0x302028));
  for (int i = 0; i < 4; ++i) {
    fillTriangle(image, lx, 0.347f * h, 0.45f * w, (0.31f + 0.01f * static_cast<float>(i)) * h, 0.45f * w,
                 (0.36f + 0.01f * static_cast<float>(i)) * h, rgba(1.0f, 0.95f, 0.7f, 0.05f));
  }
  fillCircle(image, lx, 0.347f * h, 4.0f, rgb(1.0f, 0.97f, 0.8f));
  Water sea{};
  sea.horizonY = 0.556f;
  sea.tint = hexColor(0x2A1E40);
  sea.tintAmount = 0.15f;
  sea.ripple = 0.55f;
  sea.sunX = 0.47f;
  sea.glitter = rgb(1.0f, 0.75f, 0.4f);
  sea.seed = 1003;
  paintWater(image, sea);
  // moored and sailing boats, each with its reflection
  Random random(1004);
  for (int i = 0; i < 16; ++i) {
    float fy = 0.58f + 0.3f * static_cast<float>(i) / 16.0f + random.range(0.0f, 0.02f);
    float size = (fy - 0.54f) * h * 0.35f;
    float x = random.range(0.05f, 0.95f) * w;
    Color hull = mixColor(hexColor(0x1A1020), hexColor(0xF0E8E0), random.unit() < 0.5f ? 0.1f : 0.85f);
    Color sail = mixColor(hexColor(0xFFE0C0), hexColor(0xE06A40), random.unit() * 0.4f);
    bool sailing = random.unit() < 0.35f;
    drawBoat(image, x, fy * h, size, scaleColor(hull, 0.6f), scaleColor(sail, 0.6f), sailing, 0.35f, true);
    drawBoat(image, x, fy * h, size, hull, sail, sailing, 1.0f, false);
  }
  // a wooden pier coming in from the lower left
  for (int y = static_cast<int>(0.82f * h); y < image.height; ++y) {
    float t = (static_cast<float>(y) - 0.82f * h) / (0.18f * h);
    float right = (0.18f + 0.22f * t) * w;
    for (int x = 0; x < static_cast<int>(right) && x < image.width; ++x) {
      float plank = std::fmod(static_cast<float>(y), 4.0f + 10.0f * t) < 1.0f ? 0.6f : 1.0f;
      float grain = fractalNoise(static_cast<float>(x) * 0.02f, static_cast<float>(y) * 0.3f, 1005u, 3);
      Color wood = scaleColor(mixColor(hexColor(0x4A2A1E), hexColor(0x9A6A4A), grain), plank);
      image.at(x, y) = wood;
    }
  }
  for (int k = 0; k < 6; ++k) {
    float t = static_cast<float>(k) / 5.0f;
    float x = (0.18f + 0.22f * t) * w, y = (0.82f + 0.18f * t) * h;
    fillRect(image, x - 2.0f - 4.0f * t, y - 0.05f * h * (0.3f + t), x + 2.0f + 4.0f * t, y + 6.0f, hexColor(0x2A1810));
  }
  addBloom(image, 0.85f, 10, 0.45f);
  photoFinish(image, 1006, 0.02f, 0.45f);
}

}  // namespace datagen
