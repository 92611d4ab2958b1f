// The whole shell through WinMain on SDL's offscreen driver: start-up inside
// window creation, frames back to back, a pause while the window is inactive,
// Escape. The counter is the test's own; each frame's read of it is the hook
// where the test acts, as a person would between two frames.
#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>

#include "demo_context.h"
#include "display_size.h"
#include "frame_timer.h"
#include "main_window.h"
#include "test_clock.h"
#include "win32_sdl.h"

namespace {

constexpr int64_t ticksPerSecond = 1000000;
constexpr int64_t frameTicks = 16000;
constexpr int64_t pauseTicks = 2 * ticksPerSecond;

std::atomic<bool> pauseEnded{false};

void pushToWindow(SDL_Event event) {
    event.window.windowID = SDL_GetWindowID(win32GetSdlWindow(mainWindow));
    SDL_PushEvent(&event);
}

void pushWindowEvent(Uint8 kind) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = kind;
    pushToWindow(event);
}

// Runs on SDL's timer thread while the loop spins with the window inactive:
// the counter moves on by the length of the pause, then focus comes back.
Uint32 endPause(Uint32, void*) {
    testClock.counter += pauseTicks;
    pauseEnded = true;
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    return 0;
}

TEST(ZELVARO_LOOP_SUITE, FramesPauseWhileInactiveAndEndOnEscape) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_TIMER), 0);
    testClock.frequency = ticksPerSecond;
    testClock.counter = 5 * ticksPerSecond;  // the counter has run 5 s at start
    testClock.stepPerRead = frameTicks;
    float firstFrameSeconds = 0.0f;
    float frameSecondsAfterPause = 0.0f;

    testClock.onRead = [&](int frame) {
        switch (frame) {
        case 1: {
            // Start-up is complete before the first frame: the window and the
            // demo context exist, the window is active, the cursor hidden.
            ASSERT_NE(mainWindow, nullptr);
            ASSERT_NE(demoContext, nullptr);
            EXPECT_NE(demoContext->device, nullptr);
            EXPECT_EQ(windowActive, 1);
            EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
            // Frame and caption metrics on top of the base size.
            RECT client{};
            ASSERT_TRUE(GetClientRect(mainWindow, &client));
#if ZELVARO_DISPLAY_WIDTH == 640
            EXPECT_EQ(client.right, 646);
            EXPECT_EQ(client.bottom, 505);
#else
            EXPECT_EQ(client.right, 1030);
            EXPECT_EQ(client.bottom, 793);
#endif
            break;
        }
        case 2:
            firstFrameSeconds = frameTimer.frameSeconds();
            pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
            SDL_AddTimer(200, endPause, nullptr);
            break;
        case 3:
            // No frame while inactive: the next read only comes after the pause.
            EXPECT_TRUE(pauseEnded.load());
            EXPECT_EQ(windowActive, 1);
            EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
            break;
        case 4: {
            frameSecondsAfterPause = frameTimer.frameSeconds();
            SDL_Event key{};
            key.type = SDL_KEYDOWN;
            key.key.state = SDL_PRESSED;
            key.key.keysym.sym = SDLK_ESCAPE;
            key.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
            key.key.windowID = SDL_GetWindowID(win32GetSdlWindow(mainWindow));
            SDL_PushEvent(&key);
            break;
        }
        default:
            ADD_FAILURE() << "frame " << frame << " rendered after Escape";
            break;
        }
    };

    char commandLine[] = "";
    const int exitCode = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOW);
    testClock.onRead = nullptr;

    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(testClock.reads, 4);
    // The first frame measures from counter 0, the frame after the pause
    // covers the pause: both above 0.1 s, so the scenes skip their step.
    EXPECT_FLOAT_EQ(firstFrameSeconds, 5.0f);
    EXPECT_GT(static_cast<double>(frameSecondsAfterPause), 0.1);
    EXPECT_FLOAT_EQ(frameSecondsAfterPause, 2.016f);
    EXPECT_FALSE(IsWindow(mainWindow));
}

}  // namespace
