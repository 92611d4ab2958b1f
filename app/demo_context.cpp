#include "demo_context.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "music_clock.h"
#include "scene_registry.h"
#include "texture_table.h"

DemoContext* demoContext = nullptr;
HWND demoWindow = nullptr;
int savedScreenWidth = 0;
int savedScreenHeight = 0;

namespace {

// Projection: 45 degrees vertical field of view and a fixed aspect of
// 1.33333 (just below 4/3) whatever the window or the build's display size.
const float projectionFieldOfView = 0.7853982f;
const float projectionAspect = 1.33333f;
const float projectionNear = 0.01f;
const float projectionFar = 100000.0f;

const D3DCOLOR ambientGrey = 0x555555;

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

DemoContext::DemoContext()
    : direct3D(nullptr),
      device(nullptr),
      projection(),
      sceneNumber(0),
      renderTarget(nullptr),
      targetSurface(nullptr),
      targetDepthSurface(nullptr),
      savedBackBuffer(nullptr),
      savedDepthSurface(nullptr) {}

HRESULT DemoContext::createDevice(HWND window) {
    direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    if (direct3D == nullptr) return E_FAIL;

    D3DDISPLAYMODE displayMode;
    HRESULT result = direct3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &displayMode);
    if (FAILED(result)) return result;

    // Windowed on the borderless window that covers the screen; the back
    // buffer takes the window's client size.
    D3DPRESENT_PARAMETERS parameters;
    std::memset(&parameters, 0, sizeof parameters);
    parameters.BackBufferWidth = 0;
    parameters.BackBufferHeight = 0;
    parameters.BackBufferFormat = displayMode.Format;
    parameters.BackBufferCount = 0;
    parameters.MultiSampleType = D3DMULTISAMPLE_NONE;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.hDeviceWindow = nullptr;
    parameters.Windowed = TRUE;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
    return direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                  D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, &device);
}

void DemoContext::setupRenderStates() {
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_AMBIENT, ambientGrey);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);

    D3DXMatrixPerspectiveFovLH(&projection, projectionFieldOfView, projectionAspect,
                               projectionNear, projectionFar);
    device->SetTransform(D3DTS_PROJECTION, &projection);
}

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

void exitWithStartupError(const char* what, const char* reason) {
    std::fprintf(stderr, "zelvaro: cannot %s: %s\n", what, reason);
    std::fflush(stderr);
    std::exit(1);
}
