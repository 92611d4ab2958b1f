#include "spinning_rings_scene.h"

#include <cmath>

#include "demo_context.h"
#include "frame_timer.h"
#include "mesh_object.h"
#include "morph_credits_scene.h"
#include "music_clock.h"
#include "render_target.h"
#include "scene_registry.h"
#include "scene_support.h"
#include "texture_slots.h"
#include "texture_table.h"

namespace {

const int ringsEventCount = 4;
const float ringsEventTimes[ringsEventCount] = {30.3f, 999.0f, 38.3f, 42.3f};
const int32_t ringsShapeParams[8] = {3, 4, 3, 4, 3, 4, 3, 4};

}  // namespace

SpinningRingsScene::SpinningRingsScene()
    : device(nullptr),
      backgroundMesh(nullptr),
      centerShape(nullptr),
      ringMesh(nullptr),
      ringCount(25),
      ringSpins(nullptr),
      particleMesh(nullptr),
      particleCount(100),
      particlePositions(nullptr),
      particleSpins(nullptr),
      particleSpeeds(nullptr),
      screenMesh(nullptr),
      spinAngle(0.0f),
      introActive(true),
      introAlpha(255.0f),
      introOffset{0.0f, 0.0f, 0.0f},
      eventTimes(nullptr),
      eventIndex(0),
      bounceActive(false),
      bounceAngle(0.0f),
      shapeDepth(80.0f) {
    eventTimes = new float[ringsEventCount];
    for (int i = 0; i < ringsEventCount; ++i) eventTimes[i] = ringsEventTimes[i];
}

SpinningRingsScene::~SpinningRingsScene() {
    delete screenMesh;
    delete particleMesh;
    delete ringMesh;
    delete centerShape;
    delete backgroundMesh;
    delete[] particlePositions;
    delete[] particleSpins;
    delete[] particleSpeeds;
    delete[] ringSpins;
    delete[] eventTimes;
}

void SpinningRingsScene::init(IDirect3DDevice8* sceneDevice) {
    device = sceneDevice;

    TextureRecord* target = demoContext ? demoContext->renderTarget : nullptr;
    if (target) target->alphaBlend = 1;
    screenMesh = newScreenGrid(device, target, 0xFFFFFFFF, 64.0f, 48.0f, 4,
                               warpCornersInnerDiagonal, renderPlain);

    TextureRecord* particleTexture = textureTable.find(slotRoseTiles);
    setTextureBlend(particleTexture, 1, D3DBLEND_SRCCOLOR, D3DBLEND_ONE);
    particleMesh = new MeshObject();
    particleMesh->setDevice(device);
    particleMesh->color = 0xFFCCCCCC;
    particleMesh->texture0 = particleTexture;
    particleMesh->texture1 = particleTexture;
    particleMesh->buildSuperellipsoid(0.8f, 0.5f, 0.5f, 15, 15);
    particleMesh->cullMode = cullNone;
    particleMesh->warpVariant = warpBentRows;
    particleMesh->renderMode = renderPlain;

    TextureRecord* ringTexture = textureTable.find(slotScrollText);
    setTextureBlend(ringTexture, 1, D3DBLEND_SRCCOLOR, D3DBLEND_ONE);
    ringMesh = new MeshObject();
    ringMesh->setDevice(device);
    ringMesh->texture0 = ringTexture;
    ringMesh->color = 0x33888888;
    ringMesh->buildRing(30.0f, 28.5f, 50);
    ringMesh->cullMode = cullNone;
    ringMesh->warpVariant = warpBentRows;
    ringMesh->renderMode = renderPlain;
    ringMesh->textureWrap = false;
    TextureStageSetup* ringStage = new TextureStageSetup();
    ringStage->stage = 0;
    ringStage->colorOp = D3DTOP_MODULATE;
    ringStage->colorArg1 = D3DTA_TEXTURE;
    ringStage->colorArg2 = D3DTA_CURRENT;
    ringStage->alphaOp = D3DTOP_SELECTARG1;
    ringStage->alphaArg1 = D3DTA_DIFFUSE;
    ringStage->alphaArg2 = D3DTA_DIFFUSE;
    ringMesh->stageSetup0 = ringStage;

    // The layouts come from the program-wide sequence, in this order: rings
    // (x, y, z each), then particles (three draws each).
    ringSpins = new D3DVECTOR[ringCount];
    for (int i = 0; i < ringCount; ++i) {
        const float s = i % 2 == 0 ? 1.0f : -1.0f;
        ringSpins[i].x = 0.5f * s * sceneRandom();
        ringSpins[i].y = -0.5f * s * sceneRandom();
        ringSpins[i].z = 0.5f * s * sceneRandom();
    }

    spinAngle = 133.0f;
    particlePositions = new D3DVECTOR[particleCount];
    particleSpins = new D3DVECTOR[particleCount];
    particleSpeeds = new float[particleCount];
    for (int j = 0; j < particleCount; ++j) {
        const float t = j % 2 == 0 ? -1.0f : 1.0f;
        const float u1 = sceneRandom();
        const float u2 = sceneRandom();
        const float u3 = sceneRandom();
        const float w = t * u1;
        const float d = 0.5f * u2;
        const float e = 0.5f * u3;
        particlePositions[j] = {30.0f * w, 10.0f * d - 30.0f, 0.0f};
        particleSpeeds[j] = 15.0f * e;
        particleSpins[j] = {2.0f * w, 2.0f * d, 2.0f * e};
    }

    TextureRecord* backgroundTexture = textureTable.find(slotMetalPlasma);
    setTextureBlend(backgroundTexture, 1, D3DBLEND_SRCALPHA, D3DBLEND_ONE);
    backgroundMesh = newScreenGrid(device, backgroundTexture, 0xFFFFFFFF, 64.0f, 48.0f, 4,
                                   warpBentRows, renderPlain);

    centerShape = new MeshObject();
    centerShape->setDevice(device);
    centerShape->texture0 = backgroundTexture;
    setHarmonicParams(centerShape, ringsShapeParams);
    centerShape->warpVariant = warpCornersInnerDiagonal;
    centerShape->cullMode = cullNone;
    centerShape->renderMode = renderPlain;
    centerShape->firstVertexColor = 0x55FFFFFF;
    centerShape->color = 0x00000000;
    centerShape->buildHarmonicSphereSpiked(20.0f, 12, 12);
    centerShape->fillVertexBufferVertexColors();
}

