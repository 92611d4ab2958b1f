#include "fake_texture_device.h"

#include <cstring>

#include "pixel_conversion.h"

FakeTexture::FakeTexture(UINT width, UINT height, UINT levelCount, DWORD textureUsage, D3DFORMAT textureFormat,
                         D3DPOOL texturePool, UINT bytesPerPixel, UINT* live)
    : format(textureFormat), usage(textureUsage), pool(texturePool), liveTextures(live) {
    for (UINT i = 0; i < levelCount; i++) {
        Level level;
        level.width = width;
        level.height = height;
        level.pitch = width * bytesPerPixel;
        level.bytes.assign((size_t)level.pitch * height, 0xCD);  // never-written marker
        levels.push_back(level);
        width = width > 1 ? width / 2 : 1;
        height = height > 1 ? height / 2 : 1;
    }
    ++*liveTextures;
}

ULONG FakeTexture::Release() {
    ULONG left = --references;
    if (left == 0) {
        --*liveTextures;
        delete this;
    }
    return left;
}

HRESULT FakeTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    if (level >= levels.size()) return D3DERR_INVALIDCALL;
    *desc = {format, D3DRTYPE_SURFACE, usage, pool, (UINT)levels[level].bytes.size(), D3DMULTISAMPLE_NONE,
             levels[level].width, levels[level].height};
    return S_OK;
}

HRESULT FakeTexture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT*, DWORD) {
    if (level >= levels.size() || levels[level].locked) return D3DERR_INVALIDCALL;
    levels[level].locked = true;
    locked->Pitch = (INT)levels[level].pitch;
    locked->pBits = levels[level].bytes.data();
    return S_OK;
}

HRESULT FakeTexture::UnlockRect(UINT level) {
    if (level >= levels.size() || !levels[level].locked) return D3DERR_INVALIDCALL;
    levels[level].locked = false;
    return S_OK;
}

D3DCOLOR FakeTexture::pixel(UINT level, UINT x, UINT y) const {
    const Level& l = levels[level];
    FloatPixel p;
    readPixels(format, l.bytes.data() + (size_t)y * l.pitch + (size_t)x * pixelFormatBytes(format), 1, nullptr, &p);
    return pixelToColour(p);
}

FakeTextureDevice::FakeTextureDevice() {
    memset(&caps, 0, sizeof(caps));
    caps.TextureCaps = D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_MIPMAP | D3DPTEXTURECAPS_ALPHA;
    caps.MaxTextureWidth = 2048;
    caps.MaxTextureHeight = 2048;
    acceptedFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5,
                       D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_L8,       D3DFMT_A8L8};
}

HRESULT FakeTextureDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                         D3DPOOL pool, IDirect3DTexture8** texture) {
    UINT bytes = pixelFormatBytes(format);
    if (!texture || !width || !height || !levels || !bytes) return D3DERR_INVALIDCALL;
    if (pool != D3DPOOL_SYSTEMMEM && pool != D3DPOOL_SCRATCH && !acceptedFormats.count(format))
        return D3DERR_INVALIDCALL;
    *texture = new FakeTexture(width, height, levels, usage, format, pool, bytes, &liveTextures);
    textureCreations++;
    return S_OK;
}

HRESULT FakeTextureDevice::UpdateTexture(IDirect3DBaseTexture8* source, IDirect3DBaseTexture8* destination) {
    FakeTexture* from = static_cast<FakeTexture*>(source);
    FakeTexture* to = static_cast<FakeTexture*>(destination);
    if (!from || !to || from->levels.size() != to->levels.size()) return D3DERR_INVALIDCALL;
    for (size_t i = 0; i < from->levels.size(); i++) to->levels[i].bytes = from->levels[i].bytes;
    updateTextureCalls++;
    return S_OK;
}
