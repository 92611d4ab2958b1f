#include "d3d8_trace_objects.h"

#include "d3d8_trace_device.h"

namespace {

RECT wholeOf(const D3DSURFACE_DESC& desc) {
    return RECT{0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
}

HRESULT noInterface(void** object) {
    if (object != nullptr) *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT giveDevice(D3d8TraceDevice* device, IDirect3DDevice8** result) {
    if (result == nullptr) return D3DERR_INVALIDCALL;
    device->AddRef();
    *result = device;
    return D3D_OK;
}

}  // namespace

// --- surfaces ---

D3d8TraceSurface::D3d8TraceSurface(D3d8TraceDevice* owner, IDirect3DSurface8* wrapped, D3d8TraceSurfaceRole kind)
    : device(owner), real(wrapped), role(kind) {
    real->GetDesc(&desc);
    name.id = device->nextId();
}

HRESULT D3d8TraceSurface::QueryInterface(REFIID, void** object) { return noInterface(object); }

// A texture's levels live as long as the texture: they count its references.
ULONG D3d8TraceSurface::AddRef() {
    if (texture != nullptr) return texture->AddRef();
    return ++refCount;
}

ULONG D3d8TraceSurface::Release() {
    if (texture != nullptr) return texture->Release();
    const ULONG count = --refCount;
    if (count == 0) {
        device->forget(name);
        real->Release();
        delete this;
    }
    return count;
}

HRESULT D3d8TraceSurface::GetDevice(IDirect3DDevice8** result) { return giveDevice(device, result); }

HRESULT D3d8TraceSurface::GetContainer(REFIID, void** container) {
    if (container == nullptr) return D3DERR_INVALIDCALL;
    if (texture != nullptr) {
        texture->AddRef();
        *container = static_cast<IDirect3DTexture8*>(texture);
    } else {
        device->AddRef();
        *container = static_cast<IDirect3DDevice8*>(device);
    }
    return D3D_OK;
}

HRESULT D3d8TraceSurface::GetDesc(D3DSURFACE_DESC* result) { return real->GetDesc(result); }

HRESULT D3d8TraceSurface::LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) {
    if (device->recording() != nullptr) device->declare(this);
    const HRESULT result = real->LockRect(lockedRect, rect, flags);
    if (SUCCEEDED(result) && lockedRect != nullptr) {
        lock.open = true;
        lock.rect = rect != nullptr ? *rect : wholeOf(desc);
        lock.locked = *lockedRect;
        lock.flags = flags;
    }
    return result;
}

HRESULT D3d8TraceSurface::UnlockRect() {
    if (lock.open && device->recording() != nullptr) device->recordLock(this);
    lock.open = false;
    return real->UnlockRect();
}

// --- textures ---

D3d8TraceTexture::D3d8TraceTexture(D3d8TraceDevice* owner, IDirect3DTexture8* wrapped) : device(owner), real(wrapped) {
    real->GetLevelDesc(0, &desc);
    levelCount = real->GetLevelCount();
    levels.resize(levelCount);
    name.id = device->nextId();
}

D3d8TraceTexture::~D3d8TraceTexture() {
    for (auto& level : levels) {
        if (level) device->forget(level->name);
    }
    device->forget(name);
    real->Release();
}

HRESULT D3d8TraceTexture::QueryInterface(REFIID, void** object) { return noInterface(object); }

ULONG D3d8TraceTexture::AddRef() { return ++refCount; }

ULONG D3d8TraceTexture::Release() {
    const ULONG count = --refCount;
    if (count == 0) delete this;
    return count;
}

HRESULT D3d8TraceTexture::GetDevice(IDirect3DDevice8** result) { return giveDevice(device, result); }
DWORD D3d8TraceTexture::SetPriority(DWORD priority) { return real->SetPriority(priority); }
DWORD D3d8TraceTexture::GetPriority() { return real->GetPriority(); }
void D3d8TraceTexture::PreLoad() { real->PreLoad(); }
D3DRESOURCETYPE D3d8TraceTexture::GetType() { return real->GetType(); }

DWORD D3d8TraceTexture::SetLOD(DWORD lodNew) {
    if (D3d8TraceWriter* out = device->recording()) {
        device->declare(this);
        out->record(D3d8TraceOp::setLOD, name.id, lodNew);
    }
    return real->SetLOD(lodNew);
}

DWORD D3d8TraceTexture::GetLOD() { return real->GetLOD(); }
DWORD D3d8TraceTexture::GetLevelCount() { return real->GetLevelCount(); }
HRESULT D3d8TraceTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* result) {
    return real->GetLevelDesc(level, result);
}

