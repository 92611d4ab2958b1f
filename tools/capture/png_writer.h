// One captured picture as an 8-bit RGB PNG file.
#ifndef ZELVARO_TOOLS_CAPTURE_PNG_WRITER_H
#define ZELVARO_TOOLS_CAPTURE_PNG_WRITER_H

#include <string>

// `bgra` holds `height` rows of `width` pixels in memory order B, G, R, A
// (D3DFMT_A8R8G8B8), `pitch` bytes apart. Alpha is dropped. The bytes of
// the file depend on the pixels only. The file appears under `path` only
// when complete (partial_file.h).
bool writePng(const std::string& path, int width, int height, const unsigned char* bgra,
              int pitch, std::string* error);

#endif  // ZELVARO_TOOLS_CAPTURE_PNG_WRITER_H
