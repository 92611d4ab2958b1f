// The message queue of the program's one thread: messages posted by the
// program and input translated from SDL's events, in the order they arrived;
// WM_QUIT once nothing else waits. Activation is sent, not posted: the window
// procedure receives it while PeekMessageA or GetMessageA looks for input.
#include <SDL.h>

#include <deque>

#include "win32_windows.h"

namespace {

struct MessageQueue {
    std::deque<MSG> messages;
    bool quitPosted = false;
    int quitCode = 0;
};

MessageQueue& queue() {
    static MessageQueue instance;
    return instance;
}

// HWND -1 asks for the messages posted to the thread (window null) only.
HWND const threadMessagesOnly = reinterpret_cast<HWND>(static_cast<intptr_t>(-1));

bool matches(const MSG& message, HWND window, UINT filterMin, UINT filterMax) {
    if (window == threadMessagesOnly) {
        if (message.hwnd != nullptr) return false;
    } else if (window != nullptr && message.hwnd != window) {
        return false;
    }
    if (filterMin == 0 && filterMax == 0) return true;
    return message.message >= filterMin && message.message <= filterMax;
}

bool takeMessage(MSG* msg, HWND window, UINT filterMin, UINT filterMax, bool remove) {
    MessageQueue& state = queue();
    for (auto it = state.messages.begin(); it != state.messages.end(); ++it) {
        if (!matches(*it, window, filterMin, filterMax)) continue;
        *msg = *it;
        if (remove) state.messages.erase(it);
        return true;
    }
    // The quit message comes whatever the message range asked for.
    if (state.quitPosted && (window == nullptr || window == threadMessagesOnly)) {
        MSG quit{};
        quit.message = WM_QUIT;
        quit.wParam = static_cast<WPARAM>(state.quitCode);
        quit.time = SDL_GetTicks();
        *msg = quit;
        if (remove) state.quitPosted = false;
        return true;
    }
    return false;
}

}  // namespace

void win32PostToQueue(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG posted{};
    posted.hwnd = window;
    posted.message = message;
    posted.wParam = wParam;
    posted.lParam = lParam;
    posted.time = SDL_GetTicks();
    queue().messages.push_back(posted);
}

void win32DropMessagesFor(HWND window) {
    auto& messages = queue().messages;
    for (auto it = messages.begin(); it != messages.end();) {
        it = it->hwnd == window ? messages.erase(it) : it + 1;
    }
}

void win32SetActive(Win32Window& window, bool active, bool minimised) {
    if (window.active == active) return;
    window.active = active;
    const WORD state = active ? WA_ACTIVE : WA_INACTIVE;
    const WPARAM wParam = static_cast<WPARAM>(MAKELONG(state, minimised ? 1 : 0));
    window.procedure(window.handle, WM_ACTIVATE, wParam, 0);
}

BOOL WINAPI PeekMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMsg) {
    if (msg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    win32PumpSdlEvents();
    return takeMessage(msg, window, filterMin, filterMax, (removeMsg & PM_REMOVE) != 0) ? TRUE
                                                                                          : FALSE;
}

BOOL WINAPI GetMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax) {
    if (msg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    for (;;) {
        win32PumpSdlEvents();
        if (takeMessage(msg, window, filterMin, filterMax, true)) {
            return msg->message == WM_QUIT ? FALSE : TRUE;
        }
        // Nothing waits and only SDL can bring more: wait for its next event.
        if (!win32EnsureVideo()) {
            SetLastError(win32ErrorNoDisplay);
            return -1;
        }
        SDL_WaitEventTimeout(nullptr, 100);
    }
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
    // Key messages would also give character messages; nothing here reads
    // characters, so none are made.
    if (msg == nullptr) return FALSE;
    return msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN ? TRUE : FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    if (msg == nullptr || msg->hwnd == nullptr) return 0;
    Win32Window* window = win32FindWindow(msg->hwnd);
    if (window == nullptr) return 0;
    return window->procedure(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    default:
        return 0;
    }
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32Window* found = win32FindWindow(window);
    if (found == nullptr) {
        SetLastError(win32ErrorInvalidWindowHandle);
        return 0;
    }
    return found->procedure(window, message, wParam, lParam);
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window != nullptr && win32FindWindow(window) == nullptr) {
        SetLastError(win32ErrorInvalidWindowHandle);
        return FALSE;
    }
    win32PostToQueue(window, message, wParam, lParam);
    return TRUE;
}

void WINAPI PostQuitMessage(int exitCode) {
    MessageQueue& state = queue();
    state.quitPosted = true;
    state.quitCode = exitCode;
}
