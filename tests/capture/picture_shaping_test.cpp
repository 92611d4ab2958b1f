// The capture's picture sizes, its supersampling filter and its frame.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "picture_shaping.h"

namespace {

CaptureOptions withSize(int width, int height) {
    CaptureOptions options;
    options.width = width;
    options.height = height;
    return options;
}

PictureLayout layoutOf(const CaptureOptions& options, int ownWidth = 1024, int ownHeight = 768) {
    PictureLayout layout;
    std::string error;
    EXPECT_TRUE(layoutPicture(options, ownWidth, ownHeight, &layout, &error)) << error;
    return layout;
}

// B, G, R, A pixels of one grey level.
std::vector<unsigned char> plain(int width, int height, unsigned char level) {
    std::vector<unsigned char> pixels(size_t(width) * size_t(height) * 4, level);
    for (size_t at = 3; at < pixels.size(); at += 4) pixels[at] = 0xFF;
    return pixels;
}

TEST(PictureLayoutTest, WithoutOptionsThePictureIsTheProgramsOwn) {
    const PictureLayout own = layoutOf(CaptureOptions(), 640, 480);
    EXPECT_EQ(own.pictureWidth, 640);
    EXPECT_EQ(own.pictureHeight, 480);
    EXPECT_EQ(own.frameWidth, 640);
    EXPECT_EQ(own.frameHeight, 480);
    EXPECT_TRUE(own.unchanged());
}

TEST(PictureLayoutTest, TheWindowReachesPastTheScreenAsTheBuildsWindowDoes) {
    // 1022 x 766 plus the frame (2 x 4) and caption (19 + 2 x 4) metrics.
    const PictureLayout large = layoutOf(withSize(1024, 768));
    EXPECT_EQ(large.windowWidth, 1030);
    EXPECT_EQ(large.windowHeight, 793);
    const PictureLayout small = layoutOf(withSize(640, 480));
    EXPECT_EQ(small.windowWidth, 646);
    EXPECT_EQ(small.windowHeight, 505);
    // Other sizes: the 1024 x 768 window scaled, 1440 x 1080 x (1030 / 1024, 793 / 768).
    const PictureLayout hd = layoutOf(withSize(1440, 1080));
    EXPECT_EQ(hd.windowWidth, 1448);
    EXPECT_EQ(hd.windowHeight, 1115);
    EXPECT_EQ(hd.drawnWidth(), 1440);
    EXPECT_TRUE(hd.unchanged());
}

TEST(PictureLayoutTest, SupersamplingMakesTheWholeWindowLarger) {
    CaptureOptions options = withSize(1024, 768);
    options.supersample = 3;
    const PictureLayout layout = layoutOf(options);
    EXPECT_EQ(layout.drawnWidth(), 3072);
    EXPECT_EQ(layout.drawnHeight(), 2304);
    EXPECT_EQ(layout.windowWidth, 3 * 1030);
    EXPECT_EQ(layout.windowHeight, 3 * 793);
    EXPECT_EQ(layout.frameWidth, 1024) << "the file keeps the asked size";
    EXPECT_FALSE(layout.unchanged());
}

TEST(PictureLayoutTest, AFrameCentresTheLargestFourByThreePicture) {
    CaptureOptions options;
    options.frameWidth = 1920;
    options.frameHeight = 1080;
    const PictureLayout hd = layoutOf(options);
    EXPECT_EQ(hd.pictureWidth, 1440);
    EXPECT_EQ(hd.pictureHeight, 1080);
    EXPECT_EQ(hd.left, 240);
    EXPECT_EQ(hd.top, 0);

    options.frameWidth = 3840;
    options.frameHeight = 2160;
    const PictureLayout uhd = layoutOf(options);
    EXPECT_EQ(uhd.pictureWidth, 2880);
    EXPECT_EQ(uhd.left, 480);

    CaptureOptions sized = withSize(640, 480);
    sized.frameWidth = 1000;
    sized.frameHeight = 601;
    const PictureLayout odd = layoutOf(sized);
    EXPECT_EQ(odd.left, 180);
    EXPECT_EQ(odd.top, 60) << "an odd extra row goes below";
}

TEST(PictureLayoutTest, SizesTheDeviceOrTheEncoderCannotTakeAreRefused) {
    PictureLayout layout;
    std::string error;
    CaptureOptions huge = withSize(4096, 3072);
    huge.supersample = 2;
    EXPECT_FALSE(layoutPicture(huge, 1024, 768, &layout, &error));
    EXPECT_NE(error.find("cannot be drawn"), std::string::npos) << error;

    CaptureOptions odd = withSize(641, 480);
    odd.out = "show.mp4";
    EXPECT_FALSE(layoutPicture(odd, 1024, 768, &layout, &error));
    EXPECT_NE(error.find("even width and height"), std::string::npos) << error;
    odd.out = "show.mkv";
    EXPECT_TRUE(layoutPicture(odd, 1024, 768, &layout, &error)) << "FFV1 takes any size";
}

TEST(ShapePictureTest, PlainAreasKeepTheirColourExactly) {
    CaptureOptions options = withSize(8, 6);
    options.supersample = 4;
    const PictureLayout layout = layoutOf(options);
    for (int level = 0; level < 256; ++level) {
        const std::vector<unsigned char> drawn = plain(32, 24, (unsigned char)level);
        std::vector<unsigned char> picture;
        shapePicture(layout, drawn.data(), 32 * 4, &picture);
        ASSERT_EQ(picture.size(), size_t(8 * 6 * 4));
        ASSERT_EQ(picture, plain(8, 6, (unsigned char)level)) << "level " << level;
    }
}

TEST(ShapePictureTest, EachBlockIsAveragedInLinearLight) {
    CaptureOptions options = withSize(2, 1);
    options.supersample = 2;
    const PictureLayout layout = layoutOf(options);
    // Left block: half black, half white; right block: all white but one
    // black pixel. Drawn 4 x 2, pitch with 8 spare bytes a row.
    const int pitch = 4 * 4 + 8;
    std::vector<unsigned char> drawn(size_t(pitch) * 2, 0x55);
    const unsigned char levels[2][4] = {{0, 255, 255, 255}, {255, 0, 0, 255}};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) {
            for (int c = 0; c < 3; ++c) drawn[size_t(y * pitch + x * 4 + c)] = levels[y][x];
            drawn[size_t(y * pitch + x * 4 + 3)] = 0xFF;
        }
    }
    std::vector<unsigned char> picture;
    shapePicture(layout, drawn.data(), pitch, &picture);
    // Half the light is level 188, three quarters 225 (not 128 and 191).
    EXPECT_EQ(picture[0], 188);
    EXPECT_EQ(picture[2], 188);
    EXPECT_EQ(picture[4], 225);
    EXPECT_EQ(picture[7], 0xFF);
}

TEST(ShapePictureTest, TheFrameAroundThePictureIsOpaqueBlack) {
    CaptureOptions options = withSize(4, 2);
    options.frameWidth = 8;
    options.frameHeight = 6;
    const PictureLayout layout = layoutOf(options);
    const std::vector<unsigned char> drawn = plain(4, 2, 200);
    std::vector<unsigned char> picture;
    shapePicture(layout, drawn.data(), 4 * 4, &picture);
    ASSERT_EQ(picture.size(), size_t(8 * 6 * 4));
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 2 && x < 6 && y >= 2 && y < 4;
            const unsigned char* pixel = &picture[size_t(y * 8 + x) * 4];
            EXPECT_EQ(pixel[0], inside ? 200 : 0) << x << "," << y;
            EXPECT_EQ(pixel[3], 0xFF) << x << "," << y;
        }
    }
}

}  // namespace
