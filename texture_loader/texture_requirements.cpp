#include "texture_requirements.h"

#include "d3dx8math.h"
#include "d3dx8tex.h"
#include "format_table.h"

namespace {

const DWORD allowedUsage =
    D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL | D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC;

bool isPowerOfTwo(UINT v) { return v && !(v & (v - 1)); }

UINT nextPowerOfTwo(UINT v) {
    UINT p = 1;
    while (p < v && p < 0x80000000u) p <<= 1;
    return p;
}

bool isBlockFormat(D3DFORMAT format) {
    return format == D3DFMT_DXT1 || format == D3DFMT_DXT2 || format == D3DFMT_DXT3 ||
           format == D3DFMT_DXT4 || format == D3DFMT_DXT5;
}

}  // namespace

UINT fullMipChainLength(UINT width, UINT height) {
    UINT larger = width > height ? width : height;
    UINT bits = 0;
    while (larger) {
        bits++;
        larger >>= 1;
    }
    return bits ? bits : 1;
}

HRESULT checkTextureRequirements(IDirect3DDevice8* device, UINT* width, UINT* height,
                                 UINT* levels, DWORD usage, D3DFORMAT* format, D3DPOOL pool) {
    if (usage & ~allowedUsage) {
        D3DXDebugReport(0, "Usage parameter is invalid");
        return D3DERR_INVALIDCALL;
    }
    if ((DWORD)pool > D3DPOOL_SCRATCH) {
        D3DXDebugReport(0, "Pool parameter is invalid");
        return D3DERR_INVALIDCALL;
    }
    if (!device) {
        D3DXDebugReport(0, "pDevice pointer is invalid");
        return D3DERR_INVALIDCALL;
    }
    D3DCAPS8 caps;
    if (FAILED(device->GetDeviceCaps(&caps))) return D3DERR_INVALIDCALL;

    D3DFORMAT chosen = format ? *format : D3DFMT_A8R8G8B8;
    if (chosen == D3DFMT_UNKNOWN) chosen = D3DFMT_A8R8G8B8;
    if (pool != D3DPOOL_SCRATCH) {
        chosen = findClosestDeviceFormat(device, chosen, usage, D3DRTYPE_TEXTURE);
        if (chosen == D3DFMT_UNKNOWN) {
            D3DXDebugReport(0, "Device does not support this Usage/ResType");
            return D3DERR_NOTAVAILABLE;
        }
    }

    UINT w = width ? *width : 0;
    UINT h = height ? *height : 0;
    if (w == D3DX_DEFAULT) w = 0;
    if (h == D3DX_DEFAULT) h = 0;
    if (!w && !h) {
        w = 256;
        h = 256;
    } else if (!w) {
        w = h;
    } else if (!h) {
        h = w;
    }
    if (caps.MaxTextureWidth && w > caps.MaxTextureWidth) w = caps.MaxTextureWidth;
    if (caps.MaxTextureHeight && h > caps.MaxTextureHeight) h = caps.MaxTextureHeight;
    DWORD aspect = (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) ? 1 : caps.MaxTextureAspectRatio;
    if (aspect) {
        if ((unsigned long long)w > (unsigned long long)h * aspect) w = h * aspect;
        if ((unsigned long long)h > (unsigned long long)w * aspect) h = w * aspect;
    }
    bool pow2 = (caps.TextureCaps & D3DPTEXTURECAPS_POW2) != 0;
    bool conditional = (caps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL) != 0;
    if (pow2 && !conditional) {
        w = nextPowerOfTwo(w);
        h = nextPowerOfTwo(h);
    }
    if (isBlockFormat(chosen)) {
        w = (w + 3) & ~3u;
        h = (h + 3) & ~3u;
    }

    UINT count = 1;
    bool canMip = (caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP) != 0;
    if (canMip && !(pow2 && conditional && !(isPowerOfTwo(w) && isPowerOfTwo(h)))) {
        count = fullMipChainLength(w, h);
        UINT requested = levels ? *levels : 0;
        if (requested && requested != D3DX_DEFAULT && requested < count) count = requested;
    }

    if (width) *width = w;
    if (height) *height = h;
    if (levels) *levels = count;
    if (format) *format = chosen;
    return S_OK;
}
