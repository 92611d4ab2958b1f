// zelvaro-capture as a user runs it, in a folder with a made-up soundtrack
// (and no images: the title card shows as a white card on black).
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <png.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "temp_folder.h"
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

// Names of the files in `dir` that contain `part`.
std::vector<std::string> filesIn(const std::string& dir, const std::string& part) {
    std::vector<std::string> names;
    if (DIR* listing = opendir(dir.c_str())) {
        while (const dirent* entry = readdir(listing)) {
            const std::string name = entry->d_name;
            if (name.find(part) != std::string::npos) names.push_back(name);
        }
        closedir(listing);
    }
    return names;
}

struct TraceLine {
    long frame;
    double frameTime;
    double musicTime;
    int scene;
};

// The names of the files in a folder, in order.
std::vector<std::string> fileNames(const std::string& path) {
    std::vector<std::string> names;
    if (DIR* folder = opendir(path.c_str())) {
        while (const dirent* entry = readdir(folder)) {
            if (entry->d_name[0] != '.') names.push_back(entry->d_name);
        }
        closedir(folder);
    }
    std::sort(names.begin(), names.end());
    return names;
}

int countFiles(const std::string& path) { return int(fileNames(path).size()); }

// The one file in a folder (empty when there is not exactly one).
std::string onlyFile(const std::string& path) {
    const std::vector<std::string> names = fileNames(path);
    return names.size() == 1 ? names.front() : std::string();
}

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
        scratch = new TempFolder("capture");
        folder = scratch->path();
        std::filesystem::create_directory(folder + "/msx");
        writeBytes(folder + "/msx/zelvaro.mp3", makeToneMp3(17.0));
    }
    static void TearDownTestSuite() {
        delete scratch;
        scratch = nullptr;
    }

    // Runs the capture with `arguments` in the folder; returns its exit code.
    int capture(const std::string& arguments, const std::string& stdoutFile = "/dev/null") {
        const std::string command = "cd '" + folder + "' && '" ZELVARO_CAPTURE_PROGRAM "' " +
                                    arguments + " > '" + stdoutFile + "' 2> '" + folder + "/stderr.txt'";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string errors() { return readText(folder + "/stderr.txt"); }

    static TempFolder* scratch;
    static std::string folder;
};

TempFolder* CaptureProgramTest::scratch = nullptr;
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

