// Creating textures, surfaces and vertex buffers; render targets.
#include <cstdio>

#include "d3d8_device.h"
#include "d3d8_format.h"
#include "d3d8_fvf.h"
#include "d3d8_texture.h"
#include "d3d8_vertex_buffer.h"

namespace {

bool isPowerOfTwo(UINT value) { return value != 0 && (value & (value - 1)) == 0; }

}  // namespace

D3d8Surface* D3d8Device::newSurface(D3d8SurfaceKind kind, UINT width, UINT height, D3DFORMAT format,
                                    DWORD usage, D3DPOOL pool) {
    const D3d8FormatInfo* info = d3d8FindFormat(format);
    D3DSURFACE_DESC desc{};
    desc.Format = format;
    desc.Type = D3DRTYPE_SURFACE;
    desc.Usage = usage;
    desc.Pool = pool;
    desc.Width = width;
    desc.Height = height;
    desc.Size = width * height * info->bytesPerPixel;
    auto* surface = new D3d8Surface(this, kind, desc);
    surface->pitch = width * info->bytesPerPixel;
    makeCurrent();
    switch (kind) {
        case D3d8SurfaceKind::colorTarget:
            glGenTextures(1, &surface->glTexture);
            bindScratchTexture(surface->glTexture);
            glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(info->internalFormat), static_cast<GLsizei>(width),
                         static_cast<GLsizei>(height), 0, info->uploadFormat, info->uploadType, nullptr);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
            glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, info->swizzle);
            break;
        case D3d8SurfaceKind::depthStencil:
            glGenRenderbuffers(1, &surface->glRenderbuffer);
            glBindRenderbuffer(GL_RENDERBUFFER, surface->glRenderbuffer);
            glRenderbufferStorage(GL_RENDERBUFFER, info->internalFormat, static_cast<GLsizei>(width),
                                  static_cast<GLsizei>(height));
            break;
        case D3d8SurfaceKind::image:
            surface->memory.assign(desc.Size, 0);
            break;
        case D3d8SurfaceKind::textureLevel:
            break;
    }
    liveSurfaces.insert(surface);
    return surface;
}

HRESULT D3d8Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                  D3DPOOL pool, IDirect3DTexture8** texture) {
    if (texture == nullptr) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    releaseSpareCopies();  // the new texture's memory can be theirs
    // Sizes must be powers of two up to the maximum, as on the hardware the caps describe.
    if (!isPowerOfTwo(width) || !isPowerOfTwo(height) || width > kD3d8MaxTextureSize ||
        height > kD3d8MaxTextureSize) {
        return D3DERR_INVALIDCALL;
    }
    const D3d8FormatInfo* info = d3d8FindFormat(format);
    if (info == nullptr || info->depthStencil) return D3DERR_INVALIDCALL;
    if (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_MANAGED && pool != D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
    const bool renderTargetUsage = (usage & D3DUSAGE_RENDERTARGET) != 0;
    if (renderTargetUsage && (pool != D3DPOOL_DEFAULT || !info->renderTarget)) return D3DERR_INVALIDCALL;
    if (usage & D3DUSAGE_DEPTHSTENCIL) return D3DERR_INVALIDCALL;
    const UINT fullCount = d3d8FullMipCount(width, height);
    if (levels == 0) levels = fullCount;
    if (levels > fullCount) return D3DERR_INVALIDCALL;
    auto* created = new D3d8Texture(this, width, height, levels, usage, info, pool);
    liveTextures.insert(created);
    for (D3d8Surface* surface : created->levels) liveSurfaces.insert(surface);
    *texture = created;
    return D3D_OK;
}

HRESULT D3d8Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                       IDirect3DVertexBuffer8** vertexBuffer) {
    if (vertexBuffer == nullptr) return D3DERR_INVALIDCALL;
    *vertexBuffer = nullptr;
    if (length == 0 || length > (256u << 20)) return D3DERR_INVALIDCALL;
    if (fvf != 0 && !d3d8FvfLayout(fvf).valid) return D3DERR_INVALIDCALL;
    auto* created = new D3d8VertexBuffer(this, length, usage, fvf, pool);
    liveVertexBuffers.insert(created);
    *vertexBuffer = created;
    return D3D_OK;
}

namespace {

bool usableSize(UINT width, UINT height) {
    return width > 0 && height > 0 && width <= 8192 && height <= 8192;
}

}  // namespace

