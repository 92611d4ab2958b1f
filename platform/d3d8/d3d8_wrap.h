// D3DRS_WRAP0: texture coordinate set 0 interpolated the short way round a
// cylinder on which 0 and 1 meet. Done on a copy of the vertices: within each
// primitive, every wrapped coordinate more than 0.5 below the primitive's
// largest is moved up by 1, so interpolation crosses the seam instead of
// running back through 0.5; the stage samples with repeat addressing.
// Chosen: WRAP0 applies to the vertex's coordinate set 0, whichever stage
// reads it (the program's stage 0 always reads set 0).
#ifndef ZELVARO_PLATFORM_D3D8_WRAP_H
#define ZELVARO_PLATFORM_D3D8_WRAP_H

#include <d3d8.h>

#include <cstddef>

// wrapBits: D3DWRAP_U and/or D3DWRAP_V. Primitives start at firstVertex and
// have verticesPerPrimitive vertices each (3 for triangle lists, 2 for lines);
// vertices before firstVertex are grouped backwards in the same rhythm.
void d3d8WrapTexCoords(BYTE* vertices, size_t vertexCount, UINT stride, UINT texCoordOffset, DWORD wrapBits,
                       UINT verticesPerPrimitive, UINT firstVertex);

#endif  // ZELVARO_PLATFORM_D3D8_WRAP_H
