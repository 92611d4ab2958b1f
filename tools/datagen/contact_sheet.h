// Contact sheets: the pictures side by side at the shape they are shown in,
// transparent ones over a checkerboard, each labelled with its file name.
#pragma once

#include <string>
#include <vector>

#include "catalogue.h"
#include "image.h"

namespace datagen {

struct SheetEntry {
  const DataFile* file;
  Image image;
};

Image composeContactSheet(const std::vector<SheetEntry>& entries, int columns);

// Writes photographs.jpg, maps.jpg and sprites.jpg into directory; empty string on success.
std::string writeContactSheets(const std::string& directory, const std::vector<SheetEntry>& entries);

}  // namespace datagen