HRESULT D3d8Device::CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                       BOOL, IDirect3DSurface8** surface) {
    if (surface == nullptr) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    const D3d8FormatInfo* info = d3d8FindFormat(format);
    if (!usableSize(width, height) || info == nullptr || !info->renderTarget ||
        multiSample != D3DMULTISAMPLE_NONE) {
        return D3DERR_INVALIDCALL;
    }
    *surface = newSurface(D3d8SurfaceKind::colorTarget, width, height, format, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT);
    return D3D_OK;
}

HRESULT D3d8Device::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                              D3DMULTISAMPLE_TYPE multiSample, IDirect3DSurface8** surface) {
    if (surface == nullptr) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    const D3d8FormatInfo* info = d3d8FindFormat(format);
    if (!usableSize(width, height) || info == nullptr || !info->depthStencil ||
        multiSample != D3DMULTISAMPLE_NONE) {
        return D3DERR_INVALIDCALL;
    }
    *surface = newSurface(D3d8SurfaceKind::depthStencil, width, height, format, D3DUSAGE_DEPTHSTENCIL,
                          D3DPOOL_DEFAULT);
    return D3D_OK;
}

HRESULT D3d8Device::CreateImageSurface(UINT width, UINT height, D3DFORMAT format, IDirect3DSurface8** surface) {
    if (surface == nullptr) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (!usableSize(width, height) || !d3d8IsTextureFormat(format)) return D3DERR_INVALIDCALL;
    *surface = newSurface(D3d8SurfaceKind::image, width, height, format, 0, D3DPOOL_SYSTEMMEM);
    return D3D_OK;
}

// Copies every level the two textures share, from a system-memory texture to
// a device texture of the same format, size and at most as many levels.
HRESULT D3d8Device::UpdateTexture(IDirect3DBaseTexture8* sourceTexture, IDirect3DBaseTexture8* destinationTexture) {
    auto* source = static_cast<D3d8Texture*>(sourceTexture);
    auto* destination = static_cast<D3d8Texture*>(destinationTexture);
    if (source == nullptr || destination == nullptr || source->pool != D3DPOOL_SYSTEMMEM ||
        destination->pool != D3DPOOL_DEFAULT || source->format != destination->format ||
        source->width != destination->width || source->height != destination->height ||
        destination->levels.size() > source->levels.size()) {
        return D3DERR_INVALIDCALL;
    }
    for (UINT level = 0; level < destination->levels.size(); ++level) {
        D3d8Surface* from = source->levels[level];
        D3d8Surface* to = destination->levels[level];
        if (!to->memory.empty()) {
            to->memory = from->memory;
            destination->uploadLevel(level);
        } else {
            const HRESULT result = CopyRects(from, nullptr, 0, to, nullptr);
            if (FAILED(result)) return result;
        }
    }
    return D3D_OK;
}

// A new colour target resets the viewport to the whole target, even when it
// is the same one again. A null colour target keeps the current one.
HRESULT D3d8Device::SetRenderTarget(IDirect3DSurface8* newTarget, IDirect3DSurface8* newZStencil) {
    auto* color = newTarget != nullptr ? static_cast<D3d8Surface*>(newTarget) : renderTarget;
    auto* depth = static_cast<D3d8Surface*>(newZStencil);
    if (!color->isRenderable() || color->device != this) return D3DERR_INVALIDCALL;
    if (depth != nullptr && (depth->kind != D3d8SurfaceKind::depthStencil || depth->device != this ||
                             depth->desc.Width < color->desc.Width || depth->desc.Height < color->desc.Height)) {
        return D3DERR_INVALIDCALL;
    }
    color->AddRef();
    if (depth != nullptr) depth->AddRef();
    if (renderTarget != nullptr) renderTarget->Release();
    if (depthStencil != nullptr) depthStencil->Release();
    renderTarget = color;
    depthStencil = depth;
    viewport = D3DVIEWPORT8{0, 0, color->desc.Width, color->desc.Height, 0.0f, 1.0f};
    dirty |= kD3d8DirtyFramebuffer | kD3d8DirtyViewport | kD3d8DirtyDepth | kD3d8DirtyBlend;
    return D3D_OK;
}

HRESULT D3d8Device::GetRenderTarget(IDirect3DSurface8** result) {
    if (result == nullptr) return D3DERR_INVALIDCALL;
    renderTarget->AddRef();
    *result = renderTarget;
    return D3D_OK;
}

HRESULT D3d8Device::GetDepthStencilSurface(IDirect3DSurface8** result) {
    if (result == nullptr) return D3DERR_INVALIDCALL;
    *result = depthStencil;
    if (depthStencil == nullptr) return D3DERR_NOTFOUND;
    depthStencil->AddRef();
    return D3D_OK;
}
