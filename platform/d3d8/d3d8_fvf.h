// The byte layout of a flexible vertex format: position (XYZ or XYZRHW),
// normal, point size, diffuse, specular, then 2-float texture coordinate sets.
#ifndef ZELVARO_PLATFORM_D3D8_FVF_H
#define ZELVARO_PLATFORM_D3D8_FVF_H

#include <d3d8.h>

struct D3d8FvfLayout {
    bool valid = false;
    bool pretransformed = false;  // XYZRHW
    UINT positionSize = 0;        // floats: 3 or 4
    int diffuseOffset = -1;
    UINT texCoordCount = 0;
    UINT texCoordOffset = 0;      // of set 0; set n follows at + 8n
    UINT size = 0;
};

D3d8FvfLayout d3d8FvfLayout(DWORD fvf);

#endif  // ZELVARO_PLATFORM_D3D8_FVF_H
