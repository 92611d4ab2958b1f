// Window classes and windows over SDL2: one SDL window per Win32 window, made
// with OpenGL support so that the Direct3D layer can draw into it.
#include <SDL.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <strings.h>

#include "win32_quiet_stderr.h"
#include "win32_sdl.h"
#include "win32_windows.h"

namespace {

struct WindowClass {
    WNDCLASSA description;
    std::string name;
    ATOM atom;
};

struct WindowRegistry {
    std::vector<WindowClass> classes;
    std::map<HWND, std::unique_ptr<Win32Window>> windows;
    std::vector<HWND> creationOrder;
    uintptr_t nextHandle = 0x10010;  // handles are never reused
    ATOM nextAtom = 0xC000;
    bool videoStarted = false;
    std::string videoError;
};

WindowRegistry& registry() {
    static WindowRegistry instance;
    return instance;
}

// The module handle of the program: any fixed non-null value serves.
HINSTANCE const programModule = reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x400000));

const WindowClass* findClass(LPCSTR name) {
    if (name == nullptr) return nullptr;
    for (const WindowClass& windowClass : registry().classes) {
        if (strcasecmp(windowClass.name.c_str(), name) == 0) return &windowClass;
    }
    return nullptr;
}

// At process exit, whichever way it ends: close the windows and give the
// desktop its own display mode back, as Windows does for a program that
// changed it with CDS_FULLSCREEN.
void stopVideo() {
    WindowRegistry& state = registry();
    for (auto& entry : state.windows) {
        if (entry.second->sdlWindow != nullptr) SDL_DestroyWindow(entry.second->sdlWindow);
    }
    state.windows.clear();
    state.creationOrder.clear();
    if (state.videoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    state.videoStarted = false;
}

void setOpenGlAttributes() {
    // The Direct3D layer draws with an OpenGL 3.3 core context; the visual of
    // the window is chosen when it is created, so the attributes go first.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
}

// The error code says only that there is no display; SDL's own reason goes
// to the debugger output.
void reportNoDisplay() {
    const std::string text = "CreateWindowExA: no display: " + registry().videoError + "\n";
    OutputDebugStringA(text.c_str());
    SetLastError(win32ErrorNoDisplay);
}

// Unless SDL_VIDEODRIVER names one, only the drivers that show a picture to
// a person are tried: without a display the program must say so rather than
// play unseen on SDL's offscreen or dummy driver. Tests and tools that want
// those name them.
void chooseVisibleVideoDrivers() {
    const char* chosen = std::getenv("SDL_VIDEODRIVER");
    if (chosen != nullptr && chosen[0] != '\0') return;
    std::string visible;
    for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
        const std::string name = SDL_GetVideoDriver(i);
        if (name == "offscreen" || name == "dummy" || name == "evdev") continue;
        if (!visible.empty()) visible += ',';
        visible += name;
    }
    SDL_SetHint(SDL_HINT_VIDEODRIVER, visible.empty() ? "none" : visible.c_str());
}

}  // namespace

bool win32KeepDesktop = false;

bool win32EnsureVideo() {
    WindowRegistry& state = registry();
    if (state.videoStarted) return true;
    chooseVisibleVideoDrivers();
    int started = 0;
    {
        // The display libraries print each failed connection attempt.
        Win32QuietStderr quiet;
        started = SDL_InitSubSystem(SDL_INIT_VIDEO);
    }
    if (started != 0) {
        state.videoError = SDL_GetError();
        if (state.videoError.empty()) state.videoError = "no video driver could be started";
        return false;
    }
    static bool exitHandlerRegistered = false;
    if (!exitHandlerRegistered) {
        std::atexit(stopVideo);
        exitHandlerRegistered = true;
    }
    state.videoStarted = true;
    state.videoError.clear();
    win32ApplyCursor();
    return true;
}

const std::string& win32VideoError() { return registry().videoError; }

