#include "picture_shaping.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

// The largest back buffer and surface the device makes, a side.
constexpr int maxDrawnSide = 8192;

// sRGB levels to linear light in 16 bits and back: the averages of a box
// filter are taken on light, not on the levels, so that a thin bright line
// keeps its brightness when it is blended with its dark surroundings.
struct LightTables {
    uint16_t toLight[256];
    uint8_t toLevel[65536];

    LightTables() {
        for (int level = 0; level < 256; ++level) {
            const double value = level / 255.0;
            const double light =
                value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
            toLight[level] = uint16_t(std::lround(light * 65535.0));
        }
        // Each light value to the level whose light is nearest; a level's own
        // light comes back to it exactly, so plain areas keep their colour.
        int level = 0;
        for (int light = 0; light < 65536; ++light) {
            while (level < 255 && 2 * light > toLight[level] + toLight[level + 1]) ++level;
            toLevel[light] = uint8_t(level);
        }
    }
};

const LightTables& lightTables() {
    static const LightTables tables;
    return tables;
}

}  // namespace

bool layoutPicture(const CaptureOptions& options, int ownWidth, int ownHeight,
                   PictureLayout* layout, std::string* error) {
    PictureLayout result;
    result.factor = options.supersample;
    if (options.width > 0) {
        result.pictureWidth = options.width;
        result.pictureHeight = options.height;
    } else if (options.frameWidth > 0) {
        // The largest 4:3 picture inside the frame.
        const int unit = std::min(options.frameWidth / 4, options.frameHeight / 3);
        result.pictureWidth = 4 * unit;
        result.pictureHeight = 3 * unit;
    } else {
        result.pictureWidth = ownWidth;
        result.pictureHeight = ownHeight;
    }
    result.frameWidth = options.frameWidth > 0 ? options.frameWidth : result.pictureWidth;
    result.frameHeight = options.frameHeight > 0 ? options.frameHeight : result.pictureHeight;
    if (result.frameWidth < result.pictureWidth || result.frameHeight < result.pictureHeight) {
        *error = "the frame is smaller than the picture";
        return false;
    }
    result.left = (result.frameWidth - result.pictureWidth) / 2;
    result.top = (result.frameHeight - result.pictureHeight) / 2;
    // The window the program makes for a display of its size: two pixels
    // less, plus the frame and caption metrics.
    const int frameWidth = 2 * GetSystemMetrics(SM_CXFRAME);
    const int frameHeight = GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME);
    int windowWidth = result.pictureWidth - 2 + frameWidth;
    int windowHeight = result.pictureHeight - 2 + frameHeight;
    const bool buildSize = (result.pictureWidth == 1024 && result.pictureHeight == 768) ||
                           (result.pictureWidth == 640 && result.pictureHeight == 480);
    if (!buildSize) {
        // Any other size shows what the 1024 x 768 build shows: its window
        // scaled to the picture, to the nearest whole pixel.
        windowWidth = int(std::lround(result.pictureWidth * double(1024 - 2 + frameWidth) / 1024));
        windowHeight = int(std::lround(result.pictureHeight * double(768 - 2 + frameHeight) / 768));
    }
    result.windowWidth = result.factor * windowWidth;
    result.windowHeight = result.factor * windowHeight;
    if (result.windowWidth > maxDrawnSide || result.windowHeight > maxDrawnSide) {
        *error = "the show cannot be drawn in a window of " + std::to_string(result.windowWidth) +
                 "x" + std::to_string(result.windowHeight) + " (at most " +
                 std::to_string(maxDrawnSide) + " a side): choose a smaller --size or --supersample";
        return false;
    }
    if (outputIsVideo(options) && !outputIsLossless(options) &&
        (result.frameWidth % 2 != 0 || result.frameHeight % 2 != 0)) {
        *error = "a .mp4 file needs an even width and height, not " +
                 std::to_string(result.frameWidth) + "x" + std::to_string(result.frameHeight);
        return false;
    }
    *layout = result;
    return true;
}

void shapePicture(const PictureLayout& layout, const unsigned char* drawn, int pitch,
                  std::vector<unsigned char>* picture) {
    const size_t framePitch = size_t(layout.frameWidth) * 4;
    const size_t bytes = framePitch * size_t(layout.frameHeight);
    if (picture->size() != bytes) {
        // Opaque black once: only the picture's own part is written afterwards.
        picture->assign(bytes, 0);
        for (size_t at = 3; at < bytes; at += 4) (*picture)[at] = 0xFF;
    }
    unsigned char* target = picture->data() + size_t(layout.top) * framePitch + size_t(layout.left) * 4;
    const int factor = layout.factor;
    if (factor == 1) {
        for (int y = 0; y < layout.pictureHeight; ++y) {
            std::memcpy(target + size_t(y) * framePitch, drawn + size_t(y) * size_t(pitch),
                        size_t(layout.pictureWidth) * 4);
        }
        return;
    }
    const LightTables& tables = lightTables();
    const uint32_t area = uint32_t(factor * factor);
    for (int y = 0; y < layout.pictureHeight; ++y) {
        unsigned char* out = target + size_t(y) * framePitch;
        for (int x = 0; x < layout.pictureWidth; ++x) {
            uint32_t sum[4] = {0, 0, 0, 0};
            for (int dy = 0; dy < factor; ++dy) {
                const unsigned char* in =
                    drawn + size_t(y * factor + dy) * size_t(pitch) + size_t(x * factor) * 4;
                for (int dx = 0; dx < factor; ++dx, in += 4) {
                    sum[0] += tables.toLight[in[0]];
                    sum[1] += tables.toLight[in[1]];
                    sum[2] += tables.toLight[in[2]];
                    sum[3] += in[3];
                }
            }
            out[x * 4 + 0] = tables.toLevel[(sum[0] + area / 2) / area];
            out[x * 4 + 1] = tables.toLevel[(sum[1] + area / 2) / area];
            out[x * 4 + 2] = tables.toLevel[(sum[2] + area / 2) / area];
            out[x * 4 + 3] = uint8_t((sum[3] + area / 2) / area);
        }
    }
}
