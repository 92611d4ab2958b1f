#include "capture_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

const char* const captureUsage =
    "usage: zelvaro-capture [options]   (run in the folder that holds msx/ and tex/)\n"
    "  Plays the show offscreen on a virtual clock: every frame lasts exactly 1/fps,\n"
    "  so the same options always give the same pictures.\n"
    "  --fps N        frames per second of show time, 11 to 1000 (default 60)\n"
    "  --at SECONDS   one frame at that music time, after playing the show up to it\n"
    "  --from SECONDS frames from that music time on (default: from the first frame)\n"
    "  --to SECONDS   up to that music time (default: until the show ends itself)\n"
    "  --frames N     at most N frames of the show\n"
    "  --out PATH     a folder of numbered PNG files, or a .mp4 file with the music\n"
    "  --size 640     the 640 x 480 build's picture (default: 1024 x 768)\n"
    "  --trace        one line per frame on standard output:\n"
    "                 frame number, frame time, music time, scene number\n"
    "  --profile      at the end, one line per scene on standard output: where its\n"
    "                 frames' time goes, what the device layer did, and the frame's\n"
    "                 cost in full-screen layers measured in plain OpenGL (README)\n";

namespace {

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

}  // namespace

bool outputIsVideo(const CaptureOptions& options) {
    const std::string& out = options.out;
    return out.size() > 4 && out.compare(out.size() - 4, 4, ".mp4") == 0;
}

bool parseCaptureOptions(int argc, const char* const* argv, CaptureOptions* options,
                         std::string* error) {
    CaptureOptions parsed;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        const bool takesValue = option == "--fps" || option == "--at" || option == "--from" ||
                                option == "--to" || option == "--frames" || option == "--out" ||
                                option == "--size";
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
            if (!readWhole(value, 640, 1024, &whole) || (whole != 640 && whole != 1024)) {
                *error = "--size takes 640 or 1024, not \"" + std::string(value) + "\"";
                return false;
            }
            parsed.size = int(whole);
        } else if (option == "--out") {
            parsed.out = value;
            if (parsed.out.empty()) {
                *error = "--out needs a folder or a .mp4 file name";
                return false;
            }
        } else if (option == "--at" || option == "--from" || option == "--to") {
            double seconds = 0;
            if (!readNumber(value, &seconds) || seconds < 0) {
                *error = option + " takes a music time in seconds (0 or more), not \"" +
                         std::string(value) + "\"";
                return false;
            }
            if (option == "--at") {
                parsed.hasAt = true;
                parsed.at = seconds;
            } else if (option == "--from") {
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
    if (parsed.hasAt && (parsed.hasFrom || parsed.hasTo)) {
        *error = "--at is one frame; it does not go with --from or --to";
        return false;
    }
    if (parsed.hasFrom && parsed.hasTo && parsed.to < parsed.from) {
        *error = "--to comes before --from";
        return false;
    }
    if (!parsed.help && parsed.out.empty() && !parsed.trace && !parsed.profile) {
        *error = "nothing to write: give --out, --trace or --profile";
        return false;
    }
    *options = parsed;
    return true;
}
