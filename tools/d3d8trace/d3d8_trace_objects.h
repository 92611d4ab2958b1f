// The resources a recording device hands out: each wraps the real object,
// forwards every call to it and tells the device what the program wrote into
// it (lock contents when a lock is released).
#ifndef ZELVARO_TOOLS_D3D8TRACE_OBJECTS_H
#define ZELVARO_TOOLS_D3D8TRACE_OBJECTS_H

#include <d3d8.h>

#include <cstdint>
#include <memory>
#include <vector>

class D3d8TraceDevice;
class D3d8TraceTexture;

// What every traced object carries: its id in traces and the recording it was
// last declared in (a trace names an object only after declaring it).
struct D3d8TraceName {
    uint32_t id = 0;
    uint32_t declaredIn = 0;
};

// An open lock: where and how, so that its contents can be recorded on release.
struct D3d8TraceLock {
    bool open = false;
    RECT rect{};
    D3DLOCKED_RECT locked{};
    DWORD flags = 0;
};

enum class D3d8TraceSurfaceRole { textureLevel, backBuffer, autoDepth, renderTarget, depthStencil, image };

class D3d8TraceSurface final : public IDirect3DSurface8 {
public:
    D3d8TraceSurface(D3d8TraceDevice* device, IDirect3DSurface8* real, D3d8TraceSurfaceRole role);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice8** device) override;
    HRESULT STDMETHODCALLTYPE GetContainer(REFIID riid, void** container) override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT STDMETHODCALLTYPE LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect() override;

    D3d8TraceDevice* device;
    IDirect3DSurface8* real;
    D3d8TraceSurfaceRole role;
    D3DSURFACE_DESC desc{};
    D3d8TraceName name;
    D3d8TraceTexture* texture = nullptr;  // for texture levels: the texture it belongs to
    UINT level = 0;
    ULONG refCount = 1;
    D3d8TraceLock lock;
};

class D3d8TraceTexture final : public IDirect3DTexture8 {
public:
    D3d8TraceTexture(D3d8TraceDevice* device, IDirect3DTexture8* real);
    ~D3d8TraceTexture();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice8** device) override;
    DWORD STDMETHODCALLTYPE SetPriority(DWORD priority) override;
    DWORD STDMETHODCALLTYPE GetPriority() override;
    void STDMETHODCALLTYPE PreLoad() override;
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override;
    DWORD STDMETHODCALLTYPE SetLOD(DWORD lodNew) override;
    DWORD STDMETHODCALLTYPE GetLOD() override;
    DWORD STDMETHODCALLTYPE GetLevelCount() override;
    HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT STDMETHODCALLTYPE GetSurfaceLevel(UINT level, IDirect3DSurface8** surfaceLevel) override;
    HRESULT STDMETHODCALLTYPE LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect(UINT level) override;
    HRESULT STDMETHODCALLTYPE AddDirtyRect(const RECT* dirtyRect) override;

    D3d8TraceDevice* device;
    IDirect3DTexture8* real;
    D3DSURFACE_DESC desc{};  // of level 0
    UINT levelCount = 0;
    D3d8TraceName name;
    ULONG refCount = 1;
    // The levels as objects, made when first asked for; they count the texture's references.
    std::vector<std::unique_ptr<D3d8TraceSurface>> levels;
};

class D3d8TraceVertexBuffer final : public IDirect3DVertexBuffer8 {
public:
    D3d8TraceVertexBuffer(D3d8TraceDevice* device, IDirect3DVertexBuffer8* real);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice8** device) override;
    DWORD STDMETHODCALLTYPE SetPriority(DWORD priority) override;
    DWORD STDMETHODCALLTYPE GetPriority() override;
    void STDMETHODCALLTYPE PreLoad() override;
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override;
    HRESULT STDMETHODCALLTYPE Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Unlock() override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

    D3d8TraceDevice* device;
    IDirect3DVertexBuffer8* real;
    D3DVERTEXBUFFER_DESC desc{};
    D3d8TraceName name;
    ULONG refCount = 1;
    bool locked = false;
    UINT lockOffset = 0;
    UINT lockSize = 0;
    BYTE* lockData = nullptr;
    DWORD lockFlags = 0;
};

#endif  // ZELVARO_TOOLS_D3D8TRACE_OBJECTS_H
