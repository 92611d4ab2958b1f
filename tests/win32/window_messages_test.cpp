// Windows, messages and SDL input through the Win32 calls, on SDL's offscreen
// video driver: what a window procedure receives, and in which order.
#include <SDL.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "win32_sdl.h"

namespace {

struct Received {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::vector<Received> received;
CREATESTRUCTA createdWith;
bool quitOnDestroy = true;

LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    received.push_back({window, message, wParam, lParam});
    switch (message) {
    case WM_CREATE:
        createdWith = *reinterpret_cast<const CREATESTRUCTA*>(lParam);
        return 0;
    case WM_DESTROY:
        if (quitOnDestroy) PostQuitMessage(7);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK refusingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) return -1;
    return DefWindowProcA(window, message, wParam, lParam);
}

// Every test registers its own class: classes live as long as the process.
std::string registerClass(WNDPROC procedure) {
    static int counter = 0;
    std::string name = "test_class_" + std::to_string(++counter);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = name.c_str();
    EXPECT_NE(RegisterClassA(&windowClass), 0);
    return name;
}

// Delivers everything waiting, as a message loop does, up to WM_QUIT.
std::vector<UINT> pumpMessages(int* quitCode = nullptr) {
    std::vector<UINT> taken;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        taken.push_back(message.message);
        if (message.message == WM_QUIT) {
            if (quitCode != nullptr) *quitCode = static_cast<int>(message.wParam);
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return taken;
}

std::vector<UINT> receivedMessages() {
    std::vector<UINT> messages;
    for (const Received& entry : received) messages.push_back(entry.message);
    return messages;
}

class WindowTest : public ::testing::Test {
protected:
    HWND window = nullptr;

    void SetUp() override {
        received.clear();
        quitOnDestroy = true;
        const std::string name = registerClass(recordingProc);
        int buffer = 42;
        window = CreateWindowExA(0, name.c_str(), "test window", WS_POPUP | WS_VISIBLE, 0, 0, 320,
                                 200, nullptr, nullptr, GetModuleHandleA(nullptr), &buffer);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        EXPECT_EQ(createdWith.lpCreateParams, &buffer);
        pumpMessages();  // whatever SDL reports about the new window
        received.clear();
    }

    void TearDown() override {
        quitOnDestroy = false;
        if (IsWindow(window)) DestroyWindow(window);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    Uint32 sdlId() const { return SDL_GetWindowID(win32GetSdlWindow(window)); }

    void pushKey(SDL_Keycode symbol, SDL_Scancode scancode, Uint32 type = SDL_KEYDOWN) {
        SDL_Event event{};
        event.type = type;
        event.key.type = type;
        event.key.windowID = sdlId();
        event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.sym = symbol;
        event.key.keysym.scancode = scancode;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    void pushWindowEvent(Uint8 kind) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.type = SDL_WINDOWEVENT;
        event.window.windowID = sdlId();
        event.window.event = kind;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }
};

TEST(WindowCreation, SendsCreateThenActivateBeforeReturning) {
    received.clear();
    const std::string name = registerClass(recordingProc);
    HWND window = CreateWindowExA(0, name.c_str(), "title", WS_POPUP | WS_VISIBLE, 0, 0, 1032,
                                  795, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    ASSERT_GE(received.size(), 2u);
    EXPECT_EQ(received[0].message, static_cast<UINT>(WM_CREATE));
    EXPECT_EQ(received[0].window, window);
    EXPECT_EQ(createdWith.cx, 1032);
    EXPECT_EQ(createdWith.cy, 795);
    EXPECT_EQ(createdWith.style, static_cast<LONG>(WS_POPUP | WS_VISIBLE));
    EXPECT_STREQ(createdWith.lpszClass, name.c_str());
    EXPECT_EQ(received[1].message, static_cast<UINT>(WM_ACTIVATE));
    EXPECT_EQ(LOWORD(received[1].wParam), WA_ACTIVE);

    // The window is borderless, OpenGL-capable, and as large as asked.
    SDL_Window* sdlWindow = win32GetSdlWindow(window);
    ASSERT_NE(sdlWindow, nullptr);
    const Uint32 flags = SDL_GetWindowFlags(sdlWindow);
    EXPECT_NE(flags & SDL_WINDOW_BORDERLESS, 0u);
    EXPECT_NE(flags & SDL_WINDOW_OPENGL, 0u);
    RECT client{};
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.right - client.left, 1032);
    EXPECT_EQ(client.bottom - client.top, 795);
    quitOnDestroy = false;
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(win32GetSdlWindow(window), nullptr);
}

TEST(WindowCreation, RefusedByTheProcedureOrWithoutItsClass) {
    const std::string refusing = registerClass(refusingProc);
    EXPECT_EQ(CreateWindowExA(0, refusing.c_str(), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr),
              nullptr);
    EXPECT_EQ(CreateWindowExA(0, "no such class", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), 1407u);  // ERROR_CANNOT_FIND_WND_CLASS

    WNDCLASSA again{};
    again.lpfnWndProc = refusingProc;
    again.lpszClassName = refusing.c_str();
    EXPECT_EQ(RegisterClassA(&again), 0);
    WNDCLASSA unnamed{};
    unnamed.lpfnWndProc = refusingProc;
    EXPECT_EQ(RegisterClassA(&unnamed), 0);
    EXPECT_EQ(RegisterClassA(nullptr), 0);
}

TEST_F(WindowTest, KeysBecomeVirtualKeyMessages) {
    pushKey(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    pushKey(SDLK_F12, SDL_SCANCODE_F12);
    pushKey(SDLK_a, SDL_SCANCODE_A);
    pushKey(SDLK_7, SDL_SCANCODE_7);
    pushKey(SDLK_LEFT, SDL_SCANCODE_LEFT);
    pushKey(SDLK_SPACE, SDL_SCANCODE_SPACE);
    pushKey(SDLK_KP_3, SDL_SCANCODE_KP_3);
    pushKey(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, SDL_KEYUP);
    pumpMessages();

    const std::vector<std::pair<UINT, WPARAM>> expected = {
        {WM_KEYDOWN, VK_ESCAPE}, {WM_KEYDOWN, VK_F12},   {WM_KEYDOWN, 'A'},
        {WM_KEYDOWN, '7'},       {WM_KEYDOWN, VK_LEFT},  {WM_KEYDOWN, VK_SPACE},
        {WM_KEYDOWN, VK_NUMPAD0 + 3}, {WM_KEYUP, VK_ESCAPE}};
    ASSERT_EQ(received.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(received[i].window, window);
        EXPECT_EQ(received[i].message, expected[i].first) << i;
        EXPECT_EQ(received[i].wParam, expected[i].second) << i;
    }
    EXPECT_EQ(received[0].lParam & 0xFFFF, 1);  // repeat count
}

TEST_F(WindowTest, KeysFollowTheLayoutWhereItNamesThem) {
    // A French keyboard: the key at the position of Q gives A.
    pushKey(SDLK_a, SDL_SCANCODE_Q);
    // A symbol without a virtual key of its own keeps the position's key.
    pushKey(0xE9 /* e acute */, SDL_SCANCODE_2);
    pumpMessages();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].wParam, static_cast<WPARAM>('A'));
    EXPECT_EQ(received[1].wParam, static_cast<WPARAM>('2'));
}

TEST_F(WindowTest, ActivationIsSentOncePerChange) {
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));  // sent, not posted
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].message, static_cast<UINT>(WM_ACTIVATE));
    EXPECT_EQ(LOWORD(received[0].wParam), WA_INACTIVE);

    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    pushWindowEvent(SDL_WINDOWEVENT_MINIMIZED);
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    pumpMessages();
    ASSERT_EQ(received.size(), 4u);
    EXPECT_EQ(LOWORD(received[1].wParam), WA_ACTIVE);
    EXPECT_EQ(LOWORD(received[2].wParam), WA_INACTIVE);
    EXPECT_EQ(HIWORD(received[2].wParam), 1);  // minimised
    EXPECT_EQ(LOWORD(received[3].wParam), WA_ACTIVE);
    EXPECT_EQ(HIWORD(received[3].wParam), 0);
}

