#include "scene_support.h"

#include <cstring>

#include "d3dx8math.h"
#include "demo_context.h"
#include "demo_random.h"
#include "mesh_object.h"
#include "texture_table.h"

// 3.0518509e-05 is 1/32767: demoRand's 0..32767 scaled to 0..1
float sceneRandom() { return static_cast<float>(demoRand()) * 3.0518509e-05f; }

namespace {

// The fades keep their alpha within 0..255; the clamp only guards the shift.
D3DCOLOR alphaByte(float alpha) {
    int truncated = static_cast<int>(alpha);
    if (truncated < 0) truncated = 0;
    if (truncated > 255) truncated = 255;
    return static_cast<D3DCOLOR>(truncated) << 24;
}

}  // namespace

D3DCOLOR whiteWithAlpha(float alpha) { return alphaByte(alpha) | 0xFFFFFF; }

D3DCOLOR blackWithAlpha(float alpha) { return alphaByte(alpha); }

void writeFlatColor(MeshObject* mesh, D3DCOLOR color) {
    if (!mesh || !mesh->flatVertexBuffer) return;
    BYTE* bytes = nullptr;
    if (FAILED(mesh->flatVertexBuffer->Lock(0, 0, &bytes, 0)) || !bytes) return;
    // Flat vertices are 16 bytes: position, then the diffuse colour at byte 12.
    const int vertexTotal = 3 * mesh->triangleCount;
    for (int i = 0; i < vertexTotal; ++i)
        std::memcpy(bytes + i * flatVertexStride + 12, &color, sizeof color);
    mesh->flatVertexBuffer->Unlock();
}

MeshObject* newScreenOverlay(IDirect3DDevice8* device, D3DCOLOR color, int depthTestOff) {
    MeshObject* overlay = new MeshObject();
    overlay->setDevice(device);
    overlay->renderMode = renderPlain;
    overlay->color = color;  // written into the vertices as the grid is built
    overlay->depthTestOff = depthTestOff;
    overlay->buildGrid(64.0f, 48.0f, 4, 4);
    overlay->buildFlatBuffer();
    return overlay;
}

MeshObject* newScreenGrid(IDirect3DDevice8* device, TextureRecord* texture, D3DCOLOR color,
                          float width, float height, int cells, int warpVariant, int renderMode) {
    MeshObject* grid = new MeshObject();
    grid->setDevice(device);
    grid->color = color;
    grid->texture0 = texture;
    grid->buildGrid(width, height, cells, cells);
    grid->cullMode = cullNone;
    grid->warpVariant = warpVariant;
    grid->renderMode = renderMode;
    return grid;
}

void prepareHarmonicMesh(MeshObject* mesh, IDirect3DDevice8* device, TextureRecord* texture,
                         const int32_t* params, int cullMode, D3DCOLOR color) {
    mesh->setDevice(device);
    mesh->wireframe = flagOff;
    mesh->texture0 = texture;
    setHarmonicParams(mesh, params);
    mesh->warpVariant = warpCornersInnerDiagonal;
    mesh->cullMode = cullMode;
    mesh->color = color;
    mesh->renderMode = renderPlain;
}

MeshObject* newHarmonicMesh(IDirect3DDevice8* device, TextureRecord* texture,
                            const int32_t* params, int cullMode, D3DCOLOR color) {
    MeshObject* mesh = new MeshObject();
    prepareHarmonicMesh(mesh, device, texture, params, cullMode, color);
    return mesh;
}

void stepWhiteFlash(MeshObject* flashMesh, bool& active, float& alpha, float rate, float dt) {
    if (!active) return;
    // The alpha is written before it falls: the first flash frame is opaque.
    writeFlatColor(flashMesh, whiteWithAlpha(alpha));
    alpha -= rate * dt;
    if (alpha <= 0.0f) {
        active = false;
        alpha = 255.0f;
    }
}

TextureRecord* sharedTarget() { return demoContext ? demoContext->renderTarget : nullptr; }

TextureStageSetup* newEnvironmentStage(int stage, int colorOp) {
    TextureStageSetup* setup = new TextureStageSetup();
    setup->stage = stage;
    setup->colorOp = colorOp;
    setup->colorArg2 = D3DTA_CURRENT;
    setup->alphaArg1 = D3DTA_DIFFUSE;
    return setup;
}

void setTextureBlend(TextureRecord* record, int alphaBlend, D3DBLEND srcBlend, D3DBLEND destBlend) {
    if (!record) return;
    record->alphaBlend = alphaBlend;
    record->srcBlend = srcBlend;
    record->destBlend = destBlend;
}

void setSceneView(IDirect3DDevice8* device, float x, float y, float z) {
    if (!device) return;
    D3DXMATRIX view;
    D3DXMatrixTranslation(&view, x, y, z);
    device->SetTransform(D3DTS_VIEW, &view);
}

void setHarmonicParams(MeshObject* mesh, const int32_t* params) {
    for (int i = 0; i < 8; ++i) mesh->harmonicParams[i] = params[i];
}

void morphPositions(MeshObject* target, const MeshObject* from, const MeshObject* to,
                    float factor) {
    if (!target || !from || !to || !target->vertices || !from->vertices || !to->vertices) return;
    // Key shapes are built with the same counts, so vertices correspond one to
    // one; a shorter shape limits the blend instead of being overrun.
    int count = target->vertexCount;
    if (from->vertexCount < count) count = from->vertexCount;
    if (to->vertexCount < count) count = to->vertexCount;
    for (int i = 0; i < count; ++i) {
        const Vertex& a = from->vertices[i];
        const Vertex& b = to->vertices[i];
        Vertex& out = target->vertices[i];
        out.x = a.x + factor * (b.x - a.x);
        out.y = a.y + factor * (b.y - a.y);
        out.z = a.z + factor * (b.z - a.z);
    }
}