// The records are shared with other scenes, which change them.
void SpinningRingsScene::applyBlends() {
    if (demoContext && demoContext->renderTarget) {
        demoContext->renderTarget->srcBlend = D3DBLEND_SRCALPHA;
        demoContext->renderTarget->destBlend = D3DBLEND_INVSRCALPHA;
    }
    setTextureBlend(textureTable.find(slotRoseTiles), 1, D3DBLEND_SRCCOLOR, D3DBLEND_ONE);
    setTextureBlend(textureTable.find(slotScrollText), 1, D3DBLEND_SRCCOLOR, D3DBLEND_ONE);
    setTextureBlend(textureTable.find(slotMetalPlasma), 1, D3DBLEND_SRCALPHA, D3DBLEND_ONE);
}

void SpinningRingsScene::update() {
    const float dt = frameTimer.frameSeconds();
    if (static_cast<double>(dt) > 0.1) return;

    spinAngle += 40.0f * dt;

    if (introActive) {
        if (screenMesh) {
            screenMesh->color = whiteWithAlpha(introAlpha);
            screenMesh->applyColor();
        }
        introOffset.x += 20.0f * dt;
        introOffset.y += 20.0f * dt;
        introOffset.z += 20.0f * dt;
        introAlpha -= 80.0f * dt;
        if (introAlpha <= 0.0f) introActive = false;
    } else if (particlePositions && particleSpeeds) {
        // A particle below the floor starts again at the top; x, z and its
        // speed stay.
        for (int j = 0; j < particleCount; ++j) {
            particlePositions[j].y -= dt * particleSpeeds[j];
            if (particlePositions[j].y <= -30.0f)
                particlePositions[j].y = 30.0f + 5.0f * sceneRandom();
        }
    }

    if (bounceActive) bounceAngle += 360.0f * dt;
    shapeDepth = 100.0f - 100.0f * std::sin(bounceAngle * sceneDegrees);

    if (eventTimes && eventIndex >= 0 && eventIndex < ringsEventCount &&
        musicTime > eventTimes[eventIndex]) {
        eventIndex += 1;
        bounceActive = true;
    }
}

void SpinningRingsScene::render() {
    applyBlends();
    update();

    if (backgroundMesh) {
        backgroundMesh->setViewTransform(0.0f, 0.0f, 57.7f, 0.0f, 0.0f, 0.0f);
        backgroundMesh->setWorldTransform(0.0f, 1.5f, 0.0f, 0.0f, 0.0f, 0.0f);
        backgroundMesh->render();
    }
    if (device) device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);

    const float a = spinAngle;
    if (centerShape) {
        centerShape->setViewTransform(0.0f, 0.0f, 47.7f, 0.0f, 0.0f, 0.0f);
        centerShape->setWorldTransform(0.0f, 0.0f, shapeDepth, 0.5f * a, a, 0.7f * a);
        centerShape->render();
    }
    if (device) device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);

    // Each copy's camera distance uses the x rate of the copy before it.
    if (ringMesh && ringSpins) {
        float previousRate = 0.0f;
        for (int i = 0; i < ringCount; ++i) {
            ringMesh->setViewTransform(0.0f, 0.0f, 47.7f + 20.0f * previousRate, 0.0f, 0.0f, 0.0f);
            previousRate = ringSpins[i].x;
            ringMesh->setWorldTransform(0.0f, 0.0f, 0.0f, a * ringSpins[i].x, a * ringSpins[i].y,
                                        a * ringSpins[i].z);
            ringMesh->render();
        }
    }

    if (introActive) {
        if (!screenMesh) return;
        const D3DVECTOR o = introOffset;
        screenMesh->setViewTransform(0.0f, 0.0f, 47.7f, 0.0f, 0.0f, 0.0f);
        const D3DVECTOR copies[3] = {{0.0f, 0.0f, o.z}, {o.x, o.y, o.z}, {-o.x, -o.y, o.z}};
        for (const D3DVECTOR& place : copies) {
            screenMesh->setWorldTransform(place.x, place.y, place.z, 0.0f, 0.0f, 0.0f);
            screenMesh->render();
        }
        return;
    }

    if (particleMesh && particlePositions && particleSpins) {
        particleMesh->setViewTransform(0.0f, 0.0f, 57.7f, 0.0f, 0.0f, 0.0f);
        for (int j = 0; j < particleCount; ++j) {
            const D3DVECTOR& p = particlePositions[j];
            const D3DVECTOR& s = particleSpins[j];
            particleMesh->setWorldTransform(p.x, p.y, p.z, a * s.x, a * s.y, a * s.z);
            particleMesh->render();
        }
    }
}

// Only during the opening: scene 5's morph goes on moving in the target.
void SpinningRingsScene::preRender() {
    if (!introActive) return;
    beginRenderTargetPass();
    MorphCreditsScene* credits = sceneRegistry.scene5;
    if (credits) {
        credits->update();
        credits->drawMorph();
    }
    endRenderTargetPass(true);
}
