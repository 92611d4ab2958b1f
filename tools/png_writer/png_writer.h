// PNG files through libpng's simplified API: the one PNG writer of the tools
// (capture, data generator, texture info) and of the tests.
#ifndef ZELVARO_TOOLS_PNG_WRITER_PNG_WRITER_H
#define ZELVARO_TOOLS_PNG_WRITER_PNG_WRITER_H

#include <string>
#include <vector>

// How the pixels lie in memory, one byte per channel; the file has the same
// channels (Bgr and Bgra are stored as RGB and RGBA). Palette pixels are one
// index each into `palette`.
enum class PngLayout { Rgb, Rgba, Bgr, Bgra, Palette };

struct PngPicture {
    int width = 0;
    int height = 0;
    PngLayout layout = PngLayout::Rgba;
    const unsigned char* pixels = nullptr;
    int rowBytes = 0;  // distance between rows; 0 for rows packed one after the other
    // Palette only: `paletteEntries` entries of R, G, B, A. Entries whose alpha
    // is not 255 make the file's transparency chunk.
    const unsigned char* palette = nullptr;
    int paletteEntries = 0;
    bool fast = false;  // speed before size (the capture writes thousands)
};

// Both give false and a message naming the file (or "PNG encoding") on failure.
bool writePngFile(const std::string& path, const PngPicture& picture, std::string* error);
bool encodePng(const PngPicture& picture, std::vector<unsigned char>* bytes, std::string* error);

#endif  // ZELVARO_TOOLS_PNG_WRITER_PNG_WRITER_H
