// The whole show captured once, from the title card to its own end: how it
// ends, the running order of the scenes, and golden frames of every scene.
//
// One capture run serves every test here (the show takes a few minutes to
// replay), so this program is registered as one CTest test. With
// ZELVARO_UPDATE_GOLDENS=1 it writes the golden frames instead of checking
// them (see update_goldens.sh); ZELVARO_SHOW_FRAMES=DIR also keeps the
// full-size pictures there.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "show_capture.h"
#include "temp_folder.h"

namespace {

const std::string captureProgram = ZELVARO_CAPTURE_PROGRAM;
const std::string dataFolder = std::string(ZELVARO_BINARY_DIR) + "/data";
const std::string goldenFolder = std::string(ZELVARO_SOURCE_DIR) + "/tests/show/golden";
const std::string failureFolder = std::string(ZELVARO_BINARY_DIR) + "/show-failures";

// Frames per second of show time: slow enough to replay the whole show in a
// few minutes, fast enough that no frame is skipped (frames over 0.1 s are).
constexpr int fps = 12;
constexpr int downscaleFactor = 8;  // 1024 x 768 becomes 128 x 96
// Harmless differences (rasterisation between compilers) stay well inside these.
constexpr double maxMeanDelta = 2.0;
constexpr int farDelta = 40;
constexpr double maxFarShare = 0.01;

std::string frameName(long frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06ld.png", frame);
    return name;
}

bool updating() {
    const char* value = std::getenv("ZELVARO_UPDATE_GOLDENS");
    return value != nullptr && std::string(value) == "1";
}

struct WholeShowRun {
    std::string problem;  // why the run could not be made at all
    CaptureResult result;
    std::vector<TraceFrame> trace;
    std::vector<GoldenFrame> goldens;
    long handOverFrame = -1;
    std::unique_ptr<TempFolder> scratchFolder;
    std::string scratch;
    std::string pictures;

