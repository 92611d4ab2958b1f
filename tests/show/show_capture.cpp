#include "show_capture.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

bool readTrace(const std::string& path, std::vector<TraceFrame>* frames, std::string* error) {
    std::ifstream in(path);
    if (!in) {
        *error = "cannot read " + path;
        return false;
    }
    frames->clear();
    std::string line;
    while (std::getline(in, line)) {
        TraceFrame frame;
        char rest = 0;
        if (std::sscanf(line.c_str(), "%ld %lf %lf %d %c", &frame.frame, &frame.frameTime,
                        &frame.musicTime, &frame.scene, &rest) != 4) {
            *error = "not a trace line: \"" + line + "\"";
            return false;
        }
        frames->push_back(frame);
    }
    return true;
}

CaptureResult runCapture(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& folder, const std::string& scratch) {
    const std::string outPath = scratch + "/capture.out";
    const std::string errPath = scratch + "/capture.err";
    CaptureResult result;
    const pid_t child = fork();
    if (child == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 || chdir(folder.c_str()) != 0) {
            _exit(126);
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    if (child < 0) {
        result.errors = "cannot start " + program;
        return result;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.output = readWholeFile(outPath);
    result.errors = readWholeFile(errPath);
    return result;
}

std::vector<std::string> folderFiles(const std::string& path) {
    std::vector<std::string> files;
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        for (const auto& entry : std::filesystem::directory_iterator(path)) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool readGoldenList(const std::string& path, std::vector<GoldenFrame>* frames, std::string* error) {
    std::ifstream in(path);
    if (!in) {
        *error = "cannot read " + path;
        return false;
    }
    frames->clear();
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        GoldenFrame golden;
        std::string clock;
        std::string when;
        if (!(fields >> golden.scene >> clock >> when) || golden.scene < 1 || golden.scene > 14 ||
            (clock != "music" && clock != "card")) {
            *error = "not a golden frame line: \"" + line + "\"";
            return false;
        }
        golden.onFrameClock = clock == "card";
        char name[64];
        if (when == "last" && golden.onFrameClock) {
            golden.lastBeforeMusic = true;
            std::snprintf(name, sizeof name, "scene%02d_card_last.png", golden.scene);
        } else {
            char* end = nullptr;
            golden.seconds = std::strtod(when.c_str(), &end);
            if (*end != '\0' || golden.seconds < 0) {
                *error = "not a time in seconds: \"" + when + "\"";
                return false;
            }
            std::snprintf(name, sizeof name, "scene%02d_%s_%06.2f.png", golden.scene, clock.c_str(),
                          golden.seconds);
        }
        golden.file = name;
        frames->push_back(golden);
    }
    return true;
}

long goldenFrameNumber(const GoldenFrame& golden, long handOverFrame, int fps) {
    if (golden.lastBeforeMusic) return handOverFrame - 1;
    const long offset = std::lround(golden.seconds * fps);
    // The hand-over frame is the last one at music time 0; each later frame
    // is 1/fps further into the music.
    return golden.onFrameClock ? offset : handOverFrame + offset;
}

RgbaImage downscale(const RgbaImage& image, int factor) {
    RgbaImage small;
    small.width = image.width / factor;
    small.height = image.height / factor;
    small.pixels.assign(size_t(small.width) * size_t(small.height) * 4, 0);
    const int area = factor * factor;
    for (int y = 0; y < small.height; ++y) {
        for (int x = 0; x < small.width; ++x) {
            for (int channel = 0; channel < 4; ++channel) {
                int sum = 0;
                for (int dy = 0; dy < factor; ++dy) {
                    const size_t row = size_t(y * factor + dy) * size_t(image.width);
                    for (int dx = 0; dx < factor; ++dx) {
                        sum += image.pixels[(row + size_t(x * factor + dx)) * 4 + size_t(channel)];
                    }
                }
                small.pixels[(size_t(y) * size_t(small.width) + size_t(x)) * 4 + size_t(channel)] =
                    uint8_t((sum + area / 2) / area);
            }
        }
    }
    return small;
}

namespace {

// The share of each source pixel in each target pixel along one axis.
struct Cover {
    int first = 0;
    std::vector<double> weights;
};

std::vector<Cover> covers(int from, int to) {
    std::vector<Cover> result(static_cast<size_t>(to));
    const double step = double(from) / to;
    for (int i = 0; i < to; ++i) {
        const double begin = i * step;
        const double end = begin + step;
        Cover& cover = result[size_t(i)];
        cover.first = int(begin);
        for (int source = cover.first; source < from && source < end; ++source) {
            const double part = std::min(end, source + 1.0) - std::max(begin, double(source));
            cover.weights.push_back(part / step);
        }
    }
    return result;
}

}  // namespace

RgbaImage shrink(const RgbaImage& image, int width, int height) {
    const std::vector<Cover> across = covers(image.width, width);
    const std::vector<Cover> down = covers(image.height, height);
    RgbaImage small;
    small.width = width;
    small.height = height;
    small.pixels.assign(size_t(width) * size_t(height) * 4, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double sum[4] = {0, 0, 0, 0};
            const Cover& row = down[size_t(y)];
            const Cover& column = across[size_t(x)];
            for (size_t dy = 0; dy < row.weights.size(); ++dy) {
                for (size_t dx = 0; dx < column.weights.size(); ++dx) {
                    const double weight = row.weights[dy] * column.weights[dx];
                    const size_t at = (size_t(row.first + int(dy)) * size_t(image.width) +
                                       size_t(column.first + int(dx))) * 4;
                    for (size_t channel = 0; channel < 4; ++channel) {
                        sum[channel] += weight * image.pixels[at + channel];
                    }
                }
            }
            for (size_t channel = 0; channel < 4; ++channel) {
                small.pixels[(size_t(y) * size_t(width) + size_t(x)) * 4 + channel] =
                    uint8_t(std::lround(std::min(255.0, sum[channel])));
            }
        }
    }
    return small;
}

PictureDistance pictureDistance(const RgbaImage& actual, const RgbaImage& golden, int farDelta) {
    PictureDistance distance;
    if (actual.width != golden.width || actual.height != golden.height || actual.width == 0) {
        distance.sizeMismatch = true;
        return distance;
    }
    const size_t count = size_t(actual.width) * size_t(actual.height);
    double total = 0;
    size_t far = 0;
    for (size_t pixel = 0; pixel < count; ++pixel) {
        int largest = 0;
        for (size_t channel = 0; channel < 3; ++channel) {
            const int delta = std::abs(int(actual.pixels[pixel * 4 + channel]) -
                                       int(golden.pixels[pixel * 4 + channel]));
            total += delta;
            if (delta > largest) largest = delta;
        }
        if (largest > farDelta) ++far;
    }
    distance.meanDelta = total / double(count * 3);
    distance.farShare = double(far) / double(count);
    return distance;
}
