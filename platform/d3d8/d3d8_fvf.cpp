#include "d3d8_fvf.h"

#include "d3d8_caps.h"

D3d8FvfLayout d3d8FvfLayout(DWORD fvf) {
    D3d8FvfLayout layout;
    UINT offset = 0;
    switch (fvf & D3DFVF_POSITION_MASK) {
        case D3DFVF_XYZ:
            layout.positionSize = 3;
            break;
        case D3DFVF_XYZRHW:
            layout.positionSize = 4;
            layout.pretransformed = true;
            break;
        default:
            return layout;  // blended positions are not supported
    }
    offset = layout.positionSize * 4;
    if (fvf & D3DFVF_NORMAL) offset += 12;
    if (fvf & D3DFVF_PSIZE) offset += 4;
    if (fvf & D3DFVF_DIFFUSE) {
        layout.diffuseOffset = static_cast<int>(offset);
        offset += 4;
    }
    if (fvf & D3DFVF_SPECULAR) offset += 4;
    layout.texCoordCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    // Only two-component coordinates (the format bits above 16 left at 0).
    if (layout.texCoordCount > kD3d8TexCoordSets || (fvf & 0xffff0000u) != 0) return layout;
    layout.texCoordOffset = offset;
    offset += layout.texCoordCount * 8;
    layout.size = offset;
    layout.valid = true;
    return layout;
}
