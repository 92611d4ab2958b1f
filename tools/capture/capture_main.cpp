// zelvaro-capture: the show rendered offscreen on a virtual clock, frame by
// frame, into PNG files or a .mp4 file, and traced.
#include <audio_virtual.h>
#include <signal.h>
#include <unistd.h>
#include <windows.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "capture_options.h"
#include "capture_run.h"
#include "display_size.h"
#include "main_window.h"
#include "virtual_clock.h"

namespace {

// The other size is the other build: run its capture program with the same options.
int runOtherBuild(int size, char** argv) {
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        std::fprintf(stderr, "zelvaro-capture: cannot find the capture program of size %d\n", size);
        return 1;
    }
    self[length] = '\0';
    std::string program(self);
    program = program.substr(0, program.rfind('/') + 1) +
              (size == 640 ? "zelvaro-capture-640" : "zelvaro-capture");
    execv(program.c_str(), argv);
    std::fprintf(stderr, "zelvaro-capture: cannot run %s: %s\n", program.c_str(),
                 std::strerror(errno));
    return 1;
}

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
    std::string error;
    if (!parseCaptureOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "zelvaro-capture: %s\n\n%s", error.c_str(), captureUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(captureUsage, stdout);
        return 0;
    }
    if (options.size != 0 && options.size != displayWidth) return runOtherBuild(options.size, argv);

    // No screen and no sound device: the picture stays offscreen, the
    // music position moves with the frames.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    explainCrashes();
    virtualClockStart(options.fps);
    audioUseVirtualOutput();

    CaptureRun capture(options, displayWidth, displayHeight);
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
