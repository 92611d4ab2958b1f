#include "sprites.h"

#include <algorithm>
#include <cmath>

#include "det_math.h"
#include "noise.h"
#include "text_render.h"

namespace datagen {

namespace {

struct TextStyle {
  Color top, middle, bottom;  // fill gradient from the top of the letters to their foot
  float horizon;              // where the middle colour sits (0..1 of the letter box)
  Color outline;
  int outlineRadius;          // 0 for none
  Color glow;
  int glowRadius;             // 0 for none
};

void drawStyledText(Image& target, const TextMask& text, int x, int y, const TextStyle& style) {
  const Image& mask = text.mask;
  if (style.glowRadius > 0) {
    Image glow = mask;
    blurImage(glow, style.glowRadius, false);
    for (Color& c : glow.pixels) c.a = clamp01(c.a * 1.8f);
    drawMask(target, glow, x, y, style.glow);
  }
  if (style.outlineRadius > 0) {
    Image outline = mask;
    blurImage(outline, style.outlineRadius * 2, false);
    for (Color& c : outline.pixels) c.a = clamp01(c.a * 4.0f);
    drawMask(target, outline, x, y, style.outline);
  }
  // letter box: rows that hold ink
  int first = mask.height, last = 0;
  for (int my = 0; my < mask.height; ++my) {
    for (int mx = 0; mx < mask.width; ++mx) {
      if (mask.at(mx, my).a > 0.0f) {
        first = std::min(first, my);
        last = std::max(last, my);
        break;
      }
    }
  }
  float span = std::max(1.0f, static_cast<float>(last - first));
  for (int my = 0; my < mask.height; ++my) {
    float t = clamp01(static_cast<float>(my - first) / span);
    Color fill = t < style.horizon ? mixColor(style.top, style.middle, t / style.horizon)
                                   : mixColor(style.middle, style.bottom, (t - style.horizon) / (1.0f - style.horizon));
    for (int mx = 0; mx < mask.width; ++mx) {
      float cover = mask.at(mx, my).a;
      if (cover > 0.0f) target.blendOver(x + mx, y + my, fill, cover);
    }
  }
}

void drawStyledCentred(Image& target, const TextMask& text, int x, int y, int w, int h, const TextStyle& style) {
  drawStyledText(target, text, x + (w - text.mask.width) / 2, y + (h - text.mask.height) / 2, style);
}

// Signed distance to a rectangle with rounded corners (negative inside).
float roundedBox(float px, float py, float cx, float cy, float hx, float hy, float radius) {
  float qx = std::fabs(px - cx) - hx + radius, qy = std::fabs(py - cy) - hy + radius;
  float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
  return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - radius;
}

// Fills pixels by a signed distance (negative inside) with anti-aliased edges.
template <typename Shape, typename Shade>
void fillShape(Image& image, Shape distance, Shade shade) {
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
      float d = distance(px, py);
      float cover = clamp01(0.5f - d);
      if (cover > 0.0f) image.blendOver(x, y, shade(px, py, d), cover);
    }
  }
}

}  // namespace

void paintCreditName(Image& image, const std::string& name, int variant) {
  const std::uint32_t tones[3][3] = {{0xFFF6D8, 0xF0B040, 0x8A4A10}, {0xE8FFFF, 0x40C8F0, 0x104A8A}, {0xFFE8F8, 0xF050B0, 0x6A1050}};
  const std::uint32_t* t = tones[variant % 3];
  int w = image.width, h = image.height;
  TextMask text = fitText(Font::sansBold, name, w * 9 / 10, h * 9 / 10, h / 8, h);
  if (!text.error.empty()) return;
  TextStyle style{hexColor(t[0]), hexColor(t[1]), hexColor(t[2]), 0.55f, hexColor(0x0A0A14, 0.9f), 2,
                  hexColor(t[1], 0.8f), h / 7};
  drawStyledCentred(image, text, 0, 0, w, h, style);
}

