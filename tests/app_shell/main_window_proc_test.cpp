// The main window procedure: activation, keys and the close sequence, on a
// window of the Win32 layer (SDL offscreen) without the demo's start-up.
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>

#include "main_window.h"
#include "win32_sdl.h"

namespace {

bool withShutdown = true;

// The demo's start-up (and, when the test says so, its shutdown) left out.
LRESULT CALLBACK procedureWithoutStartUp(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
    if (message == WM_CREATE) return 0;
    if (message == WM_DESTROY && !withShutdown) return 0;
    return mainWindowProc(window, message, wParam, lParam);
}

bool cursorShown() { return SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE; }

class MainWindowProcTest : public ::testing::Test {
protected:
    HWND window = nullptr;

    void SetUp() override {
        static int counter = 0;
        const std::string name = "shell_test_" + std::to_string(++counter);
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = procedureWithoutStartUp;
        windowClass.lpszClassName = name.c_str();
        ASSERT_NE(RegisterClassA(&windowClass), 0);
        window = CreateWindowExA(0, name.c_str(), "", WS_POPUP | WS_VISIBLE, 0, 0, 64, 48,
                                 nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        withShutdown = true;
        drain();
    }

    void TearDown() override {
        withShutdown = false;
        if (IsWindow(window)) {
            activate(WA_INACTIVE);  // the cursor counter back where it was
            DestroyWindow(window);
        }
        drain();
    }

    // Takes every waiting message without handing it to the procedure.
    std::vector<MSG> drain() {
        std::vector<MSG> taken;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) taken.push_back(message);
        return taken;
    }

    void activate(WPARAM wParam) { SendMessageA(window, WM_ACTIVATE, wParam, 0); }
};

TEST_F(MainWindowProcTest, OpensActiveWithTheCursorHidden) {
    EXPECT_EQ(windowActive, 1);
    EXPECT_FALSE(cursorShown());
}

TEST_F(MainWindowProcTest, FocusLossStopsFramesAndShowsTheCursor) {
    activate(WA_INACTIVE);
    EXPECT_EQ(windowActive, 0);
    EXPECT_TRUE(cursorShown());
    activate(WA_ACTIVE);
    EXPECT_EQ(windowActive, 1);
    EXPECT_FALSE(cursorShown());
    // Minimised (high word set) is inactive too; a click activates.
    activate(static_cast<WPARAM>(MAKELONG(WA_INACTIVE, 1)));
    EXPECT_EQ(windowActive, 0);
    EXPECT_TRUE(cursorShown());
    activate(WA_CLICKACTIVE);
    EXPECT_EQ(windowActive, 1);
    EXPECT_FALSE(cursorShown());
}

TEST_F(MainWindowProcTest, OtherActivationValuesChangeNothing) {
    activate(3);
    EXPECT_EQ(windowActive, 1);
    EXPECT_FALSE(cursorShown());
    activate(WA_INACTIVE);
    activate(static_cast<WPARAM>(MAKELONG(3, 1)));
    EXPECT_EQ(windowActive, 0);
    EXPECT_TRUE(cursorShown());
    activate(WA_ACTIVE);
}

TEST_F(MainWindowProcTest, SdlFocusEventsReachTheProcedure) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SDL_GetWindowID(win32GetSdlWindow(window));
    event.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    drain();
    EXPECT_EQ(windowActive, 0);
    EXPECT_TRUE(cursorShown());
    event.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    drain();
    EXPECT_EQ(windowActive, 1);
    EXPECT_FALSE(cursorShown());
}

TEST_F(MainWindowProcTest, EscapeAndF12PostACloseRequest) {
    for (WPARAM key : {WPARAM{VK_ESCAPE}, WPARAM{VK_F12}}) {
        EXPECT_EQ(SendMessageA(window, WM_KEYDOWN, key, 1), 0);
        const std::vector<MSG> posted = drain();
        ASSERT_EQ(posted.size(), 1u) << key;
        EXPECT_EQ(posted[0].hwnd, window);
        EXPECT_EQ(posted[0].message, static_cast<UINT>(WM_CLOSE));
        EXPECT_EQ(posted[0].wParam, 0u);
        EXPECT_EQ(posted[0].lParam, 0);
        EXPECT_TRUE(IsWindow(window));  // only asked, not closed yet
    }
}

TEST_F(MainWindowProcTest, OtherKeysDoNothing) {
    for (WPARAM key : {WPARAM{'A'}, WPARAM{VK_SPACE}, WPARAM{VK_RETURN}, WPARAM{VK_F11},
                       WPARAM{VK_F1}, WPARAM{0x7C} /* F13 */}) {
        EXPECT_EQ(SendMessageA(window, WM_KEYDOWN, key, 1), 0);
        EXPECT_TRUE(drain().empty()) << key;
    }
    EXPECT_EQ(windowActive, 1);
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(MainWindowProcTest, CloseDestroysTheWindowAndQuitsWithZero) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    ASSERT_EQ(message.message, static_cast<UINT>(WM_CLOSE));
    DispatchMessageA(&message);
    EXPECT_FALSE(IsWindow(window));
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 0u);
}

}  // namespace