TEST_F(WindowTest, CloseRequestDestroysTheWindowThenQuits) {
    pushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    int quitCode = -1;
    const std::vector<UINT> taken = pumpMessages(&quitCode);
    EXPECT_EQ(receivedMessages(), (std::vector<UINT>{WM_CLOSE, WM_DESTROY}));
    EXPECT_EQ(taken, (std::vector<UINT>{WM_CLOSE, WM_QUIT}));
    EXPECT_EQ(quitCode, 7);
    EXPECT_FALSE(IsWindow(window));
    // The window is gone: posting to it fails, dispatching its messages does nothing.
    EXPECT_FALSE(PostMessageA(window, WM_CLOSE, 0, 0));
    EXPECT_EQ(GetLastError(), 1400u);  // ERROR_INVALID_WINDOW_HANDLE
}

TEST_F(WindowTest, SessionQuitClosesTheWindow) {
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 1);
    pushWindowEvent(SDL_WINDOWEVENT_CLOSE);  // both at once close it once
    pumpMessages();
    EXPECT_EQ(receivedMessages(), (std::vector<UINT>{WM_CLOSE, WM_DESTROY}));
}

TEST_F(WindowTest, PostedMessagesComeInOrderBeforeQuit) {
    PostQuitMessage(3);
    EXPECT_TRUE(PostMessageA(window, WM_USER + 1, 11, 0));
    EXPECT_TRUE(PostMessageA(window, WM_USER + 2, 22, 0));
    EXPECT_TRUE(PostMessageA(nullptr, WM_USER + 3, 33, 0));  // to the thread

    MSG message;
    // Looking without removing leaves the message where it is.
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 1));
    // A range picks the later message first.
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_USER + 2, WM_USER + 2, PM_REMOVE));
    EXPECT_EQ(message.wParam, 22u);

    int quitCode = -1;
    EXPECT_EQ(pumpMessages(&quitCode), (std::vector<UINT>{WM_USER + 1, WM_USER + 3, WM_QUIT}));
    EXPECT_EQ(quitCode, 3);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));  // quit is taken once
    ASSERT_EQ(received.size(), 1u);  // the thread message reaches no window
    EXPECT_EQ(received[0].wParam, 11u);
}

