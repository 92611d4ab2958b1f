#include "texture_from_image.h"

#include <cstring>
#include <thread>
#include <vector>

#include "d3dx8math.h"
#include "format_table.h"
#include "pixel_conversion.h"
#include "resampling.h"
#include "texture_requirements.h"

namespace {

const DWORD defaultFilter = D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER;
const DWORD defaultMipFilter = D3DX_FILTER_BOX;

D3DFORMAT textureFormatFor(const DecodedImage& image, D3DCOLOR colorKey, D3DPOOL pool,
                           bool paletteWanted) {
    D3DFORMAT format = image.format;
    const FormatDescriptor* descriptor = findFormatDescriptor(format);
    if (colorKey && descriptor->alpha == 0 &&
        (descriptor->formatClass == formatClassColour ||
         descriptor->formatClass == formatClassPalette ||
         descriptor->formatClass == formatClassLuminance)) {
        // The key needs somewhere to put its transparency: one alpha bit more.
        FormatDescriptor withAlpha = *descriptor;
        withAlpha.format = D3DFMT_UNKNOWN;
        withAlpha.alpha = 1;
        D3DFORMAT keyed = findClosestFormat(withAlpha);
        if (keyed != D3DFMT_UNKNOWN) format = keyed;
    }
    switch ((DWORD)format) {
    case ZELVARO_FMT_L16: format = D3DFMT_L8; break;
    case ZELVARO_FMT_AL16: format = D3DFMT_A8L8; break;
    case ZELVARO_FMT_R16: format = D3DFMT_R8G8B8; break;
    case ZELVARO_FMT_AR16: format = D3DFMT_A8R8G8B8; break;
    default: break;
    }
    if (format == D3DFMT_R8G8B8 && pool != D3DPOOL_SCRATCH) format = D3DFMT_X8R8G8B8;
    if (!paletteWanted) {
        if (format == D3DFMT_P8) {
            bool opaque = true;
            for (UINT i = 0; image.palette && i < 256; i++)
                if (image.palette[i].peFlags != 255) opaque = false;
            format = opaque ? D3DFMT_X8R8G8B8 : D3DFMT_A8R8G8B8;
        } else if (format == D3DFMT_A8P8) {
            format = D3DFMT_A8R8G8B8;
        }
    }
    return format;
}

// Palette entries equal to the key become transparent black, in every level
// and face of the image.
void keyPalettes(DecodedImage* image, D3DCOLOR colorKey) {
    PALETTEENTRY key;
    key.peRed = (BYTE)(colorKey >> 16);
    key.peGreen = (BYTE)(colorKey >> 8);
    key.peBlue = (BYTE)colorKey;
    key.peFlags = (BYTE)(colorKey >> 24);
    for (DecodedImage* face = image; face; face = face->nextFace) {
        for (DecodedImage* level = face; level; level = level->nextLevel) {
            if (!level->palette) continue;
            for (UINT i = 0; i < 256; i++)
                if (!memcmp(&level->palette[i], &key, sizeof(key)))
                    memset(&level->palette[i], 0, sizeof(key));
        }
    }
}

// Fills `level` of `texture` from `source`.
HRESULT fillLevel(IDirect3DTexture8* texture, UINT level, const DecodedImage* source,
                  DWORD filter, D3DCOLOR colorKey, const PALETTEENTRY* palette) {
    D3DSURFACE_DESC desc;
    if (FAILED(texture->GetLevelDesc(level, &desc))) return E_FAIL;
    D3DLOCKED_RECT locked;
    if (FAILED(texture->LockRect(level, &locked, nullptr, 0))) return E_FAIL;
    HRESULT result = loadLevelFromImage(static_cast<BYTE*>(locked.pBits), (UINT)locked.Pitch,
                                        desc.Format, palette, desc.Width, desc.Height, source,
                                        filter, colorKey);
    texture->UnlockRect(level);
    return result;
}

// A copy of `level` of `texture`, as the source for the next smaller level.
HRESULT readLevel(IDirect3DTexture8* texture, UINT level, const PALETTEENTRY* palette,
                  DecodedImage* copy) {
    D3DSURFACE_DESC desc;
    if (FAILED(texture->GetLevelDesc(level, &desc))) return E_FAIL;
    UINT bytes = pixelFormatBytes(desc.Format);
    if (!bytes || FAILED(copy->allocate(desc.Width, desc.Height, desc.Format, bytes)))
        return E_FAIL;
    if (palette) {
        if (FAILED(copy->allocatePalette())) return E_OUTOFMEMORY;
        memcpy(copy->palette, palette, 256 * sizeof(PALETTEENTRY));
    }
    D3DLOCKED_RECT locked;
    if (FAILED(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY))) return E_FAIL;
    for (UINT y = 0; y < desc.Height; y++)
        memcpy(copy->pixels + (size_t)y * copy->pitch,
               static_cast<const BYTE*>(locked.pBits) + (size_t)y * locked.Pitch,
               (size_t)desc.Width * bytes);
    texture->UnlockRect(level);
    return S_OK;
}

