// The parts of the demo context that drive the scenes: the frame sequence,
// the start-up and the shutdown (DemoContext itself lives in app/core).
#include "demo_frame.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "demo_context.h"
#include "music_clock.h"
#include "scene_dispatch.h"
#include "texture_table.h"

namespace {

void setDesktopMode(int width, int height) {
    DEVMODEA mode;
    std::memset(&mode, 0, sizeof mode);
    mode.dmSize = sizeof mode;
    mode.dmBitsPerPel = 32;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN);
}

const char* resultName(HRESULT result) {
    switch (result) {
    case D3DERR_NOTAVAILABLE: return "no device with the requested settings (D3DERR_NOTAVAILABLE)";
    case D3DERR_INVALIDCALL: return "invalid device settings (D3DERR_INVALIDCALL)";
    case D3DERR_OUTOFVIDEOMEMORY: return "out of video memory (D3DERR_OUTOFVIDEOMEMORY)";
    case E_OUTOFMEMORY: return "out of memory (E_OUTOFMEMORY)";
    default: return nullptr;
    }
}

}  // namespace

void DemoContext::renderFrame() {
    // The last scene asked to end: stop the music and leave at once.
    if (quitRequested) {
        freeMusic();
        std::exit(0);
    }
    runPreRender();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device->BeginScene();
    renderScene();
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
}

void initDemo(HWND window) {
    demoWindow = window;
    demoContext = new DemoContext();
    const HRESULT result = demoContext->createDevice(window);
    // Every later step draws with the device: without one the demo stops here.
    if (FAILED(result) || demoContext->device == nullptr) {
        char reason[96];
        const char* name = resultName(result);
        if (demoContext->direct3D == nullptr) {
            std::snprintf(reason, sizeof reason, "Direct3D 8 is not available");
        } else if (name != nullptr) {
            std::snprintf(reason, sizeof reason, "%s", name);
        } else {
            std::snprintf(reason, sizeof reason, "error 0x%08lX",
                          static_cast<unsigned long>(static_cast<DWORD>(result)));
        }
        exitWithStartupError("create the Direct3D device", reason);
    }
    demoContext->setupRenderStates();
    textureTable.prepare();
    loadTextures();
    createScenes();
}

void shutdownDemo() {
    textureTable.clear();
    freeMusic();
    setDesktopMode(savedScreenWidth, savedScreenHeight);
    destroyScenes();
}
