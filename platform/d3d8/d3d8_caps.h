// What the device reports of itself: the capabilities of a typical Direct3D 8
// card of its time (power-of-two textures up to 2048, mip-maps, two or more
// blend stages) and the formats it accepts.
#ifndef ZELVARO_PLATFORM_D3D8_CAPS_H
#define ZELVARO_PLATFORM_D3D8_CAPS_H

#include <d3d8.h>

constexpr DWORD kD3d8MaxTextureSize = 2048;
constexpr DWORD kD3d8StageCount = 4;     // texture blend stages and texture units
constexpr DWORD kD3d8TexCoordSets = 4;   // coordinate sets a vertex may carry

void d3d8FillCaps(D3DCAPS8* caps);

// CheckDeviceFormat's answer: D3D_OK or D3DERR_NOTAVAILABLE.
HRESULT d3d8CheckFormat(DWORD usage, D3DRESOURCETYPE resourceType, D3DFORMAT format);

#endif  // ZELVARO_PLATFORM_D3D8_CAPS_H
