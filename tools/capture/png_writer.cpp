#include "png_writer.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "partial_file.h"

namespace {

// The PNG into an open file; false when libpng fails.
bool encodePng(std::FILE* file, int width, int height, const unsigned char* bgra, int pitch) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<unsigned char> row(size_t(width) * 3);
    bool ok = png != nullptr && info != nullptr;
    if (ok && setjmp(png_jmpbuf(png)) != 0) {
        ok = false;
    } else if (ok) {
        png_init_io(png, file);
        // Fast filters and light compression: captures are many and large.
        png_set_compression_level(png, 3);
        png_set_filter(png, 0, PNG_FILTER_SUB);
        png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < height; ++y) {
            const unsigned char* source = bgra + size_t(y) * size_t(pitch);
            for (int x = 0; x < width; ++x) {
                row[size_t(x) * 3 + 0] = source[x * 4 + 2];
                row[size_t(x) * 3 + 1] = source[x * 4 + 1];
                row[size_t(x) * 3 + 2] = source[x * 4 + 0];
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
    }
    png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
    return ok;
}

}  // namespace

bool writePng(const std::string& path, int width, int height, const unsigned char* bgra,
              int pitch, std::string* error) {
    const std::string partial = partialName(path);
    std::FILE* file = std::fopen(partial.c_str(), "wb");
    if (file == nullptr) {
        *error = "cannot write " + partial + ": " + std::strerror(errno);
        return false;
    }
    bool ok = encodePng(file, width, height, bgra, pitch);
    if (std::fclose(file) != 0) ok = false;
    if (!ok) {
        *error = "cannot write " + partial;
        std::remove(partial.c_str());
        return false;
    }
    return completePartial(path, error);
}
