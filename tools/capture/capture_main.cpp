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

namespace {

// The show is drawn as on a display of the drawn size: the display mode is
// that size and the window, like the program's own, two pixels smaller plus
// the frame and caption metrics, so its right and bottom edges reach past
// the screen. Supersampled, the whole window is `factor` times the plain
// one, the parts past the screen included: the projection then spreads the
// same picture over `factor` times as many pixels each way.
void useDrawnSize(const PictureLayout& layout) {
    const int frameWidth = 2 * GetSystemMetrics(SM_CXFRAME);
    const int frameHeight = GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME);
    displayWidth = layout.drawnWidth();
    displayHeight = layout.drawnHeight();
    windowBaseWidth = layout.factor * (layout.pictureWidth - 2 + frameWidth) - frameWidth;
    windowBaseHeight = layout.factor * (layout.pictureHeight - 2 + frameHeight) - frameHeight;
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
    useDrawnSize(layout);

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
