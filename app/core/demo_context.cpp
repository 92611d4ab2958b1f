#include "demo_context.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

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

void exitWithStartupError(const char* what, const char* reason) {
    std::fprintf(stderr, "zelvaro: cannot %s: %s\n", what, reason);
    std::fflush(stderr);
    std::exit(1);
}
