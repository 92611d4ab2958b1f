// One capture: the show's frames on the virtual clock, driven through the
// same steps as the program's message loop, with the chosen frames written
// out as pictures (and music) and traced.
#ifndef ZELVARO_TOOLS_CAPTURE_RUN_H
#define ZELVARO_TOOLS_CAPTURE_RUN_H

#include <d3d8.h>

#include <memory>
#include <string>
#include <vector>

#include "capture_options.h"
#include "frame_profile.h"
#include "picture_shaping.h"
#include "video_writer.h"

class CaptureRun {
public:
    CaptureRun(const CaptureOptions& options, const PictureLayout& layout);
    ~CaptureRun();

    // Checks the options against the show and prepares the output; false
    // with the reason when the capture cannot be made.
    bool prepare(std::string* error);
    // Plays the show until the capture is complete; returns the exit code.
    int run();

private:
    enum class Step { next, stop, failed };

    Step frame();
    size_t frameSamples(long frame) const;  // music samples of one frame
    bool inRange() const;
    void passStills();  // the --at times this frame's picture shows
    bool pastEnd() const;
    bool tracesCalls(bool captured) const;  // this frame goes into the call trace
    bool beginCallTrace(double musicSeconds);
    bool endCallTrace();
    bool capturePicture(std::string* error);
    // Completes the files; `complete`: the run reached its end without a fault.
    bool finish(bool complete);
    void showProgress();
    int stop(bool ok);

    CaptureOptions options;
    PictureLayout layout;
    long frameNumber = 0;
    size_t nextStill = 0;  // the first --at time not yet captured
    std::vector<long> stillFrames;  // the frame captured for each --at time
    double nearby;  // a quarter frame: music times closer than this count as reached
    bool musicStarted = false;  // the Timeline was on when the frame began
    bool audioOwed = false;  // the last picture still waits for its music
    long picturesWritten = 0;
    float lastMusicTime = 0.0f;
    long framesWithoutMusicChange = 0;
    bool finished = false;
    bool callTraceOpen = false;
    long callTracesWritten = 0;
    size_t nextTraceTime = 0;  // the first time of options.traceAt not yet traced
    std::vector<unsigned char> framePcm;
    std::vector<unsigned char> bgr;  // one picture without alpha, for the PNG files
    std::unique_ptr<VideoWriter> video;
    std::unique_ptr<FrameProfile> profile;
    IDirect3DSurface8* readback = nullptr;
    std::vector<unsigned char> shaped;  // the file's picture, when it is not the drawn one
    double progressShownAt = -1;
};

#endif  // ZELVARO_TOOLS_CAPTURE_RUN_H
