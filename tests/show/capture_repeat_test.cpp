// Short captures of the real show: the same options give the same files,
// and the 640 x 480 build shows the same picture at its own size.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "show_capture.h"
#include "temp_folder.h"

namespace {

const std::string captureProgram = ZELVARO_CAPTURE_PROGRAM;
const std::string smallCaptureProgram = ZELVARO_CAPTURE_640_PROGRAM;
const std::string dataFolder = std::string(ZELVARO_BINARY_DIR) + "/data";

// Scene 6 a second into the music: the background, the spiked shape, the logo.
const std::vector<std::string> oneFrame = {"--fps", "12", "--at", "1.0"};

class ShowCaptureRepeat : public ::testing::Test {
protected:
    TempFolder scratchFolder{"repeat"};
    const std::string scratch = scratchFolder.path();

    // One frame captured into a folder of its own; the path of its PNG file.
    std::string captureOne(const std::string& program, const std::string& name,
                           std::vector<std::string> extra = {}) {
        const std::string folder = scratch + "/" + name;
        std::vector<std::string> arguments = oneFrame;
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        arguments.push_back("--out");
        arguments.push_back(folder);
        const CaptureResult result = runCapture(program, arguments, dataFolder, scratch);
        EXPECT_EQ(result.exitCode, 0) << result.errors;
        const std::vector<std::string> files = folderFiles(folder);
        EXPECT_EQ(files.size(), 1u) << name;
        return files.empty() ? std::string() : files.front();
    }
};

std::vector<char> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The mean brightness of the picture's red, green and blue.
double meanLevel(const RgbaImage& image) {
    double total = 0;
    for (size_t i = 0; i < image.pixels.size(); i += 4) {
        total += image.pixels[i] + image.pixels[i + 1] + image.pixels[i + 2];
    }
    return total / double(image.pixels.size() / 4 * 3);
}

TEST_F(ShowCaptureRepeat, SameOptionsGiveIdenticalFiles) {
    const std::string first = captureOne(captureProgram, "first");
    const std::string second = captureOne(captureProgram, "second");
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    EXPECT_EQ(std::filesystem::path(first).filename(), std::filesystem::path(second).filename());
    const std::vector<char> firstBytes = fileBytes(first);
    EXPECT_FALSE(firstBytes.empty());
    EXPECT_TRUE(firstBytes == fileBytes(second)) << first << " and " << second << " differ";
}

TEST_F(ShowCaptureRepeat, SmallBuildShowsTheSamePictureAt640x480) {
    const std::string large = captureOne(captureProgram, "large");
    const std::string small = captureOne(smallCaptureProgram, "small");
    // --size 640 names the 640 x 480 build's picture: the same bytes.
    const std::string handedOver = captureOne(captureProgram, "handed-over", {"--size", "640"});
    RgbaImage largePicture, smallPicture, handedOverPicture;
    ASSERT_TRUE(readPng(large, &largePicture));
    ASSERT_TRUE(readPng(small, &smallPicture));
    ASSERT_TRUE(readPng(handedOver, &handedOverPicture));
    EXPECT_EQ(largePicture.width, 1024);
    EXPECT_EQ(largePicture.height, 768);
    EXPECT_EQ(smallPicture.width, 640);
    EXPECT_EQ(smallPicture.height, 480);
    EXPECT_TRUE(fileBytes(small) == fileBytes(handedOver));
    // Not a black screen, and at 128 x 96 the two sizes show the same scene.
    EXPECT_GT(meanLevel(smallPicture), 10.0);
    const PictureDistance distance =
        pictureDistance(downscale(smallPicture, 5), downscale(largePicture, 8), 96);
    EXPECT_FALSE(distance.sizeMismatch);
    EXPECT_LT(distance.meanDelta, 16.0);
    EXPECT_LT(distance.farShare, 0.15);
}

}  // namespace
