// The window and device the way the show makes them, for the programs of
// these checks: the display mode asked for, the borderless window at (0, 0)
// with the frame and caption allowance (so the back buffer reaches past the
// screen's right and bottom edges), a windowed device on it.
#ifndef ZELVARO_TESTS_DESKTOP_SHOW_WINDOW_H
#define ZELVARO_TESTS_DESKTOP_SHOW_WINDOW_H

#include <d3d8.h>
#include <windows.h>

// The display mode width x height at 32 bits per pixel, as the show asks for it.
inline DEVMODEA showDisplayMode(int width, int height) {
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    mode.dmBitsPerPel = 32;
    mode.dmPelsWidth = DWORD(width);
    mode.dmPelsHeight = DWORD(height);
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    return mode;
}

inline LONG setShowDisplayMode(int width, int height) {
    DEVMODEA mode = showDisplayMode(width, height);
    return ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN);
}

// The show's window for a screen of width x height (client size
// width + 6 x height + 25); null without a display.
inline HWND createShowWindow(const char* title, WNDPROC procedure, int width, int height) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.lpszClassName = title;
    RegisterClassA(&windowClass);
    const int windowWidth = 2 * GetSystemMetrics(SM_CXFRAME) + width - 2;
    const int windowHeight = GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME) + height - 2;
    return CreateWindowExA(0, title, title, WS_POPUP | WS_VISIBLE, 0, 0, windowWidth, windowHeight, nullptr,
                           nullptr, nullptr, nullptr);
}

// A windowed device on the window, its back buffer the window's client size.
inline IDirect3DDevice8* createShowDevice(IDirect3D8* direct3D, HWND window) {
    D3DDISPLAYMODE display{};
    if (direct3D == nullptr || FAILED(direct3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &display))) {
        return nullptr;
    }
    D3DPRESENT_PARAMETERS parameters{};
    parameters.BackBufferFormat = display.Format;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.Windowed = TRUE;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
    IDirect3DDevice8* device = nullptr;
    if (FAILED(direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                      D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, &device))) {
        return nullptr;
    }
    return device;
}

#endif  // ZELVARO_TESTS_DESKTOP_SHOW_WINDOW_H