TEST_F(WindowTest, SendMessageReachesTheProcedureAtOnce) {
    EXPECT_EQ(SendMessageA(window, WM_USER, 5, 6), 0);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].wParam, 5u);
    EXPECT_EQ(received[0].lParam, 6);
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(SendMessageA(nullptr, WM_USER, 0, 0), 0);
}

TEST(SystemMetrics, ClassicFrameAndTheDisplaysSize) {
    EXPECT_EQ(GetSystemMetrics(SM_CXFRAME), 4);
    EXPECT_EQ(GetSystemMetrics(SM_CYFRAME), 4);
    EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 19);
    const int width = GetSystemMetrics(SM_CXSCREEN);  // starts SDL's video
    SDL_DisplayMode desktop;
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
    EXPECT_EQ(width, desktop.w);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), desktop.h);
}

TEST(DisplayMode, AnOfferedModeMakesTheCoveringWindowFullScreen) {
    const int desktopWidth = GetSystemMetrics(SM_CXSCREEN);
    const int desktopHeight = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_GT(desktopWidth, 0);
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    mode.dmBitsPerPel = 32;
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;

    // A mode the display does not offer fails and changes nothing.
    mode.dmPelsWidth = 123;
    mode.dmPelsHeight = 45;
    EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_BADMODE);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), desktopWidth);

    // The display always offers the desktop's own mode.
    mode.dmPelsWidth = static_cast<DWORD>(desktopWidth);
    mode.dmPelsHeight = static_cast<DWORD>(desktopHeight);
    EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), desktopWidth);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), desktopHeight);

    // The borderless window at (0, 0) made after it covers the screen full
    // screen and keeps reporting the size it was made with, frame included.
    received.clear();
    quitOnDestroy = false;
    const std::string name = registerClass(recordingProc);
    HWND window = CreateWindowExA(0, name.c_str(), "", WS_POPUP | WS_VISIBLE, 0, 0,
                                  desktopWidth + 8, desktopHeight + 27, nullptr, nullptr, nullptr,
                                  nullptr);
    ASSERT_NE(window, nullptr);
    SDL_Window* sdlWindow = win32GetSdlWindow(window);
    EXPECT_NE(SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_FULLSCREEN, 0u);
    RECT client{};
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.right, desktopWidth + 8);
    EXPECT_EQ(client.bottom, desktopHeight + 27);

    // A window that does not cover the screen stays as it is.
    HWND small = CreateWindowExA(0, name.c_str(), "", WS_POPUP | WS_VISIBLE, 0, 0, 64, 48,
                                 nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(SDL_GetWindowFlags(win32GetSdlWindow(small)) & SDL_WINDOW_FULLSCREEN, 0u);

    // The null mode gives the desktop back.
    EXPECT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_FULLSCREEN, 0u);
    DestroyWindow(small);
    DestroyWindow(window);
}

TEST(Cursor, ShownWhileTheDisplayCounterIsNotNegative) {
    ASSERT_GT(GetSystemMetrics(SM_CXSCREEN), 0);  // SDL's video runs
    const int start = ShowCursor(TRUE) - 1;
    EXPECT_EQ(ShowCursor(FALSE), start);
    EXPECT_EQ(ShowCursor(FALSE), start - 1);
    EXPECT_EQ(ShowCursor(FALSE), start - 2);
    if (start - 2 < 0) {
        EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    }
    EXPECT_EQ(ShowCursor(TRUE), start - 1);
    EXPECT_EQ(ShowCursor(TRUE), start);
    EXPECT_EQ(ShowCursor(TRUE), start + 1);
    if (start + 1 >= 0) {
        EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    }
    ShowCursor(FALSE);
}

TEST(Counter, FixedFrequencyAndNeverBackwards) {
    LARGE_INTEGER frequency{};
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    EXPECT_EQ(frequency.QuadPart, 1000000000);
    LARGE_INTEGER previous{};
    ASSERT_TRUE(QueryPerformanceCounter(&previous));
    for (int i = 0; i < 1000; ++i) {
        LARGE_INTEGER now{};
        ASSERT_TRUE(QueryPerformanceCounter(&now));
        ASSERT_GE(now.QuadPart, previous.QuadPart);
        previous = now;
    }
    EXPECT_FALSE(QueryPerformanceCounter(nullptr));
}

}  // namespace
