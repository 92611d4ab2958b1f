// Whole-show checks through zelvaro-capture: running the capture program,
// reading its trace, the list of golden frames, and comparing small
// downscaled pictures with a tolerance.
#ifndef ZELVARO_TESTS_SHOW_SHOW_CAPTURE_H
#define ZELVARO_TESTS_SHOW_SHOW_CAPTURE_H

#include <string>
#include <vector>

#include "image_compare.h"

// One line of the capture's --trace output.
struct TraceFrame {
    long frame = 0;
    double frameTime = 0;  // seconds of the virtual clock
    double musicTime = 0;  // the music clock as the frame saw it (float seconds)
    int scene = 0;         // the scene number after the frame was drawn
};

// Reads a trace file; false with the reason when a line does not parse.
bool readTrace(const std::string& path, std::vector<TraceFrame>* frames, std::string* error);

// The result of one run of a capture program.
struct CaptureResult {
    int exitCode = -1;
    std::string output;  // standard output (the trace)
    std::string errors;  // standard error
};

// Runs `program` with `arguments` in `folder` (the one holding msx/ and tex/),
// standard output and error into files under `scratch`.
CaptureResult runCapture(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& folder, const std::string& scratch);

// The paths of the files in a folder, sorted; none when it does not exist.
std::vector<std::string> folderFiles(const std::string& path);

// One golden frame: a moment of one scene, on the music clock or, for the
// title card, on the frame clock before the music starts.
struct GoldenFrame {
    int scene = 0;
    bool onFrameClock = false;  // title card: `seconds` is frame time
    bool lastBeforeMusic = false;  // title card: the frame just before the hand-over
    double seconds = 0;
    std::string file;  // the small PNG under the golden folder
};

// Reads the golden list (one frame a line: "scene music|card seconds|last").
bool readGoldenList(const std::string& path, std::vector<GoldenFrame>* frames, std::string* error);

// The capture frame number that shows `golden`, given the frame in which
// the title card handed over to the music (`handOverFrame`) and the fps.
long goldenFrameNumber(const GoldenFrame& golden, long handOverFrame, int fps);

// Averages blocks of factor × factor pixels (the size must divide evenly).
RgbaImage downscale(const RgbaImage& image, int factor);
// Shrinks to any smaller size: each new pixel is the average of the area of
// the image it covers, parts of pixels weighed by their share.
RgbaImage shrink(const RgbaImage& image, int width, int height);

// How far a picture is from its golden: the mean absolute difference per
// channel (red, green, blue) and the share of pixels with any channel more
// than `farDelta` away.
struct PictureDistance {
    bool sizeMismatch = false;
    double meanDelta = 0;
    double farShare = 0;
};
PictureDistance pictureDistance(const RgbaImage& actual, const RgbaImage& golden, int farDelta);

#endif  // ZELVARO_TESTS_SHOW_SHOW_CAPTURE_H
