#include "image.h"

#include <algorithm>
#include <cmath>

#include "det_math.h"

namespace datagen {

Color hexColor(std::uint32_t rrggbb, float alpha) {
  return Color{static_cast<float>((rrggbb >> 16) & 0xFF) / 255.0f,
               static_cast<float>((rrggbb >> 8) & 0xFF) / 255.0f,
               static_cast<float>(rrggbb & 0xFF) / 255.0f, alpha};
}

Color mixColor(const Color& a, const Color& b, float t) {
  return Color{mixf(a.r, b.r, t), mixf(a.g, b.g, t), mixf(a.b, b.b, t), mixf(a.a, b.a, t)};
}

Color scaleColor(const Color& c, float s) { return Color{c.r * s, c.g * s, c.b * s, c.a}; }

Color addColor(const Color& a, const Color& b) { return Color{a.r + b.r, a.g + b.g, a.b + b.b, a.a}; }

Image::Image(int w, int h, Color fill)
    : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}

void Image::blendOver(int x, int y, const Color& c, float cover) {
  if (x < 0 || y < 0 || x >= width || y >= height) return;
  float sa = clamp01(c.a * cover);
  if (sa <= 0.0f) return;
  Color& d = at(x, y);
  float outA = sa + d.a * (1.0f - sa);
  if (outA <= 0.0f) return;
  float keep = d.a * (1.0f - sa);
  d.r = (c.r * sa + d.r * keep) / outA;
  d.g = (c.g * sa + d.g * keep) / outA;
  d.b = (c.b * sa + d.b * keep) / outA;
  d.a = outA;
}

void Image::blendAdd(int x, int y, const Color& c, float cover) {
  if (x < 0 || y < 0 || x >= width || y >= height) return;
  float s = c.a * cover;
  Color& d = at(x, y);
  d.r += c.r * s;
  d.g += c.g * s;
  d.b += c.b * s;
  d.a = std::max(d.a, clamp01(s));
}

Color Image::sample(float x, float y, bool wrap) const {
  float fx = x - 0.5f, fy = y - 0.5f;
  float x0f = std::floor(fx), y0f = std::floor(fy);
  float tx = fx - x0f, ty = fy - y0f;
  int x0 = static_cast<int>(x0f), y0 = static_cast<int>(y0f);
  auto fix = [wrap](int v, int n) {
    if (wrap) {
      int m = v % n;
      return m < 0 ? m + n : m;
    }
    return std::clamp(v, 0, n - 1);
  };
  const Color& a = at(fix(x0, width), fix(y0, height));
  const Color& b = at(fix(x0 + 1, width), fix(y0, height));
  const Color& c = at(fix(x0, width), fix(y0 + 1, height));
  const Color& d = at(fix(x0 + 1, width), fix(y0 + 1, height));
  return mixColor(mixColor(a, b, tx), mixColor(c, d, tx), ty);
}

std::vector<std::uint8_t> Image::toRgba8() const {
  std::vector<std::uint8_t> out(pixels.size() * 4);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const Color& c = pixels[i];
    out[i * 4 + 0] = static_cast<std::uint8_t>(clamp01(c.r) * 255.0f + 0.5f);
    out[i * 4 + 1] = static_cast<std::uint8_t>(clamp01(c.g) * 255.0f + 0.5f);
    out[i * 4 + 2] = static_cast<std::uint8_t>(clamp01(c.b) * 255.0f + 0.5f);
    out[i * 4 + 3] = static_cast<std::uint8_t>(clamp01(c.a) * 255.0f + 0.5f);
  }
  return out;
}

