#include "image_compare.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

uint32_t RgbaImage::argb(int x, int y) const {
    const uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 4];
    return static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
}

void RgbaImage::setArgb(int x, int y, uint32_t color) {
    uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 4];
    p[0] = static_cast<uint8_t>(color >> 16);
    p[1] = static_cast<uint8_t>(color >> 8);
    p[2] = static_cast<uint8_t>(color);
    p[3] = static_cast<uint8_t>(color >> 24);
}

namespace {

int channelDelta(uint32_t a, uint32_t b, int shift) {
    return std::abs(static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff));
}

}  // namespace

bool colorsNear(uint32_t actual, uint32_t expected, int tolerance, bool compareAlpha) {
    for (int shift = 0; shift <= (compareAlpha ? 24 : 16); shift += 8) {
        if (channelDelta(actual, expected, shift) > tolerance) return false;
    }
    return true;
}

::testing::AssertionResult pixelNear(const RgbaImage& image, int x, int y, uint32_t expected, int tolerance,
                                     bool compareAlpha) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) {
        return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") outside the " << image.width
                                             << " x " << image.height << " image";
    }
    const uint32_t actual = image.argb(x, y);
    char text[160];
    std::snprintf(text, sizeof(text), "pixel (%d, %d) is 0x%08X, expected 0x%08X (tolerance %d%s)", x, y, actual,
                  expected, tolerance, compareAlpha ? "" : ", alpha ignored");
    if (colorsNear(actual, expected, tolerance, compareAlpha)) return ::testing::AssertionSuccess() << text;
    return ::testing::AssertionFailure() << text;
}

ImageDifference compareImages(const RgbaImage& actual, const RgbaImage& expected, int tolerance) {
    ImageDifference difference;
    if (actual.width != expected.width || actual.height != expected.height) {
        difference.sizeMismatch = true;
        return difference;
    }
    for (int y = 0; y < actual.height; ++y) {
        for (int x = 0; x < actual.width; ++x) {
            const uint32_t a = actual.argb(x, y);
            const uint32_t b = expected.argb(x, y);
            int worst = 0;
            for (int shift = 0; shift <= 24; shift += 8) worst = std::max(worst, channelDelta(a, b, shift));
            difference.maxChannelDelta = std::max(difference.maxChannelDelta, worst);
            if (worst > tolerance) {
                if (difference.differingPixels == 0) {
                    difference.firstX = x;
                    difference.firstY = y;
                }
                ++difference.differingPixels;
            }
        }
    }
    return difference;
}

namespace {

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

}  // namespace

bool writePng(const RgbaImage& image, const std::string& path) {
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        std::fprintf(stderr, "writePng: cannot create %s\n", path.c_str());
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
        std::fprintf(stderr, "writePng: cannot write %s\n", path.c_str());
        return false;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y) {
        png_write_row(png, &image.pixels[static_cast<size_t>(y) * image.width * 4]);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool readPng(const std::string& path, RgbaImage* image) {
    png_image reader{};
    reader.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&reader, path.c_str())) {
        std::fprintf(stderr, "readPng: cannot read %s: %s\n", path.c_str(), reader.message);
        return false;
    }
    reader.format = PNG_FORMAT_RGBA;
    image->width = static_cast<int>(reader.width);
    image->height = static_cast<int>(reader.height);
    image->pixels.assign(PNG_IMAGE_SIZE(reader), 0);
    if (!png_image_finish_read(&reader, nullptr, image->pixels.data(), 0, nullptr)) {
        std::fprintf(stderr, "readPng: cannot decode %s: %s\n", path.c_str(), reader.message);
        png_image_free(&reader);
        return false;
    }
    return true;
}
