#include "capture_run.h"

#include <audio_virtual.h>
#include <sys/stat.h>
#include <unistd.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "demo_context.h"
#include "frame_timer.h"
#include "main_window.h"
#include "music_clock.h"
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

}  // namespace

CaptureRun::CaptureRun(const CaptureOptions& chosen, int pictureWidth, int pictureHeight)
    : options(chosen), width(pictureWidth), height(pictureHeight), nearby(0.25 / chosen.fps) {
    // The yardstick is the larger build's picture whatever this program's size.
    if (options.profile) profile.reset(new FrameProfile(d3d8WallSeconds(), 1024, 768));
}

CaptureRun::~CaptureRun() {
    if (readback != nullptr) readback->Release();
}

bool CaptureRun::prepare(std::string* error) {
    if (outputIsVideo(options)) {
        video.reset(new VideoWriter());
        if (!video->open(options.out, width, height, options.fps, error)) return false;
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
    if (options.hasAt) return musicStarted && musicTime >= options.at - nearby;
    if (options.hasFrom) return musicStarted && musicTime >= options.from - nearby;
    return true;
}

bool CaptureRun::pastEnd() const {
    return options.hasTo && musicStarted && musicTime > options.to + nearby;
}

int CaptureRun::run() {
    const bool needsMusic = options.hasAt || options.hasFrom || options.hasTo;
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
        const bool ok = finish();
        std::fflush(stdout);
        if (!ok) std::exit(1);
    }
    const bool capture = inRange();
    if (profile) profile->beginFrame();
    if (demoContext != nullptr) demoContext->renderFrame();
    if (profile) profile->endFrame(demoContext != nullptr ? demoContext->sceneNumber : 0);

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
    showProgress();
    ++frameNumber;

    if (capture && options.hasAt) return Step::stop;
    if (options.maxFrames > 0 && frameNumber >= options.maxFrames) return Step::stop;
    if (!(options.hasAt || options.hasFrom || options.hasTo)) return Step::next;
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

bool CaptureRun::capturePicture(std::string* error) {
    IDirect3DDevice8* device = demoContext != nullptr ? demoContext->device : nullptr;
    if (device == nullptr) {
        *error = "the show has no device to read pictures from";
        return false;
    }
    if (readback == nullptr &&
        FAILED(device->CreateImageSurface(UINT(width), UINT(height), D3DFMT_A8R8G8B8, &readback))) {
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
    bool ok = false;
    if (video) {
        ok = video->addPicture(pixels, locked.Pitch, error);
    } else {
        char name[32];
        std::snprintf(name, sizeof name, "/frame_%06ld.png", frameNumber);
        ok = writePng(options.out + name, width, height, pixels, locked.Pitch, error);
    }
    readback->UnlockRect();
    if (ok) ++picturesWritten;
    return ok;
}

bool CaptureRun::finish() {
    if (finished) return true;
    finished = true;
    if (progressShownAt >= 0) std::fputc('\n', stderr);
    if (profile) profile->print(stdout);
    if (!video) {
        if (picturesWritten > 0) {
            std::fprintf(stderr, "zelvaro-capture: %ld pictures in %s\n", picturesWritten,
                         options.out.c_str());
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
    ok = finish() && ok;
    std::fflush(stdout);
    // The regular way out of the show: the window goes, the demo shuts down.
    if (mainWindow != nullptr) DestroyWindow(mainWindow);
    return ok ? 0 : 1;
}

void CaptureRun::showProgress() {
    if (!isatty(STDERR_FILENO)) return;
    const double target = options.hasAt ? options.at : options.hasTo ? options.to : showSeconds;
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