void paintScrollText(Image& image) {
  const std::string line =
      "ZELVARO  \u2022  fourteen scenes in real time  \u2022  every picture and every note generated  \u2022  "
      "hello to all friends of the demo  \u2022  ";
  int h = image.height;
  TextMask text = renderText(Font::sansBold, line, h * 3 / 4, 0);
  if (!text.error.empty()) return;
  // scale the line to the full width so that it joins its own start when it wraps
  float scale = static_cast<float>(image.width) / static_cast<float>(text.mask.width);
  int size = std::max(6, static_cast<int>(static_cast<float>(h * 3 / 4) * scale));
  text = renderText(Font::sansBold, line, size, 0);
  while (text.error.empty() && (text.mask.width > image.width || text.mask.height > h) && size > 6) {
    text = renderText(Font::sansBold, line, --size, 0);
  }
  if (!text.error.empty()) return;
  drawMask(image, text.mask, 0, (h - text.mask.height) / 2, rgb(1, 1, 1));
}

void paintLogo(Image& image) {
  int w = image.width, h = image.height;
  TextMask text = fitText(Font::sansBoldOblique, "zelvaro", w * 88 / 100, h * 80 / 100, h / 8, h);
  if (!text.error.empty()) return;
  TextStyle style{hexColor(0xF4FAFF), hexColor(0x1A3A8A), hexColor(0x9AF0FF), 0.55f, hexColor(0x040A20, 0.95f), 3,
                  hexColor(0x30A0FF, 0.85f), h / 6};
  int x = (w - text.mask.width) / 2, y = (h - text.mask.height) / 2 - h / 20;
  drawStyledText(image, text, x, y, style);
  // a swoosh under the word
  for (int k = 0; k < 200; ++k) {
    float t = static_cast<float>(k) / 199.0f;
    float px = static_cast<float>(w) * (0.12f + 0.76f * t);
    float py = static_cast<float>(h) * (0.86f - 0.06f * detSinf(t * 3.14159f));
    float r = static_cast<float>(h) * 0.012f * detSinf(t * 3.14159f) + 0.5f;
    fillCircle(image, px, py, r, mixColor(hexColor(0x9AF0FF), hexColor(0xFFFFFF), t));
  }
}

void paintPictureCard(Image& image) {
  float w = static_cast<float>(image.width), h = static_cast<float>(image.height);
  float radius = w * 0.07f;
  auto card = [&](float px, float py) { return roundedBox(px, py, w * 0.5f, h * 0.5f, w * 0.48f, h * 0.48f, radius); };
  fillShape(image, card, [&](float, float py, float d) {
    Color c = mixColor(hexColor(0xF8F0DC), hexColor(0xE0D0B0), py / h);
    if (d > -w * 0.02f) c = hexColor(0xB08A3A);  // gilded rim
    return c;
  });
  // the picture: a small landscape in an inner window
  float ix0 = w * 0.12f, ix1 = w * 0.88f, iy0 = h * 0.12f, iy1 = h * 0.72f;
  for (int y = static_cast<int>(iy0); y < static_cast<int>(iy1); ++y) {
    for (int x = static_cast<int>(ix0); x < static_cast<int>(ix1); ++x) {
      float u = (static_cast<float>(x) - ix0) / (ix1 - ix0), v = (static_cast<float>(y) - iy0) / (iy1 - iy0);
      Color c = mixColor(hexColor(0x2A3A8A), hexColor(0xF0A070), v * 1.4f > 1.0f ? 1.0f : v * 1.4f);
      float sx = u - 0.68f, sy = v - 0.42f;
      if (sx * sx + sy * sy < 0.01f) c = hexColor(0xFFF0C0);
      float hill1 = 0.55f + 0.08f * detSinf(u * 7.0f) + 0.05f * (fractalNoise(u * 6.0f, 0.3f, 1801u, 4) - 0.5f);
      float hill2 = 0.7f + 0.06f * detSinf(u * 5.0f + 2.0f);
      if (v > hill1) c = mixColor(hexColor(0x4A3A6A), hexColor(0x2A2A4A), (v - hill1) * 3.0f);
      if (v > hill2) c = mixColor(hexColor(0x1E3A2A), hexColor(0x0E1E14), (v - hill2) * 2.0f);
      if (v > 0.86f) c = mixColor(hexColor(0x6A8AB0), hexColor(0x2A3A5A), fractalNoise(u * 30.0f, v * 90.0f, 1802u, 3));
      image.at(x, y) = c;
    }
  }
  fillRect(image, ix0 - 3.0f, iy0 - 3.0f, ix1 + 3.0f, iy0, hexColor(0x6A4A1A));
  fillRect(image, ix0 - 3.0f, iy1, ix1 + 3.0f, iy1 + 3.0f, hexColor(0x6A4A1A));
  fillRect(image, ix0 - 3.0f, iy0, ix0, iy1, hexColor(0x6A4A1A));
  fillRect(image, ix1, iy0, ix1 + 3.0f, iy1, hexColor(0x6A4A1A));
  TextMask star = fitText(Font::sans, "\u2605", static_cast<int>(w * 0.1f), static_cast<int>(w * 0.1f), 1, static_cast<int>(w * 0.1f));
  if (star.error.empty()) {
    drawMaskCentred(image, star.mask, 0, 0, static_cast<int>(w * 0.14f), static_cast<int>(h * 0.1f), hexColor(0x8A2020));
    drawMaskCentred(image, star.mask, static_cast<int>(w * 0.86f), static_cast<int>(h * 0.9f), static_cast<int>(w * 0.14f),
                    static_cast<int>(h * 0.1f), hexColor(0x8A2020));
  }
  TextMask caption = fitText(Font::serifBold, "ZELVARO", static_cast<int>(w * 0.7f), static_cast<int>(h * 0.1f), 2, static_cast<int>(h * 0.1f));
  if (caption.error.empty()) {
    drawMaskCentred(image, caption.mask, 0, static_cast<int>(h * 0.74f), static_cast<int>(w), static_cast<int>(h * 0.14f),
                    hexColor(0x3A2A10));
  }
}

