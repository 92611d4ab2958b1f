// Making a mip-mapped texture from a decoded image: the steps of
// D3DXCreateTextureFromFileExA after the file has been read and decoded.
#ifndef ZELVARO_TEXTURE_LOADER_TEXTURE_FROM_IMAGE_H
#define ZELVARO_TEXTURE_LOADER_TEXTURE_FROM_IMAGE_H

#include "decoded_image.h"

// Arguments as for D3DXCreateTextureFromFileExA. The image's palette may be
// changed by the colour key.
HRESULT createTextureFromImage(IDirect3DDevice8* device, DecodedImage* image, UINT width,
                               UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                               D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                               D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                               IDirect3DTexture8** texture);

// The image information of a decoded image.
void describeImage(const DecodedImage& image, D3DXIMAGE_INFO* info);

#endif  // ZELVARO_TEXTURE_LOADER_TEXTURE_FROM_IMAGE_H