    void make() {
        std::string error;
        if (!readGoldenList(goldenFolder + "/frames.txt", &goldens, &error)) {
            problem = error;
            return;
        }
        scratchFolder = std::make_unique<TempFolder>("show");
        scratch = scratchFolder->path();
        pictures = scratch + "/frames";
        if (!std::filesystem::create_directory(pictures)) {
            problem = "cannot make a temporary folder";
            return;
        }
        // The title card runs on frame time: a short first run finds the
        // frame in which the music starts, and keeps the card's pictures.
        const std::string fpsText = std::to_string(fps);
        const CaptureResult opening = runCapture(
            captureProgram, {"--fps", fpsText, "--to", "0.01", "--trace", "--out", pictures}, dataFolder,
            scratch);
        std::vector<TraceFrame> openingTrace;
        if (opening.exitCode != 0 || !readTrace(scratch + "/capture.out", &openingTrace, &error)) {
            problem = "the opening run failed (exit code " + std::to_string(opening.exitCode) + "): " +
                      opening.errors + error;
            return;
        }
        for (const TraceFrame& frame : openingTrace) {
            if (frame.scene != 14) {
                handOverFrame = frame.frame;
                break;
            }
        }
        if (handOverFrame < 1) {
            problem = "the title card never handed over to the music";
            return;
        }
        // The whole show to its own end, with a picture at each golden
        // frame's music time only (--to lies past the end).
        std::ostringstream times;
        times.precision(10);
        for (const GoldenFrame& golden : goldens) {
            if (golden.onFrameClock) continue;
            if (!times.str().empty()) times << ',';
            times << golden.seconds;
        }
        result = runCapture(captureProgram,
                            {"--fps", fpsText, "--trace", "--to", "210", "--at", times.str(), "--out", pictures},
                            dataFolder, scratch);
        if (!readTrace(scratch + "/capture.out", &trace, &error)) problem = error;
    }
};

const WholeShowRun& wholeShow() {
    static WholeShowRun* run = nullptr;
    if (run == nullptr) {
        run = new WholeShowRun();
        run->make();
    }
    return *run;
}

#define REQUIRE_WHOLE_SHOW(run)                                                      \
    const WholeShowRun& run = wholeShow();                                           \
    ASSERT_TRUE(run.problem.empty()) << run.problem;                                 \
    ASSERT_FALSE(run.trace.empty()) << "no trace; standard error:\n" << run.result.errors

// The running order after the title card, with the music time each scene
// starts after (the Timeline's thresholds).
struct Slot {
    int scene;
    double after;
};
const Slot timeline[] = {{6, 0.0},     {5, 15.5},    {7, 32},      {10, 48},  {2, 64.5},  {3, 80},
                         {8, 96},      {9, 112.2},   {4, 120.2},   {9, 128.2}, {4, 136.2}, {11, 144},
                         {1, 160},     {12, 168},    {1, 176},     {12, 184}, {6, 192.3}, {13, 200}};

TEST(WholeShow, EndsByItselfAtTheEndOfTheMusic) {
    REQUIRE_WHOLE_SHOW(run);
    EXPECT_EQ(run.result.exitCode, 0) << run.result.errors;
    const TraceFrame& last = run.trace.back();
    EXPECT_EQ(last.scene, 13);
    EXPECT_GE(last.musicTime, 202.3);
    EXPECT_LE(last.musicTime, 202.9);
}

TEST(WholeShow, TitleCardRunsOnFrameTimeThenTheMusicStarts) {
    REQUIRE_WHOLE_SHOW(run);
    ASSERT_GT(run.trace.size(), size_t(run.handOverFrame));
    for (long i = 0; i < run.handOverFrame; ++i) {
        EXPECT_EQ(run.trace[size_t(i)].scene, 14) << "frame " << i;
        EXPECT_EQ(run.trace[size_t(i)].musicTime, 0.0) << "frame " << i;
    }
    // Fade in for a second, card for two, fade out for a second.
    const TraceFrame& handOver = run.trace[size_t(run.handOverFrame)];
    EXPECT_EQ(handOver.scene, 6);
    EXPECT_EQ(handOver.musicTime, 0.0);
    EXPECT_NEAR(handOver.frameTime, 4.0, 0.25);
    // From then on the music moves with the frames.
    const TraceFrame& next = run.trace[size_t(run.handOverFrame) + 1];
    EXPECT_NEAR(next.musicTime, 1.0 / fps, 1e-3);
}

TEST(WholeShow, ScenesFollowTheTimelineInOrder) {
    REQUIRE_WHOLE_SHOW(run);
    std::vector<int> order;
    std::vector<size_t> switches;  // index of each scene's first frame
    for (size_t i = 0; i < run.trace.size(); ++i) {
        if (order.empty() || run.trace[i].scene != order.back()) {
            order.push_back(run.trace[i].scene);
            switches.push_back(i);
        }
    }
    std::vector<int> expected = {14};
    for (const Slot& slot : timeline) expected.push_back(slot.scene);
    ASSERT_EQ(order, expected);
    // Each switch in the first frame whose music time is past the threshold.
    for (size_t k = 2; k < switches.size(); ++k) {
        const Slot& slot = timeline[k - 1];
        const TraceFrame& first = run.trace[switches[k]];
        const TraceFrame& before = run.trace[switches[k] - 1];
        EXPECT_GT(first.musicTime, slot.after) << "scene " << slot.scene;
        EXPECT_LE(before.musicTime, slot.after) << "scene " << slot.scene;
        EXPECT_LE(first.musicTime - slot.after, 1.0 / fps + 1e-4) << "scene " << slot.scene;
    }
}

class GoldenFrames : public ::testing::TestWithParam<int> {};

TEST_P(GoldenFrames, MatchTheGoldenPictures) {
    REQUIRE_WHOLE_SHOW(run);
    const int scene = GetParam();
    int checked = 0;
    for (const GoldenFrame& golden : run.goldens) {
        if (golden.scene != scene) continue;
        ++checked;
        const long number = goldenFrameNumber(golden, run.handOverFrame, fps);
        ASSERT_LT(size_t(number), run.trace.size()) << golden.file;
        const TraceFrame& frame = run.trace[size_t(number)];
        // The frame is the scene at the moment asked for.
        EXPECT_EQ(frame.scene, scene) << golden.file;
        if (golden.lastBeforeMusic) {
            EXPECT_EQ(number + 1, run.handOverFrame) << golden.file;
        } else if (golden.onFrameClock) {
            EXPECT_NEAR(frame.frameTime, golden.seconds, 0.5 / fps) << golden.file;
        } else {
            EXPECT_NEAR(frame.musicTime, golden.seconds, 0.5 / fps) << golden.file;
        }
        RgbaImage picture;
        ASSERT_TRUE(readPng(run.pictures + "/" + frameName(number), &picture)) << golden.file;
        const RgbaImage small = downscale(picture, downscaleFactor);
        if (updating()) {
            ASSERT_TRUE(writePng(small, goldenFolder + "/" + golden.file));
            if (const char* keep = std::getenv("ZELVARO_SHOW_FRAMES")) {
                std::filesystem::copy_file(run.pictures + "/" + frameName(number),
                                           std::string(keep) + "/" + golden.file,
                                           std::filesystem::copy_options::overwrite_existing);
            }
            continue;
        }
        RgbaImage expected;
        ASSERT_TRUE(readPng(goldenFolder + "/" + golden.file, &expected))
            << golden.file << " is missing: run tests/show/update_goldens.sh";
        const PictureDistance distance = pictureDistance(small, expected, farDelta);
        const bool close = !distance.sizeMismatch && distance.meanDelta <= maxMeanDelta &&
                           distance.farShare <= maxFarShare;
        EXPECT_TRUE(close) << golden.file << ": mean difference " << distance.meanDelta << " (at most "
                           << maxMeanDelta << "), " << distance.farShare * 100
                           << "% of pixels far off (at most " << maxFarShare * 100 << "%)";
        if (!close) {
            std::filesystem::create_directories(failureFolder);
            writePng(small, failureFolder + "/" + golden.file);
            std::fprintf(stderr, "the picture is in %s/%s\n", failureFolder.c_str(), golden.file.c_str());
        }
    }
    EXPECT_GE(checked, 2) << "scene " << scene << " has too few golden frames";
}

INSTANTIATE_TEST_SUITE_P(EveryScene, GoldenFrames, ::testing::Range(1, 15),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "Scene" + std::to_string(info.param);
                         });

}  // namespace
