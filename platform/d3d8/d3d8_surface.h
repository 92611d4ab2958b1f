// IDirect3DSurface8: a colour target (the back buffer, a render target or a
// level of a texture), a depth-stencil buffer, or an image surface in system
// memory. Row 0 is always the top row of the picture.
#ifndef ZELVARO_PLATFORM_D3D8_SURFACE_H
#define ZELVARO_PLATFORM_D3D8_SURFACE_H

#include <d3d8.h>

#include <vector>

#include "d3d8_gl.h"

class D3d8Device;
class D3d8Texture;

enum class D3d8SurfaceKind { colorTarget, textureLevel, depthStencil, image };

class D3d8Surface final : public IDirect3DSurface8 {
public:
    D3d8Surface(D3d8Device* device, D3d8SurfaceKind kind, const D3DSURFACE_DESC& desc);
    D3d8Surface(const D3d8Surface&) = delete;
    D3d8Surface& operator=(const D3d8Surface&) = delete;

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice8** device) override;
    HRESULT GetContainer(REFIID riid, void** container) override;
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;

    // Called by the device when it goes away before the surface: GL objects
    // are deleted while its context still exists.
    void orphan();
    // Frees the surface itself; only the owning texture calls this for its levels.
    void destroy();

    // Whether the surface can be locked: it has a system-memory copy, kept or
    // given back to GL for the time being (memoryInGl).
    bool hasMemory() const { return !memory.empty() || memoryInGl; }
    // Gives a level whose copy is in GL its system-memory copy again.
    void restoreMemory();

    // A colour surface the device can draw into (back buffer, render target, render-target texture level).
    bool isRenderable() const { return glTexture != 0 && (desc.Usage & D3DUSAGE_RENDERTARGET) != 0; }

    D3d8Device* device;
    D3d8SurfaceKind kind;
    D3DSURFACE_DESC desc;
    D3d8Texture* texture = nullptr;  // the texture a level belongs to; its reference count is shared
    UINT level = 0;
    GLuint glTexture = 0;       // colour storage (owned unless the surface is a texture level)
    GLuint glRenderbuffer = 0;  // depth-stencil storage
    std::vector<BYTE> memory;   // system-memory copy: image surfaces and lockable texture levels
    UINT pitch = 0;
    // A managed texture level whose bytes only GL holds: its system-memory
    // copy was given back after the upload and is read back on the next lock.
    bool memoryInGl = false;
    bool locked = false;
    bool lockedReadOnly = false;  // the lock promised not to write (D3DLOCK_READONLY)

private:
    ~D3d8Surface();
    void releaseGl();
    ULONG refCount = 1;
};

#endif  // ZELVARO_PLATFORM_D3D8_SURFACE_H