void paintWalkingFigure(Image& image) {
  float frameW = static_cast<float>(image.width) / 4.0f, h = static_cast<float>(image.height);
  const Color shirt = hexColor(0xF06A3A), trousers = hexColor(0x2A4A9A), skin = hexColor(0xF0C8A0), shoe = hexColor(0x202020);
  for (int frame = 0; frame < 4; ++frame) {
    float phase = static_cast<float>(frame) * 1.5707963f;
    float swing = detCosf(phase);  // +1 and -1: legs apart; 0: passing
    float lift = std::fabs(detSinf(phase));
    float cx = frameW * (static_cast<float>(frame) + 0.5f);
    float hipY = h * (0.53f - 0.02f * lift), shoulderY = hipY - h * 0.24f, headY = shoulderY - h * 0.09f;
    float limb = h * 0.026f, legLen = h * 0.18f;  // the stride stays inside the frame's width
    for (int e = 0; e < 16; ++e) {  // soft shadow on the ground
      float t = static_cast<float>(e) / 15.0f;
      fillRect(image, cx - frameW * 0.3f * (1.0f - t * 0.5f), h * 0.955f + t, cx + frameW * 0.3f * (1.0f - t * 0.5f),
               h * 0.975f, rgba(0, 0, 0, 0.03f));
    }
    auto leg = [&](float side, float shade) {
      float a = side * swing * 0.36f;  // radians from vertical
      float kx = cx + detSinf(a) * legLen, ky = hipY + detCosf(a) * legLen;
      float bend = side * swing < 0.0f || swing == 0.0f ? 0.35f * (1.0f - std::fabs(swing) * 0.5f) : 0.05f;
      if (frame % 2 == 1 && side == (frame == 1 ? 1.0f : -1.0f)) bend = 0.6f;  // the leg swinging through is lifted
      float fx = kx + detSinf(a - bend) * legLen, fy = ky + detCosf(a - bend) * legLen;
      Color c = scaleColor(trousers, shade);
      fillCapsule(image, cx, hipY, kx, ky, limb, c);
      fillCapsule(image, kx, ky, fx, fy, limb * 0.9f, c);
      fillCapsule(image, fx, fy, fx + frameW * 0.07f, fy + limb * 0.3f, limb * 0.7f, shoe);
    };
    auto arm = [&](float side, float shade) {
      float a = -side * swing * 0.5f;
      float ex = cx + detSinf(a) * h * 0.13f, ey = shoulderY + detCosf(a) * h * 0.13f;
      float hx = ex + detSinf(a + 0.5f) * h * 0.12f, hy = ey + detCosf(a + 0.5f) * h * 0.12f;
      fillCapsule(image, cx, shoulderY + limb, ex, ey, limb * 0.85f, scaleColor(shirt, shade));
      fillCapsule(image, ex, ey, hx, hy, limb * 0.75f, scaleColor(skin, shade));
    };
    leg(-1.0f, 0.7f);
    arm(-1.0f, 0.7f);
    fillCapsule(image, cx, shoulderY + limb, cx, hipY, limb * 1.6f, shirt);
    leg(1.0f, 1.0f);
    fillCircle(image, cx + frameW * 0.02f, headY, h * 0.06f, skin);
    fillCircle(image, cx - frameW * 0.01f, headY - h * 0.035f, h * 0.045f, hexColor(0x4A2A14));  // hair
    fillCircle(image, cx + frameW * 0.12f, headY - h * 0.005f, h * 0.007f, hexColor(0x202020));
    arm(1.0f, 1.0f);
  }
}

