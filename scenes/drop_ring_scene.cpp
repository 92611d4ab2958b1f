#include "drop_ring_scene.h"

#include <cmath>

#include "city_cards_scene.h"
#include "demo_context.h"
#include "frame_timer.h"
#include "mesh_object.h"
#include "music_clock.h"
#include "render_target.h"
#include "scene_registry.h"
#include "scene_support.h"
#include "texture_slots.h"
#include "texture_table.h"

DropRingScene::DropRingScene()
    : device(nullptr),
      dropMesh(nullptr),
      skySphere(nullptr),
      screenMesh(nullptr),
      orbMesh(nullptr),
      spinPlane(nullptr),
      glowPlane(nullptr),
      glowFade(0.0f),
      glowActive(false),
      dropSpin(0.0f),
      ringSpin(0.0f),
      prepared(false) {
    for (D3DVECTOR& p : glowPositions) p = D3DVECTOR{0.0f, 0.0f, 400.0f};
}

DropRingScene::~DropRingScene() {
    delete glowPlane;
    delete spinPlane;
    delete orbMesh;
    delete screenMesh;
    delete dropMesh;
    delete skySphere;
}

void DropRingScene::init(IDirect3DDevice8* sceneDevice) {
    device = sceneDevice;
    prepared = false;

    TextureRecord* lips = textureTable.find(slotLiquidChrome);
    setTextureBlend(lips, 0, D3DBLEND_ONE, D3DBLEND_ONE);

    if (demoContext && !demoContext->renderTarget) {
        demoContext->createRenderTarget(1024, 1024);
        setTextureBlend(sharedTarget(), 0, D3DBLEND_SRCALPHA, D3DBLEND_DESTALPHA);
    }

    screenMesh = new MeshObject();
    screenMesh->setDevice(device);
    screenMesh->cullMode = cullNone;
    screenMesh->texture0 = sharedTarget();
    screenMesh->texture1 = lips;
    screenMesh->buildGrid(64.0f, 48.0f, 15, 15);
    screenMesh->renderMode = renderWarp;
    screenMesh->warpVariant = warpInnerScaled;

    dropMesh = new MeshObject();
    dropMesh->setDevice(device);
    dropMesh->texture0 = lips;
    dropMesh->buildDrop(50.0f, 20, 20, 0.5f);
    dropMesh->texture1 = lips;
    dropMesh->renderMode = renderEnvironmentMap;
    dropMesh->stageSetup0 = newEnvironmentStage(0, D3DTOP_SELECTARG1);
    dropMesh->stageSetup0->alphaArg2 = D3DTA_DIFFUSE;
    dropMesh->stageSetup1 = newEnvironmentStage(1, D3DTOP_MODULATE);

    TextureRecord* roses = textureTable.find(slotRoseTiles);
    setTextureBlend(roses, 0, D3DBLEND_ONE, D3DBLEND_ONE);
    skySphere = new MeshObject();
    skySphere->setDevice(device);
    skySphere->texture0 = roses;
    skySphere->buildSphere(1850.0f, 10, 10);
    skySphere->texture1 = roses;
    skySphere->cullMode = cullNone;
    skySphere->renderMode = renderWarpEnvironmentMap;
    skySphere->warpVariant = warpCornersInnerDiagonal;
    skySphere->stageSetup0 = newEnvironmentStage(0, D3DTOP_SELECTARG1);
    skySphere->stageSetup1 = newEnvironmentStage(1, D3DTOP_MODULATE2X);

    orbMesh = new MeshObject();
    orbMesh->setDevice(device);
    orbMesh->texture0 = roses;
    orbMesh->buildSphere(20.0f, 20, 20);
    orbMesh->renderMode = renderWarp;
    orbMesh->color = 0x33FFFFFF;

    TextureRecord* disc = textureTable.find(slotRadialWheel);
    setTextureBlend(disc, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    spinPlane = new MeshObject();
    spinPlane->setDevice(device);
    spinPlane->texture0 = disc;
    spinPlane->color = 0xA2FFFFFF;
    spinPlane->buildGrid(1300.0f, 1300.0f, 4, 4);
    spinPlane->cullMode = cullNone;

    TextureRecord* glow = textureTable.find(slotSoftGlow);
    setTextureBlend(glow, 1, D3DBLEND_SRCALPHA, D3DBLEND_ONE);
    glowPlane = new MeshObject();
    glowPlane->setDevice(device);
    glowPlane->texture0 = glow;
    glowPlane->color = 0x80FFFFFF;
    glowPlane->buildGrid(480.0f, 480.0f, 4, 4);

    for (D3DVECTOR& p : glowPositions) p = D3DVECTOR{0.0f, 0.0f, 400.0f};
}

// Other scenes share these slots and may have changed them since start-up.
void DropRingScene::prepare() {
    setTextureBlend(textureTable.find(slotLiquidChrome), 0, D3DBLEND_ONE, D3DBLEND_ONE);
    setTextureBlend(textureTable.find(slotRoseTiles), 0, D3DBLEND_ONE, D3DBLEND_ONE);
    setTextureBlend(textureTable.find(slotRadialWheel), 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    prepared = true;
}

// This pass ends without Present.
void DropRingScene::preRender() {
    if (!prepared) prepare();
    beginRenderTargetPass();
    drawDrops();
    endRenderTargetPass(false);
}

void DropRingScene::setOverlayAlphaStages() {
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
}

void DropRingScene::drawDrops() {
    const float a = skySphere ? skySphere->warpAngle : 0.0f;
    if (skySphere) {
        skySphere->setViewTransform(0.0f, 200.0f, 220.0f, 40.0f, 0.0f, 0.0f);
        skySphere->setWorldTransform(0.0f, 0.0f, 0.0f, 0.0f, a, 0.3f * a);
        skySphere->render();
    }
    device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);

    // Every later step looks from above at 50 degrees.
    if (dropMesh) {
        dropMesh->setViewTransform(0.0f, 180.0f, 150.0f, 50.0f, 0.0f, 0.0f);
        for (int k = 0; k < 5; ++k) {
            dropMesh->setWorldTransformDouble(0.0f, -80.0f, 80.0f, -40.0f, dropSpin - 180.0f,
                                              0.0f, 0.0f, 0.0f,
                                              ringSpin + 72.0f * static_cast<float>(k));
            dropMesh->render();
        }
    }
    if (orbMesh) {
        setOverlayAlphaStages();
        orbMesh->setViewTransform(0.0f, 180.0f, 150.0f, 50.0f, 0.0f, 0.0f);
        orbMesh->setWorldTransform(0.0f, 0.0f, 80.0f, 0.0f, a + 180.0f, 0.3f * a);
        orbMesh->render();
    }
    if (spinPlane) {
        setOverlayAlphaStages();
        spinPlane->setViewTransform(0.0f, 180.0f, 150.0f, 50.0f, 0.0f, 0.0f);
        spinPlane->setWorldTransform(0.0f, 0.0f, 40.0f, 0.0f, 0.0f, -spinPlane->warpAngle);
        spinPlane->render();
    }
    if (orbMesh) {
        setOverlayAlphaStages();
        orbMesh->setViewTransform(0.0f, 180.0f, 150.0f, 50.0f, 0.0f, 0.0f);
        orbMesh->setWorldTransform(0.0f, 0.0f, 0.0f, 0.0f, a, 0.3f * a);
        orbMesh->render();
    }
    if (dropMesh) {
        dropMesh->setViewTransform(0.0f, 180.0f, 150.0f, 50.0f, 0.0f, 0.0f);
        for (int k = 0; k < 5; ++k) {
            dropMesh->setWorldTransformDouble(0.0f, -80.0f, 0.0f, 40.0f, dropSpin, 0.0f, 0.0f,
                                              0.0f, ringSpin + 72.0f * static_cast<float>(k));
            dropMesh->render();
        }
    }
}

void DropRingScene::render() {
    update();

    if (screenMesh) {
        screenMesh->setViewTransform(0.0f, 0.0f, 57.7f, 0.0f, 0.0f, 0.0f);
        screenMesh->setWorldTransform(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
        screenMesh->render();
    }

    // The glow copies are neither recoloured nor drawn once faded out.
    if (glowPlane && glowActive) {
        const float x = 32.0f - glowFade * 32.0f;
        if (x > 0.0f) {
            glowPlane->color = (static_cast<D3DCOLOR>(static_cast<int>(x) & 0xFF) << 24) | 0xFFFFFF;
            glowPlane->fillVertexBuffer();
            for (const D3DVECTOR& p : glowPositions) {
                glowPlane->setWorldTransform(p.x, p.y, p.z, 0.0f, 0.0f, 0.0f);
                glowPlane->render();
            }
        }
    }

    if (sceneRegistry.scene10) sceneRegistry.scene10->drawEchoes(true);
}

void DropRingScene::update() {
    const float dt = frameTimer.frameSeconds();
    if (static_cast<double>(dt) > 0.1) return;

    dropSpin += 20.0f * dt;
    ringSpin += 20.0f * dt;
    if (skySphere) skySphere->warpAngle += 22.0f * dt;
    if (screenMesh) {
        screenMesh->warpAngle -= 120.0f * dt;
        // 0.0057595866 is 0.33 degrees in radians: the amplitude turns at a third of the angle
        screenMesh->warpAmplitude = 1.0f - std::sin(screenMesh->warpAngle * 0.0057595866f) * 0.5f;
    }
    if (orbMesh) orbMesh->warpAngle += 33.0f * dt;
    if (spinPlane) spinPlane->warpAngle += 5.0f * dt;

    CityCardsScene* cityCards = sceneRegistry.scene10;
    if (cityCards) {
        cityCards->echoFade += 0.7f * dt;
        for (int k = 1; k < 10; ++k) {
            const float step = static_cast<float>(k);
            cityCards->echoRotations[k].x += 8.0f * step * dt;
            cityCards->echoRotations[k].y += -12.0f * step * dt;
            cityCards->echoRotations[k].z += 20.0f * step * dt;
        }
    }

    if (static_cast<double>(musicTime) > 72.0) glowActive = true;
    // Copy 9 stays where it is.
    if (glowActive) {
        glowFade += 0.24f * dt;
        for (int i = 0; i < 9; ++i)
            glowPositions[i].x -= 50.0f * dt * (1.0f - 0.1f * static_cast<float>(i));
    }
}
