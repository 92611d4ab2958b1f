#include "morph_credits_scene.h"

#include <cmath>

#include "demo_context.h"
#include "frame_timer.h"
#include "mesh_object.h"
#include "music_clock.h"
#include "render_target.h"
#include "scene_support.h"
#include "texture_slots.h"
#include "texture_table.h"

namespace {

const int creditShapeCount = 10;
const int32_t creditKeyShapes[creditShapeCount][8] = {
    {3, 4, 3, 4, 3, 4, 3, 4},   {3, 4, 2, 2, 1, 3, 4, 1}, {6, 2, 7, 9, 8, 0, 4, 1},
    {9, 1, 11, 3, 1, 11, 4, 9}, {3, 4, 5, 5, 0, 8, 2, 1}, {2, 4, 2, 5, 0, 2, 2, 1},
    {4, 7, 5, 6, 6, 5, 7, 4},   {1, 4, 2, 3, 3, 2, 4, 1}, {3, 4, 3, 4, 3, 4, 3, 4},
    {3, 4, 3, 4, 3, 4, 3, 4},
};
const int32_t creditMorphParams[8] = {3, 4, 3, 4, 3, 4, 3, 4};
const int32_t creditBurstParams[8] = {7, 6, 7, 6, 7, 6, 7, 6};

// Events every 4 s from 16.2 s; 999 ends them.
const int creditEventCount = 5;
const float creditEventTimes[creditEventCount] = {16.2f, 20.2f, 24.2f, 28.2f, 999.0f};

// Texture slots of the three credit names.
const int creditNameSlots[3] = {slotCreditPendrak, slotCreditTolmen, slotCreditOmbrel};

}  // namespace

MorphCreditsScene::MorphCreditsScene()
    : device(nullptr),
      backgroundMesh(nullptr),
      shapes(nullptr),
      shapeCount(creditShapeCount),
      shapeIndex(0),
      morphMesh(nullptr),
      morphAngle(0.0f),
      morphFactor(0.0f),
      spinAngle(0.0f),
      feedbackMesh(nullptr),
      flashMesh(nullptr),
      flashActive(true),
      flashAlpha(255.0f),
      burstMesh(nullptr),
      burstActive(false),
      burstAlpha(255.0f),
      burstOffset(0.0f),
      burstStartTime(27.5f),
      nameMeshes{nullptr, nullptr, nullptr},
      nameDistance{0.0f, 0.0f, 0.0f},
      nameSpeed{2.0f, 2.0f, 2.0f},
      nameAlpha{136.0f, 136.0f, 136.0f},
      eventTimes(nullptr),
      eventIndex(0),
      pulseActive(false),
      pulseAngle(0.0f),
      pulseDuration(1.2f),
      pulseRemaining(0.0f) {
    eventTimes = new float[creditEventCount];
    for (int i = 0; i < creditEventCount; ++i) eventTimes[i] = creditEventTimes[i];
}

MorphCreditsScene::~MorphCreditsScene() {
    delete burstMesh;
    delete flashMesh;
    delete[] eventTimes;
    delete backgroundMesh;
    delete morphMesh;
    delete[] shapes;
    delete feedbackMesh;
    for (MeshObject* name : nameMeshes) delete name;
}

