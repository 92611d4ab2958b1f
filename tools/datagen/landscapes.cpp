// Landscape and water photographs.
#include <algorithm>
#include <cmath>

#include "det_math.h"
#include "noise.h"
#include "photo_kit.h"
#include "photos.h"

namespace datagen {

namespace {

Ridge hills(float baseY, float amplitude, float features, std::uint32_t rgbLight, std::uint32_t rgbDark,
            std::uint32_t rgbHaze, float haze, float trees, std::uint32_t rgbTrees, std::uint32_t seed) {
  Ridge r{};
  r.baseY = baseY;
  r.amplitude = amplitude;
  r.features = features;
  r.ridged = false;
  r.light = hexColor(rgbLight);
  r.dark = hexColor(rgbDark);
  r.snow = Color{1, 1, 1, 0};
  r.snowLine = 1.0f;
  r.haze = hexColor(rgbHaze);
  r.hazeAmount = haze;
  r.trees = trees;
  r.treeColor = hexColor(rgbTrees);
  r.lightDir = 1.0f;
  r.seed = seed;
  return r;
}

}  // namespace

void paintSunOverLandscape(Image& image) {
  Sky sky{};
  sky.zenith = hexColor(0x24356B);
  sky.horizon = hexColor(0xF4A35C);
  sky.horizonY = 0.56f;
  sky.sunX = 0.62f;
  sky.sunY = 0.41f;
  sky.sunRadius = 0.045f;
  sky.sunColor = rgb(1.0f, 0.9f, 0.68f);
  sky.glow = 0.85f;
  sky.cloudCover = 0.45f;
  sky.cloudLight = hexColor(0xFFC890);
  sky.cloudShade = hexColor(0x5E4468);
  sky.cloudTop = 0.04f;
  sky.cloudBottom = 0.36f;
  sky.seed = 101;
  paintSky(image, sky);
  paintRidge(image, hills(0.50f, 0.11f, 2.5f, 0xC98A78, 0x9A6A70, 0xE9A472, 0.68f, 0.0f, 0, 111));
  paintRidge(image, hills(0.56f, 0.10f, 3.5f, 0x8A6A7A, 0x4A3B58, 0xD8946C, 0.5f, 0.012f, 0x3A2E48, 112));
  paintRidge(image, hills(0.625f, 0.08f, 4.5f, 0x5E5A58, 0x2E2A3A, 0xC0845E, 0.3f, 0.018f, 0x262436, 113));
  Water lake{};
  lake.horizonY = 0.655f;
  lake.tint = hexColor(0x3A3050);
  lake.tintAmount = 0.18f;
  lake.ripple = 0.45f;
  lake.sunX = 0.62f;
  lake.glitter = rgb(1.0f, 0.82f, 0.55f);
  lake.seed = 114;
  paintWater(image, lake);
  paintRidge(image, hills(0.76f, 0.09f, 3.0f, 0x4C5A2A, 0x1C2412, 0x8A6048, 0.12f, 0.04f, 0x16200F, 115));
  Ridge meadow = hills(0.90f, 0.05f, 2.0f, 0x8C8A36, 0x2E3414, 0x8A6048, 0.0f, 0.0f, 0, 116);
  paintRidge(image, meadow);
  // grass blades in the foreground catch the low light
  Random random(117);
  const float w = static_cast<float>(image.width), h = static_cast<float>(image.height);
  for (int i = 0; i < 2200; ++i) {
    float x = random.range(0.0f, w);
    float ground = ridgeCrest(meadow, x / w) * h;
    float y = random.range(ground + 4.0f, h + 4.0f);
    float len = h * random.range(0.015f, 0.05f) * (y / h);
    float lean = random.range(-0.4f, 0.4f) * len;
    float u1 = random.unit();
    float u2 = random.unit();
    Color blade = mixColor(hexColor(0x3A4416), hexColor(0xD8B860), u1 * u2);
    fillCapsule(image, x, y, x + lean, y - len, 0.35f + 0.5f * (y / h), blade);
  }
  photoFinish(image, 118, 0.025f, 0.45f);
}

void paintAlpineLake(Image& image) {
  Sky sky{};
  sky.zenith = hexColor(0x1C4A88);
  sky.horizon = hexColor(0xB2CDE8);
  sky.horizonY = 0.5f;
  sky.sunX = 0.15f;
  sky.sunY = -0.1f;
  sky.sunColor = rgb(1.0f, 0.97f, 0.9f);
  sky.glow = 0.25f;
  sky.cloudCover = 0.5f;
  sky.cloudLight = rgb(1.0f, 1.0f, 1.0f);
  sky.cloudShade = hexColor(0x8390A8);
  sky.cloudTop = 0.0f;
  sky.cloudBottom = 0.3f;
  sky.seed = 201;
  paintSky(image, sky);
  Ridge far = hills(0.47f, 0.30f, 2.2f, 0xB8C4D8, 0x48546E, 0xB2CDE8, 0.32f, 0.0f, 0, 202);
  far.ridged = true;
  far.snow = rgb(0.97f, 0.98f, 1.0f);
  far.snowLine = 0.42f;
  far.lightDir = -1.0f;
  paintRidge(image, far);
  Ridge mid = hills(0.53f, 0.2f, 3.2f, 0x7F8C7A, 0x2C363E, 0x9DB6CF, 0.18f, 0.012f, 0x1F3324, 203);
  mid.ridged = true;
  mid.snow = rgb(0.92f, 0.94f, 0.98f);
  mid.snowLine = 0.62f;
  mid.lightDir = -1.0f;
  paintRidge(image, mid);
  paintRidge(image, hills(0.585f, 0.05f, 5.0f, 0x3E5C30, 0x162618, 0x7F9AB4, 0.1f, 0.032f, 0x1A3220, 204));
  Water lake{};
  lake.horizonY = 0.595f;
  lake.tint = hexColor(0x2A5068);
  lake.tintAmount = 0.22f;
  lake.ripple = 0.35f;
  lake.sunX = -1.0f;
  lake.glitter = rgb(1, 1, 1);
  lake.seed = 205;
  paintWater(image, lake);
  Ridge shore = hills(0.95f, 0.06f, 3.0f, 0x9A8A68, 0x3A3328, 0x7F9AB4, 0.0f, 0.0f, 0, 206);
  paintRidge(image, shore);
  // pebbles on the shore
  Random random(207);
  const float w = static_cast<float>(image.width), h = static_cast<float>(image.height);
  for (int i = 0; i < 900; ++i) {
    float x = random.range(0.0f, w);
    float ground = ridgeCrest(shore, x / w) * h;
    float y = random.range(ground + 3.0f, h + 3.0f);
    float r = random.range(0.6f, 2.2f) * (0.5f + y / h);
    Color stone = mixColor(hexColor(0x5A5044), hexColor(0xC8BCA4), random.unit());
    fillCircle(image, x, y, r, stone);
    fillCircle(image, x - r * 0.3f, y - r * 0.3f, r * 0.45f, scaleColor(stone, 1.15f));
  }
  photoFinish(image, 208, 0.02f, 0.35f);
}

void paintSepiaRapids(Image& image) {
  Sky sky{};
  sky.zenith = hexColor(0xD0D4D0);
  sky.horizon = hexColor(0xF0F0EA);
  sky.horizonY = 0.3f;
  sky.cloudCover = 0.6f;
  sky.cloudLight = rgb(1, 1, 1);
  sky.cloudShade = hexColor(0xA8ACA8);
  sky.cloudTop = 0.0f;
  sky.cloudBottom = 0.22f;
  sky.seed = 301;
  paintSky(image, sky);
  paintRidge(image, hills(0.27f, 0.08f, 3.0f, 0x707868, 0x303828, 0xD8DCD4, 0.45f, 0.04f, 0x2A3424, 302));
  paintRidge(image, hills(0.33f, 0.05f, 4.0f, 0x5A6450, 0x202818, 0xC8CCC4, 0.15f, 0.05f, 0x1E281A, 303));
  Water river{};
  river.horizonY = 0.345f;
  river.tint = hexColor(0x4A5048);
  river.tintAmount = 0.3f;
  river.ripple = 1.2f;
  river.sunX = 0.45f;
  river.glitter = rgb(0.9f, 0.9f, 0.85f);
  river.seed = 304;
  paintWater(image, river);
  const float w = static_cast<float>(image.width), h = static_cast<float>(image.height);
  const float aspect = w / h;
  // white water: streaks running down the river, denser in the middle
  for (int y = static_cast<int>(0.345f * h); y < image.height; ++y) {
    float fy = (static_cast<float>(y) + 0.5f) / h;
    float p = (fy - 0.345f) / 0.655f;
    for (int x = 0; x < image.width; ++x) {
      float fx = (static_cast<float>(x) + 0.5f) / w;
      float n = fractalNoise(fx * aspect * 6.0f / (p + 0.15f), fy * 60.0f / (p + 0.3f), 305u, 5);
      float foam = smoothstep(0.58f, 0.75f, n) * (0.4f + 0.6f * p);
      Color& c = image.at(x, y);
      c = mixColor(c, rgb(0.95f, 0.95f, 0.92f), foam);
    }
  }
  // rocks, larger towards the viewer, each with a collar of foam
  Random random(306);
  for (int i = 0; i < 48; ++i) {
    float u1 = random.unit();
    float u2 = random.unit();
    float fy = 0.37f + 0.63f * u1 * u2;
    fy = std::min(fy, 1.02f);
    float p = (fy - 0.345f) / 0.655f;
    float cx = random.range(-0.05f, 1.05f) * w, cy = fy * h;
    float rx = h * (0.012f + 0.09f * p) * random.range(0.6f, 1.4f), ry = rx * random.range(0.35f, 0.6f);
    std::uint32_t seed = 400u + static_cast<std::uint32_t>(i);
    auto x0 = std::max(0, static_cast<int>(cx - rx * 1.6f)), x1 = std::min(image.width - 1, static_cast<int>(cx + rx * 1.6f));
    auto y0 = std::max(0, static_cast<int>(cy - ry * 1.6f)), y1 = std::min(image.height - 1, static_cast<int>(cy + ry * 1.8f));
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) {
        float dx = (static_cast<float>(x) + 0.5f - cx) / rx, dy = (static_cast<float>(y) + 0.5f - cy) / ry;
        float wobble = (fractalNoise(dx * 1.5f, dy * 1.5f, seed, 3) - 0.5f) * 0.6f;
        float d = std::sqrt(dx * dx + dy * dy) + wobble;
        if (d < 1.0f && dy < 0.6f) {
          float tex = fractalNoise(dx * 4.0f, dy * 4.0f, seed + 1u, 5);
          float light = clamp01(0.75f - dy * 0.5f - dx * 0.2f + (tex - 0.5f) * 0.8f);
          Color rock = mixColor(hexColor(0x2A2824), hexColor(0xA8A090), light);
          image.blendOver(x, y, rock, clamp01((1.0f - d) * rx * 0.5f));
        } else if (d < 1.5f && dy > -0.3f) {
          float foam = (1.0f - (d - 1.0f) / 0.5f) * smoothstep(0.35f, 0.6f, fractalNoise(dx * 3.0f, dy * 6.0f, seed + 2u, 4));
          image.blendOver(x, y, rgb(0.96f, 0.96f, 0.94f), foam);
        }
      }
    }
  }
  sepiaTone(image, 1.0f);
  // the old print: a few scratches and dust
  for (int i = 0; i < 14; ++i) {
    float x = random.range(0.0f, w);
    float y0 = random.range(0.0f, h * 0.5f), y1 = y0 + random.range(0.1f, 0.6f) * h;
    fillCapsule(image, x, y0, x + random.range(-6.0f, 6.0f), y1, 0.5f, rgba(0.95f, 0.9f, 0.8f, 0.35f));
  }
  for (int i = 0; i < 300; ++i) {
    // one draw per statement: argument evaluation order differs between compilers
    float x = random.range(0.0f, w);
    float y = random.range(0.0f, h);
    float r = random.range(0.4f, 1.5f);
    float a = random.range(0.2f, 0.6f);
    fillCircle(image, x, y, r, rgba(0.15f, 0.1f, 0.05f, a));
  }
  photoFinish(image, 307, 0.07f, 0.9f);
}

