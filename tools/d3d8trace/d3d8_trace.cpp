#include "d3d8_trace.h"

#include "d3d8_trace_device.h"

namespace {

D3d8TraceDevice* lastDevice = nullptr;

// The IDirect3D8 of a recording program: devices it makes are recording devices.
class D3d8TraceDirect3D final : public IDirect3D8 {
public:
    explicit D3d8TraceDirect3D(IDirect3D8* wrapped) : real(wrapped) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        if (object != nullptr) *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refCount; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG count = --refCount;
        if (count == 0) {
            real->Release();
            delete this;
        }
        return count;
    }
    UINT STDMETHODCALLTYPE GetAdapterCount() override { return real->GetAdapterCount(); }
    UINT STDMETHODCALLTYPE GetAdapterModeCount(UINT adapter) override { return real->GetAdapterModeCount(adapter); }
    HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) override {
        return real->EnumAdapterModes(adapter, mode, displayMode);
    }
    HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) override {
        return real->GetAdapterDisplayMode(adapter, displayMode);
    }
    HRESULT STDMETHODCALLTYPE CheckDeviceType(UINT adapter, D3DDEVTYPE checkType, D3DFORMAT displayFormat,
                                              D3DFORMAT backBufferFormat, BOOL windowed) override {
        return real->CheckDeviceType(adapter, checkType, displayFormat, backBufferFormat, windowed);
    }
    HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                                DWORD usage, D3DRESOURCETYPE resourceType,
                                                D3DFORMAT checkFormat) override {
        return real->CheckDeviceFormat(adapter, deviceType, adapterFormat, usage, resourceType, checkFormat);
    }
    HRESULT STDMETHODCALLTYPE CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                                     D3DFORMAT renderTargetFormat,
                                                     D3DFORMAT depthStencilFormat) override {
        return real->CheckDepthStencilMatch(adapter, deviceType, adapterFormat, renderTargetFormat, depthStencilFormat);
    }
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS8* caps) override {
        return real->GetDeviceCaps(adapter, deviceType, caps);
    }
    HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow, DWORD behaviorFlags,
                                           D3DPRESENT_PARAMETERS* presentationParameters,
                                           IDirect3DDevice8** returnedDevice) override {
        if (returnedDevice == nullptr || presentationParameters == nullptr) return D3DERR_INVALIDCALL;
        IDirect3DDevice8* made = nullptr;
        const HRESULT status =
            real->CreateDevice(adapter, deviceType, focusWindow, behaviorFlags, presentationParameters, &made);
        *returnedDevice = nullptr;
        if (FAILED(status) || made == nullptr) return status;
        lastDevice = new D3d8TraceDevice(this, made);
        *returnedDevice = lastDevice;
        return status;
    }

private:
    IDirect3D8* real;
    ULONG refCount = 1;
};

}  // namespace

void d3d8TraceDeviceGone(D3d8TraceDevice* device) {
    if (lastDevice == device) lastDevice = nullptr;
}

IDirect3D8* d3d8TraceWrap(IDirect3D8* real) {
    if (real == nullptr) return nullptr;
    return new D3d8TraceDirect3D(real);
}

bool d3d8TraceStart(const std::string& path, std::string* error) {
    if (lastDevice == nullptr) {
        *error = "no Direct3D device was made to record";
        return false;
    }
    return lastDevice->startRecording(path, error);
}

void d3d8TraceFrameBegin(uint32_t frame, double musicTime) {
    if (lastDevice != nullptr) lastDevice->frameBegin(frame, musicTime);
}

void d3d8TraceFrameEnd(uint32_t frame) {
    if (lastDevice != nullptr) lastDevice->frameEnd(frame);
}

bool d3d8TraceStop(std::string* error) { return lastDevice == nullptr || lastDevice->stopRecording(error); }