void paintCityCard(Image& image, const std::string& name, const std::string& coordinates, int variant) {
  const std::uint32_t tints[6] = {0x1A2A6A, 0x6A1A1A, 0x2A2A2A, 0x1A4A6A, 0x2A4A2A, 0x5A1A4A};
  Color tint = hexColor(tints[variant % 6]);
  float w = static_cast<float>(image.width), h = static_cast<float>(image.height);
  fillShape(image, [&](float px, float py) { return roundedBox(px, py, w * 0.5f, h * 0.5f, w * 0.47f, h * 0.44f, h * 0.12f); },
            [&](float, float py, float d) {
              if (d > -h * 0.025f) return rgba(1.0f, 1.0f, 1.0f, 0.95f);
              Color c = mixColor(scaleColor(tint, 1.6f), tint, py / h);
              return Color{c.r, c.g, c.b, 0.6f};
            });
  TextMask title = fitText(Font::sansBold, name, static_cast<int>(w * 0.82f), static_cast<int>(h * 0.5f), 6, static_cast<int>(h * 0.5f));
  if (title.error.empty()) {
    TextStyle style{rgb(1, 1, 1), rgb(0.95f, 0.95f, 1.0f), rgb(0.8f, 0.85f, 0.95f), 0.5f, rgba(0, 0, 0, 0.7f), 2,
                    rgba(1, 1, 1, 0.35f), 8};
    drawStyledCentred(image, title, 0, static_cast<int>(h * 0.08f), static_cast<int>(w), static_cast<int>(h * 0.56f), style);
  }
  fillRect(image, w * 0.2f, h * 0.66f, w * 0.8f, h * 0.67f, rgba(1, 1, 1, 0.85f));
  TextMask coords = fitText(Font::sans, coordinates, static_cast<int>(w * 0.7f), static_cast<int>(h * 0.16f), 1, static_cast<int>(h * 0.14f));
  if (coords.error.empty()) {
    drawMaskCentred(image, coords.mask, 0, static_cast<int>(h * 0.68f), static_cast<int>(w), static_cast<int>(h * 0.18f), rgba(1, 1, 1, 0.9f));
  }
}

void paintGreeting(Image& image, const std::string& name, int variant) {
  const std::uint32_t fills[7][2] = {{0xF0C040, 0xA04010}, {0x40D0F0, 0x104080}, {0xF06AA0, 0x6A1040}, {0x90F070, 0x206020},
                                     {0xC0A0FF, 0x402080}, {0xFFA060, 0x803010}, {0xE0E0E0, 0x404050}};
  Color light = hexColor(fills[variant % 7][0]), dark = hexColor(fills[variant % 7][1]);
  float s = static_cast<float>(image.width), c = s * 0.5f;
  auto shape = [&](float px, float py) {
    float dx = px - c, dy = py - c;
    float r = std::sqrt(dx * dx + dy * dy);
    float a = detAtan2f(dy, dx);
    switch (variant % 7) {
      case 0: return r - s * 0.46f;  // disc
      case 1: return roundedBox(px, py, c, c, s * 0.44f, s * 0.44f, s * 0.1f);  // rounded square
      case 2: {  // hexagon
        float ax = std::fabs(dx), ay = std::fabs(dy);
        return std::max(ax * 0.8660254f + ay * 0.5f, ay) - s * 0.42f;
      }
      case 3: return (std::fabs(dx) + std::fabs(dy)) * 0.7071f - s * 0.34f;  // diamond
      case 4: return r - s * (0.36f + 0.1f * detCosf(a * 5.0f));  // star-like flower
      case 5: return std::fabs(r - s * 0.34f) - s * 0.12f;  // ring
      default: return roundedBox(px, py, c, c, s * 0.46f, s * 0.22f, s * 0.08f);  // banner
    }
  };
  fillShape(image, shape, [&](float, float py, float d) {
    Color fill = mixColor(light, dark, py / s);
    if (d > -s * 0.02f) fill = rgb(1, 1, 1);
    return Color{fill.r, fill.g, fill.b, 0.92f};
  });
  TextMask text = fitText(Font::condensedBold, name, static_cast<int>(s * 0.84f), static_cast<int>(s * 0.3f), 6, static_cast<int>(s * 0.3f));
  if (!text.error.empty()) return;
  TextStyle style{rgb(1, 1, 1), rgb(1, 1, 1), rgb(0.9f, 0.9f, 0.95f), 0.5f, scaleColor(dark, 0.4f), 3, rgba(0, 0, 0, 0.6f), 10};
  drawStyledCentred(image, text, 0, 0, static_cast<int>(s), static_cast<int>(s), style);
}