void paintWaterfall(Image& image) {
  const float w = static_cast<float>(image.width), h = static_cast<float>(image.height);
  const float aspect = w / h;
  for (int y = 0; y < image.height; ++y) {
    float fy = (static_cast<float>(y) + 0.5f) / h;
    float left = 0.36f + 0.03f * (valueNoise(fy * 5.0f, 0.5f, 501u) - 0.5f);
    float right = 0.62f + 0.03f * (valueNoise(fy * 5.0f, 1.5f, 501u) - 0.5f);
    float lip = 0.17f + 0.02f * valueNoise(0.5f, fy, 502u);
    for (int x = 0; x < image.width; ++x) {
      float fx = (static_cast<float>(x) + 0.5f) / w;
      // sky and a forest line above the cliff
      Color c = mixColor(hexColor(0xCFE3F0), hexColor(0x8FB4D4), fy * 4.0f > 1.0f ? 1.0f : fy * 4.0f);
      float treeLine = 0.12f + 0.05f * fractalNoise(fx * aspect * 14.0f, 0.5f, 503u, 5);
      if (fy > treeLine) {
        float leaf = fractalNoise(fx * aspect * 40.0f, fy * 40.0f, 504u, 4);
        c = mixColor(hexColor(0x16301A), hexColor(0x5C8A3C), leaf * leaf);
      }
      // the cliff: layered rock with moss, darker into the gorge
      if (fy > lip - 0.02f) {
        float strata = ridgedNoise(fx * aspect * 3.0f, fy * 14.0f, 505u, 5);
        float grain = fractalNoise(fx * aspect * 30.0f, fy * 30.0f, 506u, 4);
        float gorge = 1.0f - 0.55f * detExpf(-((fx - 0.49f) * (fx - 0.49f)) * 18.0f);
        Color rock = mixColor(hexColor(0x2E2A26), hexColor(0x8A8274), clamp01(strata * 0.8f + (grain - 0.5f) * 0.6f));
        float moss = smoothstep(0.5f, 0.65f, fractalNoise(fx * aspect * 10.0f, fy * 10.0f, 507u, 5));
        rock = mixColor(rock, mixColor(hexColor(0x1F3A14), hexColor(0x6A8A2A), grain), moss * 0.85f);
        float cliffTop = smoothstep(lip - 0.02f, lip + 0.01f, fy);
        c = mixColor(c, scaleColor(rock, gorge), cliffTop);
      }
      // the falling water
      if (fy > lip - 0.005f && fy < 0.8f) {
        float inside = smoothstep(left - 0.01f, left + 0.02f, fx) * (1.0f - smoothstep(right - 0.02f, right + 0.01f, fx));
        if (inside > 0.0f) {
          float streak = fractalNoise(fx * aspect * 70.0f, fy * 3.0f - 0.0f, 508u, 5);
          float fine = fractalNoise(fx * aspect * 220.0f, fy * 8.0f, 509u, 3);
          float bright = clamp01(0.45f + (streak - 0.5f) * 1.8f + (fine - 0.5f) * 0.6f);
          Color water = mixColor(hexColor(0x5F8290), rgb(0.97f, 0.99f, 1.0f), bright);
          float lipShade = smoothstep(lip - 0.005f, lip + 0.03f, fy);
          c = mixColor(c, water, inside * (0.6f + 0.4f * lipShade));
        }
      }
      // the pool
      if (fy > 0.78f) {
        float p = (fy - 0.78f) / 0.22f;
        float ripple = fractalNoise(fx * aspect * 12.0f / (p + 0.2f), fy * 70.0f, 510u, 4);
        Color pool = mixColor(hexColor(0x0E2A2C), hexColor(0x4E7A78), ripple);
        float foam = detExpf(-((fx - 0.49f) * (fx - 0.49f)) * 30.0f) * (1.0f - p) *
                     smoothstep(0.35f, 0.7f, fractalNoise(fx * aspect * 25.0f, fy * 25.0f, 511u, 4));
        pool = mixColor(pool, rgb(0.95f, 0.97f, 0.98f), clamp01(foam * 1.6f));
        float shore = smoothstep(0.78f, 0.8f, fy) * (1.0f - smoothstep(0.06f, 0.12f, std::fabs(fx - 0.5f) - 0.3f));
        c = mixColor(c, pool, shore);
      }
      // spray rising from the foot of the fall
      float mx = (fx - 0.49f) * 3.0f, my = (fy - 0.8f) * 6.0f;
      float mist = detExpf(-(mx * mx + my * my)) * (0.55f + 0.45f * fractalNoise(fx * aspect * 6.0f, fy * 6.0f, 512u, 4));
      c = mixColor(c, rgb(0.92f, 0.95f, 0.97f), clamp01(mist * 0.85f));
      c.a = 1.0f;
      image.at(x, y) = c;
    }
  }
  // ferns hanging at both sides
  Random random(513);
  for (int i = 0; i < 180; ++i) {
    bool leftSide = random.unit() < 0.5f;
    float x = leftSide ? random.range(0.0f, 0.22f) * w : random.range(0.78f, 1.0f) * w;
    float y = random.range(0.25f, 1.0f) * h;
    float len = random.range(0.03f, 0.09f) * h;
    float dir = leftSide ? 1.0f : -1.0f;
    Color leaf = mixColor(hexColor(0x1A3A12), hexColor(0x7AA040), random.unit());
    for (int k = 0; k < 9; ++k) {
      float t = static_cast<float>(k) / 8.0f;
      float px = x + dir * len * t, py = y + len * 0.4f * t * t;
      fillCapsule(image, px, py, px + dir * len * 0.15f * (1.0f - t), py - len * 0.2f * (1.0f - t), 0.8f, leaf);
      fillCapsule(image, px, py, px + dir * len * 0.12f * (1.0f - t), py + len * 0.18f * (1.0f - t), 0.8f, leaf);
    }
  }
  photoFinish(image, 514, 0.02f, 0.4f);
}

