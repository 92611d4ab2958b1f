// Looks at a screenshot of a screen (or of a window's part of it) on which an
// emulated WIDTH x HEIGHT screen is shown, and says whether the picture fills
// the largest centred rectangle of that shape with black bars around it.
//
//   desktop_screen_check SHOT.png WIDTH HEIGHT card|show [X Y W H]
//
// card: the test card of desktop_test_card: every cell's middle shows its
//   colour (within 6 per channel), the off-screen magenta shows nowhere, and
//   where the rectangle is the emulated screen's own size, every pixel is the
//   card's exactly (1:1, no filtering).
// show: the show's own picture: the bands just inside each edge of the
//   rectangle are mostly not black (the picture reaches its edges).
// Both: every pixel of the bars is black (at most 2 per channel).
// X Y W H: the part of the shot to look at (a window); default the whole shot.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "image_compare.h"
#include "test_card.h"

namespace {

struct Area {
    int x, y, width, height;
};

int problems = 0;

void problem(const std::string& text) {
    if (problems < 20) std::printf("  %s\n", text.c_str());
    ++problems;
}

uint32_t pixelAt(const RgbaImage& image, const Area& part, int x, int y) {
    const uint8_t* p = &image.pixels[(size_t(part.y + y) * size_t(image.width) + size_t(part.x + x)) * 4];
    return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}

int channelDifference(uint32_t a, uint32_t b) {
    int worst = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        worst = std::max(worst, std::abs(int((a >> shift) & 0xff) - int((b >> shift) & 0xff)));
    }
    return worst;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5 && argc != 9) {
        std::fprintf(stderr, "usage: desktop_screen_check SHOT.png WIDTH HEIGHT card|show [X Y W H]\n");
        return 2;
    }
    RgbaImage shot;
    if (!readPng(argv[1], &shot)) {
        std::fprintf(stderr, "desktop_screen_check: cannot read %s\n", argv[1]);
        return 2;
    }
    const long long screenWidth = std::atoi(argv[2]);
    const long long screenHeight = std::atoi(argv[3]);
    const bool card = std::strcmp(argv[4], "card") == 0;
    Area part{0, 0, shot.width, shot.height};
    if (argc == 9) part = Area{std::atoi(argv[5]), std::atoi(argv[6]), std::atoi(argv[7]), std::atoi(argv[8])};
    if (screenWidth <= 0 || screenHeight <= 0 || part.x < 0 || part.y < 0 || part.width <= 0 ||
        part.height <= 0 || part.x + part.width > shot.width || part.y + part.height > shot.height) {
        std::fprintf(stderr, "desktop_screen_check: the sizes do not fit the shot\n");
        return 2;
    }

    // The largest centred rectangle of the screen's shape.
    long long width = part.width;
    long long height = part.height;
    if (part.width * screenHeight > part.height * screenWidth) {
        width = (part.height * screenWidth + screenHeight / 2) / screenHeight;
    } else {
        height = (part.width * screenHeight + screenWidth / 2) / screenWidth;
    }
    const Area picture{int((part.width - width) / 2), int((part.height - height) / 2), int(width), int(height)};
    std::printf("%s: %d x %d, emulated %lld x %lld: picture %d x %d at (%d, %d)\n", argv[1], part.width,
                part.height, screenWidth, screenHeight, picture.width, picture.height, picture.x, picture.y);

    // Bars: black, up to one pixel off the rectangle's edges.
    for (int y = 0; y < part.height; ++y) {
        for (int x = 0; x < part.width; ++x) {
            const bool inside = x >= picture.x - 1 && x <= picture.x + picture.width && y >= picture.y - 1 &&
                                y <= picture.y + picture.height;
            if (inside) continue;
            const uint32_t colour = pixelAt(shot, part, x, y);
            if (channelDifference(colour, 0) > 2) {
                problem("bar pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is not black");
            }
        }
    }

    if (card) {
        const bool oneToOne = picture.width == screenWidth && picture.height == screenHeight;
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) {
                const uint32_t colour = pixelAt(shot, part, picture.x + x, picture.y + y);
                if (channelDifference(colour, testCardOffScreen & 0xffffff) <= 40) {
                    problem("off-screen magenta at (" + std::to_string(x) + ", " + std::to_string(y) + ")");
                }
                if (!oneToOne) continue;
                int cellColumn = 0;
                while (cellColumn + 1 < testCardColumns &&
                       x >= testCardEdge(cellColumn + 1, testCardColumns, int(screenWidth))) {
                    ++cellColumn;
                }
                int cellRow = 0;
                while (cellRow + 1 < testCardRows && y >= testCardEdge(cellRow + 1, testCardRows, int(screenHeight))) {
                    ++cellRow;
                }
                if (colour != (testCardColour(cellColumn, cellRow) & 0xffffff)) {
                    problem("1:1 pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") differs");
                }
            }
        }
        // The middle half of every cell, scaled.
        for (int row = 0; row < testCardRows; ++row) {
            for (int column = 0; column < testCardColumns; ++column) {
                const double left = double(testCardEdge(column, testCardColumns, int(screenWidth))) / screenWidth;
                const double right = double(testCardEdge(column + 1, testCardColumns, int(screenWidth))) / screenWidth;
                const double top = double(testCardEdge(row, testCardRows, int(screenHeight))) / screenHeight;
                const double bottom = double(testCardEdge(row + 1, testCardRows, int(screenHeight))) / screenHeight;
                const int x0 = picture.x + int((left * 0.75 + right * 0.25) * picture.width);
                const int x1 = picture.x + int((left * 0.25 + right * 0.75) * picture.width);
                const int y0 = picture.y + int((top * 0.75 + bottom * 0.25) * picture.height);
                const int y1 = picture.y + int((top * 0.25 + bottom * 0.75) * picture.height);
                const uint32_t expected = testCardColour(column, row) & 0xffffff;
                for (int y = y0; y <= y1; ++y) {
                    for (int x = x0; x <= x1; ++x) {
                        if (channelDifference(pixelAt(shot, part, x, y), expected) > 6) {
                            problem("cell " + std::to_string(column) + ", " + std::to_string(row) +
                                    " is not its colour at (" + std::to_string(x) + ", " + std::to_string(y) + ")");
                            x = x1;
                            y = y1;
                        }
                    }
                }
            }
        }
    } else {
        // The bands 2 to 12 pixels inside each edge: mostly picture.
        const int band = std::min(12, std::min(picture.width, picture.height) / 4);
        const char* names[] = {"left", "right", "top", "bottom"};
        for (int edge = 0; edge < 4; ++edge) {
            long lit = 0;
            long all = 0;
            for (int y = 0; y < picture.height; ++y) {
                for (int x = 0; x < picture.width; ++x) {
                    const int distance = edge == 0 ? x : edge == 1 ? picture.width - 1 - x
                                                    : edge == 2 ? y
                                                                : picture.height - 1 - y;
                    if (distance < 2 || distance >= band) continue;
                    ++all;
                    if (channelDifference(pixelAt(shot, part, picture.x + x, picture.y + y), 0) > 8) ++lit;
                }
            }
            if (all == 0 || lit * 2 < all) {
                problem(std::string("the picture does not reach the ") + names[edge] + " edge (" +
                        std::to_string(lit) + " of " + std::to_string(all) + " pixels lit)");
            }
        }
    }
    if (problems > 0) {
        std::printf("%d problem(s)\n", problems);
        return 1;
    }
    std::printf("the picture fills its rectangle, the bars are black\n");
    return 0;
}
