// Decoding the generated files the way an outside reader would: JPEG with
// libjpeg, PNG with libpng, TGA with a small reader of our own that checks
// every field and every run-length packet.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DecodedFile {
  int width = 0, height = 0;
  int channels = 0;             // as stored: 3 (RGB) or 4 (RGBA)
  std::vector<std::uint8_t> rgba;  // always 4 bytes per pixel, rows top to bottom
  std::string error;            // empty when the file decoded
};

DecodedFile decodeJpegFile(const std::string& path);
DecodedFile decodePngFile(const std::string& path);
DecodedFile decodeTgaBytes(const std::vector<std::uint8_t>& bytes);
DecodedFile decodeTgaFile(const std::string& path);

std::vector<std::uint8_t> readWholeFile(const std::string& path);