void paintWaterSurface(Image& image) {
  const float w = static_cast<float>(image.width), h = static_cast<float>(image.height);
  const float aspect = w / h;
  auto height = [](float u, float v) {
    float s = 0.0f;
    s += 0.35f * static_cast<float>(detSin(u * 9.0 + v * 3.0));
    s += 0.25f * static_cast<float>(detSin(u * -4.0 + v * 11.0 + 1.3));
    s += 0.15f * static_cast<float>(detSin(u * 17.0 - v * 7.0 + 2.1));
    s += 1.2f * fractalNoise(u * 6.0f, v * 6.0f, 601u, 6);
    return s;
  };
  for (int y = 0; y < image.height; ++y) {
    float fy = (static_cast<float>(y) + 0.5f) / h;
    for (int x = 0; x < image.width; ++x) {
      float fx = (static_cast<float>(x) + 0.5f) / w;
      float u = fx * aspect, v = fy;
      float e = 1.0f / h;
      float hx = (height(u + e, v) - height(u - e, v)) / (2.0f * e);
      float hy = (height(u, v + e) - height(u, v - e)) / (2.0f * e);
      float nx = -hx * 0.012f, ny = -hy * 0.012f;
      float nz = 1.0f / std::sqrt(1.0f + nx * nx + ny * ny);
      nx *= nz;
      ny *= nz;
      // sky reflection: brighter where the surface tilts towards the top of the picture
      float sky = clamp01(0.45f - ny * 1.2f + nx * 0.3f);
      Color c = mixColor(hexColor(0x06303E), hexColor(0x5FA8C0), sky);
      c = mixColor(c, hexColor(0x0B4A4A), 0.25f * (1.0f - fy));
      // sun glints: a specular lobe around a tilt towards the upper right
      float sx = nx - 0.18f, sy = ny + 0.22f;
      float glint = detExpf(-(sx * sx + sy * sy) * 260.0f);
      c = addColor(c, scaleColor(rgb(1.0f, 0.97f, 0.9f), glint * 1.6f));
      // light caught in the water: ridged bright lines
      float caustic = ridgedNoise(u * 9.0f + nx * 3.0f, v * 9.0f + ny * 3.0f, 602u, 3);
      c = addColor(c, scaleColor(hexColor(0x6FD0C8), smoothstep(0.82f, 0.97f, caustic) * 0.35f));
      c.a = 1.0f;
      image.at(x, y) = c;
    }
  }
  photoFinish(image, 603, 0.015f, 0.3f);
}

}  // namespace datagen