TEST_F(CaptureProgramTest, OneFrameAtAMusicTimeInTheSmallBuildsSize) {
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

TEST_F(CaptureProgramTest, SeveralTimesWriteOneFileEachAsSeparateRunsWould) {
    const std::string traceFile = folder + "/stills.txt";
    ASSERT_EQ(capture("--size 320x240 --fps 20 --at 6.5,2 --at 4.25 --out stills --trace", traceFile), 0)
        << errors();
    const std::vector<TraceLine> lines = parseTrace(readText(traceFile));
    ASSERT_FALSE(lines.empty());
    EXPECT_NEAR(lines.back().musicTime, 6.5, 1e-4) << "the run ends at the last time";
    EXPECT_NE(errors().find("music time 6.500 s: stills/frame_"), std::string::npos) << errors();
    int files = 0;
    for (const char* at : {"2", "4.25", "6.5"}) {
        const std::string single = std::string("single") + at;
        ASSERT_EQ(capture("--size 320x240 --fps 20 --at " + std::string(at) + " --out " + single), 0)
            << errors();
        const std::string listed = readText(folder + "/" + single + "/" + onlyFile(folder + "/" + single));
        ASSERT_FALSE(listed.empty()) << at;
        // The same frame number, the same bytes.
        EXPECT_EQ(readText(folder + "/stills/" + onlyFile(folder + "/" + single)), listed) << at;
        ++files;
    }
    EXPECT_EQ(countFiles(folder + "/stills"), files);
}

TEST_F(CaptureProgramTest, AFrameLeavesBlackBarsAroundTheSamePicture) {
    ASSERT_EQ(capture("--size 320x240 --fps 20 --frames 41 --out plain"), 0) << errors();
    ASSERT_EQ(capture("--size 320x240 --frame 400x252 --fps 20 --frames 41 --out framed"), 0) << errors();
    const Picture plain = readPng(folder + "/plain/frame_000040.png");
    const Picture framed = readPng(folder + "/framed/frame_000040.png");
    ASSERT_EQ(plain.width, 320u);
    ASSERT_EQ(framed.width, 400u);
    ASSERT_EQ(framed.height, 252u);
    ASSERT_GE(plain.at(160, 120)[0], 200) << "the card is up";
    // 40 columns each side, 6 rows above and below, all black; the picture between.
    for (unsigned y = 0; y < framed.height; ++y) {
        for (unsigned x = 0; x < framed.width; ++x) {
            const bool inside = x >= 40 && x < 360 && y >= 6 && y < 246;
            for (unsigned c = 0; c < 3; ++c) {
                const int expected = inside ? plain.at(x - 40, y - 6)[c] : 0;
                ASSERT_EQ(framed.at(x, y)[c], expected) << x << "," << y;
            }
        }
    }
}

TEST_F(CaptureProgramTest, TheLosslessVideoHoldsThePNGPicturesAndTheirMusic) {
    ASSERT_EQ(capture("--size 320x240 --fps 25 --from 1 --to 2.5 --out exact.mkv"), 0) << errors();
    ASSERT_EQ(capture("--size 320x240 --fps 25 --from 1 --to 2.5 --out exact"), 0) << errors();
    // Every decoded picture, in RGB, against the PNG files in order.
    const std::string decoded = folder + "/decoded";
    std::system(("mkdir -p '" + decoded + "'").c_str());
    ASSERT_EQ(std::system(("ffmpeg -v error -i '" + folder + "/exact.mkv' -map 0:v -pix_fmt rgb24 '" +
                           decoded + "/%04d.png'").c_str()),
              0);
    const std::vector<std::string> pictures = fileNames(folder + "/exact");
    ASSERT_EQ(pictures.size(), 38u) << "1 s to 2.5 s at 25 fps";
    ASSERT_EQ(countFiles(decoded), int(pictures.size()));
    for (size_t i = 0; i < pictures.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/%04d.png", int(i) + 1);
        const Picture fromVideo = readPng(decoded + name);
        const Picture fromFile = readPng(folder + "/exact/" + pictures[i]);
        ASSERT_EQ(fromVideo.width, 320u) << name;
        ASSERT_TRUE(fromVideo.rgb == fromFile.rgb) << pictures[i] << " differs from picture " << i + 1;
    }
    // The music: exactly the pictures' own stretch, sample for sample.
    const std::string pcm = folder + "/exact.pcm";
    ASSERT_EQ(std::system(("ffmpeg -v error -i '" + folder + "/exact.mkv' -map 0:a -f s16le '" + pcm +
                           "'").c_str()),
              0);
    const double seconds = double(readText(pcm).size()) / (44100.0 * 4);
    EXPECT_NEAR(seconds, pictures.size() / 25.0, 1.0 / 44100) << "no sample more or less";
}

TEST_F(CaptureProgramTest, TheVideosMusicLastsAsLongAsItsPictures) {
    ASSERT_EQ(capture("--size 320x240 --fps 30 --from 1 --to 4 --crf 30 --out long.mp4"), 0) << errors();
    const std::string probe = folder + "/long.txt";
    const std::string command = "ffprobe -v error -show_entries stream=codec_type,duration,nb_frames"
                                " -of compact=p=0:nk=1 '" + folder + "/long.mp4' > '" + probe + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::istringstream streams(readText(probe));
    std::string line;
    double video = -1;
    double audio = -1;
    while (std::getline(streams, line)) {
        const size_t bar = line.find('|');
        if (line.compare(0, bar, "video") == 0) video = std::atof(line.c_str() + bar + 1);
        if (line.compare(0, bar, "audio") == 0) audio = std::atof(line.c_str() + bar + 1);
    }
    ASSERT_GT(video, 2.9) << readText(probe);
    EXPECT_NEAR(audio, video, 1.0 / 30) << readText(probe);
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
    EXPECT_EQ(filesIn(folder, ".partial"), std::vector<std::string>{}) << "no leftovers";
}

// A capture killed the moment a picture file appears under its own name
// leaves only whole pictures: each is written under another name first.
TEST_F(CaptureProgramTest, AKilledCaptureLeavesNoTruncatedPicture) {
    const std::string out = folder + "/killed";
    ASSERT_EQ(std::system(("rm -rf '" + out + "' && mkdir '" + out + "'").c_str()), 0);
    const int watch = inotify_init();
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, out.c_str(), IN_CREATE | IN_MOVED_TO), 0);
    const pid_t child = fork();
    if (child == 0) {
        if (chdir(folder.c_str()) != 0) _exit(126);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        execl(ZELVARO_CAPTURE_PROGRAM, ZELVARO_CAPTURE_PROGRAM, "--fps", "20", "--to", "5", "--out", "killed",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(child, 0);
    bool seen = false;
    bool ended = false;
    alignas(inotify_event) char events[4096];
    // (Polled, so that a capture that ends without a picture ends the wait too.)
    while (!seen && !ended) {
        pollfd ready{watch, POLLIN, 0};
        if (poll(&ready, 1, 200) <= 0) {
            ended = waitpid(child, nullptr, WNOHANG) == child;
            continue;
        }
        const ssize_t length = read(watch, events, sizeof events);
        if (length <= 0) break;
        for (ssize_t at = 0; at < length;) {
            const inotify_event* event = reinterpret_cast<const inotify_event*>(events + at);
            const std::string name = event->len > 0 ? event->name : "";
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0 &&
                name.find(".partial") == std::string::npos)
                seen = true;
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
    if (!ended) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    close(watch);
    ASSERT_TRUE(seen) << "no picture appeared";
    int whole = 0;
    for (const std::string& name : filesIn(out, ".png")) {
        if (name.find(".partial") != std::string::npos) continue;
        const Picture picture = readPng(out + "/" + name);
        EXPECT_EQ(picture.width, 1024u) << name << " is not a whole picture";
        ++whole;
    }
    EXPECT_GE(whole, 1);
}

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZELVARO_HAS_ADDRESS_SANITIZER 1
#endif
#endif
#ifndef ZELVARO_HAS_ADDRESS_SANITIZER
#define ZELVARO_HAS_ADDRESS_SANITIZER 0
#endif

// A crash (here a segmentation fault sent once the show runs) still ends the
// program by its signal, after a word on the likely cause and its workaround.
TEST_F(CaptureProgramTest, ACrashEndsByItsSignalWithAHint) {
    int output[2];
    ASSERT_EQ(pipe(output), 0);
    const pid_t child = fork();
    if (child == 0) {
        if (chdir(folder.c_str()) != 0) _exit(126);
        dup2(output[1], STDOUT_FILENO);
        const int errors = open("crash-errors.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(errors, STDERR_FILENO);
        close(output[0]);
        execl(ZELVARO_CAPTURE_PROGRAM, ZELVARO_CAPTURE_PROGRAM, "--fps", "20", "--to", "15", "--trace",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(child, 0);
    close(output[1]);
    char first = 0;
    const bool running = read(output[0], &first, 1) == 1;  // the first trace line is on its way
    kill(child, SIGSEGV);
    int status = 0;
    waitpid(child, &status, 0);
    close(output[0]);
    ASSERT_TRUE(running);
#if defined(__SANITIZE_ADDRESS__) || ZELVARO_HAS_ADDRESS_SANITIZER
    // The sanitizer's own handler comes after ours: it reports the signal
    // and ends the program with an error status instead of the signal.
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 0) << "status " << status;
#else
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGSEGV) << "status " << status;
#endif
    EXPECT_NE(readText(folder + "/crash-errors.txt").find("LP_NUM_THREADS=0"), std::string::npos);
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
    ASSERT_EQ(card.size(), 28u) << text;
    EXPECT_EQ(card[0], 14) << "scene";
    EXPECT_EQ(card[1], 30) << "frames";
    EXPECT_GT(card[2], 0) << "mean ms";
    EXPECT_GE(card[12], 1) << "draws per frame";
    // The card shades at least the whole 1024 x 768 picture once per frame.
    EXPECT_GT(card[21], 0.7) << "millions of fragments per frame";
    EXPECT_GT(card[23], 0) << "the layer's ms";
    EXPECT_GT(card[24], 0) << "the frame in layers";
    EXPECT_GT(card[27], 0) << "the card fades in from alpha 0: its first draws cannot be seen";
}

TEST_F(CaptureProgramTest, MistakesEndWithAMessage) {
    EXPECT_EQ(capture("--fps 5 --trace"), 2);
    EXPECT_NE(errors().find("zelvaro-capture: --fps takes"), std::string::npos) << errors();
    EXPECT_EQ(capture("--fps 20 --at 30 --out late"), 1) << "the music is 17 s long";
    EXPECT_NE(errors().find("the music ended at"), std::string::npos) << errors();
    EXPECT_EQ(capture("--size 6000x4000 --supersample 2 --out large"), 2);
    EXPECT_NE(errors().find("cannot be drawn"), std::string::npos) << errors();
    EXPECT_EQ(capture("--size 641x480 --from 1 --to 2 --out odd.mp4"), 2);
    EXPECT_NE(errors().find("even width and height"), std::string::npos) << errors();
    EXPECT_EQ(capture("--fps 20 --frames 5 --from 3 --out early"), 1) << "no frame was captured";
    EXPECT_NE(errors().find("no frame was in the range"), std::string::npos) << errors();
    EXPECT_EQ(capture("--fps 20 --frames 5 --at 3 --out before"), 1) << "no picture is no success";
    EXPECT_NE(errors().find("before the --at time 3.000 s"), std::string::npos) << errors();
}

TEST_F(CaptureProgramTest, WithoutMusicNoMusicTimeIsWaitedFor) {
    TempFolder silentFolder("capture-silent");
    const std::string silent = silentFolder.path();
    const std::string command = "cd '" + silent + "' && '" ZELVARO_CAPTURE_PROGRAM
                                "' --fps 20 --to 5 --trace > /dev/null 2> errors.txt";
    const int status = std::system(command.c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1);
    EXPECT_NE(readText(silent + "/errors.txt").find("no music"), std::string::npos);
}

}  // namespace
