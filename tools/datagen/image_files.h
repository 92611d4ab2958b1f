// Writing pictures as the files the program loads: JPEG through libjpeg,
// PNG through libpng, and 32-bit run-length encoded TGA by our own code.
// Each returns an empty string on success, otherwise what went wrong.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image.h"

namespace datagen {

std::string writeJpeg(const std::string& path, const Image& image, int quality);
// withAlpha false writes an RGB file (the alpha channel is dropped).
std::string writePng(const std::string& path, const Image& image, bool withAlpha);
std::string writeTga(const std::string& path, const Image& image);

// The TGA bytes: 18-byte header, image type 10 (run-length true colour),
// 32 bits per pixel with 8 alpha bits, rows stored bottom to top.
std::vector<std::uint8_t> encodeTga(const Image& image);

}  // namespace datagen
