#include "capture_options.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

const char* const captureUsage =
    "usage: zelvaro-capture [options]   (run in the folder that holds msx/ and tex/)\n"
    "  Plays the show offscreen on a virtual clock: every frame lasts exactly 1/fps,\n"
    "  so the same options always give the same pictures.\n"
    "  --fps N          frames per second of show time, 11 to 1000 (default 60)\n"
    "  --at SECONDS     one frame at that music time, after playing the show up to it;\n"
    "                   give it again or as a list (--at 9,22.5,40) for one PNG file\n"
    "                   at each time in a single run (it stops after the last one,\n"
    "                   or plays on to --to)\n"
    "  --from SECONDS   frames from that music time on (default: from the first frame)\n"
    "  --to SECONDS     up to that music time (default: until the show ends itself)\n"
    "  --frames N       at most N frames of the show\n"
    "  --out PATH       a folder of numbered PNG files, a .mp4 file (H.264, with the\n"
    "                   music in AAC) or a .mkv file (lossless: FFV1 RGB, FLAC music)\n"
    "  --crf N          quality of the .mp4 file, 0 (best) to 51 (default 18)\n"
    "  --size WxH       the picture's size, e.g. 1440x1080 (default 1024x768; the\n"
    "                   show is drawn for 4:3); 640 and 1024 stand for 640x480 and\n"
    "                   1024x768\n"
    "  --supersample N  draw N times larger (2 to 4) and filter down to the size\n"
    "  --frame WxH      the picture centred on black of this size, e.g. 1920x1080;\n"
    "                   without --size the picture is the largest 4:3 one inside\n"
    "  --trace          one line per frame on standard output:\n"
    "                   frame number, frame time, music time, scene number\n"
    "  --trace-calls FILE  the Direct3D 8 calls of the frames in range (with one --at:\n"
    "                   of that frame; with --frames N alone: of the last frame) and the\n"
    "                   state they inherit, for zelvaro-d3d8trace and zelvaro-d3d8replay\n"
    "  --trace-at S1,S2,...  with --trace-calls FOLDER: one call trace of the frame at\n"
    "                   each music time, FOLDER/calls_S.d8t (S with three decimals)\n"
    "  --profile        at the end, one line per scene on standard output: where its\n"
    "                   frames' time goes, what the device layer did, and the frame's\n"
    "                   cost in full-screen layers measured in plain OpenGL (README)\n";