HRESULT D3d8TraceTexture::GetSurfaceLevel(UINT level, IDirect3DSurface8** surfaceLevel) {
    if (surfaceLevel == nullptr) return D3DERR_INVALIDCALL;
    *surfaceLevel = nullptr;
    if (level >= levelCount) return D3DERR_INVALIDCALL;
    if (!levels[level]) {
        IDirect3DSurface8* realLevel = nullptr;
        const HRESULT result = real->GetSurfaceLevel(level, &realLevel);
        if (FAILED(result)) return result;
        // The wrapper keeps no reference of its own: the texture's holds the level.
        realLevel->Release();
        levels[level].reset(new D3d8TraceSurface(device, realLevel, D3d8TraceSurfaceRole::textureLevel));
        levels[level]->texture = this;
        levels[level]->level = level;
    }
    AddRef();
    *surfaceLevel = levels[level].get();
    return D3D_OK;
}

HRESULT D3d8TraceTexture::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) {
    if (level >= levelCount) return real->LockRect(level, lockedRect, rect, flags);
    IDirect3DSurface8* surface = nullptr;
    if (FAILED(GetSurfaceLevel(level, &surface))) return D3DERR_INVALIDCALL;
    const HRESULT result = surface->LockRect(lockedRect, rect, flags);
    surface->Release();
    return result;
}

HRESULT D3d8TraceTexture::UnlockRect(UINT level) {
    if (level >= levelCount || !levels[level]) return real->UnlockRect(level);
    return levels[level]->UnlockRect();
}

HRESULT D3d8TraceTexture::AddDirtyRect(const RECT* dirtyRect) { return real->AddDirtyRect(dirtyRect); }

// --- vertex buffers ---

D3d8TraceVertexBuffer::D3d8TraceVertexBuffer(D3d8TraceDevice* owner, IDirect3DVertexBuffer8* wrapped)
    : device(owner), real(wrapped) {
    real->GetDesc(&desc);
    name.id = device->nextId();
}

HRESULT D3d8TraceVertexBuffer::QueryInterface(REFIID, void** object) { return noInterface(object); }

ULONG D3d8TraceVertexBuffer::AddRef() { return ++refCount; }

ULONG D3d8TraceVertexBuffer::Release() {
    const ULONG count = --refCount;
    if (count == 0) {
        device->forget(name);
        real->Release();
        delete this;
    }
    return count;
}

HRESULT D3d8TraceVertexBuffer::GetDevice(IDirect3DDevice8** result) { return giveDevice(device, result); }
DWORD D3d8TraceVertexBuffer::SetPriority(DWORD priority) { return real->SetPriority(priority); }
DWORD D3d8TraceVertexBuffer::GetPriority() { return real->GetPriority(); }
void D3d8TraceVertexBuffer::PreLoad() { real->PreLoad(); }
D3DRESOURCETYPE D3d8TraceVertexBuffer::GetType() { return real->GetType(); }

HRESULT D3d8TraceVertexBuffer::Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD flags) {
    if (device->recording() != nullptr) device->declare(this);
    const HRESULT result = real->Lock(offsetToLock, sizeToLock, data, flags);
    if (SUCCEEDED(result) && data != nullptr) {
        locked = true;
        lockOffset = offsetToLock;
        lockSize = sizeToLock == 0 && offsetToLock <= desc.Size ? desc.Size - offsetToLock : sizeToLock;
        lockData = *data;
        lockFlags = flags;
    }
    return result;
}

HRESULT D3d8TraceVertexBuffer::Unlock() {
    if (locked && device->recording() != nullptr) device->recordLock(this);
    locked = false;
    return real->Unlock();
}

HRESULT D3d8TraceVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* result) { return real->GetDesc(result); }
