#include "glass_colonnade_scene.h"

#include "bridge_cubes_scene.h"
#include "frame_timer.h"
#include "mesh_object.h"
#include "scene_registry.h"
#include "scene_support.h"
#include "texture_slots.h"
#include "texture_table.h"

namespace {

const D3DVECTOR labelStarts[6] = {{25.0f, 10.0f, 20.0f},  {15.0f, -10.0f, 50.0f},
                                  {5.0f, 10.0f, 70.0f},   {-5.0f, -10.0f, 20.0f},
                                  {-15.0f, 10.0f, 60.0f}, {-25.0f, -10.0f, 30.0f}};

}  // namespace

GlassColonnadeScene::GlassColonnadeScene()
    : device(nullptr),
      labelMesh(nullptr),
      labelFrame(0),
      labelFrameTimer(0.25f),
      labelCount(4),
      backgroundMesh(nullptr),
      ringMeshes(nullptr),
      ringCount(0),
      ringSpin{0.0f, 0.0f, 0.0f},
      ringOrigin{0.0f, 0.0f, -300.0f},
      flashMesh(nullptr),
      flashActive(true),
      flashAlpha(255.0f) {
    resetLabels();
}

GlassColonnadeScene::~GlassColonnadeScene() {
    delete labelMesh;
    delete backgroundMesh;
    delete[] ringMeshes;
    delete flashMesh;
}

void GlassColonnadeScene::resetLabels() {
    for (int i = 0; i < 6; ++i) labelPositions[i] = labelStarts[i];
}

// The texture holds four frames side by side; a frame above 3 shows frame 3.
void GlassColonnadeScene::setLabelFrame(int frame) {
    if (!labelMesh || !labelMesh->vertices) return;
    const int f = frame < 3 ? frame : 3;
    const int columns = labelMesh->segments;
    if (columns < 2) return;
    for (int n = 0; n < labelMesh->vertexCount; ++n) {
        const int k = n % columns;
        labelMesh->vertices[n].u =
            0.25f * static_cast<float>(f) + static_cast<float>(k) * 0.25f /
                                               static_cast<float>(columns - 1);
    }
    if (!labelMesh->vertexBuffer) return;
    BYTE* bytes = nullptr;
    if (FAILED(labelMesh->vertexBuffer->Lock(0, 0, &bytes, 0)) || !bytes) return;
    TexturedBufferVertex* out = reinterpret_cast<TexturedBufferVertex*>(bytes);
    for (int t = 0; t < labelMesh->triangleCount; ++t) {
        const int corners[3] = {labelMesh->triangles[t].i0, labelMesh->triangles[t].i1,
                                labelMesh->triangles[t].i2};
        for (int c = 0; c < 3; ++c) {
            const Vertex& v = labelMesh->vertices[corners[c]];
            TexturedBufferVertex& b = out[3 * t + c];
            b.x = v.x;
            b.y = v.y;
            b.z = v.z;
            b.tu0 = v.u;
            b.tv0 = v.v;
        }
    }
    labelMesh->vertexBuffer->Unlock();
}

