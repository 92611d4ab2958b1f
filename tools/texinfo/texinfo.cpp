// zelvaro-texinfo FILE [OUT.png]
//
// Loads FILE exactly as the demo loads its textures (size, format and a full
// mip chain from the file, linear filters, managed pool) onto a device in a
// hidden window, prints what the file holds and what texture became of it,
// and with OUT.png writes the texture's level 0 as an RGBA PNG.
// Exit code 0 on success, 1 when the file does not load, 2 on bad usage.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <d3d8.h>

#include "d3dx8tex.h"
#include "pixel_conversion.h"
#include "png_writer.h"

namespace {

const char* fileFormatName(D3DXIMAGE_FILEFORMAT format) {
    switch (format) {
    case D3DXIFF_BMP: return "BMP";
    case D3DXIFF_JPG: return "JPG";
    case D3DXIFF_TGA: return "TGA";
    case D3DXIFF_PNG: return "PNG";
    case D3DXIFF_DDS: return "DDS";
    case D3DXIFF_PPM: return "PPM";
    case D3DXIFF_DIB: return "DIB";
    default: return "?";
    }
}

const char* formatName(D3DFORMAT format) {
    switch ((DWORD)format) {
    case D3DFMT_R8G8B8: return "R8G8B8";
    case D3DFMT_A8R8G8B8: return "A8R8G8B8";
    case D3DFMT_X8R8G8B8: return "X8R8G8B8";
    case D3DFMT_R5G6B5: return "R5G6B5";
    case D3DFMT_X1R5G5B5: return "X1R5G5B5";
    case D3DFMT_A1R5G5B5: return "A1R5G5B5";
    case D3DFMT_A4R4G4B4: return "A4R4G4B4";
    case D3DFMT_A8: return "A8";
    case D3DFMT_P8: return "P8";
    case D3DFMT_L8: return "L8";
    case D3DFMT_A8L8: return "A8L8";
    case D3DFMT_DXT1: return "DXT1";
    case D3DFMT_DXT2: return "DXT2";
    case D3DFMT_DXT3: return "DXT3";
    case D3DFMT_DXT4: return "DXT4";
    case D3DFMT_DXT5: return "DXT5";
    default: return "other";
    }
}

const char* resourceName(D3DRESOURCETYPE type) {
    switch (type) {
    case D3DRTYPE_TEXTURE: return "texture";
    case D3DRTYPE_CUBETEXTURE: return "cube texture";
    case D3DRTYPE_VOLUMETEXTURE: return "volume texture";
    default: return "?";
    }
}

// Level 0 of the texture as RGBA rows, through the loader's pixel conversion.
bool writeLevelZero(IDirect3DTexture8* texture, const char* path) {
    D3DSURFACE_DESC desc;
    if (FAILED(texture->GetLevelDesc(0, &desc)) || !pixelFormatConvertible(desc.Format)) return false;
    D3DLOCKED_RECT locked;
    if (FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) return false;
    std::vector<BYTE> rgba((size_t)desc.Width * desc.Height * 4);
    std::vector<FloatPixel> row(desc.Width);
    for (UINT y = 0; y < desc.Height; y++) {
        readPixels(desc.Format, static_cast<const BYTE*>(locked.pBits) + (size_t)y * locked.Pitch, desc.Width,
                   nullptr, row.data());
        for (UINT x = 0; x < desc.Width; x++) {
            D3DCOLOR c = pixelToColour(row[x]);
            BYTE* out = &rgba[((size_t)y * desc.Width + x) * 4];
            out[0] = (BYTE)(c >> 16);
            out[1] = (BYTE)(c >> 8);
            out[2] = (BYTE)c;
            out[3] = (BYTE)(c >> 24);
        }
    }
    texture->UnlockRect(0);

    PngPicture picture;
    picture.width = int(desc.Width);
    picture.height = int(desc.Height);
    picture.layout = PngLayout::Rgba;
    picture.pixels = rgba.data();
    std::string error;
    if (!writePngFile(path, picture, &error)) {
        fprintf(stderr, "zelvaro-texinfo: %s\n", error.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        fprintf(stderr, "usage: zelvaro-texinfo FILE [OUT.png]\n");
        return 2;
    }
    // No window is shown: the device draws off screen.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    IDirect3D8* direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    if (!direct3D) {
        fprintf(stderr, "zelvaro-texinfo: no Direct3D device (no display or OpenGL 3.3)\n");
        return 1;
    }
    D3DPRESENT_PARAMETERS parameters = {};
    parameters.BackBufferWidth = 64;
    parameters.BackBufferHeight = 64;
    parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.Windowed = TRUE;
    IDirect3DDevice8* device = nullptr;
    if (FAILED(direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                      D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, &device))) {
        fprintf(stderr, "zelvaro-texinfo: the device could not be created\n");
        direct3D->Release();
        return 1;
    }

    D3DXIMAGE_INFO info = {};
    IDirect3DTexture8* texture = nullptr;
    HRESULT result = D3DXCreateTextureFromFileExA(device, argv[1], D3DX_DEFAULT, D3DX_DEFAULT, 0, 0,
                                                  D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_LINEAR,
                                                  D3DX_FILTER_LINEAR, 0, &info, nullptr, &texture);
    int status = 0;
    if (FAILED(result)) {
        fprintf(stderr, "zelvaro-texinfo: %s does not load (0x%08X)\n", argv[1], (unsigned)result);
        status = 1;
    } else {
        printf("file:     %s\n", argv[1]);
        printf("image:    %s, %u x %u, depth %u, %u mip level%s, %s (%u), %s\n",
               fileFormatName(info.ImageFileFormat), info.Width, info.Height, info.Depth, info.MipLevels,
               info.MipLevels == 1 ? "" : "s", formatName(info.Format), (unsigned)info.Format,
               resourceName(info.ResourceType));
        D3DSURFACE_DESC desc;
        texture->GetLevelDesc(0, &desc);
        printf("texture:  %u x %u, %u level%s, %s (%u)\n", desc.Width, desc.Height,
               (unsigned)texture->GetLevelCount(), texture->GetLevelCount() == 1 ? "" : "s",
               formatName(desc.Format), (unsigned)desc.Format);
        if (argc == 3) {
            if (writeLevelZero(texture, argv[2]))
                printf("level 0:  written to %s\n", argv[2]);
            else
                status = 1;
        }
        texture->Release();
    }
    device->Release();
    direct3D->Release();
    return status;
}
