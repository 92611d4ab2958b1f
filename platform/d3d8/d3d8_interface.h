// IDirect3D8 over SDL2: the adapter is SDL's first display.
#ifndef ZELVARO_PLATFORM_D3D8_INTERFACE_H
#define ZELVARO_PLATFORM_D3D8_INTERFACE_H

#include <d3d8.h>

class D3d8Interface final : public IDirect3D8 {
public:
    D3d8Interface() = default;
    D3d8Interface(const D3d8Interface&) = delete;
    D3d8Interface& operator=(const D3d8Interface&) = delete;

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    UINT GetAdapterCount() override;
    UINT GetAdapterModeCount(UINT adapter) override;
    HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) override;
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) override;
    HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE checkType, D3DFORMAT displayFormat,
                            D3DFORMAT backBufferFormat, BOOL windowed) override;
    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                              DWORD usage, D3DRESOURCETYPE resourceType,
                              D3DFORMAT checkFormat) override;
    HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                   D3DFORMAT renderTargetFormat,
                                   D3DFORMAT depthStencilFormat) override;
    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS8* caps) override;
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                         DWORD behaviorFlags, D3DPRESENT_PARAMETERS* presentationParameters,
                         IDirect3DDevice8** returnedDevice) override;

private:
    ~D3d8Interface();
    ULONG refCount = 1;
};

#endif  // ZELVARO_PLATFORM_D3D8_INTERFACE_H
