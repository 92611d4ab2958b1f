#include "ripple_tiles_scene.h"

#include <cmath>
#include <cstring>

#include "d3dx8math.h"
#include "demo_context.h"
#include "drop_tunnel_scene.h"
#include "frame_timer.h"
#include "mesh_object.h"
#include "music_clock.h"
#include "render_target.h"
#include "ripple.h"
#include "scene_registry.h"
#include "scene_support.h"
#include "texture_slots.h"
#include "texture_table.h"

namespace {

const float tileStarts[10] = {98.1f, 98.1f, 101.6f, 104.1f, 108.1f,
                              108.1f, 115.1f, 101.6f, 154.0f, 154.0f};
const float switchTimes[10] = {96.5f, 98.5f, 100.5f, 102.5f, 104.5f,
                               106.5f, 108.5f, 110.5f, 208.0f, 210.0f};

}  // namespace

RippleTilesScene::RippleTilesScene()
    : device(nullptr),
      screenMesh(nullptr),
      tileMeshes(nullptr),
      tileCount(10),
      backgroundMesh(nullptr),
      backgroundPosition{0.0f, -12.0f, 0.0f},
      textureSwitchIndex(0),
      textureToggle(1),
      trailMesh(nullptr),
      trailVertices(nullptr),
      trailHead{0.0f, 0.0f, 0.0f},
      trailHistoryStep(0),
      trailHistoryLength(0),
      trailHistory(nullptr),
      ripple(nullptr),
      flashMesh(nullptr),
      flashActive(false) {
    for (int i = 0; i < 10; ++i) {
        tilePositions[i] = D3DVECTOR{0.0f, 0.0f, 0.0f};
        tileRotations[i] = D3DVECTOR{0.0f, 0.0f, 0.0f};
        tileAlpha[i] = 255.0f;
        tileActive[i] = false;
        tileStartTimes[i] = tileStarts[i];
        textureSwitchTimes[i] = switchTimes[i];
    }
}

RippleTilesScene::~RippleTilesScene() {
    delete screenMesh;
    delete[] tileMeshes;
    delete backgroundMesh;
    delete trailMesh;
    delete flashMesh;
    delete[] trailVertices;
    delete[] trailHistory;
    delete ripple;
}

