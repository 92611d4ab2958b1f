#include "image_compare.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>

#include "png_writer.h"

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

bool writePng(const RgbaImage& image, const std::string& path) {
    PngPicture picture;
    picture.width = image.width;
    picture.height = image.height;
    picture.layout = PngLayout::Rgba;
    picture.pixels = image.pixels.data();
    std::string error;
    if (!writePngFile(path, picture, &error)) {
        std::fprintf(stderr, "writePng: %s\n", error.c_str());
        return false;
    }
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
