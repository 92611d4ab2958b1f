#include "bridge_cubes_scene.h"

#include "demo_context.h"
#include "frame_timer.h"
#include "glass_colonnade_scene.h"
#include "mesh_object.h"
#include "render_target.h"
#include "scene_registry.h"
#include "scene_support.h"
#include "texture_slots.h"
#include "texture_table.h"

namespace {

// Colour of column k of a window row: transparent left of column 4, then a
// white alpha ramp in steps of 25 up to column 8 + e (e = +1 on even rows, -1
// on odd ones, which makes the edge jagged), opaque white from there on.
D3DCOLOR windowEdgeColor(int row, int column) {
    const int e = (row % 2 == 0) ? 1 : -1;
    if (column < 4) return 0x00000000;
    if (column < 8 + e) return (static_cast<D3DCOLOR>(25 * (column - 4)) << 24) | 0xFFFFFF;
    return 0xFFFFFFFF;
}

}  // namespace

BridgeCubesScene::BridgeCubesScene()
    : device(nullptr),
      backgroundMesh(nullptr),
      warpMesh(nullptr),
      screenMesh(nullptr),
      cubeMesh(nullptr),
      torusMesh(nullptr),
      flashMesh(nullptr),
      flashActive(true),
      flashAlpha(255.0f),
      cubeRotations(nullptr),
      cubeCount(2),
      pictureReady(false),
      torusAngle(0.0f) {}

BridgeCubesScene::~BridgeCubesScene() {
    delete backgroundMesh;
    delete warpMesh;
    delete screenMesh;
    delete cubeMesh;
    delete torusMesh;
    delete flashMesh;
    delete[] cubeRotations;
}

