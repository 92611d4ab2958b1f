#include "photo_kit.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "det_math.h"
#include "noise.h"

namespace datagen {

namespace {

Color lerpRgb(const Color& a, const Color& b, float t) {
  return Color{mixf(a.r, b.r, t), mixf(a.g, b.g, t), mixf(a.b, b.b, t), a.a};
}

}  // namespace

void paintSky(Image& image, const Sky& sky) {
  const float w = static_cast<float>(image.width), h = static_cast<float>(image.height);
  const float aspect = w / h;
  for (int y = 0; y < image.height; ++y) {
    float fy = (static_cast<float>(y) + 0.5f) / h;
    float t = clamp01(fy / sky.horizonY);
    float g = t * std::sqrt(t);
    Color base = lerpRgb(sky.zenith, sky.horizon, g);
    for (int x = 0; x < image.width; ++x) {
      float fx = (static_cast<float>(x) + 0.5f) / w;
      Color c = base;
      float sdx = (fx - sky.sunX) * aspect, sdy = fy - sky.sunY;
      float d = std::sqrt(sdx * sdx + sdy * sdy);
      if (sky.glow > 0.0f) {
        float halo = sky.glow * (0.55f * detExpf(-d * 5.0f) + 0.45f * detExpf(-d * 22.0f));
        c = addColor(c, scaleColor(sky.sunColor, halo));
      }
      if (sky.stars > 0.0f) {
        float s = hashUnit(x, y, sky.seed + 99u);
        if (s < sky.stars * 0.0025f) {
          float bright = (1.0f - t) * (0.4f + 0.6f * hashUnit(x, y, sky.seed + 98u));
          c = addColor(c, Color{bright, bright, bright * 0.95f, 0.0f});
        }
      }
      if (sky.cloudCover > 0.0f && fy > sky.cloudTop - 0.1f && fy < sky.cloudBottom + 0.1f) {
        float band = smoothstep(sky.cloudTop - 0.1f, sky.cloudTop + 0.05f, fy) *
                     (1.0f - smoothstep(sky.cloudBottom - 0.05f, sky.cloudBottom + 0.1f, fy));
        float nx = fx * aspect * 2.6f, ny = fy * 7.0f;
        float warp = fractalNoise(nx * 0.5f, ny * 0.5f, sky.seed + 5u, 3);
        float n = fractalNoise(nx + warp * 1.5f, ny, sky.seed + 11u, 7);
        float threshold = 1.0f - sky.cloudCover;
        float density = smoothstep(threshold * 0.75f, threshold * 0.75f + 0.28f, n) * band;
        if (density > 0.0f) {
          float toward = fractalNoise(nx + warp * 1.5f + (sky.sunX - fx) * 0.3f, ny + 0.35f, sky.seed + 11u, 7);
          float lit = clamp01(0.55f + (n - toward) * 5.0f);
          Color cloud = lerpRgb(sky.cloudShade, sky.cloudLight, lit);
          float rim = sky.glow * detExpf(-d * 4.0f) * (1.0f - density) * 1.5f;
          cloud = addColor(cloud, scaleColor(sky.sunColor, rim));
          c = lerpRgb(c, cloud, density);
        }
      }
      float sunCover = clamp01((sky.sunRadius - d) * h + 0.5f);
      if (sky.sunRadius > 0.0f && sunCover > 0.0f) c = lerpRgb(c, sky.sunColor, sunCover);
      c.a = 1.0f;
      image.at(x, y) = c;
    }
  }
}

float ridgeCrest(const Ridge& ridge, float x) {
  float n = ridge.ridged ? ridgedNoise(x * ridge.features, 0.37f, ridge.seed, 6, 0.45f)
                         : fractalNoise(x * ridge.features, 0.37f, ridge.seed, 7, 0.45f);
  if (ridge.ridged) n = n * n;
  return ridge.baseY - ridge.amplitude * n;
}

void paintRidge(Image& image, const Ridge& ridge) {
  const int width = image.width, height = image.height;
  const float w = static_cast<float>(width), h = static_cast<float>(height);
  const float aspect = w / h;
  std::vector<float> crest(static_cast<std::size_t>(width));      // ground crest in pixels
  std::vector<float> treeTop(static_cast<std::size_t>(width));    // top of trees in pixels
  std::vector<float> slope(static_cast<std::size_t>(width));
  float treePx = ridge.trees * h;
  float cellW = std::max(2.0f, treePx * 0.55f);
  for (int x = 0; x < width; ++x) {
    float fx = (static_cast<float>(x) + 0.5f) / w;
    float c = ridgeCrest(ridge, fx) * h;
    crest[static_cast<std::size_t>(x)] = c;
    float e = 2.0f / w;
    slope[static_cast<std::size_t>(x)] = (ridgeCrest(ridge, fx + e) - ridgeCrest(ridge, fx - e)) * h / 4.0f;
    float top = c;
    if (treePx > 0.0f) {
      float px = static_cast<float>(x) + 0.5f;
      auto cell = static_cast<int>(std::floor(px / cellW));
      float best = 0.0f;
      for (int k = cell - 2; k <= cell + 2; ++k) {
        float jitter = hashUnit(k, 7, ridge.seed);
        float cx = (static_cast<float>(k) + 0.2f + 0.6f * jitter) * cellW;
        float th = treePx * (0.45f + 0.55f * hashUnit(k, 3, ridge.seed));
        float half = th * 0.3f;
        float dist = std::fabs(px - cx);
        if (dist < half) {
          // tiers of branches: a saw tooth on the triangle's edge
          float along = 1.0f - dist / half;
          float tier = 0.08f * th * (0.5f - std::fabs((along * 5.0f - std::floor(along * 5.0f)) - 0.5f));
          best = std::max(best, th * along - tier);
        }
      }
      float canopy = treePx * 0.25f * (0.6f + 0.8f * valueNoise(px / (cellW * 2.0f), 1.5f, ridge.seed + 3u));
      top = c - std::max(best, canopy);
    }
    treeTop[static_cast<std::size_t>(x)] = top;
  }
  for (int x = 0; x < width; ++x) {
    const float top = treeTop[static_cast<std::size_t>(x)];
    const float ground = crest[static_cast<std::size_t>(x)];
    const float fx = (static_cast<float>(x) + 0.5f) / w;
    const float s = slope[static_cast<std::size_t>(x)];
    auto y0 = std::max(0, static_cast<int>(std::floor(top)));
    for (int y = y0; y < height; ++y) {
      float py = static_cast<float>(y);
      float cover = clamp01(py + 1.0f - top);
      if (cover <= 0.0f) continue;
      float fy = (py + 0.5f) / h;
      float depth = (py + 0.5f - ground) / h;  // below the ground crest, in heights
      float detail = fractalNoise(fx * aspect * 14.0f, fy * 14.0f, ridge.seed + 17u, 6);
      // The slope's surface is a noise height field seen from the side: its
      // sideways gradient says whether a spot faces the light. Near the crest
      // the crest's own slope takes over.
      float sx = fx * aspect * (ridge.ridged ? 5.0f : 3.0f), sy = fy * (ridge.ridged ? 9.0f : 6.0f);
      float e = 0.6f / h * aspect * (ridge.ridged ? 5.0f : 3.0f);
      float gradient = ridge.ridged
                           ? ridgedNoise(sx + e, sy, ridge.seed + 19u, 6) - ridgedNoise(sx - e, sy, ridge.seed + 19u, 6)
                           : fractalNoise(sx + e, sy, ridge.seed + 19u, 5) - fractalNoise(sx - e, sy, ridge.seed + 19u, 5);
      float nearCrest = detExpf(-std::max(0.0f, depth) * 120.0f);
      float facing = ridge.lightDir * (gradient / (2.0f * e) * (ridge.ridged ? 0.14f : 0.04f) * (1.0f - nearCrest) +
                                       std::clamp(s, -0.6f, 0.6f) * nearCrest);
      // distance below the ridge's mean crest: smooth across columns, unlike depth
      float below = fy - (ridge.baseY - ridge.amplitude * 0.5f);
      float shade = clamp01(0.5f + facing + (detail - 0.5f) * (ridge.ridged ? 1.0f : 0.6f) - below * 0.6f);
      Color c = lerpRgb(ridge.dark, ridge.light, shade);
      if (ridge.snow.a > 0.0f) {
        float heightAbove = (ridge.baseY * h - (py + 0.5f)) / (ridge.amplitude * h);
        float snowy = smoothstep(ridge.snowLine - 0.06f, ridge.snowLine + 0.06f,
                                 heightAbove + (detail - 0.5f) * 0.6f + facing * 0.25f);
        c = lerpRgb(c, scaleColor(ridge.snow, 0.7f + 0.3f * shade), snowy);
      }
      if (py + 0.5f < ground + 1.0f || (ridge.trees > 0.0f && depth < ridge.trees * 0.8f)) {
        // the forest fringe, then patchy forest below it
        float patch = ridge.trees > 0.0f && py + 0.5f >= ground
                          ? smoothstep(0.45f, 0.55f, fractalNoise(fx * aspect * 20.0f, fy * 20.0f, ridge.seed + 29u, 4))
                          : 1.0f;
        if (ridge.trees > 0.0f) {
          float leaf = 0.7f + 0.6f * (detail - 0.5f) + 0.3f * hashUnit(x, y, ridge.seed + 31u);
          c = lerpRgb(c, scaleColor(ridge.treeColor, leaf), patch);
        }
      }
      float mist = ridge.hazeAmount + (1.0f - ridge.hazeAmount) * 0.35f * smoothstep(0.0f, 0.3f, below);
      c = lerpRgb(c, ridge.haze, clamp01(mist));
      c.a = 1.0f;
      image.blendOver(x, y, c, cover);
    }
  }
}

void paintWater(Image& image, const Water& water) {
  const int width = image.width, height = image.height;
  const float w = static_cast<float>(width), h = static_cast<float>(height);
  const float horizon = water.horizonY * h;
  const auto firstRow = static_cast<int>(std::ceil(horizon));
  const float span = std::max(1.0f, h - horizon);
  for (int y = firstRow; y < height; ++y) {
    float d = static_cast<float>(y) + 0.5f - horizon;
    float p = d / span;
    float depthScale = 1.0f / (d + 2.0f);  // ground-plane distance shrinks as 1/d
    for (int x = 0; x < width; ++x) {
      float u = (static_cast<float>(x) + 0.5f - w * 0.5f) * depthScale * 3.0f;
      float v = 80.0f * depthScale;
      float n1 = fractalNoise(u * 1.2f, v * 7.0f, water.seed, 4);
      float n2 = fractalNoise(u * 1.2f + 3.1f, v * 7.0f, water.seed + 5u, 4);
      float dx = (n1 - 0.5f) * water.ripple * (4.0f + d * 0.25f);
      float dy = (n2 - 0.5f) * water.ripple * (2.0f + d * 0.5f);
      float my = std::clamp(horizon - d * 1.0f + dy, 0.0f, std::max(0.0f, horizon - 1.0f));
      Color reflected = image.sample(static_cast<float>(x) + 0.5f + dx, my + 0.5f, false);
      reflected = scaleColor(reflected, 0.78f + 0.2f * (n2 - 0.5f));
      float tint = clamp01(water.tintAmount + (1.0f - water.tintAmount) * p * 0.45f);
      Color c = lerpRgb(reflected, water.tint, tint);
      // crests catch light, troughs darken
      float crest = fractalNoise(u * 2.5f, v * 16.0f, water.seed + 9u, 3);
      c = scaleColor(c, 0.9f + 0.25f * (crest - 0.5f));
      if (water.sunX >= 0.0f) {
        float fx = (static_cast<float>(x) + 0.5f) / w;
        float pathWidth = 0.015f + 0.12f * p;
        float off = (fx - water.sunX) * (w / h) / pathWidth;
        float path = detExpf(-off * off);
        float spark = hashUnit(x / 2, y, water.seed + 13u);
        float glints = smoothstep(0.55f, 0.8f, crest) * (0.5f + spark);
        c = addColor(c, scaleColor(water.glitter, path * glints * 1.2f));
      }
      c.a = 1.0f;
      image.at(x, y) = c;
    }
  }
}

void paintSkyline(Image& image, const Skyline& skyline) {
  const float w = static_cast<float>(image.width), h = static_cast<float>(image.height);
  Random random(skyline.seed);
  float base = skyline.baseY * h;
  float x = -random.range(0.0f, skyline.maxWidth * w);
  int index = 0;
  while (x < w) {
    float bw = random.range(skyline.minWidth, skyline.maxWidth) * w;
    if (random.unit() < skyline.gap) {
      x += bw * 0.4f;
      continue;
    }
    float bh = random.range(skyline.minHeight, skyline.maxHeight) * h;
    Color wall{skyline.wall.r + (random.unit() - 0.5f) * skyline.wallVariation.r,
               skyline.wall.g + (random.unit() - 0.5f) * skyline.wallVariation.g,
               skyline.wall.b + (random.unit() - 0.5f) * skyline.wallVariation.b, 1.0f};
    float x0 = x, x1 = x + bw, top = base - bh;
    bool stepped = random.unit() < skyline.spires;
    float stepTop = top - bh * random.range(0.08f, 0.25f);
    float stepInset = bw * random.range(0.15f, 0.3f);
    bool antenna = random.unit() < skyline.spires * 0.7f;
    float pitch = std::max(3.0f, skyline.windowScale * h * random.range(0.8f, 1.25f));
    float winW = random.range(0.4f, 0.7f), winH = random.range(0.45f, 0.7f);
    float lit = skyline.litFraction * random.range(0.5f, 1.4f);
    std::uint32_t windowSeed = skyline.seed * 31u + static_cast<std::uint32_t>(index);
    auto ix0 = std::max(0, static_cast<int>(std::floor(x0)));
    auto ix1 = std::min(image.width - 1, static_cast<int>(std::ceil(x1)));
    float roof = stepped ? stepTop : top;
    auto iy0 = std::max(0, static_cast<int>(std::floor(roof)));
    auto iy1 = std::min(image.height - 1, static_cast<int>(std::ceil(base)));
    for (int py = iy0; py <= iy1; ++py) {
      for (int px = ix0; px <= ix1; ++px) {
        float cx = static_cast<float>(px), cy = static_cast<float>(py);
        bool upper = cy + 1.0f <= top;
        float left = upper ? x0 + stepInset : x0, right = upper ? x1 - stepInset : x1;
        float coverX = clamp01(std::min(cx + 1.0f, right) - std::max(cx, left));
        float coverY = clamp01(std::min(cy + 1.0f, base) - std::max(cy, upper ? stepTop : top));
        float cover = coverX * coverY;
        if (cover <= 0.0f) continue;
        float lx = cx + 0.5f - left, ly = cy + 0.5f - (upper ? stepTop : top);
        float side = (cx + 0.5f - left) / std::max(1.0f, right - left);
        Color c = scaleColor(wall, 0.85f + 0.3f * side * (1.0f - side) * 2.0f - 0.15f * (ly / h));
        float margin = pitch * 0.5f;
        if (lx > margin && right - (cx + 0.5f) > margin * 0.6f && ly > margin) {
          float cellX = (lx - margin) / pitch, cellY = (ly - margin) / pitch;
          float fxw = cellX - std::floor(cellX), fyw = cellY - std::floor(cellY);
          if (fxw < winW && fyw < winH) {
            auto wx = static_cast<int>(std::floor(cellX)), wy = static_cast<int>(std::floor(cellY));
            float r = hashUnit(wx, wy, windowSeed);
            if (r < lit) {
              c = scaleColor(skyline.window, 0.55f + 0.45f * hashUnit(wx, wy, windowSeed + 1u));
            } else {
              c = scaleColor(wall, 0.55f);
            }
          }
        }
        c = lerpRgb(c, skyline.haze, skyline.hazeAmount);
        c.a = 1.0f;
        image.blendOver(px, py, c, cover);
      }
    }
    if (antenna) {
      float ax = (x0 + x1) * 0.5f;
      float aTop = roof - bh * 0.25f;
      Color mast = lerpRgb(scaleColor(wall, 0.7f), skyline.haze, skyline.hazeAmount);
      fillCapsule(image, ax, roof, ax, aTop, std::max(0.6f, bw * 0.02f), mast);
      fillCircle(image, ax, aTop, std::max(1.0f, bw * 0.03f), hexColor(0xFF3020));
    }
    x = x1 + (random.unit() < 0.3f ? random.range(0.0f, 0.3f) * bw : 0.0f);
    ++index;
  }
}

void photoFinish(Image& image, std::uint32_t seed, float grain, float vignette) {
  const float w = static_cast<float>(image.width), h = static_cast<float>(image.height);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      Color& c = image.at(x, y);
      float fx = (static_cast<float>(x) + 0.5f) / w - 0.5f, fy = (static_cast<float>(y) + 0.5f) / h - 0.5f;
      float v = 1.0f - vignette * (fx * fx + fy * fy) * 2.0f;
      float g = (hashUnit(x, y, seed) - 0.5f) * grain;
      float* channels[3] = {&c.r, &c.g, &c.b};
      for (float* ch : channels) {
        float s = clamp01(*ch * v + g);
        *ch = mixf(s, s * s * (3.0f - 2.0f * s), 0.2f);
      }
    }
  }
}

void addBloom(Image& image, float threshold, int radius, float strength) {
  Image bright(image.width, image.height);
  for (std::size_t i = 0; i < image.pixels.size(); ++i) {
    const Color& c = image.pixels[i];
    float l = std::max({c.r, c.g, c.b});
    float k = clamp01((l - threshold) / std::max(0.01f, 1.0f - threshold));
    bright.pixels[i] = Color{c.r * k, c.g * k, c.b * k, 1.0f};
  }
  blurImage(bright, radius, false);
  for (std::size_t i = 0; i < image.pixels.size(); ++i) {
    image.pixels[i] = addColor(image.pixels[i], scaleColor(bright.pixels[i], strength));
  }
}

void sepiaTone(Image& image, float strength) {
  for (Color& c : image.pixels) {
    float l = 0.3f * c.r + 0.59f * c.g + 0.11f * c.b;
    Color s{l * 1.08f + 0.03f, l * 0.88f + 0.015f, l * 0.66f, c.a};
    c = lerpRgb(c, s, strength);
  }
}

}  // namespace datagen
