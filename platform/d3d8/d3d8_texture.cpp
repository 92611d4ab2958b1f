#include "d3d8_texture.h"

#include <algorithm>

#include "d3d8_device.h"
#include "d3d8_format.h"
#include "d3d8_stats.h"
#include "d3d8_surface.h"

UINT d3d8FullMipCount(UINT width, UINT height) {
    UINT count = 1;
    while (width > 1 || height > 1) {
        width = std::max(1u, width / 2);
        height = std::max(1u, height / 2);
        ++count;
    }
    return count;
}

D3d8Texture::D3d8Texture(D3d8Device* owner, UINT textureWidth, UINT textureHeight, UINT levelCount,
                         DWORD textureUsage, const D3d8FormatInfo* textureFormat, D3DPOOL texturePool)
    : device(owner), format(textureFormat), width(textureWidth), height(textureHeight),
      usage(textureUsage), pool(texturePool) {
    const bool renderable = (usage & D3DUSAGE_RENDERTARGET) != 0;
    if (pool != D3DPOOL_SYSTEMMEM) {
        device->makeCurrent();
        glGenTextures(1, &glTexture);
        device->bindScratchTexture(glTexture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levelCount - 1));
        glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, format->swizzle);
    }
    UINT levelWidth = width;
    UINT levelHeight = height;
    for (UINT i = 0; i < levelCount; ++i) {
        D3DSURFACE_DESC desc{};
        desc.Format = format->format;
        desc.Type = D3DRTYPE_SURFACE;
        desc.Usage = usage;
        desc.Pool = pool;
        desc.Width = levelWidth;
        desc.Height = levelHeight;
        desc.Size = levelWidth * levelHeight * format->bytesPerPixel;
        auto* surface = new D3d8Surface(device, D3d8SurfaceKind::textureLevel, desc);
        surface->texture = this;
        surface->level = i;
        surface->glTexture = glTexture;
        surface->pitch = levelWidth * format->bytesPerPixel;
        if (!renderable) surface->memory.assign(desc.Size, 0);
        if (glTexture != 0) {
            // Storage only: a level's bytes go to GL when it is unlocked, or
            // before the first draw that samples it (most textures are filled
            // right after they are made, so their zeros are never sent).
            const GLenum internal = renderable ? format->internalFormat : format->sampledFormat;
            glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), static_cast<GLint>(internal),
                         static_cast<GLsizei>(levelWidth), static_cast<GLsizei>(levelHeight), 0,
                         format->uploadFormat, format->uploadType, nullptr);
            if (!renderable) staleLevels |= 1u << i;
        }
        levels.push_back(surface);
        levelWidth = std::max(1u, levelWidth / 2);
        levelHeight = std::max(1u, levelHeight / 2);
    }
}

D3d8Texture::~D3d8Texture() {
    if (device != nullptr) {
        // The level surfaces go first: the device drops framebuffers made of them.
        for (D3d8Surface* surface : levels) device->forgetSurface(surface);
        device->forgetTexture(this);
        device->makeCurrent();
        if (glTexture != 0) glDeleteTextures(1, &glTexture);
    }
    for (D3d8Surface* surface : levels) {
        surface->device = nullptr;  // the GL texture is the texture's to delete
        surface->destroy();
    }
}

void D3d8Texture::orphan() {
    if (device == nullptr) return;
    // The levels outlive GL: their bytes come back from it first.
    for (D3d8Surface* surface : levels) surface->restoreMemory();
    device->makeCurrent();
    if (glTexture != 0) glDeleteTextures(1, &glTexture);
    glTexture = 0;
    for (D3d8Surface* surface : levels) {
        surface->glTexture = 0;
        surface->device = nullptr;
    }
    device = nullptr;
}

void D3d8Texture::uploadStaleLevels() {
    for (UINT level = 0; level < levels.size() && staleLevels != 0; ++level) {
        if (staleLevels & (1u << level)) uploadLevel(level);
    }
}

void D3d8Texture::uploadLevel(UINT level) {
    if (device == nullptr || glTexture == 0 || level >= levels.size()) return;
    const D3d8Surface* surface = levels[level];
    if (surface->memory.empty()) return;
    staleLevels &= ~(1u << level);
    const D3d8CpuScope timed;
    if (d3d8StatsEnabled) {
        ++d3d8Stats.uploads;
        d3d8Stats.uploadBytes += surface->memory.size();
    }
    device->bindScratchTexture(glTexture);
    glTexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), 0, 0, static_cast<GLsizei>(surface->desc.Width),
                    static_cast<GLsizei>(surface->desc.Height), format->uploadFormat, format->uploadType,
                    surface->memory.data());
    markSpare(level);
}

void D3d8Texture::markSpare(UINT level) {
    if (pool != D3DPOOL_MANAGED || device == nullptr || level >= levels.size()) return;
    spareLevels |= 1u << level;
    device->noteSpareCopies(this);
}

namespace {

// Whether reading the level back from GL gives the very bytes it was given:
// 32-bit colour, which sampled textures keep in GL as all four bytes in
// Direct3D's order (the unused byte of X8R8G8B8 included).
bool glKeepsBytes(D3DFORMAT format) {
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8;
}

}  // namespace

void D3d8Texture::releaseLevelMemory(UINT level) {
    // The managed pool's copy in system memory is the one the program never
    // sees unless it locks the level again: GL has the same bytes, and
    // giving the copy back halves the memory textures take (and lets the
    // next texture reuse the pages instead of faulting in fresh ones).
    if (pool != D3DPOOL_MANAGED || device == nullptr || glTexture == 0 || level >= levels.size()) return;
    D3d8Surface* surface = levels[level];
    if (surface->locked || surface->memory.empty() || (staleLevels & (1u << level)) != 0) return;
    if (!glKeepsBytes(surface->desc.Format)) return;
    std::vector<BYTE>().swap(surface->memory);
    surface->memoryInGl = true;
}

D3DRESOURCETYPE D3d8Texture::GetType() { return D3DRTYPE_TEXTURE; }

DWORD D3d8Texture::SetLOD(DWORD lodNew) {
    const DWORD old = lod;
    if (pool == D3DPOOL_MANAGED) lod = std::min<DWORD>(lodNew, static_cast<DWORD>(levels.size() - 1));
    return old;
}

DWORD D3d8Texture::GetLOD() { return lod; }

DWORD D3d8Texture::GetLevelCount() { return static_cast<DWORD>(levels.size()); }

HRESULT D3d8Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    if (level >= levels.size() || desc == nullptr) return D3DERR_INVALIDCALL;
    *desc = levels[level]->desc;
    return D3D_OK;
}

HRESULT D3d8Texture::GetSurfaceLevel(UINT level, IDirect3DSurface8** surfaceLevel) {
    if (surfaceLevel == nullptr) return D3DERR_INVALIDCALL;
    *surfaceLevel = nullptr;
    if (level >= levels.size()) return D3DERR_INVALIDCALL;
    AddRef();
    *surfaceLevel = levels[level];
    return D3D_OK;
}

HRESULT D3d8Texture::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) {
    if (level >= levels.size()) return D3DERR_INVALIDCALL;
    return levels[level]->LockRect(lockedRect, rect, flags);
}

HRESULT D3d8Texture::UnlockRect(UINT level) {
    if (level >= levels.size()) return D3DERR_INVALIDCALL;
    return levels[level]->UnlockRect();
}

HRESULT D3d8Texture::AddDirtyRect(const RECT*) { return D3D_OK; }