// The levels below the first, when each is made from the image itself: they
// depend on nothing else, so a thread of their own makes them into memory of
// their own while this one creates the texture and fills its first level,
// and they are copied in afterwards. The bytes are those the levels would get
// one after the other.
class SmallerLevels {
public:
    std::vector<std::vector<BYTE> > pixels;  // [level - 1]: rows of width x bytes per pixel
    std::vector<UINT> widths;
    std::vector<UINT> heights;
    std::vector<HRESULT> results;
    UINT pixelBytes;
    std::thread worker;

    SmallerLevels() : pixelBytes(0) {}
    ~SmallerLevels() { finish(); }
    bool running() const { return worker.joinable(); }
    void finish() {
        if (worker.joinable()) worker.join();
    }
    void start(const DecodedImage* image, D3DFORMAT format, UINT width, UINT height, UINT levels,
               DWORD filter, D3DCOLOR colorKey, const PALETTEENTRY* palette);
    // Copies level `level` (1 or more) into the texture; false when it made
    // no such level (another size), which is then made the ordinary way.
    bool copyInto(IDirect3DTexture8* texture, UINT level, HRESULT* result) const;

private:
    SmallerLevels(const SmallerLevels&);
    SmallerLevels& operator=(const SmallerLevels&);
};

void SmallerLevels::start(const DecodedImage* image, D3DFORMAT format, UINT width, UINT height,
                          UINT levels, DWORD filter, D3DCOLOR colorKey, const PALETTEENTRY* palette) {
    pixelBytes = pixelFormatBytes(format);
    if (levels < 2 || !pixelBytes || std::thread::hardware_concurrency() < 2) return;
    pixels.resize(levels - 1);
    widths.resize(levels - 1);
    heights.resize(levels - 1);
    results.assign(levels - 1, E_FAIL);
    for (UINT level = 1; level < levels; level++) {
        widths[level - 1] = width >> level ? width >> level : 1;
        heights[level - 1] = height >> level ? height >> level : 1;
        pixels[level - 1].resize((size_t)widths[level - 1] * heights[level - 1] * pixelBytes);
    }
    try {
        worker = std::thread([this, image, format, filter, colorKey, palette] {
            for (size_t i = 0; i < pixels.size(); i++)
                results[i] = loadLevelFromImage(pixels[i].data(), widths[i] * pixelBytes, format, palette,
                                                widths[i], heights[i], image, filter, colorKey);
        });
    } catch (...) {
        // No thread to be had: the levels are made one after the other.
    }
}

bool SmallerLevels::copyInto(IDirect3DTexture8* texture, UINT level, HRESULT* result) const {
    D3DSURFACE_DESC desc;
    if (level == 0 || level > pixels.size() || FAILED(texture->GetLevelDesc(level, &desc)) ||
        desc.Width != widths[level - 1] || desc.Height != heights[level - 1] ||
        pixelFormatBytes(desc.Format) != pixelBytes)
        return false;
    *result = results[level - 1];
    if (FAILED(*result)) return true;
    D3DLOCKED_RECT locked;
    if (FAILED(texture->LockRect(level, &locked, nullptr, 0))) {
        *result = E_FAIL;
        return true;
    }
    const size_t rowBytes = (size_t)desc.Width * pixelBytes;
    for (UINT y = 0; y < desc.Height; y++)
        memcpy(static_cast<BYTE*>(locked.pBits) + (size_t)y * locked.Pitch,
               pixels[level - 1].data() + y * rowBytes, rowBytes);
    texture->UnlockRect(level);
    return true;
}

HRESULT fillTexture(IDirect3DTexture8* texture, const DecodedImage* image, DWORD filter,
                    DWORD mipFilter, bool mipFromMip, D3DCOLOR colorKey,
                    const PALETTEENTRY* palette, SmallerLevels* smaller) {
    UINT levels = texture->GetLevelCount();
    if (smaller->running()) {
        HRESULT result = fillLevel(texture, 0, image, filter, colorKey, palette);
        smaller->finish();
        for (UINT level = 1; level < levels && SUCCEEDED(result); level++) {
            if (!smaller->copyInto(texture, level, &result))
                result = fillLevel(texture, level, image, filter, colorKey, palette);
        }
        return SUCCEEDED(result) ? S_OK : E_FAIL;
    }
    const DecodedImage* source = image;
    UINT level = 0;
    for (; level < levels && source; level++) {
        if (FAILED(fillLevel(texture, level, source, filter, colorKey, palette))) return E_FAIL;
        if (!source->nextLevel) break;
        source = source->nextLevel;
    }
    for (level++; level < levels; level++) {
        if (!mipFromMip) {
            if (FAILED(fillLevel(texture, level, source, filter, colorKey, palette))) return E_FAIL;
            continue;
        }
        DecodedImage above;
        if (FAILED(readLevel(texture, level - 1, palette, &above))) return E_FAIL;
        // The level above already carries the key; it is not applied twice.
        if (FAILED(fillLevel(texture, level, &above, mipFilter, 0, palette))) return E_FAIL;
    }
    return S_OK;
}

}  // namespace

