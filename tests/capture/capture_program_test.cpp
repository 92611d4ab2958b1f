// zelvaro-capture as a user runs it, in a folder with a made-up soundtrack
// (and no images: the title card shows as a white card on black).
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "test_mp3.h"

namespace {

struct Picture {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<unsigned char> rgb;
    const unsigned char* at(unsigned x, unsigned y) const { return &rgb[(size_t(y) * width + x) * 3]; }
};

Picture readPng(const std::string& path) {
    Picture picture;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
    image.format = PNG_FORMAT_RGB;
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) {
        picture.width = image.width;
        picture.height = image.height;
    }
    return picture;
}

std::string readText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

struct TraceLine {
    long frame;
    double frameTime;
    double musicTime;
    int scene;
};

std::vector<TraceLine> parseTrace(const std::string& text) {
    std::vector<TraceLine> lines;
    std::istringstream in(text);
    TraceLine line{};
    while (in >> line.frame >> line.frameTime >> line.musicTime >> line.scene) lines.push_back(line);
    return lines;
}

// A folder holding msx/zelvaro.mp3 (17 s), where the capture program runs.
class CaptureProgramTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/zelvaro-capture-XXXXXX";
        folder = mkdtemp(pattern);
        std::system(("mkdir -p '" + folder + "/msx'").c_str());
        writeBytes(folder + "/msx/zelvaro.mp3", makeToneMp3(17.0));
    }
    static void TearDownTestSuite() { std::system(("rm -rf '" + folder + "'").c_str()); }

    // Runs the capture with `arguments` in the folder; returns its exit code.
    int capture(const std::string& arguments, const std::string& stdoutFile = "/dev/null") {
        const std::string command = "cd '" + folder + "' && '" ZELVARO_CAPTURE_PROGRAM "' " +
                                    arguments + " > '" + stdoutFile + "' 2> '" + folder + "/stderr.txt'";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string errors() { return readText(folder + "/stderr.txt"); }

    static std::string folder;
};

std::string CaptureProgramTest::folder;

TEST_F(CaptureProgramTest, TraceShowsTheTitleCardThenTheTimelineSwitchingOnTime) {
    const std::string traceFile = folder + "/trace.txt";
    ASSERT_EQ(capture("--fps 20 --to 16 --trace", traceFile), 0) << errors();
    const std::vector<TraceLine> lines = parseTrace(readText(traceFile));
    ASSERT_GT(lines.size(), 300u);
    EXPECT_EQ(lines.front().scene, 14) << "the show opens with the title card";
    size_t handOver = 0;
    size_t switchTo5 = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].frame, long(i));
        EXPECT_NEAR(lines[i].frameTime, i / 20.0, 1e-6) << "every frame lasts exactly 1/20 s";
        if (handOver == 0 && lines[i].scene != 14) handOver = i;
        if (switchTo5 == 0 && lines[i].scene == 5) switchTo5 = i;
    }
    ASSERT_GT(handOver, 0u);
    EXPECT_EQ(lines[handOver].scene, 6);
    EXPECT_NEAR(lines[handOver].frameTime, 4.0, 0.3) << "the card fades in and out in about 4 s";
    for (size_t i = 0; i <= handOver; ++i) ASSERT_EQ(lines[i].musicTime, 0.0);
    // Once playing, the music moves on by exactly one frame per frame.
    for (size_t i = handOver + 1; i < lines.size(); ++i) {
        ASSERT_NEAR(lines[i].musicTime, (i - handOver) / 20.0, 1e-4) << "frame " << i;
    }
    // The Timeline's first switch, 15.5 s, within one frame.
    ASSERT_GT(switchTo5, handOver);
    EXPECT_GT(lines[switchTo5].musicTime, 15.5);
    EXPECT_LE(lines[switchTo5].musicTime, 15.5 + 1 / 20.0 + 1e-4);
    EXPECT_EQ(lines[switchTo5 - 1].scene, 6);
    EXPECT_NEAR(lines.back().musicTime, 16.0, 1e-4) << "it ends at --to";
}

TEST_F(CaptureProgramTest, TheSameOptionsWriteTheSamePictures) {
    ASSERT_EQ(capture("--fps 25 --frames 60 --out first"), 0) << errors();
    ASSERT_EQ(capture("--fps 25 --frames 60 --out second"), 0) << errors();
    int compared = 0;
    for (int frame = 0; frame < 60; ++frame) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame_%06d.png", frame);
        const std::string first = readText(folder + "/first" + name);
        ASSERT_FALSE(first.empty()) << name;
        ASSERT_EQ(first, readText(folder + "/second" + name)) << name;
        ++compared;
    }
    EXPECT_EQ(compared, 60);
    EXPECT_TRUE(readText(folder + "/first/frame_000060.png").empty()) << "--frames 60 stops there";
}