namespace {

constexpr long maxSide = 16384;  // no GL implementation draws larger pictures
constexpr long minSide = 16;

bool readNumber(const char* text, double* value) {
    if (text == nullptr || *text == '\0') return false;
    char* end = nullptr;
    errno = 0;
    *value = std::strtod(text, &end);
    return errno == 0 && *end == '\0' && std::isfinite(*value);
}

bool readWhole(const char* text, long low, long high, long* value) {
    double number = 0;
    if (!readNumber(text, &number) || number != std::floor(number) || number < low ||
        number > high) {
        return false;
    }
    *value = long(number);
    return true;
}

// "WIDTHxHEIGHT", each side whole and within the limits.
bool readSize(const std::string& text, int* width, int* height) {
    const size_t cross = text.find('x');
    if (cross == std::string::npos) return false;
    long wide = 0;
    long high = 0;
    if (!readWhole(text.substr(0, cross).c_str(), minSide, maxSide, &wide) ||
        !readWhole(text.substr(cross + 1).c_str(), minSide, maxSide, &high)) {
        return false;
    }
    *width = int(wide);
    *height = int(high);
    return true;
}

// A comma-separated list of music times, added to `times`.
bool readTimes(const std::string& text, std::vector<double>* times) {
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma == std::string::npos ? comma : comma - start);
        double seconds = 0;
        if (!readNumber(item.c_str(), &seconds) || seconds < 0) return false;
        times->push_back(seconds);
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

bool endsWith(const std::string& text, const char* ending) {
    const size_t length = std::strlen(ending);
    return text.size() > length && text.compare(text.size() - length, length, ending) == 0;
}

std::string sizeText(int width, int height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

}  // namespace

bool outputIsVideo(const CaptureOptions& options) {
    return endsWith(options.out, ".mp4") || endsWith(options.out, ".mkv");
}

bool outputIsLossless(const CaptureOptions& options) { return endsWith(options.out, ".mkv"); }

bool parseCaptureOptions(int argc, const char* const* argv, CaptureOptions* options,
                         std::string* error) {
    CaptureOptions parsed;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        const bool takesValue = option == "--fps" || option == "--at" || option == "--from" ||
                                option == "--to" || option == "--frames" || option == "--out" ||
                                option == "--size" || option == "--supersample" ||
                                option == "--frame" || option == "--crf" ||
                                option == "--trace-calls" || option == "--trace-at";
        if (takesValue && value == nullptr) {
            *error = option + " needs a value";
            return false;
        }
        long whole = 0;
        if (option == "--trace") {
            parsed.trace = true;
        } else if (option == "--profile") {
            parsed.profile = true;
        } else if (option == "--help" || option == "-h") {
            parsed.help = true;
        } else if (option == "--fps") {
            // The scenes skip every frame longer than 0.1 s: at 10 fps or less nothing moves.
            if (!readWhole(value, 11, 1000, &whole)) {
                *error = "--fps takes a whole number from 11 to 1000, not \"" + std::string(value) + "\"";
                return false;
            }
            parsed.fps = int(whole);
        } else if (option == "--frames") {
            if (!readWhole(value, 1, 100000000, &whole)) {
                *error = "--frames takes a whole number of at least 1, not \"" + std::string(value) + "\"";
                return false;
            }
            parsed.maxFrames = whole;
        } else if (option == "--size") {
            // The two sizes of the show's builds go by their width alone.
            const std::string text = value;
            if (text == "640" || text == "1024") {
                parsed.width = text == "640" ? 640 : 1024;
                parsed.height = text == "640" ? 480 : 768;
            } else if (!readSize(text, &parsed.width, &parsed.height)) {
                *error = "--size takes WIDTHxHEIGHT, each from " + std::to_string(minSide) + " to " +
                         std::to_string(maxSide) + " (or 640 or 1024), not \"" + text + "\"";
                return false;
            }
        } else if (option == "--frame") {
            if (!readSize(value, &parsed.frameWidth, &parsed.frameHeight)) {
                *error = "--frame takes WIDTHxHEIGHT, each from " + std::to_string(minSide) + " to " +
                         std::to_string(maxSide) + ", not \"" + std::string(value) + "\"";
                return false;
            }
        } else if (option == "--supersample") {
            if (!readWhole(value, 1, 4, &whole)) {
                *error = "--supersample takes a whole number from 1 to 4, not \"" + std::string(value) + "\"";
                return false;
            }
            parsed.supersample = int(whole);
        } else if (option == "--crf") {
            if (!readWhole(value, 0, 51, &whole)) {
                *error = "--crf takes a whole number from 0 to 51, not \"" + std::string(value) + "\"";
                return false;
            }
            parsed.crf = int(whole);
        } else if (option == "--trace-calls") {
            parsed.traceCalls = value;
            if (parsed.traceCalls.empty()) {
                *error = "--trace-calls needs a file name";
                return false;
            }
        } else if (option == "--trace-at") {
            if (!readTimes(value, &parsed.traceAt)) {
                *error = "--trace-at takes music times in seconds (0 or more) separated by commas, not \"" +
                         std::string(value) + "\"";
                return false;
            }
        } else if (option == "--out") {
            parsed.out = value;
            if (parsed.out.empty()) {
                *error = "--out needs a folder or a .mp4 or .mkv file name";
                return false;
            }
        } else if (option == "--at") {
            if (!readTimes(value, &parsed.at)) {
                *error = "--at takes music times in seconds (0 or more, separated by commas), not \"" +
                         std::string(value) + "\"";
                return false;
            }
        } else if (option == "--from" || option == "--to") {
            double seconds = 0;
            if (!readNumber(value, &seconds) || seconds < 0) {
                *error = option + " takes a music time in seconds (0 or more), not \"" +
                         std::string(value) + "\"";
                return false;
            }
            if (option == "--from") {
                parsed.hasFrom = true;
                parsed.from = seconds;
            } else {
                parsed.hasTo = true;
                parsed.to = seconds;
            }
        } else {
            *error = "unknown option \"" + option + "\"";
            return false;
        }
        if (takesValue) ++i;
    }
    std::sort(parsed.at.begin(), parsed.at.end());
    parsed.at.erase(std::unique(parsed.at.begin(), parsed.at.end()), parsed.at.end());
    if (!parsed.at.empty() && parsed.hasFrom) {
        *error = "--at picks single frames; it does not go with --from";
        return false;
    }
    if (!parsed.at.empty() && parsed.hasTo && parsed.to < parsed.at.back()) {
        *error = "--to comes before the last --at time";
        return false;
    }
    if (parsed.at.size() > 1 && outputIsVideo(parsed)) {
        *error = "several --at times make PNG files, not a video: give --out a folder";
        return false;
    }
    std::sort(parsed.traceAt.begin(), parsed.traceAt.end());
    parsed.traceAt.erase(std::unique(parsed.traceAt.begin(), parsed.traceAt.end()), parsed.traceAt.end());
    if (!parsed.traceAt.empty() && (parsed.traceCalls.empty() || !parsed.at.empty() || parsed.hasFrom || parsed.hasTo)) {
        *error = "--trace-at goes with --trace-calls FOLDER, and not with --at, --from or --to";
        return false;
    }
    if (!parsed.traceCalls.empty() && parsed.traceAt.empty() && parsed.at.size() > 1) {
        *error = "--trace-calls FILE traces one --at time; for several give --trace-at and a folder";
        return false;
    }
    if (parsed.hasFrom && parsed.hasTo && parsed.to < parsed.from) {
        *error = "--to comes before --from";
        return false;
    }
    if (parsed.crf >= 0 && !(outputIsVideo(parsed) && !outputIsLossless(parsed))) {
        *error = "--crf sets the quality of a .mp4 file: give --out FILE.mp4";
        return false;
    }
    if (parsed.frameWidth > 0 && parsed.width > 0 &&
        (parsed.frameWidth < parsed.width || parsed.frameHeight < parsed.height)) {
        *error = "--frame " + sizeText(parsed.frameWidth, parsed.frameHeight) +
                 " is smaller than the picture (" + sizeText(parsed.width, parsed.height) + ")";
        return false;
    }
    if (!parsed.help && parsed.out.empty() && !parsed.trace && parsed.traceCalls.empty() && !parsed.profile) {
        *error = "nothing to write: give --out, --trace, --trace-calls, --profile or several";
        return false;
    }
    *options = parsed;
    return true;
}