void describeImage(const DecodedImage& image, D3DXIMAGE_INFO* info) {
    info->Width = image.width;
    info->Height = image.height;
    info->Depth = image.depth ? image.depth : 1;
    info->MipLevels = image.mipLevelCount();
    info->Format = image.reportedFormat();
    info->ResourceType = image.nextFace        ? D3DRTYPE_CUBETEXTURE
                         : image.depth > 1     ? D3DRTYPE_VOLUMETEXTURE
                                               : D3DRTYPE_TEXTURE;
    info->ImageFileFormat = image.fileFormat;
}

HRESULT createTextureFromImage(IDirect3DDevice8* device, DecodedImage* image, UINT width,
                               UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                               D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                               D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                               IDirect3DTexture8** texture) {
    if (!texture || !image || !image->pixels) return D3DERR_INVALIDCALL;
    if (!device) {
        D3DXDebugReport(0, "pDevice pointer is invalid");
        return D3DERR_INVALIDCALL;
    }
    if (filter == D3DX_DEFAULT) filter = defaultFilter;
    if (mipFilter == D3DX_DEFAULT) mipFilter = defaultMipFilter;
    if (!filterValid(filter) || !filterValid(mipFilter)) return D3DERR_INVALIDCALL;
    if (srcInfo) describeImage(*image, srcInfo);

    if (width == 0 || width == D3DX_DEFAULT) width = image->width;
    if (height == 0 || height == D3DX_DEFAULT) height = image->height;
    DWORD mipType = filterType(mipFilter);
    bool mipFromMip = filterType(filter) == D3DX_FILTER_NONE || mipType == D3DX_FILTER_POINT ||
                      mipType == D3DX_FILTER_BOX;

    // The key goes into the palette before the format is chosen, so that a
    // palette made partly transparent by it is not stored without alpha.
    if (colorKey && image->palette) {
        keyPalettes(image, colorKey);
        colorKey = 0;  // used up on the palette
    }
    if (format == D3DFMT_UNKNOWN) format = textureFormatFor(*image, colorKey, pool, palette != nullptr);
    if (palette) {
        if (image->palette)
            memcpy(palette, image->palette, 256 * sizeof(PALETTEENTRY));
        else
            memset(palette, 0xFF, 256 * sizeof(PALETTEENTRY));
    }

    UINT levels = mipLevels;
    HRESULT result = checkTextureRequirements(device, &width, &height, &levels, usage, &format, pool);
    if (FAILED(result)) return result;
    if (!pixelFormatConvertible(format)) {
        D3DXDebugReport(0, "Device does not support this Usage/ResType");
        return D3DERR_NOTAVAILABLE;
    }

    SmallerLevels smaller;
    if (!mipFromMip && !image->nextLevel)
        smaller.start(image, format, width, height, levels, filter, colorKey, image->palette);

    IDirect3DTexture8* created = nullptr;
    if (FAILED(device->CreateTexture(width, height, levels, usage, format, pool, &created)) ||
        !created) {
        D3DXDebugReport(0, "Failed trying to create texture");
        return E_FAIL;
    }
    // Textures the application cannot lock are filled through a copy in
    // system memory.
    IDirect3DTexture8* staging = nullptr;
    if (pool == D3DPOOL_DEFAULT && !(usage & D3DUSAGE_DYNAMIC)) {
        if (FAILED(device->CreateTexture(width, height, levels, 0, format, D3DPOOL_SYSTEMMEM,
                                         &staging)) ||
            !staging) {
            D3DXDebugReport(0, "Failed trying to create texture");
            created->Release();
            return E_FAIL;
        }
    }
    IDirect3DTexture8* target = staging ? staging : created;
    const PALETTEENTRY* levelPalette = image->palette;
    result = fillTexture(target, image, filter, mipFilter, mipFromMip, colorKey, levelPalette, &smaller);
    if (SUCCEEDED(result) && staging) result = device->UpdateTexture(staging, created);
    if (staging) staging->Release();
    if (FAILED(result)) {
        created->Release();
        return result;
    }
    *texture = created;
    return S_OK;
}
