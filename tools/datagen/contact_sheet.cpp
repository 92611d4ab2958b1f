#include "contact_sheet.h"

#include <algorithm>
#include <cmath>

#include "image_files.h"
#include "text_render.h"

namespace datagen {

namespace {

constexpr int kCellWidth = 280, kPictureHeight = 200, kLabelHeight = 36, kGap = 12;

}  // namespace

Image composeContactSheet(const std::vector<SheetEntry>& entries, int columns) {
  int rows = (static_cast<int>(entries.size()) + columns - 1) / columns;
  int cellH = kPictureHeight + kLabelHeight;
  Image sheet(columns * (kCellWidth + kGap) + kGap, std::max(1, rows) * (cellH + kGap) + kGap, hexColor(0x202028));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const SheetEntry& e = entries[i];
    int col = static_cast<int>(i) % columns, row = static_cast<int>(i) / columns;
    int x0 = kGap + col * (kCellWidth + kGap), y0 = kGap + row * (cellH + kGap);
    // fit the plane's shape into the cell; very wide strips get at least a few rows
    float aspect = std::min(e.file->aspect, 24.0f);
    int w = kCellWidth, h = static_cast<int>(std::lround(static_cast<float>(kCellWidth) / aspect));
    if (h > kPictureHeight) {
      h = kPictureHeight;
      w = static_cast<int>(std::lround(static_cast<float>(kPictureHeight) * aspect));
    }
    int px = x0 + (kCellWidth - w) / 2, py = y0 + (kPictureHeight - h) / 2;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        bool dark = ((x / 8) + (y / 8)) % 2 == 0;
        sheet.at(px + x, py + y) = dark ? hexColor(0x505058) : hexColor(0x8A8A94);
      }
    }
    drawImage(sheet, resizeImage(e.image, w, h), px, py);
    std::string label = std::string(e.file->name) + "  " + std::to_string(e.file->width) + "\u00D7" +
                        std::to_string(e.file->height);
    TextMask text = fitText(Font::sans, label, kCellWidth, 18, 0, 14);
    if (text.error.empty()) drawMaskCentred(sheet, text.mask, x0, y0 + kPictureHeight + 2, kCellWidth, 18, hexColor(0xE8E8F0));
    TextMask role = fitText(Font::sans, e.file->role, kCellWidth, 16, 0, 12);
    if (role.error.empty()) drawMaskCentred(sheet, role.mask, x0, y0 + kPictureHeight + 19, kCellWidth, 16, hexColor(0xA0A0B0));
  }
  return sheet;
}

std::string writeContactSheets(const std::string& directory, const std::vector<SheetEntry>& entries) {
  std::vector<SheetEntry> photographs, maps, sprites;
  for (const SheetEntry& e : entries) {
    bool photo = e.file->width == 1024 && e.file->height == 1024 && e.file->format == FileFormat::jpeg &&
                 e.file->aspect != 1.0f;
    if (photo) {
      photographs.push_back(e);
    } else if (e.file->format == FileFormat::jpeg) {
      maps.push_back(e);
    } else {
      sprites.push_back(e);
    }
  }
  const std::pair<const char*, const std::vector<SheetEntry>*> sheets[3] = {
      {"photographs.jpg", &photographs}, {"maps.jpg", &maps}, {"sprites.jpg", &sprites}};
  for (const auto& [name, list] : sheets) {
    if (list->empty()) continue;
    std::string error = writeJpeg(directory + "/" + name, composeContactSheet(*list, 4), 82);
    if (!error.empty()) return error;
  }
  return {};
}

}  // namespace datagen