void RippleTilesScene::init(IDirect3DDevice8* sceneDevice) {
    device = sceneDevice;

    if (demoContext && !demoContext->renderTarget) {
        demoContext->createRenderTarget(1024, 1024);
        setTextureBlend(sharedTarget(), 0, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    }
    TextureRecord* target = sharedTarget();

    setTextureBlend(target, 0, D3DBLEND_SRCALPHA, D3DBLEND_ONE);
    screenMesh = newScreenGrid(device, target, 0xFFFFFFFF, 64.0f, 48.0f, 4,
                               warpCornersInnerDiagonal, renderPlain);

    // Each tile shows the whole picture; even tiles sit left of the centre
    // (x -12..-2), odd ones right of it (x 2..12).
    tileMeshes = new MeshObject[tileCount];
    for (int i = 0; i < tileCount; ++i) {
        MeshObject& tile = tileMeshes[i];
        const float a = (i % 2 == 0) ? -7.0f : 7.0f;
        tile.setDevice(device);
        tile.cullMode = cullNone;
        tile.texture0 = target;
        tile.color = 0xFFFFFFFF;
        tile.renderMode = renderPlain;
        tile.buildGrid(10.0f, 10.0f, 10, 10);
        const int columns = tile.segments;
        const int rows = tile.rings;
        if (tile.vertices && columns > 1 && rows > 1) {
            for (int r = 0; r < rows; ++r)
                for (int k = 0; k < columns; ++k) {
                    Vertex& v = tile.vertices[r * columns + k];
                    v.x = (a - 5.0f) + static_cast<float>(k) * 10.0f /
                                           static_cast<float>(columns - 1);
                    v.y = 5.0f - static_cast<float>(r) * 10.0f / static_cast<float>(rows - 1);
                }
        }
        tile.fillVertexBuffer();
    }
    tileActive[0] = true;

    TextureRecord* water = textureTable.find(slotWaterfall);
    setTextureBlend(water, 0, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    backgroundMesh =
        newScreenGrid(device, water, 0xFFFFFFFF, 72.0f, 80.0f, 6, warpBentRows, renderPlain);

    // The last 30 lines of the burst are never drawn.
    trailMesh = new MeshObject();
    trailMesh->setDevice(device);
    trailMesh->color = 0xFFFFFFFF;
    trailMesh->buildRayBurst(0.1f, 15, 25, 0.5f);
    trailMesh->lineCount -= 30;
    if (trailMesh->lineCount < 0) trailMesh->lineCount = 0;
    const int trailRecords = trailMesh->vertexCount + 1000;
    trailVertices = new Vertex[trailRecords];
    std::memset(trailVertices, 0, sizeof(Vertex) * static_cast<size_t>(trailRecords));

    // The history starts as if the head had already moved for as many steps
    // as it holds.
    trailHistoryStep = 10;
    trailHistoryLength = (trailMesh->rings + 1) * 10;
    trailHistory = new D3DVECTOR[trailHistoryLength];
    for (int i = 0; i < trailHistoryLength; ++i) trailHistory[i] = D3DVECTOR{0.0f, 0.0f, 0.0f};
    for (int n = 0; n < trailHistoryLength; ++n) {
        trailHead.x += -0.23f;
        trailHead.y += 0.4f;
        trailHead.z += 0.17f;
        pushTrailHistory();
    }

    flashMesh = newScreenOverlay(device, 0xFFFFFFFF, flagOn);

    ripple = new Ripple();
    ripple->start(0.0f, 0.0f, 0.0f);
}

// Entry 0 becomes the current head; the oldest entry drops out.
void RippleTilesScene::pushTrailHistory() {
    if (!trailHistory || trailHistoryLength <= 0) return;
    std::memmove(trailHistory + 1, trailHistory,
                 sizeof(D3DVECTOR) * static_cast<size_t>(trailHistoryLength - 1));
    trailHistory[0] = trailHead;
}

void RippleTilesScene::stepTrail() {
    pushTrailHistory();
    if (!trailMesh || !trailMesh->vertices || !trailVertices) return;

    // Group i is placed by the head as it was i * trailHistoryStep steps ago.
    const int points = trailMesh->pointsPerLevel;
    for (int i = 0; i <= trailMesh->rings - 2; ++i) {
        const int entry = i * trailHistoryStep;
        if (entry >= trailHistoryLength) break;
        const D3DVECTOR h = trailHistory[entry];
        D3DXMATRIX m;
        D3DXMATRIX step;
        D3DXMatrixRotationY(&m, h.y * sceneDegrees);
        D3DXMatrixRotationX(&step, h.x * sceneDegrees);
        D3DXMatrixMultiply(&m, &m, &step);
        D3DXMatrixRotationZ(&step, h.z * sceneDegrees);
        D3DXMatrixMultiply(&m, &m, &step);
        D3DXMatrixTranslation(&step, -5.0f * std::cos(h.x * sceneDegrees),
                              5.0f * std::sin(h.y * sceneDegrees),
                              7.0f * std::sin(h.z * sceneDegrees));
        D3DXMatrixMultiply(&m, &m, &step);
        const D3DCOLOR color = 0x33333333u + static_cast<uint32_t>(i) * 0x22333333u;
        for (int j = 0; j < points; ++j) {
            const int index = i * points + j;
            if (index >= trailMesh->vertexCount) break;
            const Vertex& source = trailMesh->vertices[index];
            const D3DXVECTOR3 position(source.x, source.y, source.z);
            D3DXVECTOR4 moved;
            D3DXVec3Transform(&moved, &position, &m);
            trailVertices[index].x = moved.x;
            trailVertices[index].y = moved.y;
            trailVertices[index].z = moved.z;
            trailVertices[index].color = color;
        }
    }

    if (!trailMesh->vertexBuffer || trailMesh->lineCount <= 0) return;
    BYTE* bytes = nullptr;
    if (FAILED(trailMesh->vertexBuffer->Lock(0, 0, &bytes, 0)) || !bytes) return;
    FlatBufferVertex* out = reinterpret_cast<FlatBufferVertex*>(bytes);
    for (int l = 0; l < trailMesh->lineCount; ++l) {
        const Triangle& line = trailMesh->triangles[l];
        const Vertex& a = trailVertices[line.i0];
        const Vertex& b = trailVertices[line.i1];
        out[2 * l] = FlatBufferVertex{a.x, a.y, a.z, a.color};
        out[2 * l + 1] = FlatBufferVertex{b.x, b.y, b.z, b.color};
    }
    trailMesh->vertexBuffer->Unlock();
}

void RippleTilesScene::preRender() {
    beginRenderTargetPass();
    if (backgroundMesh) {
        backgroundMesh->setViewTransform(0.0f, 0.0f, 64.7f, 0.0f, 0.0f, 0.0f);
        backgroundMesh->setWorldTransform(backgroundPosition.x, backgroundPosition.y,
                                          backgroundPosition.z, 0.0f, 0.0f, 0.0f);
        backgroundMesh->render();
    }
    if (trailMesh) {
        trailMesh->setViewTransform(0.0f, 0.0f, 27.7f, 0.0f, 0.0f, 0.0f);
        trailMesh->setWorldTransform(-5.0f, -5.0f, 0.0f, 0.0f, 0.0f, 0.0f);
        trailMesh->renderLines();
        trailMesh->setWorldTransform(5.0f, 5.0f, 0.0f, 0.0f, 0.0f, 0.0f);
        trailMesh->renderLines();
        stepTrail();
    }
    endRenderTargetPass(true);
}

void RippleTilesScene::render() {
    TextureRecord* target = sharedTarget();
    if (screenMesh) {
        if (target) target->alphaBlend = 0;
        screenMesh->setViewTransform(0.0f, 0.0f, 57.7f, 0.0f, 0.0f, 0.0f);
        screenMesh->setWorldTransform(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
        screenMesh->render();
    }

    if (tileMeshes) {
        setTextureBlend(target, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
        for (int i = tileCount - 1; i >= 0; --i) {
            if (!tileActive[i]) continue;
            MeshObject& tile = tileMeshes[i];
            tile.setViewTransform(0.0f, 0.0f, 57.7f, 0.0f, 0.0f, 0.0f);
            tile.setWorldTransform(tilePositions[i].x, tilePositions[i].y, tilePositions[i].z,
                                   tileRotations[i].x, tileRotations[i].y, tileRotations[i].z);
            tile.render();
        }
        rippleTiles();
    }

    if (sceneRegistry.scene3) sceneRegistry.scene3->render();

    if (flashActive && flashMesh) {
        flashMesh->setViewTransform(0.0f, 0.0f, 47.7f, 0.0f, 0.0f, 0.0f);
        flashMesh->setWorldTransform(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
        flashMesh->renderFlat();
    }

    update();
}

// Active tiles from the last to the first; at least two tiles are always
// refreshed, the first ones standing in when fewer are active.
void RippleTilesScene::rippleTiles() {
    int processed = 0;
    for (int i = tileCount - 1; i >= 0; --i) {
        if (!tileActive[i]) continue;
        rippleTile(i);
        ++processed;
    }
    for (int i = 0; processed < 2 && i < tileCount; ++i, ++processed) rippleTile(i);
}

void RippleTilesScene::rippleTile(int index) {
    MeshObject& tile = tileMeshes[index];
    if (!tile.vertices || !tile.triangles) return;
    const DWORD alpha = whiteWithAlpha(tileAlpha[index]) & 0xFF000000u;
    for (int n = 0; n < tile.vertexCount; ++n) {
        Vertex& v = tile.vertices[n];
        const float d = ripple ? ripple->heightAt(v.x, v.y) : 0.0f;
        v.z = d;
        int grey = static_cast<int>(207.0f - 63.0f * d);
        if (grey < 0) grey = 0;
        if (grey > 255) grey = 255;
        v.color = static_cast<DWORD>(grey) * 0x010101u + alpha;
    }
    if (!tile.vertexBuffer) return;
    BYTE* bytes = nullptr;
    if (FAILED(tile.vertexBuffer->Lock(0, 0, &bytes, 0)) || !bytes) return;
    TexturedBufferVertex* out = reinterpret_cast<TexturedBufferVertex*>(bytes);
    for (int t = 0; t < tile.triangleCount; ++t) {
        const int corners[3] = {tile.triangles[t].i0, tile.triangles[t].i1, tile.triangles[t].i2};
        for (int c = 0; c < 3; ++c) {
            const Vertex& v = tile.vertices[corners[c]];
            TexturedBufferVertex& b = out[3 * t + c];
            b.x = v.x;
            b.y = v.y;
            b.z = v.z;
            b.diffuse = v.color;
        }
    }
    tile.vertexBuffer->Unlock();
}

void RippleTilesScene::update() {
    const float dt = frameTimer.frameSeconds();
    if (static_cast<double>(dt) > 0.1) return;

    backgroundPosition.y += 1.5f * dt;
    if (backgroundPosition.y > 20.0f) backgroundPosition.y = -12.0f;

    trailHead.y += 40.0f * dt;
    trailHead.z += 17.0f * dt;
    trailHead.x -= 23.0f * dt;

    if (static_cast<double>(musicTime) > 112.05) flashActive = true;

    // One switch per frame at most, even when several times have passed.
    if (backgroundMesh && textureSwitchIndex < 10 &&
        musicTime > textureSwitchTimes[textureSwitchIndex]) {
        backgroundMesh->texture0 =
            textureTable.find(textureToggle == 1 ? slotSepiaRiver : slotWaterfall);
        textureToggle = -textureToggle;
        ++textureSwitchIndex;
    }

    // A tile past its start time is re-activated every frame: after its fade
    // it keeps moving at alpha 0.
    for (int i = 0; i < tileCount; ++i) {
        if (musicTime > tileStartTimes[i]) tileActive[i] = true;
        if (!tileActive[i]) continue;
        tileAlpha[i] -= 80.0f * dt;
        if (tileAlpha[i] <= 0.0f) {
            tileActive[i] = false;
            tileAlpha[i] = 0.0f;
        }
        tileRotations[i].z += 40.0f * dt;
        tilePositions[i].z -= 20.0f * dt;
    }

    if (ripple) ripple->spread(dt, 450.0f);
}
