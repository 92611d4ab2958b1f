#include "capture_run.h"

#include <audio_virtual.h>
#include <sys/stat.h>
#include <unistd.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "d3d8_trace.h"
#include "demo_context.h"
#include "frame_timer.h"
#include "main_window.h"
#include "music_clock.h"
#include "partial_file.h"
#include "png_writer.h"
#include "scene_registry.h"
#include "virtual_clock.h"

namespace {

// Music time at which the show ends itself, for the progress bar only.
constexpr double showSeconds = 203.0;
// Frame time the title card may take before the music must have started.
constexpr double maxSecondsBeforeMusic = 120.0;

// Creates `path` and its missing parents.
bool makeFolder(const std::string& path, std::string* error) {
    for (size_t at = 1; at <= path.size(); ++at) {
        if (at < path.size() && path[at] != '/') continue;
        const std::string part = path.substr(0, at);
        if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
            *error = "cannot create the folder " + part + ": " + std::strerror(errno);
            return false;
        }
    }
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        *error = path + " is not a folder";
        return false;
    }
    return true;
}

std::string pictureName(long frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06ld.png", frame);
    return name;
}

}  // namespace

CaptureRun::CaptureRun(const CaptureOptions& chosen, const PictureLayout& sizes)
    : options(chosen), layout(sizes), nearby(0.25 / chosen.fps) {
    // The yardstick is the larger build's picture whatever the picture's size.
    if (options.profile) profile.reset(new FrameProfile(d3d8WallSeconds(), 1024, 768));
}

CaptureRun::~CaptureRun() {
    if (readback != nullptr) readback->Release();
}

bool CaptureRun::prepare(std::string* error) {
    if (!options.traceAt.empty() && !makeFolder(options.traceCalls, error)) return false;
    if (outputIsVideo(options)) {
        VideoSettings settings;
        settings.width = layout.frameWidth;
        settings.height = layout.frameHeight;
        settings.fps = options.fps;
        settings.lossless = outputIsLossless(options);
        settings.crf = options.crf;
        video.reset(new VideoWriter());
        if (!video->open(options.out, settings, error)) return false;
    } else if (!options.out.empty() && !makeFolder(options.out, error)) {
        return false;
    }
    return true;
}

size_t CaptureRun::frameSamples(long frame) const {
    // Whole samples per frame; over many frames they add up to exactly 1/fps each.
    const long long before = frame * 44100LL / options.fps;
    const long long after = (frame + 1) * 44100LL / options.fps;
    return size_t(after - before);
}

bool CaptureRun::inRange() const {
    if (!options.at.empty()) {
        return nextStill < options.at.size() && musicStarted &&
               musicTime >= options.at[nextStill] - nearby;
    }
    if (options.hasFrom) return musicStarted && musicTime >= options.from - nearby;
    return true;
}

void CaptureRun::passStills() {
    // Times closer together than a frame share its picture.
    while (nextStill < options.at.size() && musicTime >= options.at[nextStill] - nearby) {
        stillFrames.push_back(frameNumber);
        ++nextStill;
    }
}

bool CaptureRun::pastEnd() const {
    return options.hasTo && musicStarted && musicTime > options.to + nearby;
}

int CaptureRun::run() {
    const bool needsMusic = !options.at.empty() || options.hasFrom || options.hasTo || !options.traceAt.empty();
    if (needsMusic && musicStream == 0) {
        std::fprintf(stderr, "zelvaro-capture: the show has no music, so no music time is ever reached\n");
        return stop(false);
    }
    if (musicStream == 0 && options.maxFrames == 0) {
        std::fprintf(stderr, "zelvaro-capture: without music the show never ends by itself; "
                             "give --frames N\n");
        return stop(false);
    }
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return stop(true);
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        switch (frame()) {
        case Step::next: break;
        case Step::stop: return stop(true);
        case Step::failed: return stop(false);
        }
    }
}

