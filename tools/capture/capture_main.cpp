// zelvaro-capture: the show rendered offscreen on a virtual clock, frame by
// frame, into PNG files or a video file, and traced.
#include <audio_virtual.h>
#include <signal.h>
#include <unistd.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "capture_call_trace.h"
#include "capture_options.h"
#include "capture_run.h"
#include "display_size.h"
#include "main_window.h"
#include "picture_shaping.h"
#include "virtual_clock.h"

namespace {

// A crash: a word on the likely cause before the crash takes its course.
// Mesa's software driver (llvmpipe, Debian 12) has a rare race in its fences
// that corrupts the heap; the files written so far are whole (partial_file.h).
constexpr int crashSignals[] = {SIGSEGV, SIGBUS, SIGABRT};
struct sigaction previousActions[3];

void onCrash(int signal, siginfo_t* info, void*) {
    static const char message[] =
        "\nzelvaro-capture: crashed. With Mesa's software OpenGL driver (llvmpipe) this is\n"
        "  most likely its known fence race; LP_NUM_THREADS=0 avoids it (README.md,\n"
        "  Troubleshooting). The pictures written so far are complete.\n";
    const ssize_t written = write(STDERR_FILENO, message, sizeof message - 1);
    (void)written;
    // The previous handling (the default, or a sanitizer's) takes over: a
    // faulting instruction runs again; a sent signal is sent again.
    for (int i = 0; i < 3; ++i) {
        if (crashSignals[i] == signal) sigaction(signal, &previousActions[i], nullptr);
    }
    if (info->si_code <= 0) raise(signal);
}

void explainCrashes() {
    struct sigaction action {};
    action.sa_sigaction = onCrash;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_SIGINFO;
    for (int i = 0; i < 3; ++i) sigaction(crashSignals[i], &action, &previousActions[i]);
}

}  // namespace

int main(int argc, char** argv) {
    CaptureOptions options;
    PictureLayout layout;
    std::string error;
    if (!parseCaptureOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "zelvaro-capture: %s\n\n%s", error.c_str(), captureUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(captureUsage, stdout);
        return 0;
    }
    if (!layoutPicture(options, displayWidth, displayHeight, &layout, &error)) {
        std::fprintf(stderr, "zelvaro-capture: %s\n", error.c_str());
        return 2;
    }
    // The window the show makes for itself, frame metrics added to its base size.
    displayWidth = layout.drawnWidth();
    displayHeight = layout.drawnHeight();
    windowBaseWidth = layout.windowWidth - 2 * GetSystemMetrics(SM_CXFRAME);
    windowBaseHeight =
        layout.windowHeight - GetSystemMetrics(SM_CYCAPTION) - 2 * GetSystemMetrics(SM_CYFRAME);

    // No screen and no sound device: the picture stays offscreen, the
    // music position moves with the frames.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    explainCrashes();
    virtualClockStart(options.fps);
    audioUseVirtualOutput();

    if (!options.traceCalls.empty()) captureRecordDeviceCalls();
    CaptureRun capture(options, layout);
    if (!capture.prepare(&error)) {
        std::fprintf(stderr, "zelvaro-capture: %s\n", error.c_str());
        return 1;
    }
    // The whole start-up of the show runs inside the window's creation.
    if (!createMainWindow(GetModuleHandleA(nullptr))) {
        std::fprintf(stderr, "zelvaro-capture: cannot open the offscreen window\n");
        return 1;
    }
    return capture.run();
}
