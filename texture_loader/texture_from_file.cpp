// D3DXCreateTextureFromFileExA: map the file, decode it, make the texture.
#include "d3dx8math.h"
#include "d3dx8tex.h"
#include "image_decoders.h"
#include "mapped_file.h"
#include "texture_from_image.h"

HRESULT WINAPI D3DXCreateTextureFromFileExA(IDirect3DDevice8* device, LPCSTR srcFile, UINT width,
                                            UINT height, UINT mipLevels, DWORD usage,
                                            D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                            DWORD mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                            IDirect3DTexture8** texture) {
    if (!srcFile) {
        D3DXDebugReport(0, "Invalid file name");
        return D3DERR_INVALIDCALL;
    }
    if (!texture) return D3DERR_INVALIDCALL;
    MappedFile file;
    HRESULT result = file.open(srcFile);
    if (FAILED(result)) return result;
    DecodedImage image;
    if (FAILED(decodeImageFile(file.data, file.size, &image))) return D3DXERR_INVALIDDATA;
    return createTextureFromImage(device, &image, width, height, mipLevels, usage, format, pool,
                                  filter, mipFilter, colorKey, srcInfo, palette, texture);
}