CaptureRun::Step CaptureRun::frame() {
    musicStarted = timelineEnabled;
    // The clocks move on by one frame; the music heard meanwhile belongs to
    // the picture captured last, which shows its beginning.
    virtualClockAdvanceFrame();
    framePcm.clear();
    audioAdvanceVirtualOutput(frameSamples(frameNumber), video ? &framePcm : nullptr);
    if (video && audioOwed) {
        video->addAudio(framePcm);
        audioOwed = false;
    }

    // The per-frame steps of the message loop.
    frameTimer.update();
    if (musicStream != 0) refreshMusicTime();
    if (pastEnd()) return Step::stop;
    if (quitRequested) {
        // The show ends itself in this renderFrame: the files are finished first.
        const bool ok = finish(true);
        std::fflush(stdout);
        if (!ok) std::exit(1);
    }
    const bool capture = inRange();
    const bool traced = tracesCalls(capture);
    if (traced && !beginCallTrace(double(musicTime))) return Step::failed;
    if (profile) profile->beginFrame();
    if (demoContext != nullptr) demoContext->renderFrame();
    if (profile) profile->endFrame(demoContext != nullptr ? demoContext->sceneNumber : 0);
    if (traced) {
        d3d8TraceFrameEnd(uint32_t(frameNumber));
        if ((!options.at.empty() || !options.traceAt.empty()) && !endCallTrace()) return Step::failed;
    }

    if (options.trace) {
        std::printf("%ld %.6f %.6f %d\n", frameNumber, double(frameNumber) / options.fps,
                    double(musicTime), demoContext != nullptr ? demoContext->sceneNumber : 0);
    }
    if (capture && !options.out.empty()) {
        std::string error;
        if (!capturePicture(&error)) {
            std::fprintf(stderr, "\nzelvaro-capture: %s\n", error.c_str());
            return Step::failed;
        }
        audioOwed = video != nullptr;
    }
    if (capture) passStills();
    showProgress();
    ++frameNumber;

    if (!options.at.empty() && nextStill == options.at.size() && !options.hasTo) return Step::stop;
    if (!options.traceAt.empty() && nextTraceTime >= options.traceAt.size()) return Step::stop;
    if (options.maxFrames > 0 && frameNumber >= options.maxFrames) return Step::stop;
    if (options.at.empty() && !options.hasFrom && !options.hasTo && options.traceAt.empty()) return Step::next;
    // Waiting for a music time: the music has to start, and to keep going.
    if (!musicStarted && frameNumber > maxSecondsBeforeMusic * options.fps) {
        std::fprintf(stderr, "\nzelvaro-capture: the music did not start within %.0f s\n",
                     maxSecondsBeforeMusic);
        return Step::failed;
    }
    framesWithoutMusicChange = musicStarted && musicTime == lastMusicTime ? framesWithoutMusicChange + 1 : 0;
    lastMusicTime = musicTime;
    if (framesWithoutMusicChange > 2L * options.fps) {
        std::fprintf(stderr, "\nzelvaro-capture: the music ended at %.3f s, before the time asked for\n",
                     double(musicTime));
        return Step::failed;
    }
    return Step::next;
}

// With a music range, the frames in it; with --frames N alone, the last one;
// with a list of times, the first frame at or after each.
bool CaptureRun::tracesCalls(bool captured) const {
    if (options.traceCalls.empty()) return false;
    if (!options.traceAt.empty()) {
        return musicStarted && nextTraceTime < options.traceAt.size() &&
               musicTime >= options.traceAt[nextTraceTime] - nearby;
    }
    if (!options.at.empty() || options.hasFrom || options.hasTo) return captured && !pastEnd();
    return options.maxFrames > 0 && frameNumber == options.maxFrames - 1;
}

bool CaptureRun::beginCallTrace(double musicSeconds) {
    std::string error;
    std::string path = options.traceCalls;
    if (!options.traceAt.empty()) {
        char name[48];
        std::snprintf(name, sizeof name, "/calls_%.3f.d8t", options.traceAt[nextTraceTime]);
        path += name;
        // Times closer together than a frame share this frame.
        while (nextTraceTime < options.traceAt.size() && musicTime >= options.traceAt[nextTraceTime] - nearby) {
            ++nextTraceTime;
        }
    }
    if (!callTraceOpen && !d3d8TraceStart(path, &error)) {
        std::fprintf(stderr, "\nzelvaro-capture: %s\n", error.c_str());
        return false;
    }
    callTraceOpen = true;
    d3d8TraceFrameBegin(uint32_t(frameNumber), musicSeconds);
    return true;
}

bool CaptureRun::endCallTrace() {
    std::string error;
    callTraceOpen = false;
    ++callTracesWritten;
    if (!d3d8TraceStop(&error)) {
        std::fprintf(stderr, "\nzelvaro-capture: %s\n", error.c_str());
        return false;
    }
    return true;
}

