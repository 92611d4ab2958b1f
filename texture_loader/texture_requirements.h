// Fitting a texture request to what the device can make: usage and pool
// checks, the closest supported format, size limits, power-of-two rounding
// and the number of mip levels.
#ifndef ZELVARO_TEXTURE_LOADER_TEXTURE_REQUIREMENTS_H
#define ZELVARO_TEXTURE_LOADER_TEXTURE_REQUIREMENTS_H

#include <d3d8.h>

// Each pointer may be null for a value the caller does not need. Width or
// height 0 or D3DX_DEFAULT count as missing; levels 0 or D3DX_DEFAULT ask
// for a full chain. Reports and fails on an invalid usage, pool or device,
// or when no supported format fits.
HRESULT checkTextureRequirements(IDirect3DDevice8* device, UINT* width, UINT* height,
                                 UINT* levels, DWORD usage, D3DFORMAT* format, D3DPOOL pool);

// Number of bits of the larger side: the length of a full mip chain.
UINT fullMipChainLength(UINT width, UINT height);

#endif  // ZELVARO_TEXTURE_LOADER_TEXTURE_REQUIREMENTS_H
