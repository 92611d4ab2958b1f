// Drawing a MeshObject: render (with its per-frame render modes), renderFlat,
// renderLines, and the texture-stage setups applied before a draw.
#include "mesh_object.h"
#include "texture_table.h"

TextureStageSetup::TextureStageSetup()
    : colorOp(D3DTOP_SELECTARG1),
      colorArg1(D3DTA_TEXTURE),
      colorArg2(D3DTA_DIFFUSE),
      alphaOp(D3DTOP_SELECTARG1),
      alphaArg1(D3DTA_TEXTURE),
      alphaArg2(D3DTA_DIFFUSE),
      stage(0) {}

void TextureStageSetup::apply(IDirect3DDevice8* device) {
    device->SetTextureStageState(stage, D3DTSS_COLOROP, colorOp);
    device->SetTextureStageState(stage, D3DTSS_COLORARG1, colorArg1);
    device->SetTextureStageState(stage, D3DTSS_COLORARG2, colorArg2);
    device->SetTextureStageState(stage, D3DTSS_ALPHAOP, alphaOp);
    device->SetTextureStageState(stage, D3DTSS_ALPHAARG1, alphaArg1);
    device->SetTextureStageState(stage, D3DTSS_ALPHAARG2, alphaArg2);
    device->SetTextureStageState(stage, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(stage, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
}

// Between draws the device keeps: depth test on, no blending, CCW culling,
// no texture wrapping.
static void restoreBaseStates(IDirect3DDevice8* device) {
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_WRAP0, 0);
}

void MeshObject::render() {
    if (vertexBuffer == nullptr) {
        return;
    }
    switch (renderMode) {
    case renderEnvironmentMap: applyEnvironmentMap(nullptr); break;
    case renderWarp:
        animateWarpLattice();
        applyWarp();
        break;
    case renderWarpEnvironmentMap:
        animateWarpLattice();
        applyWarp();
        applyEnvironmentMap(deformedVertices);
        break;
    case renderSkin: applySkinning(); break;
    case renderSkinEnvironmentMap:
        applySkinning();
        applyEnvironmentMap(deformedVertices);
        break;
    default:
        break;
    }

    device->SetRenderState(D3DRS_ZENABLE, depthTestOff != flagOff ? FALSE : TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    switch (cullMode) {
    case cullClockwise: device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW); break;
    case cullCounterClockwise: device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW); break;
    case cullNone: device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE); break;
    default:
        break;  // the cull mode the previous draw restored stays
    }
    device->SetRenderState(D3DRS_WRAP0, textureWrap ? (D3DWRAP_U | D3DWRAP_V) : D3DWRAP_U);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    if (stageSetup0 != nullptr) {
        stageSetup0->apply(device);
    }
    if (stageSetup1 != nullptr) {
        stageSetup1->apply(device);
    }

    if (texture0 != nullptr) {
        device->SetTexture(0, texture0->texture);
        if (texture0->alphaBlend != 0) {
            if (blendDisablesDepth != flagOff) {
                device->SetRenderState(D3DRS_ZENABLE, FALSE);
            }
            device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
            device->SetRenderState(D3DRS_SRCBLEND, texture0->srcBlend);
            device->SetRenderState(D3DRS_DESTBLEND, texture0->destBlend);
        }
    } else {
        device->SetTexture(0, nullptr);
    }
    device->SetTexture(1, texture1 != nullptr ? texture1->texture : nullptr);

    device->SetVertexShader(texturedVertexFvf);
    device->SetStreamSource(0, vertexBuffer, texturedVertexStride);
    if (wireframe != flagOff) {
        device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
    }
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, triangleCount);

    // after the draw: the base states, solid fill, stage-0 alpha from the diffuse colour
    restoreBaseStates(device);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    if (stageSetup0 != nullptr) {
        device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    }
}

void MeshObject::renderFlat() {
    if (flatVertexBuffer == nullptr) {
        return;
    }
    device->SetRenderState(D3DRS_ZENABLE, depthTestOff != flagOff ? FALSE : TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_WRAP0, D3DWRAP_U | D3DWRAP_V);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTexture(0, nullptr);
    device->SetTexture(1, nullptr);
    device->SetVertexShader(flatVertexFvf);
    device->SetStreamSource(0, flatVertexBuffer, flatVertexStride);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, triangleCount);
    restoreBaseStates(device);
}

// Lines are always drawn additively without the depth test; wireframe,
// textures and stage setups of the mesh do not apply to them.
void MeshObject::renderLines() {
    if (vertexBuffer == nullptr) {
        return;
    }
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCCOLOR);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCCOLOR);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    device->SetTexture(0, nullptr);
    device->SetTexture(1, nullptr);
    device->SetVertexShader(flatVertexFvf);
    device->SetStreamSource(0, vertexBuffer, flatVertexStride);
    device->DrawPrimitive(D3DPT_LINELIST, 0, lineCount);
    restoreBaseStates(device);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
}