namespace {

// Calls paint(x, y, coverage) for the pixels within the box around a shape
// whose signed distance (negative inside) is given by dist(px, py).
template <typename Dist>
void paintByDistance(Image& image, float x0, float y0, float x1, float y1, const Color& c,
                     Dist dist) {
  int ix0 = std::max(0, static_cast<int>(std::floor(x0)) - 1);
  int iy0 = std::max(0, static_cast<int>(std::floor(y0)) - 1);
  int ix1 = std::min(image.width - 1, static_cast<int>(std::ceil(x1)) + 1);
  int iy1 = std::min(image.height - 1, static_cast<int>(std::ceil(y1)) + 1);
  for (int y = iy0; y <= iy1; ++y) {
    for (int x = ix0; x <= ix1; ++x) {
      float d = dist(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
      float cover = clamp01(0.5f - d);
      if (cover > 0.0f) image.blendOver(x, y, c, cover);
    }
  }
}

float segmentDistance(float px, float py, float x0, float y0, float x1, float y1) {
  float dx = x1 - x0, dy = y1 - y0;
  float len2 = dx * dx + dy * dy;
  float t = len2 > 0.0f ? clamp01(((px - x0) * dx + (py - y0) * dy) / len2) : 0.0f;
  float ex = px - (x0 + t * dx), ey = py - (y0 + t * dy);
  return std::sqrt(ex * ex + ey * ey);
}

}  // namespace

void fillCircle(Image& image, float cx, float cy, float radius, const Color& c) {
  paintByDistance(image, cx - radius, cy - radius, cx + radius, cy + radius, c,
                  [=](float px, float py) {
                    float dx = px - cx, dy = py - cy;
                    return std::sqrt(dx * dx + dy * dy) - radius;
                  });
}

void fillCapsule(Image& image, float x0, float y0, float x1, float y1, float radius, const Color& c) {
  paintByDistance(image, std::min(x0, x1) - radius, std::min(y0, y1) - radius,
                  std::max(x0, x1) + radius, std::max(y0, y1) + radius, c,
                  [=](float px, float py) { return segmentDistance(px, py, x0, y0, x1, y1) - radius; });
}

void fillRect(Image& image, float x0, float y0, float x1, float y1, const Color& c) {
  float cx = (x0 + x1) * 0.5f, cy = (y0 + y1) * 0.5f;
  float hx = std::fabs(x1 - x0) * 0.5f, hy = std::fabs(y1 - y0) * 0.5f;
  paintByDistance(image, cx - hx, cy - hy, cx + hx, cy + hy, c, [=](float px, float py) {
    return std::max(std::fabs(px - cx) - hx, std::fabs(py - cy) - hy);
  });
}

void fillTriangle(Image& image, float ax, float ay, float bx, float by, float cx, float cy,
                  const Color& c) {
  float area = (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
  if (area < 0.0f) {
    std::swap(bx, cx);
    std::swap(by, cy);
  }
  auto edge = [](float px, float py, float x0, float y0, float x1, float y1) {
    float dx = x1 - x0, dy = y1 - y0;
    float len = std::sqrt(dx * dx + dy * dy);
    if (len <= 0.0f) return 0.0f;
    return ((px - x0) * dy - (py - y0) * dx) / len;  // positive outside for a counter-clockwise order
  };
  paintByDistance(image, std::min({ax, bx, cx}), std::min({ay, by, cy}), std::max({ax, bx, cx}),
                  std::max({ay, by, cy}), c, [=](float px, float py) {
                    return std::max({edge(px, py, ax, ay, bx, by), edge(px, py, bx, by, cx, cy),
                                     edge(px, py, cx, cy, ax, ay)});
                  });
}

namespace {

void boxBlurLine(Color* line, int count, int stride, int radius, bool wrap, std::vector<Color>& scratch) {
  scratch.resize(static_cast<std::size_t>(count));
  float norm = 1.0f / static_cast<float>(2 * radius + 1);
  auto fetch = [&](int i) -> const Color& {
    if (wrap) {
      int m = i % count;
      if (m < 0) m += count;
      return line[static_cast<std::ptrdiff_t>(m) * stride];
    }
    return line[static_cast<std::ptrdiff_t>(std::clamp(i, 0, count - 1)) * stride];
  };
  Color sum{0, 0, 0, 0};
  for (int i = -radius; i <= radius; ++i) {
    const Color& c = fetch(i);
    sum.r += c.r; sum.g += c.g; sum.b += c.b; sum.a += c.a;
  }
  for (int i = 0; i < count; ++i) {
    scratch[static_cast<std::size_t>(i)] = Color{sum.r * norm, sum.g * norm, sum.b * norm, sum.a * norm};
    const Color& add = fetch(i + radius + 1);
    const Color& sub = fetch(i - radius);
    sum.r += add.r - sub.r; sum.g += add.g - sub.g; sum.b += add.b - sub.b; sum.a += add.a - sub.a;
  }
  for (int i = 0; i < count; ++i) line[static_cast<std::ptrdiff_t>(i) * stride] = scratch[static_cast<std::size_t>(i)];
}

}  // namespace

void blurImage(Image& image, int radius, bool wrap) {
  if (radius <= 0 || image.width == 0 || image.height == 0) return;
  int r = std::max(1, radius / 2);
  std::vector<Color> scratch;
  for (int pass = 0; pass < 3; ++pass) {
    for (int y = 0; y < image.height; ++y) boxBlurLine(&image.at(0, y), image.width, 1, r, wrap, scratch);
    for (int x = 0; x < image.width; ++x) boxBlurLine(&image.at(x, 0), image.height, image.width, r, wrap, scratch);
  }
}

Image resizeImage(const Image& source, int width, int height) {
  Image out(width, height);
  float sx = static_cast<float>(source.width) / static_cast<float>(width);
  float sy = static_cast<float>(source.height) / static_cast<float>(height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (sx <= 1.0f && sy <= 1.0f) {
        out.at(x, y) = source.sample((static_cast<float>(x) + 0.5f) * sx, (static_cast<float>(y) + 0.5f) * sy, false);
        continue;
      }
      // average the source pixels whose centres fall in the footprint
      int x0 = static_cast<int>(static_cast<float>(x) * sx), x1 = std::max(x0 + 1, static_cast<int>(static_cast<float>(x + 1) * sx));
      int y0 = static_cast<int>(static_cast<float>(y) * sy), y1 = std::max(y0 + 1, static_cast<int>(static_cast<float>(y + 1) * sy));
      x1 = std::min(x1, source.width);
      y1 = std::min(y1, source.height);
      Color sum{0, 0, 0, 0};
      float weight = 0.0f;
      for (int yy = y0; yy < y1; ++yy) {
        for (int xx = x0; xx < x1; ++xx) {
          const Color& c = source.at(xx, yy);
          sum.r += c.r * c.a; sum.g += c.g * c.a; sum.b += c.b * c.a; sum.a += c.a;
          weight += 1.0f;
        }
      }
      if (sum.a > 0.0f) out.at(x, y) = Color{sum.r / sum.a, sum.g / sum.a, sum.b / sum.a, sum.a / weight};
    }
  }
  return out;
}

void drawImage(Image& target, const Image& source, int x, int y) {
  for (int sy = 0; sy < source.height; ++sy) {
    for (int sx = 0; sx < source.width; ++sx) target.blendOver(x + sx, y + sy, source.at(sx, sy));
  }
}

}  // namespace datagen
