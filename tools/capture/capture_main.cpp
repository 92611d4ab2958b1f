// zelvaro-capture: the show rendered offscreen on a virtual clock, frame by
// frame, into PNG files or a video file, and traced.
#include <audio_virtual.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "capture_options.h"
#include "capture_run.h"
#include "display_size.h"
#include "main_window.h"
#include "picture_shaping.h"
#include "virtual_clock.h"

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
    virtualClockStart(options.fps);
    audioUseVirtualOutput();

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
