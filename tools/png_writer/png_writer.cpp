#include "png_writer.h"

#include <png.h>

namespace {

int channelsOf(PngLayout layout) {
    switch (layout) {
        case PngLayout::Rgb:
        case PngLayout::Bgr: return 3;
        case PngLayout::Rgba:
        case PngLayout::Bgra: return 4;
        case PngLayout::Palette: return 1;
    }
    return 4;
}

png_uint_32 formatOf(PngLayout layout) {
    switch (layout) {
        case PngLayout::Rgb: return PNG_FORMAT_RGB;
        case PngLayout::Rgba: return PNG_FORMAT_RGBA;
        case PngLayout::Bgr: return PNG_FORMAT_BGR;
        case PngLayout::Bgra: return PNG_FORMAT_BGRA;
        case PngLayout::Palette: return PNG_FORMAT_RGBA_COLORMAP;
    }
    return PNG_FORMAT_RGBA;
}

// The simplified API's description of the picture; false when it cannot be one.
bool describe(const PngPicture& picture, png_image* image, int* rowStride, std::string* error) {
    if (picture.width <= 0 || picture.height <= 0 || picture.pixels == nullptr ||
        (picture.layout == PngLayout::Palette &&
         (picture.palette == nullptr || picture.paletteEntries < 1 || picture.paletteEntries > 256))) {
        *error = "no picture to write";
        return false;
    }
    *image = png_image{};
    image->version = PNG_IMAGE_VERSION;
    image->width = png_uint_32(picture.width);
    image->height = png_uint_32(picture.height);
    image->format = formatOf(picture.layout);
    image->flags = picture.fast ? PNG_IMAGE_FLAG_FAST : 0;
    if (picture.layout == PngLayout::Palette) image->colormap_entries = png_uint_32(picture.paletteEntries);
    // The stride counts components (bytes here), not pixels.
    *rowStride = picture.rowBytes != 0 ? picture.rowBytes : picture.width * channelsOf(picture.layout);
    return true;
}

}  // namespace

bool writePngFile(const std::string& path, const PngPicture& picture, std::string* error) {
    png_image image;
    int rowStride = 0;
    if (!describe(picture, &image, &rowStride, error)) {
        *error = "cannot write " + path + ": " + *error;
        return false;
    }
    if (!png_image_write_to_file(&image, path.c_str(), 0, picture.pixels, rowStride, picture.palette)) {
        *error = "cannot write " + path + ": " + image.message;
        return false;
    }
    return true;
}

bool encodePng(const PngPicture& picture, std::vector<unsigned char>* bytes, std::string* error) {
    png_image image;
    int rowStride = 0;
    if (!describe(picture, &image, &rowStride, error)) {
        *error = "PNG encoding: " + *error;
        return false;
    }
    // The first call measures, the second writes.
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, picture.pixels, rowStride, picture.palette)) {
        *error = std::string("PNG encoding: ") + image.message;
        return false;
    }
    bytes->resize(size);
    if (!png_image_write_to_memory(&image, bytes->data(), &size, 0, picture.pixels, rowStride, picture.palette)) {
        *error = std::string("PNG encoding: ") + image.message;
        return false;
    }
    bytes->resize(size);
    return true;
}
