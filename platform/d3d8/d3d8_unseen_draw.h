// Draws that cannot change a pixel: blended with the source's alpha as the
// source factor, every fragment's alpha zero, and no depth written. Such a
// draw leaves the target exactly as it was (destination x 1 + source x 0 in
// the target's own precision), so the device leaves it out instead of
// shading every pixel it covers for nothing. Fades that have ended draw
// whole-screen planes at alpha 0 every frame; they are the common case.
#ifndef ZELVARO_PLATFORM_D3D8_UNSEEN_DRAW_H
#define ZELVARO_PLATFORM_D3D8_UNSEEN_DRAW_H

#include <d3d8.h>

#include "d3d8_fvf.h"
#include "d3d8_shader_gen.h"

// True when the render states (indexed by D3DRENDERSTATETYPE) blend so that a
// fragment of alpha 0 leaves the target as it is, and nothing writes depth.
// `hasDepth`: a depth buffer is bound.
bool d3d8BlendKeepsTargetAtZeroAlpha(const DWORD* renderStates, bool hasDepth);

// True when the program of `key`, with every vertex's diffuse alpha zero,
// gives every fragment alpha zero (the texture factor is D3DRS_TEXTUREFACTOR).
bool d3d8AlphaIsZeroWithZeroDiffuse(const D3d8ProgramKey& key, DWORD textureFactor);

// True when the `count` vertices from `vertices` (of `stride` bytes, laid
// out as `layout`) all have a diffuse colour of alpha zero.
bool d3d8DiffuseAlphaAllZero(const BYTE* vertices, UINT count, UINT stride, const D3d8FvfLayout& layout);

#endif  // ZELVARO_PLATFORM_D3D8_UNSEEN_DRAW_H
