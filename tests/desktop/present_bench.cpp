// What one Present costs, at 1024 x 768, through the real window layer: a
// borderless window made with CreateWindowExA and the device on it, as the
// show makes them. Prints milliseconds per frame; not a test.
//   (a) Clear + Present: the back buffer changed since the last Present.
//   (b) Clear + Present + Present: a second Present of the unchanged back
//       buffer in the same frame, as the render-to-texture passes make it;
//       (b) - (a) is what the second Present costs.
//   (d) Present alone, again and again, of a back buffer nothing was drawn into.
//   (c) Clear alone, for reference (what (a) costs besides Present).
// Each trial of ten frames ends by reading one pixel of the front buffer, so
// its GL work is finished before the clock stops; the fastest trial counts.
//
// With "screen", the program's display mode 1024 x 768 is set first and the
// window is the show's (1030 x 793 at (0, 0)): it covers the real screen and
// Present scales the picture to it, so the cost includes the scaling.
//
//   xvfb-run -s "-screen 0 1024x768x24" env SDL_VIDEODRIVER=x11 ./desktop_present_bench [seconds] [screen]
//   SDL_VIDEODRIVER=offscreen ./desktop_present_bench [seconds]
#include <d3d8.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "show_window.h"

namespace {

using Clock = std::chrono::steady_clock;

LRESULT CALLBACK benchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

void pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

// Milliseconds per frame of `frame`: the fastest of short trials over about
// `seconds`, so that other work on the machine counts as little as possible.
template <typename Frame>
double measure(IDirect3DDevice8* device, IDirect3DSurface8* pixel, double seconds, Frame frame) {
    for (int i = 0; i < 10; ++i) frame();
    device->GetFrontBuffer(pixel);
    double best = 1e9;
    const Clock::time_point start = Clock::now();
    while (std::chrono::duration<double>(Clock::now() - start).count() < seconds) {
        const Clock::time_point trial = Clock::now();
        for (int i = 0; i < 10; ++i) frame();
        pump();
        device->GetFrontBuffer(pixel);
        best = std::min(best, std::chrono::duration<double>(Clock::now() - trial).count() * 100.0);
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    setenv("ZELVARO_VSYNC", "0", 0);  // a measurement: never wait for the display
    // Without "screen": a window of exactly 1024 x 768 (the mode is not
    // set), shown 1:1.
    const bool screen = argc > 2 && std::strcmp(argv[2], "screen") == 0;
    if (screen) setShowDisplayMode(1024, 768);
    // The window's client area is 6 x 25 pixels larger than the screen it is made for.
    HWND window = screen ? createShowWindow("present bench", benchProc, 1024, 768)
                         : createShowWindow("present bench", benchProc, 1024 - 6, 768 - 25);
    if (window == nullptr) {
        std::fprintf(stderr, "desktop_present_bench: no window (no display?)\n");
        return 1;
    }
    IDirect3D8* direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    IDirect3DDevice8* device = createShowDevice(direct3D, window);
    if (device == nullptr) {
        std::fprintf(stderr, "desktop_present_bench: no device\n");
        return 1;
    }
    D3DSURFACE_DESC backBuffer{};
    IDirect3DSurface8* back = nullptr;
    device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back);
    back->GetDesc(&backBuffer);
    back->Release();
    IDirect3DSurface8* pixel = nullptr;
    device->CreateImageSurface(1, 1, D3DFMT_A8R8G8B8, &pixel);
    DWORD colour = 0;
    auto clear = [&] {
        colour += 0x010203;
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colour, 1.0f, 0);
    };
    const double clearOnly = measure(device, pixel, seconds, [&] { clear(); });
    const double changed = measure(device, pixel, seconds, [&] {
        clear();
        device->Present(nullptr, nullptr, nullptr, nullptr);
    });
    const double twice = measure(device, pixel, seconds, [&] {
        clear();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        device->Present(nullptr, nullptr, nullptr, nullptr);
    });
    const double unchanged = measure(device, pixel, seconds, [&] { device->Present(nullptr, nullptr, nullptr, nullptr); });
    std::printf("back buffer %ux%u, %s, video driver %s\n", backBuffer.Width, backBuffer.Height, screen ? "shown 1024x768 scaled to the screen" : "window 1:1",
                std::getenv("SDL_VIDEODRIVER") ? std::getenv("SDL_VIDEODRIVER") : "(default)");
    std::printf("(c) Clear alone:                         %7.3f ms per frame\n", clearOnly);
    std::printf("(a) Clear + Present:                     %7.3f ms per frame (Present %.3f ms)\n",
                changed, changed - clearOnly);
    std::printf("(b) Clear + Present + unchanged Present: %7.3f ms per frame (second Present %.3f ms)\n",
                twice, twice - changed);
    std::printf("(d) Present of an unchanged back buffer alone: %7.3f ms per frame\n", unchanged);
    pixel->Release();
    device->Release();
    direct3D->Release();
    DestroyWindow(window);
    return 0;
}