TEST_F(CaptureProgramTest, ThePicturesFollowTheTitleCardsFade) {
    ASSERT_EQ(capture("--fps 20 --frames 41 --out fade"), 0) << errors();
    const Picture start = readPng(folder + "/fade/frame_000000.png");
    const Picture shown = readPng(folder + "/fade/frame_000040.png");
    ASSERT_EQ(start.width, 1024u);
    ASSERT_EQ(start.height, 768u);
    ASSERT_EQ(shown.width, 1024u);
    // Black at the start; two seconds in the card fills the middle, the edges stay black.
    EXPECT_LE(start.at(512, 384)[0], 8);
    EXPECT_GE(shown.at(512, 384)[0], 200);
    EXPECT_GE(shown.at(512, 384)[1], 200);
    EXPECT_LE(shown.at(20, 20)[1], 8);
    EXPECT_LE(shown.at(1000, 740)[2], 8);
}

TEST_F(CaptureProgramTest, OneFrameAtAMusicTimeInTheSmallBuild) {
    const std::string traceFile = folder + "/at.txt";
    ASSERT_EQ(capture("--size 640 --fps 20 --at 5.5 --out at --trace", traceFile), 0) << errors();
    const std::vector<TraceLine> lines = parseTrace(readText(traceFile));
    ASSERT_FALSE(lines.empty());
    EXPECT_NEAR(lines.back().musicTime, 5.5, 1e-4);
    char name[32];
    std::snprintf(name, sizeof name, "/at/frame_%06ld.png", lines.back().frame);
    const Picture picture = readPng(folder + name);
    EXPECT_EQ(picture.width, 640u);
    EXPECT_EQ(picture.height, 480u);
}

TEST_F(CaptureProgramTest, AVideoCarriesPicturesAndMusicOfTheRange) {
    ASSERT_EQ(capture("--fps 20 --from 2 --to 3 --out clip.mp4"), 0) << errors();
    const std::string probe = folder + "/probe.txt";
    const std::string command = "ffprobe -v error -show_entries stream=codec_type,width,height,nb_frames"
                                " -of compact '" + folder + "/clip.mp4' > '" + probe + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string streams = readText(probe);
    EXPECT_NE(streams.find("codec_type=video|width=1024|height=768|nb_frames=21"), std::string::npos)
        << streams;
    EXPECT_NE(streams.find("codec_type=audio"), std::string::npos) << streams;
    EXPECT_TRUE(readText(folder + "/clip.mp4.video.mp4").empty()) << "no leftovers";
}

TEST_F(CaptureProgramTest, ProfileCountsTheTitleCardsFramesAndMeasuresTheLayer) {
    const std::string profileFile = folder + "/profile.txt";
    ASSERT_EQ(capture("--fps 20 --frames 30 --profile", profileFile), 0) << errors();
    const std::string text = readText(profileFile);
    EXPECT_NE(text.find("# layer: "), std::string::npos) << text;
    EXPECT_NE(text.find("# launch to first frame "), std::string::npos) << text;
    std::istringstream lines(text);
    std::string line;
    std::vector<std::vector<double>> rows;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::vector<double> row;
        double value = 0;
        while (fields >> value) row.push_back(value);
        rows.push_back(row);
    }
    ASSERT_EQ(rows.size(), 1u) << "only the title card plays in 30 frames:\n" << text;
    const std::vector<double>& card = rows[0];
    ASSERT_EQ(card.size(), 27u) << text;
    EXPECT_EQ(card[0], 14) << "scene";
    EXPECT_EQ(card[1], 30) << "frames";
    EXPECT_GT(card[2], 0) << "mean ms";
    EXPECT_GE(card[12], 1) << "draws per frame";
    // The card shades at least the whole 1024 x 768 picture once per frame.
    EXPECT_GT(card[21], 0.7) << "millions of fragments per frame";
    EXPECT_GT(card[23], 0) << "the layer's ms";
    EXPECT_GT(card[24], 0) << "the frame in layers";
}

TEST_F(CaptureProgramTest, MistakesEndWithAMessage) {
    EXPECT_EQ(capture("--fps 5 --trace"), 2);
    EXPECT_NE(errors().find("zelvaro-capture: --fps takes"), std::string::npos) << errors();
    EXPECT_EQ(capture("--fps 20 --at 30 --out late"), 1) << "the music is 17 s long";
    EXPECT_NE(errors().find("the music ended at"), std::string::npos) << errors();
}

TEST_F(CaptureProgramTest, WithoutMusicNoMusicTimeIsWaitedFor) {
    char pattern[] = "/tmp/zelvaro-capture-silent-XXXXXX";
    const std::string silent = mkdtemp(pattern);
    const std::string command = "cd '" + silent + "' && '" ZELVARO_CAPTURE_PROGRAM
                                "' --fps 20 --to 5 --trace > /dev/null 2> errors.txt";
    const int status = std::system(command.c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1);
    EXPECT_NE(readText(silent + "/errors.txt").find("no music"), std::string::npos);
    std::system(("rm -rf '" + silent + "'").c_str());
}

}  // namespace