namespace {

void drawBranch(Image& image, Random& random, float x, float y, float angle, float length, int depth) {
  float ex = x + detSinf(angle) * length, ey = y - detCosf(angle) * length;
  Color bark = mixColor(hexColor(0x2A1A10), hexColor(0x6A4A30), static_cast<float>(depth) / 9.0f);
  fillCapsule(image, x, y, ex, ey, std::max(0.6f, length * 0.09f), bark);
  if (depth == 0 || length < 2.0f) {
    for (int k = 0; k < 5; ++k) {
      Color blossom = mixColor(hexColor(0xF0A0C0), hexColor(0xFFF0F4), random.unit());
      float dx = random.range(-3.0f, 3.0f);  // one draw per statement: argument order varies by compiler
      float dy = random.range(-3.0f, 3.0f);
      float size = random.range(1.2f, 2.6f);
      fillCircle(image, ex + dx, ey + dy, size, blossom);
    }
    return;
  }
  int children = random.unit() < 0.3f ? 3 : 2;
  for (int k = 0; k < children; ++k) {
    float spread = random.range(0.25f, 0.6f) * (k % 2 == 0 ? 1.0f : -1.0f);
    if (children == 3 && k == 2) spread = random.range(-0.1f, 0.1f);
    drawBranch(image, random, ex, ey, angle + spread, length * random.range(0.66f, 0.8f), depth - 1);
  }
}

}  // namespace

void paintTitleCard(Image& image) {
  float w = static_cast<float>(image.width), h = static_cast<float>(image.height);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      float v = (static_cast<float>(y) + 0.5f) / h;
      Color c = mixColor(hexColor(0x050A22), hexColor(0x3A2A5A), v);
      if (hashUnit(x, y, 1901u) < 0.002f * (1.0f - v)) c = rgb(0.9f, 0.9f, 1.0f);
      image.at(x, y) = c;
    }
  }
  fillCircle(image, w * 0.78f, h * 0.2f, h * 0.07f, hexColor(0xFFF4D8));
  fillCircle(image, w * 0.76f, h * 0.19f, h * 0.065f, hexColor(0x0F0E2C));  // the dark part of the crescent
  // the hill
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      float u = (static_cast<float>(x) + 0.5f) / w, v = (static_cast<float>(y) + 0.5f) / h;
      float crest = 0.74f + 0.08f * (u - 0.5f) * (u - 0.5f) * 4.0f;
      float cover = clamp01((v - crest) * h + 0.5f);
      if (cover > 0.0f) {
        float grass = fractalNoise(u * 40.0f, v * 40.0f, 1902u, 4);
        image.blendOver(x, y, mixColor(hexColor(0x0E2A1A), hexColor(0x2A5A30), grass * (1.0f - (v - crest) * 2.0f)), cover);
      }
    }
  }
  Random random(1903);
  drawBranch(image, random, w * 0.5f, h * 0.745f, 0.0f, h * 0.16f, 8);
  TextMask caption = fitText(Font::sans, "zelvaro", static_cast<int>(w * 0.4f), static_cast<int>(h * 0.1f), 2, static_cast<int>(h * 0.07f));
  if (caption.error.empty()) {
    drawMaskCentred(image, caption.mask, 0, static_cast<int>(h * 0.86f), static_cast<int>(w), static_cast<int>(h * 0.12f),
                    hexColor(0xD8E0FF));
  }
  for (Color& c : image.pixels) c.a = 1.0f;
}

}  // namespace datagen