void BridgeCubesScene::init(IDirect3DDevice8* sceneDevice) {
    device = sceneDevice;

    if (demoContext && !demoContext->renderTarget) {
        demoContext->createRenderTarget(1024, 1024);
        setTextureBlend(sharedTarget(), 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    }
    TextureRecord* target = sharedTarget();
    if (target) target->alphaBlend = 1;

    screenMesh = new MeshObject();
    screenMesh->setDevice(device);
    screenMesh->texture0 = target;
    screenMesh->renderMode = renderPlain;
    screenMesh->color = 0xFFFFFFFF;
    screenMesh->buildGrid(64.0f, 48.0f, 15, 15);
    // The grid is square in vertices: K rows of K columns.
    const int columns = screenMesh->segments;
    if (screenMesh->vertices && screenMesh->rings == columns) {
        for (int r = 0; r < columns; ++r)
            for (int k = 0; k < columns; ++k)
                screenMesh->vertices[r * columns + k].color = windowEdgeColor(r, k);
        screenMesh->applyVertexColors();
    }

    TextureRecord* bridges = textureTable.find(slotBridges);
    setTextureBlend(bridges, 0, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    backgroundMesh =
        newScreenGrid(device, bridges, 0xFFFFFFFF, 64.0f, 48.0f, 4, warpBentRows, renderPlain);

    TextureRecord* pattern = textureTable.find(slotMetalPlasma);
    if (pattern) pattern->alphaBlend = 0;
    warpMesh =
        newScreenGrid(device, pattern, 0xFFFFFFFF, 64.0f, 48.0f, 10, warpInnerPair, renderWarp);

    TextureRecord* cubeTexture = textureTable.find(slotTitlePanel);
    setTextureBlend(cubeTexture, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    cubeMesh = new MeshObject();
    cubeMesh->setDevice(device);
    cubeMesh->cullMode = cullNone;
    cubeMesh->color = 0x88FFFFFF;
    cubeMesh->texture0 = cubeTexture;
    cubeMesh->renderMode = renderPlain;
    cubeMesh->buildCube(3, 3, 150.0f);

    cubeRotations = new D3DVECTOR[cubeCount];
    for (int i = 0; i < cubeCount; ++i) cubeRotations[i] = D3DVECTOR{0.0f, 0.0f, 0.0f};

    TextureRecord* torusTexture = textureTable.find(slotLiquidChrome);
    setTextureBlend(torusTexture, 1, D3DBLEND_SRCALPHA, D3DBLEND_ONE);
    torusMesh = new MeshObject();
    torusMesh->setDevice(device);
    torusMesh->color = 0xAAFFFFFF;
    torusMesh->renderMode = renderPlain;
    torusMesh->cullMode = cullNone;
    torusMesh->texture0 = torusTexture;
    torusMesh->buildSupertoroid(100.0f, 40.0f, 100.0f, 1.0f, 1.0f, 40, 40);

    flashMesh = newScreenOverlay(device, 0xFFFFFFFF, flagOn);
    flashActive = true;
}

// Blend refresh, then scene 4's flash and labels back when its flash is over.
void BridgeCubesScene::rearmPartner() {
    if (backgroundMesh && backgroundMesh->texture0) backgroundMesh->texture0->alphaBlend = 0;
    if (warpMesh && warpMesh->texture0) warpMesh->texture0->alphaBlend = 0;
    if (cubeMesh) setTextureBlend(cubeMesh->texture0, 1, D3DBLEND_SRCALPHA, D3DBLEND_ONE);
    if (torusMesh) setTextureBlend(torusMesh->texture0, 1, D3DBLEND_SRCALPHA, D3DBLEND_ONE);
    setTextureBlend(sharedTarget(), 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);

    GlassColonnadeScene* colonnade = sceneRegistry.scene4;
    if (colonnade && !colonnade->flashActive) {
        colonnade->resetLabels();
        colonnade->flashActive = true;
        writeFlatColor(colonnade->flashMesh, 0xFFFFFFFF);
    }
}

void BridgeCubesScene::preRender() {
    beginRenderTargetPass();
    if (warpMesh) {
        warpMesh->setViewTransform(0.0f, 0.0f, 57.7f, 0.0f, 0.0f, 0.0f);
        warpMesh->setWorldTransform(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
        warpMesh->render();
    }
    if (cubeMesh && cubeRotations) {
        cubeMesh->setViewTransform(0.0f, 0.0f, 57.7f, 0.0f, 0.0f, 0.0f);
        for (int i = 0; i < cubeCount; ++i) {
            cubeMesh->setWorldTransform(0.0f, 0.0f, 0.0f, cubeRotations[i].x, cubeRotations[i].y,
                                        cubeRotations[i].z);
            cubeMesh->render();
        }
    }
    endRenderTargetPass(true);
    pictureReady = true;
}

void BridgeCubesScene::render() {
    rearmPartner();

    // Until the first pass has painted the target only the flash shows.
    if (pictureReady) {
        if (backgroundMesh) {
            backgroundMesh->setViewTransform(0.0f, 0.0f, 57.7f, 0.0f, 0.0f, 0.0f);
            backgroundMesh->setWorldTransform(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
            backgroundMesh->render();
        }
        if (torusMesh) {
            torusMesh->setViewTransform(0.0f, 0.0f, 57.7f, 0.0f, 0.0f, 0.0f);
            torusMesh->setWorldTransform(90.0f, 0.0f, 0.0f, 0.0f, torusAngle, 0.0f);
            torusAngle -= 1.0f;
            torusMesh->render();
        }
        if (screenMesh) {
            screenMesh->setViewTransform(0.0f, 0.0f, 57.7f, 0.0f, 0.0f, 0.0f);
            screenMesh->setWorldTransform(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
            screenMesh->render();
        }
    }

    if (flashActive && flashMesh) {
        flashMesh->setViewTransform(0.0f, 0.0f, 47.7f, 0.0f, 0.0f, 0.0f);
        flashMesh->setWorldTransform(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
        flashMesh->renderFlat();
    }

    update();
}

void BridgeCubesScene::update() {
    const float dt = frameTimer.frameSeconds();
    if (static_cast<double>(dt) > 0.1) return;

    // Only the first two copies turn.
    if (cubeRotations && cubeCount > 0) {
        cubeRotations[0].x += 31.0f * dt;
        cubeRotations[0].y -= 19.0f * dt;
        cubeRotations[0].z += 43.0f * dt;
    }
    if (cubeRotations && cubeCount > 1) {
        cubeRotations[1].x -= 21.0f * dt;
        cubeRotations[1].y += 34.0f * dt;
        cubeRotations[1].z -= 13.0f * dt;
    }

    if (warpMesh) warpMesh->warpAngle += 33.0f * dt;

    stepWhiteFlash(flashMesh, flashActive, flashAlpha, 255.0f, dt);
}
