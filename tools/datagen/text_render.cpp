#include "text_render.h"

#include <algorithm>
#include <climits>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace datagen {

const char* const kFontDirectory = "/usr/share/fonts/truetype/dejavu/";

std::string fontPath(Font font) {
  const char* file = "DejaVuSans.ttf";
  switch (font) {
    case Font::sans: file = "DejaVuSans.ttf"; break;
    case Font::sansBold: file = "DejaVuSans-Bold.ttf"; break;
    case Font::sansBoldOblique: file = "DejaVuSans-BoldOblique.ttf"; break;
    case Font::condensedBold: file = "DejaVuSansCondensed-Bold.ttf"; break;
    case Font::serifBold: file = "DejaVuSerif-Bold.ttf"; break;
    case Font::serifItalic: file = "DejaVuSerif-Italic.ttf"; break;
    case Font::monoBold: file = "DejaVuSansMono-Bold.ttf"; break;
  }
  return std::string(kFontDirectory) + file;
}

namespace {

// FreeType library and face for one rendering; FreeType objects are not
// shared between threads, so every call opens its own.
struct FontSession {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  ~FontSession() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }
};

// Decodes UTF-8 into code points; invalid bytes become '?'.
std::vector<unsigned> decodeUtf8(const std::string& text) {
  std::vector<unsigned> out;
  for (std::size_t i = 0; i < text.size();) {
    auto c = static_cast<unsigned char>(text[i]);
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size() + (extra == 0 ? 1 : 0)) {
      out.push_back('?');
      ++i;
      continue;
    }
    unsigned cp = extra == 0 ? c : (c & (0x3Fu >> extra));
    for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
    out.push_back(cp);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

}  // namespace

TextMask renderText(Font font, const std::string& text, int pixelSize, int margin) {
  TextMask result;
  FontSession session;
  std::string path = fontPath(font);
  if (FT_Init_FreeType(&session.library) != 0) {
    result.error = "FreeType could not start";
    return result;
  }
  if (FT_New_Face(session.library, path.c_str(), 0, &session.face) != 0) {
    result.error = "cannot open font " + path + " (Debian package fonts-dejavu-core)";
    return result;
  }
  FT_Set_Pixel_Sizes(session.face, 0, static_cast<FT_UInt>(pixelSize));

  struct Placed {
    std::vector<unsigned char> coverage;
    int width, rows, pitch, left, top;  // top: rows above the baseline
    int penX;
  };
  std::vector<Placed> glyphs;
  int pen = 0;
  int minX = INT_MAX, maxX = INT_MIN, minY = INT_MAX, maxY = INT_MIN;  // y down, baseline at 0
  FT_UInt previous = 0;
  bool kerning = FT_HAS_KERNING(session.face);
  for (unsigned cp : decodeUtf8(text)) {
    FT_UInt index = FT_Get_Char_Index(session.face, cp);
    if (kerning && previous && index) {
      FT_Vector delta;
      FT_Get_Kerning(session.face, previous, index, FT_KERNING_DEFAULT, &delta);
      pen += static_cast<int>(delta.x >> 6);
    }
    previous = index;
    if (FT_Load_Glyph(session.face, index, FT_LOAD_RENDER) != 0) continue;
    FT_GlyphSlot slot = session.face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    Placed g;
    g.width = static_cast<int>(bitmap.width);
    g.rows = static_cast<int>(bitmap.rows);
    g.pitch = bitmap.pitch;
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.penX = pen;
    if (g.width > 0 && g.rows > 0 && g.pitch > 0) {
      g.coverage.assign(bitmap.buffer, bitmap.buffer + static_cast<std::size_t>(g.pitch) * g.rows);
      minX = std::min(minX, pen + g.left);
      maxX = std::max(maxX, pen + g.left + g.width);
      minY = std::min(minY, -g.top);
      maxY = std::max(maxY, -g.top + g.rows);
      glyphs.push_back(std::move(g));
    }
    pen += static_cast<int>(slot->advance.x >> 6);
  }
  if (glyphs.empty()) {
    result.mask = Image(2 * margin + 1, 2 * margin + 1);
    result.baseline = margin;
    return result;
  }
  result.mask = Image(maxX - minX + 2 * margin, maxY - minY + 2 * margin, Color{1, 1, 1, 0});
  result.baseline = margin - minY;
  for (const Placed& g : glyphs) {
    int ox = margin + g.penX + g.left - minX;
    int oy = margin - g.top - minY;
    for (int y = 0; y < g.rows; ++y) {
      for (int x = 0; x < g.width; ++x) {
        float cover = static_cast<float>(g.coverage[static_cast<std::size_t>(y) * g.pitch + x]) / 255.0f;
        Color& d = result.mask.at(ox + x, oy + y);
        d.a = std::min(1.0f, d.a + cover);  // overlapping glyphs add up
      }
    }
  }
  return result;
}

TextMask fitText(Font font, const std::string& text, int maxWidth, int maxHeight, int margin,
                 int maxPixelSize) {
  int size = maxPixelSize;
  TextMask mask = renderText(font, text, size, margin);
  while (mask.error.empty() && size > 6 && (mask.mask.width > maxWidth || mask.mask.height > maxHeight)) {
    // shrink in proportion, then by one step at a time near the fit
    float fx = static_cast<float>(maxWidth) / static_cast<float>(mask.mask.width);
    float fy = static_cast<float>(maxHeight) / static_cast<float>(mask.mask.height);
    int next = static_cast<int>(static_cast<float>(size) * std::min(fx, fy));
    size = std::max(6, std::min(size - 1, next));
    mask = renderText(font, text, size, margin);
  }
  return mask;
}

void drawMask(Image& target, const Image& mask, int x, int y, const Color& c) {
  for (int my = 0; my < mask.height; ++my) {
    for (int mx = 0; mx < mask.width; ++mx) {
      float cover = mask.at(mx, my).a;
      if (cover > 0.0f) target.blendOver(x + mx, y + my, c, cover);
    }
  }
}

void drawMaskCentred(Image& target, const Image& mask, int x, int y, int w, int h, const Color& c) {
  drawMask(target, mask, x + (w - mask.width) / 2, y + (h - mask.height) / 2, c);
}

}  // namespace datagen
