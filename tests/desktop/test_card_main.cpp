// Shows the test card the way the show shows its pictures: asks for the
// display mode WIDTH x HEIGHT, makes the borderless window at (0, 0) with the
// show's frame and caption allowance (so the back buffer reaches past the
// screen's right and bottom edges), and presents the card on its device about
// 50 times a second until Escape or F12, or SECONDS have passed. Exit code 0
// when it ended by a key.
//
//   desktop_test_card WIDTH HEIGHT [SECONDS]
#include <d3d8.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "show_window.h"
#include "test_card.h"

namespace {

LRESULT CALLBACK cardProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE || wParam == VK_F12) PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void drawCard(IDirect3DDevice8* device, int width, int height) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, testCardOffScreen, 1.0f, 0);
    for (int row = 0; row < testCardRows; ++row) {
        for (int column = 0; column < testCardColumns; ++column) {
            const D3DRECT cell{testCardEdge(column, testCardColumns, width), testCardEdge(row, testCardRows, height),
                               testCardEdge(column + 1, testCardColumns, width),
                               testCardEdge(row + 1, testCardRows, height)};
            device->Clear(1, &cell, D3DCLEAR_TARGET, testCardColour(column, row), 1.0f, 0);
        }
    }
    device->Present(nullptr, nullptr, nullptr, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: desktop_test_card WIDTH HEIGHT [SECONDS]\n");
        return 2;
    }
    const int width = std::atoi(argv[1]);
    const int height = std::atoi(argv[2]);
    const double seconds = argc > 3 ? std::atof(argv[3]) : 60.0;
    if (setShowDisplayMode(width, height) != DISP_CHANGE_SUCCESSFUL) {
        std::fprintf(stderr, "desktop_test_card: the mode %d x %d was refused\n", width, height);
        return 1;
    }
    HWND window = createShowWindow("Test Card", cardProc, width, height);
    if (window == nullptr) {
        std::fprintf(stderr, "desktop_test_card: no window\n");
        return 1;
    }
    IDirect3D8* direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    D3DDISPLAYMODE display{};
    if (direct3D == nullptr || FAILED(direct3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &display)) ||
        int(display.Width) != width || int(display.Height) != height ||
        GetSystemMetrics(SM_CXSCREEN) != width || GetSystemMetrics(SM_CYSCREEN) != height) {
        std::fprintf(stderr, "desktop_test_card: the program does not see the mode it asked for\n");
        return 1;
    }
    IDirect3DDevice8* device = createShowDevice(direct3D, window);
    if (device == nullptr) {
        std::fprintf(stderr, "desktop_test_card: no device\n");
        return 1;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    bool closed = false;
    while (!closed && std::chrono::steady_clock::now() < end) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) closed = true;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (closed) break;
        drawCard(device, width, height);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!closed) std::fprintf(stderr, "desktop_test_card: no key ended it\n");
    return closed ? 0 : 1;
}
