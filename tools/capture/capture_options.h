// The command line of zelvaro-capture.
#ifndef ZELVARO_TOOLS_CAPTURE_OPTIONS_H
#define ZELVARO_TOOLS_CAPTURE_OPTIONS_H

#include <string>
#include <vector>

struct CaptureOptions {
    int fps = 60;
    std::vector<double> at;  // one frame at each of these music times, ascending, each once
    bool hasFrom = false;  // frames from music time `from` on
    double from = 0;
    bool hasTo = false;  // up to music time `to`
    double to = 0;
    long maxFrames = 0;  // stop after this many frames of the show; 0: no limit
    std::string out;     // a folder of PNG files, or a .mp4 or .mkv file; empty: none
    int width = 0;       // the picture's size; 0: the program's own (or the largest
    int height = 0;      //   4:3 picture inside --frame)
    int supersample = 1;  // drawn this many times larger, then filtered down
    int frameWidth = 0;   // the picture centred on black of this size; 0: no frame
    int frameHeight = 0;
    int crf = -1;  // the .mp4 file's constant rate factor; -1: the default
    bool trace = false;
    bool profile = false;
    std::string traceCalls;  // a Direct3D 8 call trace of the captured frames; empty: none
    std::vector<double> traceAt;  // music times, rising: one call trace each, into the folder traceCalls
    bool help = false;
};

// Reads argv into options. On a mistake returns false with the reason in *error.
bool parseCaptureOptions(int argc, const char* const* argv, CaptureOptions* options,
                         std::string* error);
bool outputIsVideo(const CaptureOptions& options);     // --out names a .mp4 or .mkv file
bool outputIsLossless(const CaptureOptions& options);  // --out names a .mkv file
extern const char* const captureUsage;

#endif  // ZELVARO_TOOLS_CAPTURE_OPTIONS_H
