// zelvaro-capture: the show rendered offscreen on a virtual clock, frame by
// frame, into PNG files or a .mp4 file, and traced.
#include <audio_virtual.h>
#include <unistd.h>
#include <windows.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "capture_call_trace.h"
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
    virtualClockStart(options.fps);
    audioUseVirtualOutput();

    if (!options.traceCalls.empty()) captureRecordDeviceCalls();
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
