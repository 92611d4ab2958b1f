// A picture being painted: float RGBA with straight (not premultiplied)
// alpha, row 0 at the top, as the texture files store it. Painting helpers
// work in pixel coordinates and anti-alias by distance.
#pragma once

#include <cstdint>
#include <vector>

namespace datagen {

struct Color {
  float r, g, b, a;
};

inline Color rgb(float r, float g, float b) { return Color{r, g, b, 1.0f}; }
inline Color rgba(float r, float g, float b, float a) { return Color{r, g, b, a}; }
// 0xRRGGBB
Color hexColor(std::uint32_t rrggbb, float alpha = 1.0f);
Color mixColor(const Color& a, const Color& b, float t);
Color scaleColor(const Color& c, float s);  // rgb scaled, alpha kept
Color addColor(const Color& a, const Color& b);  // rgb added, alpha of a

struct Image {
  int width = 0;
  int height = 0;
  std::vector<Color> pixels;

  Image() = default;
  Image(int w, int h, Color fill = Color{0.0f, 0.0f, 0.0f, 0.0f});

  Color& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
  const Color& at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }

  // Source-over compositing of c with coverage `cover` (0..1) onto pixel (x, y).
  void blendOver(int x, int y, const Color& c, float cover = 1.0f);
  // Adds c's rgb times cover times c.a; alpha becomes max of both.
  void blendAdd(int x, int y, const Color& c, float cover = 1.0f);

  // Bilinear sample at pixel coordinates (pixel centres at +0.5), clamped or wrapped.
  Color sample(float x, float y, bool wrap) const;

  // 8-bit RGBA, rounded, rows top to bottom.
  std::vector<std::uint8_t> toRgba8() const;
};

// Anti-aliased shapes composited over the image (source-over).
void fillCircle(Image& image, float cx, float cy, float radius, const Color& c);
void fillCapsule(Image& image, float x0, float y0, float x1, float y1, float radius, const Color& c);
void fillRect(Image& image, float x0, float y0, float x1, float y1, const Color& c);
// Triangle with vertices in any order.
void fillTriangle(Image& image, float ax, float ay, float bx, float by, float cx, float cy,
                  const Color& c);

// Separable box blur repeated three times (close to a Gaussian of the given
// radius); wrap treats the image as a tile.
void blurImage(Image& image, int radius, bool wrap);

// Area-averaged downscale or bilinear upscale to a new size.
Image resizeImage(const Image& source, int width, int height);

// Copies `source` onto `target` at (x, y) with source-over blending.
void drawImage(Image& target, const Image& source, int x, int y);

}  // namespace datagen
