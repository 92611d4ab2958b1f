#include "d3d8_surface.h"

#include "d3d8_device.h"
#include "d3d8_texture.h"

D3d8Surface::D3d8Surface(D3d8Device* owner, D3d8SurfaceKind surfaceKind, const D3DSURFACE_DESC& description)
    : device(owner), kind(surfaceKind), desc(description) {}

D3d8Surface::~D3d8Surface() {
    if (device != nullptr) {
        device->forgetSurface(this);
        releaseGl();
    }
}

void D3d8Surface::releaseGl() {
    device->makeCurrent();
    if (texture == nullptr && glTexture != 0) glDeleteTextures(1, &glTexture);
    if (glRenderbuffer != 0) glDeleteRenderbuffers(1, &glRenderbuffer);
    glTexture = 0;
    glRenderbuffer = 0;
}

void D3d8Surface::orphan() {
    if (device == nullptr) return;
    releaseGl();
    device = nullptr;
}

void D3d8Surface::destroy() { delete this; }

HRESULT D3d8Surface::QueryInterface(REFIID, void** object) {
    if (object != nullptr) *object = nullptr;
    return E_NOINTERFACE;
}

// A texture's levels live as long as the texture: they count its references.
ULONG D3d8Surface::AddRef() {
    if (texture != nullptr) return texture->AddRef();
    return ++refCount;
}

ULONG D3d8Surface::Release() {
    if (texture != nullptr) return texture->Release();
    const ULONG count = --refCount;
    if (count == 0) delete this;
    return count;
}

HRESULT D3d8Surface::GetDevice(IDirect3DDevice8** result) {
    if (result == nullptr || device == nullptr) return D3DERR_INVALIDCALL;
    device->AddRef();
    *result = device;
    return D3D_OK;
}

HRESULT D3d8Surface::GetContainer(REFIID, void** container) {
    if (container == nullptr) return D3DERR_INVALIDCALL;
    if (texture != nullptr) {
        texture->AddRef();
        *container = static_cast<IDirect3DTexture8*>(texture);
        return D3D_OK;
    }
    if (device == nullptr) return D3DERR_INVALIDCALL;
    device->AddRef();
    *container = static_cast<IDirect3DDevice8*>(device);
    return D3D_OK;
}

HRESULT D3d8Surface::GetDesc(D3DSURFACE_DESC* result) {
    if (result == nullptr) return D3DERR_INVALIDCALL;
    *result = desc;
    return D3D_OK;
}

// Only surfaces with a system-memory copy can be locked: image surfaces and
// the levels of textures that are not render targets.
HRESULT D3d8Surface::LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) {
    if (lockedRect == nullptr) return D3DERR_INVALIDCALL;
    lockedRect->pBits = nullptr;
    lockedRect->Pitch = 0;
    if (!hasMemory() || locked) return D3DERR_INVALIDCALL;
    size_t offset = 0;
    if (rect != nullptr) {
        if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom ||
            rect->right > static_cast<LONG>(desc.Width) || rect->bottom > static_cast<LONG>(desc.Height)) {
            return D3DERR_INVALIDCALL;
        }
        offset = static_cast<size_t>(rect->top) * pitch + static_cast<size_t>(rect->left) * (pitch / desc.Width);
    }
    if (memoryInGl) restoreMemory();
    locked = true;
    lockedReadOnly = (flags & D3DLOCK_READONLY) != 0;
    lockedRect->pBits = memory.data() + offset;
    lockedRect->Pitch = static_cast<INT>(pitch);
    return D3D_OK;
}

HRESULT D3d8Surface::UnlockRect() {
    if (!locked) return D3DERR_INVALIDCALL;
    locked = false;
    if (texture == nullptr) return D3D_OK;
    // A read-only lock changed nothing: GL keeps what it has.
    if (lockedReadOnly) {
        texture->markSpare(level);
    } else {
        texture->uploadLevel(level);
    }
    return D3D_OK;
}

void D3d8Surface::restoreMemory() {
    if (!memoryInGl) return;
    memoryInGl = false;
    memory.resize(desc.Size);
    if (device == nullptr || glTexture == 0) return;  // GL is gone: the level reads as zeros
    const RECT whole{0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
    device->readTarget(glTexture, static_cast<GLint>(level), whole, desc.Format, memory.data(), pitch);
}