void MorphCreditsScene::init(IDirect3DDevice8* sceneDevice) {
    device = sceneDevice;

    if (demoContext && !demoContext->renderTarget) {
        demoContext->createRenderTarget(1024, 1024);
        setTextureBlend(demoContext->renderTarget, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    }
    TextureRecord* target = demoContext ? demoContext->renderTarget : nullptr;

    flashMesh = newScreenOverlay(device, 0xFFFFFFFF, flagOff);

    feedbackMesh = new MeshObject();
    feedbackMesh->setDevice(device);
    feedbackMesh->cullMode = cullNone;
    feedbackMesh->texture0 = target;
    setTextureBlend(target, 1, D3DBLEND_SRCALPHA, D3DBLEND_DESTALPHA);
    feedbackMesh->color = 0x55FFFFFF;
    feedbackMesh->buildGrid(64.0f, 48.0f, 4, 4);
    feedbackMesh->renderMode = renderPlain;

    for (int i = 0; i < 3; ++i) {
        TextureRecord* nameTexture = textureTable.find(creditNameSlots[i]);
        setTextureBlend(nameTexture, 1, D3DBLEND_SRCALPHA, D3DBLEND_DESTALPHA);
        MeshObject* name = new MeshObject();
        name->setDevice(device);
        name->texture0 = nameTexture;
        name->color = 0x00FFFFFF;  // invisible until its event
        name->buildGrid(52.0f, 12.0f, 4, 4);
        name->cullMode = cullNone;
        name->renderMode = renderPlain;
        nameMeshes[i] = name;
    }

    TextureRecord* shapeTexture = textureTable.find(slotLiquidChrome);
    setTextureBlend(shapeTexture, 1, D3DBLEND_SRCALPHA, D3DBLEND_ONE);

    backgroundMesh =
        newScreenGrid(device, shapeTexture, 0xFFFFFFFF, 64.0f, 48.0f, 15, warpBentRows, renderWarp);

    shapes = new MeshObject[shapeCount];
    for (int i = 0; i < shapeCount; ++i) {
        MeshObject& shape = shapes[i];
        prepareHarmonicMesh(&shape, device, shapeTexture,
                            creditKeyShapes[i < creditShapeCount ? i : 0], cullCounterClockwise,
                            0xFFFFFFFF);
        shape.buildHarmonicSphereQuads(25.0f, 50, 50);
    }

    // Same counts as the key shapes: update overwrites its positions before
    // the first draw, so its own shape is never seen.
    morphMesh =
        newHarmonicMesh(device, shapeTexture, creditMorphParams, cullCounterClockwise, 0x50FFFFFF);
    morphMesh->buildHarmonicSphereQuads(20.0f, 50, 50);

    burstMesh = newHarmonicMesh(device, shapeTexture, creditBurstParams, cullClockwise, 0xFFFFFFFF);
    burstMesh->buildHarmonicSphereQuads(10.0f, 25, 25);
}

// Slot 7 is shared with other scenes, which change its blending.
void MorphCreditsScene::applyShapeBlend() {
    setTextureBlend(textureTable.find(slotLiquidChrome), 1, D3DBLEND_SRCALPHA, D3DBLEND_ONE);
}

void MorphCreditsScene::update() {
    const float dt = frameTimer.frameSeconds();
    if (static_cast<double>(dt) > 0.1) return;

    if (backgroundMesh) backgroundMesh->warpAngle += 20.0f * dt;
    spinAngle += 20.0f * dt;

    // One morph takes 4.5 s and eases out; at the last start (8) the shape
    // holds for one period, then starts again from key shape 0.
    morphAngle += 20.0f * dt;
    if (morphAngle > 90.0f) {
        morphAngle = 0.0f;
        shapeIndex = shapeIndex >= shapeCount - 2 ? 0 : shapeIndex + 1;
    }
    morphFactor = std::sin(morphAngle * sceneDegrees);
    if (shapes && shapeIndex < shapeCount - 2)
        morphPositions(morphMesh, &shapes[shapeIndex], &shapes[shapeIndex + 1], morphFactor);
    if (morphMesh) morphMesh->fillVertexBuffer();

    // A running pulse delays the next event until it has ended.
    if (!pulseActive) {
        if (eventIndex >= 0 && eventIndex < creditEventCount && eventTimes &&
            musicTime > eventTimes[eventIndex]) {
            if (pulseAngle == 0.0f) pulseAngle = 90.0f;
            pulseActive = true;
            pulseRemaining = pulseDuration;
            eventIndex += 1;
        }
    } else {
        pulseRemaining -= dt;
        if (pulseRemaining <= 0.0f) {
            pulseRemaining = 0.0f;
            pulseAngle = 0.0f;
            pulseActive = false;
        }
    }

    for (int i = 0; i < 3; ++i) {
        if (eventIndex < i + 1) continue;
        nameDistance[i] += dt * nameSpeed[i];
    }
    for (int i = 0; i < 3; ++i) {
        if (eventIndex < i + 1 || !(nameAlpha[i] > 0.0f) || !nameMeshes[i]) continue;
        nameAlpha[i] -= 15.0f * dt;
        if (nameAlpha[i] <= 0.0f) nameAlpha[i] = 0.0f;
        nameMeshes[i]->color = whiteWithAlpha(nameAlpha[i]);
        nameMeshes[i]->applyColor();
    }

    if (burstActive) {
        if (burstMesh) {
            burstAlpha -= 100.0f * dt;
            if (burstAlpha <= 0.0f) {
                burstAlpha = 0.0f;
                burstActive = false;
            }
            burstOffset += 30.0f * dt;
            burstMesh->color = whiteWithAlpha(burstAlpha);
            burstMesh->applyColor();
        }
    } else if (musicTime > burstStartTime) {
        burstActive = true;
        burstStartTime = 999.0f;  // the burst happens once
    }

    if (flashActive) {
        writeFlatColor(flashMesh, whiteWithAlpha(flashAlpha));
        flashAlpha -= 140.0f * dt;
        if (flashAlpha <= 0.0f) flashActive = false;
    }
}

void MorphCreditsScene::drawMorph() {
    applyShapeBlend();
    if (backgroundMesh) {
        backgroundMesh->setViewTransform(0.0f, 0.0f, 57.7f, 0.0f, 0.0f, 0.0f);
        backgroundMesh->setWorldTransform(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
        backgroundMesh->render();
    }
    if (device) device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    if (!morphMesh) return;
    const float a = spinAngle;
    morphMesh->setViewTransform(0.0f, 0.0f, 150.0f, 0.0f, 0.0f, 0.0f);
    morphMesh->setWorldTransform(0.0f, 0.0f, 0.0f, 0.8f * a, a, 0.25f * a);
    morphMesh->render();
    morphMesh->setWorldTransform(-40.0f - 25.0f * std::sin(a * sceneDegrees), 0.0f,
                                 -40.0f - 10.0f * std::cos(a * sceneDegrees), -0.8f * a, -1.7f * a,
                                 -0.25f * a);
    morphMesh->render();
}

void MorphCreditsScene::preRender() {
    beginRenderTargetPass();
    drawMorph();
    endRenderTargetPass(true);
}

void MorphCreditsScene::render() {
    update();
    applyShapeBlend();

    // 5 during a pulse, 0 otherwise: two echoes in front of and behind the picture.
    const float pulse =
        static_cast<float>(static_cast<int>(5.0f * std::sin(pulseAngle * sceneDegrees)));
    if (feedbackMesh) {
        setTextureBlend(feedbackMesh->texture0, 1, D3DBLEND_SRCALPHA, D3DBLEND_DESTALPHA);
        feedbackMesh->setViewTransform(0.0f, 0.0f, 47.7f, 0.0f, 0.0f, 0.0f);
        const float depths[3] = {0.0f, pulse, -pulse};
        for (float z : depths) {
            feedbackMesh->setWorldTransform(0.0f, 0.0f, z, 0.0f, 0.0f, 0.0f);
            feedbackMesh->render();
        }
    }
    if (device) device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);

    if (burstMesh && burstActive) {
        burstMesh->setViewTransform(0.0f, 0.0f, 157.7f, 0.0f, 0.0f, 0.0f);
        burstMesh->setWorldTransform(burstOffset + 40.0f, -35.0f, 0.0f, 0.0f, 0.0f,
                                     10.0f * spinAngle);
        burstMesh->render();
    }

    // Drawn also before their events, at alpha 0; plane 2 turns the other way.
    for (int i = 0; i < 3; ++i) {
        MeshObject* name = nameMeshes[i];
        if (!name) continue;
        const float turn = (i == 1 ? -25.0f : 25.0f) * nameDistance[i];
        name->setViewTransform(0.0f, 0.0f, 57.7f, 0.0f, 0.0f, 0.0f);
        name->setWorldTransform(0.0f, 0.0f, -4.0f * nameDistance[i], 0.0f, 0.0f, turn);
        name->render();
    }

    if (flashActive && flashMesh) {
        flashMesh->setViewTransform(0.0f, 0.0f, 47.7f, 0.0f, 0.0f, 0.0f);
        flashMesh->setWorldTransform(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
        flashMesh->renderFlat();
    }
}
