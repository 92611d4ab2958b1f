// The real show captured at other sizes: a larger picture shows the same
// show, supersampling smooths the edges and changes nothing else.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "show_capture.h"
#include "temp_folder.h"

namespace {

const std::string captureProgram = ZELVARO_CAPTURE_PROGRAM;
const std::string dataFolder = std::string(ZELVARO_BINARY_DIR) + "/data";

// Scene 6 a second into the music, and with its logo and spiked shape at 9 s.
const std::vector<std::string> stills = {"--fps", "12", "--at", "1,9"};

// The whole-show checks' tolerance, on pictures shrunk to 128 x 96.
constexpr double maxMeanDelta = 2.0;
constexpr int farDelta = 40;
constexpr double maxFarShare = 0.01;

class CaptureSizeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = new TempFolder("size");
        scratch = folder->path();
    }
    static void TearDownTestSuite() {
        delete folder;
        folder = nullptr;
        captures.clear();
    }

    // The two stills captured with `extra` options, once per suite: the
    // pictures at 1 s and at 9 s.
    static const std::vector<RgbaImage>& capture(const std::string& name,
                                                 const std::vector<std::string>& extra) {
        auto found = captures.find(name);
        if (found != captures.end()) return found->second;
        std::vector<RgbaImage>& pictures = captures[name];
        const std::string folder = scratch + "/" + name;
        std::vector<std::string> arguments = stills;
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        arguments.push_back("--out");
        arguments.push_back(folder);
        const CaptureResult result = runCapture(captureProgram, arguments, dataFolder, scratch);
        EXPECT_EQ(result.exitCode, 0) << result.errors;
        const std::vector<std::string> files = folderFiles(folder);
        EXPECT_EQ(files.size(), 2u) << name;
        for (const std::string& file : files) {
            RgbaImage picture;
            EXPECT_TRUE(readPng(file, &picture)) << file;
            pictures.push_back(picture);
        }
        return pictures;
    }

    static TempFolder* folder;
    static std::string scratch;
    static std::map<std::string, std::vector<RgbaImage>> captures;
};

TempFolder* CaptureSizeTest::folder = nullptr;
std::string CaptureSizeTest::scratch;
std::map<std::string, std::vector<RgbaImage>> CaptureSizeTest::captures;

::testing::AssertionResult closeAtGoldenScale(const RgbaImage& actual, const RgbaImage& expected) {
    const PictureDistance distance =
        pictureDistance(shrink(actual, 128, 96), shrink(expected, 128, 96), farDelta);
    if (!distance.sizeMismatch && distance.meanDelta <= maxMeanDelta && distance.farShare <= maxFarShare) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "mean difference " << distance.meanDelta << ", "
                                         << distance.farShare * 100 << "% of pixels far off";
}

// The largest difference of any channel between a pixel and its neighbours.
int contrastAt(const RgbaImage& image, int x, int y) {
    int largest = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx;
            const int ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= image.width || ny >= image.height) continue;
            for (int channel = 0; channel < 3; ++channel) {
                const int delta = std::abs(
                    int(image.pixels[(size_t(y) * size_t(image.width) + size_t(x)) * 4 + size_t(channel)]) -
                    int(image.pixels[(size_t(ny) * size_t(image.width) + size_t(nx)) * 4 + size_t(channel)]));
                if (delta > largest) largest = delta;
            }
        }
    }
    return largest;
}

TEST_F(CaptureSizeTest, ALargerPictureShowsTheSameShow) {
    const std::vector<RgbaImage>& plain = capture("plain", {});
    const std::vector<RgbaImage>& large = capture("large", {"--size", "1440x1080"});
    ASSERT_EQ(plain.size(), 2u);
    ASSERT_EQ(large.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(plain[i].width, 1024);
        EXPECT_EQ(large[i].width, 1440);
        EXPECT_EQ(large[i].height, 1080);
        EXPECT_TRUE(closeAtGoldenScale(large[i], plain[i])) << "still " << i;
    }
}

TEST_F(CaptureSizeTest, SupersamplingChangesEdgesAndNothingElse) {
    const std::vector<RgbaImage>& plain = capture("plain", {});
    const std::vector<RgbaImage>& smooth = capture("smooth", {"--supersample", "2"});
    ASSERT_EQ(plain.size(), 2u);
    ASSERT_EQ(smooth.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        ASSERT_EQ(smooth[i].width, 1024);
        ASSERT_EQ(smooth[i].height, 768);
        EXPECT_TRUE(closeAtGoldenScale(smooth[i], plain[i])) << "still " << i;
        // Pixels that change much lie where the plain picture has an edge.
        const RgbaImage& before = plain[i];
        const RgbaImage& after = smooth[i];
        long changed = 0;
        long changedOnEdges = 0;
        double total = 0;
        for (int y = 0; y < before.height; ++y) {
            for (int x = 0; x < before.width; ++x) {
                int largest = 0;
                for (size_t channel = 0; channel < 3; ++channel) {
                    const size_t at = (size_t(y) * size_t(before.width) + size_t(x)) * 4 + channel;
                    const int delta = std::abs(int(after.pixels[at]) - int(before.pixels[at]));
                    total += delta;
                    if (delta > largest) largest = delta;
                }
                if (largest <= farDelta) continue;
                ++changed;
                if (contrastAt(before, x, y) > farDelta) ++changedOnEdges;
            }
        }
        const double pixels = double(before.width) * before.height;
        std::printf("still %zu: mean difference %.3f, %.3f%% of pixels changed by more than %d, "
                    "%.1f%% of those on edges\n",
                    i, total / (pixels * 3), changed * 100.0 / pixels, farDelta,
                    changed > 0 ? changedOnEdges * 100.0 / changed : 0.0);
        EXPECT_GT(changed, long(pixels * 0.001)) << "still " << i << ": the edges are smoothed";
        EXPECT_GE(changedOnEdges, changed * 9 / 10) << "still " << i;
        EXPECT_LE(total / (pixels * 3), maxMeanDelta) << "still " << i;
    }
}

}  // namespace
