// The command line of zelvaro-capture.
#ifndef ZELVARO_TOOLS_CAPTURE_OPTIONS_H
#define ZELVARO_TOOLS_CAPTURE_OPTIONS_H

#include <string>

struct CaptureOptions {
    int fps = 60;
    bool hasAt = false;  // one frame at music time `at`
    double at = 0;
    bool hasFrom = false;  // frames from music time `from` on
    double from = 0;
    bool hasTo = false;  // up to music time `to`
    double to = 0;
    long maxFrames = 0;  // stop after this many frames of the show; 0: no limit
    std::string out;     // a folder of PNG files, or a .mp4 file; empty: none
    int size = 0;        // 1024 or 640; 0: this program's own size
    bool trace = false;
    bool profile = false;
    bool help = false;
};

// Reads argv into options. On a mistake returns false with the reason in *error.
bool parseCaptureOptions(int argc, const char* const* argv, CaptureOptions* options,
                         std::string* error);
bool outputIsVideo(const CaptureOptions& options);  // --out names a .mp4 file
extern const char* const captureUsage;

#endif  // ZELVARO_TOOLS_CAPTURE_OPTIONS_H