void GlassColonnadeScene::init(IDirect3DDevice8* sceneDevice) {
    device = sceneDevice;

    TextureRecord* backgroundTexture = textureTable.find(slotSymbols);
    setTextureBlend(backgroundTexture, 0, D3DBLEND_ONE, D3DBLEND_ONE);
    backgroundMesh = newScreenGrid(device, backgroundTexture, 0xFFFFFFFF, 64.0f, 48.0f, 15,
                                   warpInnerPair, renderPlain);

    TextureRecord* ringTexture = textureTable.find(slotRoseTiles);
    setTextureBlend(ringTexture, 0, D3DBLEND_ONE, D3DBLEND_ONE);
    ringCount = 20;
    ringMeshes = new MeshObject[ringCount];
    for (int i = 0; i < ringCount; ++i) {
        MeshObject& ring = ringMeshes[i];
        ring.setDevice(device);
        ring.texture0 = ringTexture;
        ring.texture1 = ringTexture;
        ring.buildSupertoroid(10.0f, 2.0f, 6.0f, 0.2f, 1.0f, 12, 12);
        ring.cullMode = cullNone;
        ring.renderMode = renderEnvironmentMap;
        ring.stageSetup0 = newEnvironmentStage(0, D3DTOP_SELECTARG1);
        ring.stageSetup1 = newEnvironmentStage(1, D3DTOP_ADD);
    }

    flashMesh = newScreenOverlay(device, 0xFFFFFFFF, flagOn);
    flashActive = true;

    TextureRecord* labelTexture = textureTable.find(slotWalkingFigure);
    setTextureBlend(labelTexture, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    labelMesh = new MeshObject();
    labelMesh->setDevice(device);
    labelMesh->texture0 = labelTexture;
    labelMesh->renderMode = renderPlain;
    labelMesh->color = 0x88FFFFFF;
    labelMesh->buildGrid(7.0f, 15.0f, 4, 4);
    setLabelFrame(0);
    labelCount = 6;
    resetLabels();
}

// Blend refresh, then scene 9's flash back on when it is over (its alpha is
// already back at 255 after every finished flash).
void GlassColonnadeScene::refreshAndRearmPartner() {
    if (backgroundMesh && backgroundMesh->texture0) backgroundMesh->texture0->alphaBlend = 0;
    if (ringMeshes && ringMeshes[0].texture0) ringMeshes[0].texture0->alphaBlend = 0;

    BridgeCubesScene* bridges = sceneRegistry.scene9;
    if (bridges && !bridges->flashActive) {
        bridges->flashActive = true;
        writeFlatColor(bridges->flashMesh, 0xFFFFFFFF);
    }
}

void GlassColonnadeScene::render() {
    refreshAndRearmPartner();

    if (backgroundMesh) {
        backgroundMesh->setViewTransform(0.0f, 0.0f, 57.7f, 0.0f, 0.0f, 0.0f);
        backgroundMesh->setWorldTransform(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
        backgroundMesh->render();
    }
    device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);

    drawRings();

    if (labelMesh) {
        for (int i = 0; i < labelCount; ++i) {
            device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
            device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
            device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
            labelMesh->setWorldTransform(labelPositions[i].x, labelPositions[i].y,
                                         labelPositions[i].z, 0.0f, 0.0f, 0.0f);
            labelMesh->render();
        }
    }

    if (flashActive && flashMesh) {
        flashMesh->setViewTransform(0.0f, 0.0f, 47.7f, 0.0f, 0.0f, 0.0f);
        flashMesh->setWorldTransform(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
        flashMesh->renderFlat();
    }

    update();
}

// Middle, right and left column; the labels keep the view set here.
void GlassColonnadeScene::drawRings() {
    if (!ringMeshes) return;
    const float sx = ringSpin.x;
    const float sy = ringSpin.y;
    const float sz = ringSpin.z;
    const float ox = ringOrigin.x;
    const float oy = ringOrigin.y;
    const float oz = ringOrigin.z;
    ringMeshes[0].setViewTransform(0.0f, 0.0f, 57.7f, 0.0f, 0.0f, 0.0f);
    // The outer columns turn the opposite way to the middle one.
    const float columnOffsets[3] = {0.0f, 40.0f, -40.0f};
    for (int column = 0; column < 3; ++column) {
        const float turn = column == 0 ? 1.0f : -1.0f;
        for (int i = 0; i < ringCount; ++i) {
            const float step = static_cast<float>(i);
            ringMeshes[i].setWorldTransformDouble(ox + columnOffsets[column], oy,
                                                  oz + 16.0f * step + 260.0f, turn * sx,
                                                  turn * sy, turn * sz + 90.0f * step, -30.0f,
                                                  0.0f, 0.0f);
            ringMeshes[i].render();
        }
    }
}

void GlassColonnadeScene::update() {
    const float dt = frameTimer.frameSeconds();
    if (static_cast<double>(dt) > 0.1) return;

    ringSpin.z += 40.0f * dt;
    ringOrigin.z -= 10.0f * dt;
    if (ringOrigin.z < -620.0f) ringOrigin.z = 0.0f;

    if (labelMesh) {
        labelFrameTimer -= dt;
        if (labelFrameTimer <= 0.0f) {
            labelFrameTimer = 0.25f;
            labelFrame = labelFrame >= 3 ? 0 : labelFrame + 1;
            setLabelFrame(labelFrame);
        }
        for (int i = 0; i < labelCount; ++i) labelPositions[i].z -= 15.0f * dt;
    }

    stepWhiteFlash(flashMesh, flashActive, flashAlpha, 255.0f, dt);
}
