#include "d3d8_unseen_draw.h"

namespace {

// An argument of an alpha operation is zero: the diffuse alpha, the alpha so
// far, a texture factor of alpha zero, or a register the device reads as 0.
bool argumentIsZero(BYTE selector, bool currentZero, DWORD textureFactor) {
    if (selector & D3DTA_COMPLEMENT) return false;
    // ALPHAREPLICATE of an alpha is that alpha.
    switch (selector & D3DTA_SELECTMASK) {
        case D3DTA_DIFFUSE:
            return true;
        case D3DTA_CURRENT:
            return currentZero;
        case D3DTA_TFACTOR:
            return (textureFactor >> 24) == 0;
        case D3DTA_TEXTURE:
            return false;
        default:
            return true;  // specular and temporary registers read as 0
    }
}

}  // namespace

bool d3d8BlendKeepsTargetAtZeroAlpha(const DWORD* renderStates, bool targetHasAlpha) {
    if (!renderStates[D3DRS_ALPHABLENDENABLE] || renderStates[D3DRS_BLENDOP] != D3DBLENDOP_ADD) return false;
    const DWORD source = renderStates[D3DRS_SRCBLEND];
    const DWORD destination = renderStates[D3DRS_DESTBLEND];
    const bool keeps = source == D3DBLEND_BOTHSRCALPHA ||
                       (source == D3DBLEND_SRCALPHA &&
                        (destination == D3DBLEND_INVSRCALPHA || destination == D3DBLEND_ONE ||
                         (destination == D3DBLEND_DESTALPHA && !targetHasAlpha)));
    return keeps;
}

bool d3d8DrawWritesDepth(const DWORD* renderStates, bool hasDepth) {
    return hasDepth && renderStates[D3DRS_ZENABLE] != D3DZB_FALSE && renderStates[D3DRS_ZWRITEENABLE] != FALSE;
}

bool d3d8AlphaIsZeroWithZeroDiffuse(const D3d8ProgramKey& key, DWORD textureFactor) {
    bool currentZero = true;  // the alpha so far starts as the diffuse alpha
    for (unsigned i = 0; i < key.stageCount; ++i) {
        const D3d8StageKey& stage = key.stages[i];
        const bool first = argumentIsZero(stage.alphaArg1, currentZero, textureFactor);
        const bool second = argumentIsZero(stage.alphaArg2, currentZero, textureFactor);
        switch (stage.alphaOp) {
            case D3DTOP_DISABLE:
                break;  // keeps the alpha so far
            case D3DTOP_SELECTARG1:
                currentZero = first;
                break;
            case D3DTOP_SELECTARG2:
                currentZero = second;
                break;
            case D3DTOP_MODULATE:
            case D3DTOP_MODULATE2X:
            case D3DTOP_MODULATE4X:
                currentZero = first || second;
                break;
            default:
                currentZero = false;
                break;
        }
    }
    return currentZero;
}

bool d3d8DiffuseAlphaAllZero(const BYTE* vertices, UINT count, UINT stride, const D3d8FvfLayout& layout) {
    // Without a diffuse colour the vertices are white and opaque.
    if (layout.diffuseOffset < 0 || vertices == nullptr) return false;
    // D3DCOLOR bytes are B, G, R, A.
    const BYTE* alpha = vertices + layout.diffuseOffset + 3;
    for (UINT i = 0; i < count; ++i, alpha += stride) {
        if (*alpha != 0) return false;
    }
    return true;
}