bool CaptureRun::capturePicture(std::string* error) {
    IDirect3DDevice8* device = demoContext != nullptr ? demoContext->device : nullptr;
    if (device == nullptr) {
        *error = "the show has no device to read pictures from";
        return false;
    }
    // The picture drawn is the top-left part of the back buffer, as the screen
    // shows it; the window reaches past the screen's right and bottom edges.
    if (readback == nullptr &&
        FAILED(device->CreateImageSurface(UINT(layout.drawnWidth()), UINT(layout.drawnHeight()),
                                          D3DFMT_A8R8G8B8, &readback))) {
        readback = nullptr;
        *error = "cannot make a surface to read the picture into";
        return false;
    }
    D3DLOCKED_RECT locked{};
    if (FAILED(device->GetFrontBuffer(readback)) ||
        FAILED(readback->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        *error = "cannot read the picture back";
        return false;
    }
    const auto* pixels = static_cast<const unsigned char*>(locked.pBits);
    int pitch = locked.Pitch;
    if (!layout.unchanged()) {
        shapePicture(layout, pixels, pitch, &shaped);
        pixels = shaped.data();
        pitch = layout.frameWidth * 4;
    }
    bool ok = false;
    if (video) {
        ok = video->addPicture(pixels, pitch, error);
    } else {
        const int width = layout.frameWidth;
        const int height = layout.frameHeight;
        // The picture without its alpha, as B, G, R rows.
        bgr.resize(size_t(width) * size_t(height) * 3);
        for (int y = 0; y < height; ++y) {
            const unsigned char* source = pixels + size_t(y) * size_t(pitch);
            unsigned char* target = &bgr[size_t(y) * size_t(width) * 3];
            for (int x = 0; x < width; ++x) {
                target[x * 3 + 0] = source[x * 4 + 0];
                target[x * 3 + 1] = source[x * 4 + 1];
                target[x * 3 + 2] = source[x * 4 + 2];
            }
        }
        PngPicture picture;
        picture.width = width;
        picture.height = height;
        picture.layout = PngLayout::Bgr;
        picture.pixels = bgr.data();
        picture.fast = true;
        // written under a partial name, renamed when complete
        const std::string path = options.out + "/" + pictureName(frameNumber);
        ok = writePngFile(partialName(path), picture, error) && completePartial(path, error);
        if (!ok) std::remove(partialName(path).c_str());
    }
    readback->UnlockRect();
    if (ok) ++picturesWritten;
    return ok;
}

bool CaptureRun::finish(bool complete) {
    if (finished) return true;
    finished = true;
    if (progressShownAt >= 0) std::fputc('\n', stderr);
    if (profile) profile->print(stdout);
    if (!options.traceCalls.empty()) {
        if (callTraceOpen && !endCallTrace()) return false;
        if (callTracesWritten == 0) {
            std::fprintf(stderr, "zelvaro-capture: no frame was traced into %s\n", options.traceCalls.c_str());
            return false;
        }
    }
    // A run that failed has said why already.
    if (complete && nextStill < options.at.size()) {
        std::fprintf(stderr, "zelvaro-capture: the run ended at music time %.3f s, before the --at time %.3f s\n",
                     double(musicTime), options.at[nextStill]);
        return false;
    }
    if (!video) {
        if (picturesWritten > 0) {
            std::fprintf(stderr, "zelvaro-capture: %ld pictures in %s\n", picturesWritten,
                         options.out.c_str());
        } else if (complete && !options.out.empty()) {
            std::fprintf(stderr, "zelvaro-capture: no frame was in the range asked for\n");
            return false;
        }
        // Which file holds each time asked for.
        for (size_t i = 0; i < stillFrames.size() && !options.out.empty(); ++i) {
            std::fprintf(stderr, "zelvaro-capture: music time %.3f s: %s/%s\n", options.at[i],
                         options.out.c_str(), pictureName(stillFrames[i]).c_str());
        }
        return true;
    }
    // The last picture's music: one more frame of it.
    if (audioOwed) {
        framePcm.clear();
        audioAdvanceVirtualOutput(frameSamples(frameNumber), &framePcm);
        video->addAudio(framePcm);
    }
    std::string error;
    if (picturesWritten == 0) {
        std::fprintf(stderr, "zelvaro-capture: no frame was in the range asked for\n");
        return false;
    }
    if (!video->finish(&error)) {
        std::fprintf(stderr, "zelvaro-capture: %s\n", error.c_str());
        return false;
    }
    std::fprintf(stderr, "zelvaro-capture: %ld frames with their music in %s\n", picturesWritten,
                 options.out.c_str());
    return true;
}

int CaptureRun::stop(bool ok) {
    ok = finish(ok) && ok;
    std::fflush(stdout);
    // The regular way out of the show: the window goes, the demo shuts down.
    if (mainWindow != nullptr) DestroyWindow(mainWindow);
    return ok ? 0 : 1;
}

void CaptureRun::showProgress() {
    if (!isatty(STDERR_FILENO)) return;
    const double target = options.hasTo           ? options.to
                          : !options.at.empty() ? options.at.back()
                                                : showSeconds;
    const double now = musicStarted ? double(musicTime) : 0.0;
    if (now - progressShownAt < 0.5 && progressShownAt >= 0) return;
    progressShownAt = now;
    const int barWidth = 40;
    const double share = target > 0 ? now / target : 1.0;
    const int filled = int((share > 1.0 ? 1.0 : share) * barWidth);
    std::fprintf(stderr, "\r[%.*s%*s] music %6.1f s of %.1f  frame %ld  pictures %ld ", filled,
                 "########################################", barWidth - filled, "", now, target,
                 frameNumber, picturesWritten);
}
