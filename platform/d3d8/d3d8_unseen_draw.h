// Draws that cannot change a colour: blended with the source's alpha as the
// source factor and every fragment's alpha zero. Such a draw leaves the
// colour target exactly as it was (destination x 1 + source x 0 in the
// target's own precision), so the device does not shade the pixels it covers
// for nothing: without depth writes it leaves the draw out, with them it
// draws into the depth buffer only. Fades that have ended draw whole-screen
// planes at alpha 0 every frame; they are the common case.
#ifndef ZELVARO_PLATFORM_D3D8_UNSEEN_DRAW_H
#define ZELVARO_PLATFORM_D3D8_UNSEEN_DRAW_H

#include <d3d8.h>

#include "d3d8_fvf.h"
#include "d3d8_shader_gen.h"

// True when the render states (indexed by D3DRENDERSTATETYPE) blend so that a
// fragment of alpha 0 leaves the colour target as it is. `targetHasAlpha`:
// the target stores alpha (one that does not reads its alpha as 1).
bool d3d8BlendKeepsTargetAtZeroAlpha(const DWORD* renderStates, bool targetHasAlpha);

// True when a draw with these render states writes depth. `hasDepth`: a
// depth buffer is bound.
bool d3d8DrawWritesDepth(const DWORD* renderStates, bool hasDepth);

// True when the program of `key`, with every vertex's diffuse alpha zero,
// gives every fragment alpha zero (the texture factor is D3DRS_TEXTUREFACTOR).
bool d3d8AlphaIsZeroWithZeroDiffuse(const D3d8ProgramKey& key, DWORD textureFactor);

// True when the `count` vertices from `vertices` (of `stride` bytes, laid
// out as `layout`) all have a diffuse colour of alpha zero.
bool d3d8DiffuseAlphaAllZero(const BYTE* vertices, UINT count, UINT stride, const D3d8FvfLayout& layout);

#endif  // ZELVARO_PLATFORM_D3D8_UNSEEN_DRAW_H
