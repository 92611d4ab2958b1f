#include "d3d8_report.h"
#include "d3d8_interface.h"

#include <SDL.h>

#include <cstdio>

#include "../win32/win32_sdl.h"
#include "d3d8_caps.h"
#include "d3d8_device.h"

IDirect3D8* WINAPI Direct3DCreate8(UINT sdkVersion) {
    if (sdkVersion != D3D_SDK_VERSION) {
        d3d8Report("Direct3DCreate8: SDK version %u, expected %d", sdkVersion, D3D_SDK_VERSION);
        return nullptr;
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        d3d8Report("Direct3DCreate8: no display available (%s)", SDL_GetError());
        return nullptr;
    }
    return new D3d8Interface();
}

D3d8Interface::~D3d8Interface() { SDL_QuitSubSystem(SDL_INIT_VIDEO); }

HRESULT D3d8Interface::QueryInterface(REFIID, void** object) {
    if (object != nullptr) *object = nullptr;
    return E_NOINTERFACE;
}

ULONG D3d8Interface::AddRef() { return ++refCount; }

ULONG D3d8Interface::Release() {
    const ULONG count = --refCount;
    if (count == 0) delete this;
    return count;
}

UINT D3d8Interface::GetAdapterCount() { return 1; }

UINT D3d8Interface::GetAdapterModeCount(UINT adapter) {
    if (adapter != D3DADAPTER_DEFAULT) return 0;
    const int count = SDL_GetNumDisplayModes(0);
    return count > 0 ? static_cast<UINT>(count) : 0;
}

namespace {

// Every mode is offered as 32 bits per pixel without alpha, the only desktop
// format the program asks for.
void fillDisplayMode(const SDL_DisplayMode& sdlMode, D3DDISPLAYMODE* mode) {
    mode->Width = static_cast<UINT>(sdlMode.w);
    mode->Height = static_cast<UINT>(sdlMode.h);
    mode->RefreshRate = static_cast<UINT>(sdlMode.refresh_rate);
    mode->Format = D3DFMT_X8R8G8B8;
}

}  // namespace

HRESULT D3d8Interface::EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) {
    if (adapter != D3DADAPTER_DEFAULT || displayMode == nullptr) return D3DERR_INVALIDCALL;
    SDL_DisplayMode sdlMode;
    if (SDL_GetDisplayMode(0, static_cast<int>(mode), &sdlMode) != 0) return D3DERR_INVALIDCALL;
    fillDisplayMode(sdlMode, displayMode);
    return D3D_OK;
}

HRESULT D3d8Interface::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) {
    if (adapter != D3DADAPTER_DEFAULT || displayMode == nullptr) return D3DERR_INVALIDCALL;
    SDL_DisplayMode sdlMode;
    if (SDL_GetCurrentDisplayMode(0, &sdlMode) != 0 && SDL_GetDesktopDisplayMode(0, &sdlMode) != 0) {
        return D3DERR_NOTAVAILABLE;
    }
    // An emulated display mode is the one the program sees.
    win32EmulatedDisplayMode(&sdlMode.w, &sdlMode.h);
    fillDisplayMode(sdlMode, displayMode);
    return D3D_OK;
}

HRESULT D3d8Interface::CheckDeviceType(UINT adapter, D3DDEVTYPE checkType, D3DFORMAT displayFormat,
                                       D3DFORMAT backBufferFormat, BOOL) {
    if (adapter != D3DADAPTER_DEFAULT || checkType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    if (displayFormat != D3DFMT_X8R8G8B8) return D3DERR_NOTAVAILABLE;
    if (backBufferFormat != D3DFMT_X8R8G8B8 && backBufferFormat != D3DFMT_A8R8G8B8) {
        return D3DERR_NOTAVAILABLE;
    }
    return D3D_OK;
}

HRESULT D3d8Interface::CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT,
                                         DWORD usage, D3DRESOURCETYPE resourceType,
                                         D3DFORMAT checkFormat) {
    if (adapter != D3DADAPTER_DEFAULT || deviceType != D3DDEVTYPE_HAL) return D3DERR_INVALIDCALL;
    return d3d8CheckFormat(usage, resourceType, checkFormat);
}

HRESULT D3d8Interface::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT,
                                              D3DFORMAT renderTargetFormat,
                                              D3DFORMAT depthStencilFormat) {
    if (adapter != D3DADAPTER_DEFAULT || deviceType != D3DDEVTYPE_HAL) return D3DERR_INVALIDCALL;
    if (d3d8CheckFormat(D3DUSAGE_RENDERTARGET, D3DRTYPE_SURFACE, renderTargetFormat) != D3D_OK ||
        d3d8CheckFormat(D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, depthStencilFormat) != D3D_OK) {
        return D3DERR_NOTAVAILABLE;
    }
    return D3D_OK;
}

HRESULT D3d8Interface::GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS8* caps) {
    if (adapter != D3DADAPTER_DEFAULT || deviceType != D3DDEVTYPE_HAL || caps == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    d3d8FillCaps(caps);
    return D3D_OK;
}

HRESULT D3d8Interface::CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                                    DWORD behaviorFlags,
                                    D3DPRESENT_PARAMETERS* presentationParameters,
                                    IDirect3DDevice8** returnedDevice) {
    if (returnedDevice == nullptr) return D3DERR_INVALIDCALL;
    *returnedDevice = nullptr;
    if (adapter != D3DADAPTER_DEFAULT || deviceType != D3DDEVTYPE_HAL ||
        presentationParameters == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    D3d8Device* device = nullptr;
    const HRESULT result =
        d3d8CreateDevice(this, focusWindow, behaviorFlags, presentationParameters, &device);
    if (FAILED(result)) return result;
    *returnedDevice = device;
    return D3D_OK;
}