Win32Window* win32FindWindow(HWND window) {
    auto& windows = registry().windows;
    auto found = windows.find(window);
    return found == windows.end() ? nullptr : found->second.get();
}

Win32Window* win32FindWindowBySdlId(Uint32 windowId) {
    if (windowId == 0) return nullptr;
    for (auto& entry : registry().windows) {
        SDL_Window* sdlWindow = entry.second->sdlWindow;
        if (sdlWindow != nullptr && SDL_GetWindowID(sdlWindow) == windowId) {
            return entry.second.get();
        }
    }
    return nullptr;
}

Win32Window* win32KeyboardWindow() {
    WindowRegistry& state = registry();
    for (auto it = state.creationOrder.rbegin(); it != state.creationOrder.rend(); ++it) {
        Win32Window* window = win32FindWindow(*it);
        if (window != nullptr && window->active) return window;
    }
    if (state.creationOrder.empty()) return nullptr;
    return win32FindWindow(state.creationOrder.back());
}

std::vector<HWND> win32AllWindows() { return registry().creationOrder; }

SDL_Window* win32GetSdlWindow(HWND window) {
    Win32Window* found = win32FindWindow(window);
    return found == nullptr ? nullptr : found->sdlWindow;
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* wndClass) {
    if (wndClass == nullptr || wndClass->lpfnWndProc == nullptr ||
        wndClass->lpszClassName == nullptr || wndClass->lpszClassName[0] == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (findClass(wndClass->lpszClassName) != nullptr) {
        SetLastError(win32ErrorClassAlreadyExists);
        return 0;
    }
    WindowRegistry& state = registry();
    WindowClass windowClass{*wndClass, wndClass->lpszClassName, state.nextAtom++};
    windowClass.description.lpszClassName = nullptr;  // the copy in `name` is the one kept
    windowClass.description.lpszMenuName = nullptr;
    state.classes.push_back(windowClass);
    return windowClass.atom;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
    const WindowClass* windowClass = findClass(className);
    if (windowClass == nullptr) {
        SetLastError(win32ErrorCannotFindWindowClass);
        return nullptr;
    }
    if (width <= 0 || height <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!win32EnsureVideo()) {
        reportNoDisplay();
        return nullptr;
    }

    // A pop-up window is all client area; any other window loses its frame
    // and caption to the window manager's decorations. Played in a window, a
    // pop-up window gets decorations and can be resized.
    const bool popup = (style & WS_POPUP) != 0;
    const bool inWindow = win32PlayInWindow();
    const bool borderless = popup && !inWindow;
    int clientWidth = width;
    int clientHeight = height;
    if (!popup) {
        clientWidth = width - 2 * GetSystemMetrics(SM_CXFRAME);
        clientHeight = height - 2 * GetSystemMetrics(SM_CYFRAME) - GetSystemMetrics(SM_CYCAPTION);
        if (clientWidth < 1) clientWidth = 1;
        if (clientHeight < 1) clientHeight = 1;
    }
    // On high-density displays the drawable has the display's own pixels.
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI;
    flags |= (style & WS_VISIBLE) != 0 ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
    if (borderless) flags |= SDL_WINDOW_BORDERLESS;
    if (popup && inWindow) flags |= SDL_WINDOW_RESIZABLE;
    const int windowX = inWindow ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : x;
    const int windowY = inWindow ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : y;

    setOpenGlAttributes();
    const char* title = windowName != nullptr ? windowName : "";
    SDL_Window* sdlWindow =
        SDL_CreateWindow(title, windowX, windowY, clientWidth, clientHeight, flags);
    if (sdlWindow == nullptr) {
        // Without a usable OpenGL visual, still give the program its window.
        sdlWindow = SDL_CreateWindow(title, windowX, windowY, clientWidth, clientHeight,
                                     flags & ~static_cast<Uint32>(SDL_WINDOW_OPENGL));
    }
    if (sdlWindow == nullptr) {
        registry().videoError = SDL_GetError();
        reportNoDisplay();
        return nullptr;
    }

    WindowRegistry& state = registry();
    HWND handle = reinterpret_cast<HWND>(state.nextHandle);
    state.nextHandle += 0x10;
    auto window = std::make_unique<Win32Window>();
    window->handle = handle;
    window->procedure = windowClass->description.lpfnWndProc;
    window->sdlWindow = sdlWindow;
    window->style = style;
    window->width = width;
    window->height = height;
    window->clientWidth = clientWidth;
    window->clientHeight = clientHeight;
    window->active = false;
    window->destroying = false;
    window->scaled = false;
    Win32Window& created = *window;
    state.windows.emplace(handle, std::move(window));
    state.creationOrder.push_back(handle);

    if (popup && x == 0 && y == 0) win32ApplyDisplayMode(created);

    CREATESTRUCTA creation{};
    creation.lpCreateParams = param;
    creation.hInstance = instance;
    creation.hMenu = menu;
    creation.hwndParent = parent;
    creation.cy = height;
    creation.cx = width;
    creation.y = y;
    creation.x = x;
    creation.style = static_cast<LONG>(style);
    creation.lpszName = windowName;
    creation.lpszClass = className;
    creation.dwExStyle = exStyle;
    const LRESULT createResult = created.procedure(handle, WM_CREATE, 0,
                                                   reinterpret_cast<LPARAM>(&creation));
    if (createResult == -1) {
        DestroyWindow(handle);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // WM_CREATE may already have closed the window again.
    Win32Window* stillThere = win32FindWindow(handle);
    if (stillThere == nullptr) return nullptr;
    // A visible window opens as the active window, before any input arrives.
    if ((style & WS_VISIBLE) != 0) win32SetActive(*stillThere, true, false);
    return win32FindWindow(handle) != nullptr ? handle : nullptr;
}

BOOL WINAPI DestroyWindow(HWND window) {
    Win32Window* found = win32FindWindow(window);
    if (found == nullptr) {
        SetLastError(win32ErrorInvalidWindowHandle);
        return FALSE;
    }
    if (found->destroying) return TRUE;
    found->destroying = true;
    // The window still exists while its procedure handles WM_DESTROY.
    found->procedure(window, WM_DESTROY, 0, 0);
    WindowRegistry& state = registry();
    auto entry = state.windows.find(window);
    if (entry == state.windows.end()) return TRUE;
    if (entry->second->sdlWindow != nullptr) SDL_DestroyWindow(entry->second->sdlWindow);
    state.windows.erase(entry);
    for (auto it = state.creationOrder.begin(); it != state.creationOrder.end(); ++it) {
        if (*it == window) {
            state.creationOrder.erase(it);
            break;
        }
    }
    win32DropMessagesFor(window);
    return TRUE;
}

BOOL WINAPI ShowWindow(HWND window, int command) {
    Win32Window* found = win32FindWindow(window);
    if (found == nullptr) return FALSE;
    const bool wasVisible = (SDL_GetWindowFlags(found->sdlWindow) & SDL_WINDOW_SHOWN) != 0;
    if (command == SW_HIDE) {
        SDL_HideWindow(found->sdlWindow);
    } else {
        SDL_ShowWindow(found->sdlWindow);
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL WINAPI UpdateWindow(HWND window) { return win32FindWindow(window) != nullptr ? TRUE : FALSE; }

BOOL WINAPI IsWindow(HWND window) { return win32FindWindow(window) != nullptr ? TRUE : FALSE; }

BOOL WINAPI GetClientRect(HWND window, RECT* rect) {
    Win32Window* found = win32FindWindow(window);
    if (found == nullptr || rect == nullptr) {
        SetLastError(found == nullptr ? win32ErrorInvalidWindowHandle : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    rect->left = 0;
    rect->top = 0;
    rect->right = found->clientWidth;
    rect->bottom = found->clientHeight;
    return TRUE;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
    if (moduleName == nullptr) return programModule;
    SetLastError(win32ErrorModuleNotFound);
    return nullptr;
}
