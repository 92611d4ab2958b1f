#include "feedback_shape_scene.h"

#include <cmath>

#include "demo_context.h"
#include "frame_timer.h"
#include "mesh_object.h"
#include "render_target.h"
#include "ribbon_web_scene.h"
#include "scene_registry.h"
#include "scene_support.h"
#include "texture_slots.h"
#include "texture_table.h"

float shapeClock = 0.0f;

namespace {

// The four copies of the feedback plane: position, then rotation in degrees.
const float feedbackCopies[4][6] = {{0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
                                    {0.0f, 5.5f, 0.0f, 0.0f, 0.0f, 10.0f},
                                    {5.5f, 5.5f, 0.0f, 10.0f, 0.0f, 0.0f},
                                    {5.5f, 0.0f, 0.0f, 10.0f, 0.0f, 10.0f}};

}  // namespace

FeedbackShapeScene::FeedbackShapeScene()
    : device(nullptr),
      flashMesh(nullptr),
      flashActive(true),
      flashAlpha(255.0f),
      feedbackMesh(nullptr),
      shapeMesh(nullptr),
      backgroundMesh(nullptr) {}

FeedbackShapeScene::~FeedbackShapeScene() {
    delete flashMesh;
    delete backgroundMesh;
    delete feedbackMesh;
    delete shapeMesh;
}

void FeedbackShapeScene::init(IDirect3DDevice8* sceneDevice) {
    device = sceneDevice;

    if (demoContext && !demoContext->renderTarget) {
        demoContext->createRenderTarget(1024, 1024);
        setTextureBlend(sharedTarget(), 1, D3DBLEND_SRCALPHA, D3DBLEND_DESTALPHA);
    }

    TextureRecord* backgroundTexture = textureTable.find(slotRoseTiles);
    setTextureBlend(backgroundTexture, 0, D3DBLEND_SRCALPHA, D3DBLEND_INVDESTALPHA);
    backgroundMesh = newScreenGrid(device, backgroundTexture, 0xFFFFFFFF, 64.0f, 48.0f, 15,
                                   warpInnerPair, renderWarp);

    feedbackMesh = newScreenGrid(device, sharedTarget(), 0xFFFFFFFF, 64.0f, 48.0f, 15,
                                 warpCornersInnerDiagonal, renderWarp);
    feedbackMesh->color = 0xFF000000;

    TextureRecord* symbols = textureTable.find(slotSymbols);
    setTextureBlend(symbols, 0, D3DBLEND_ONE, D3DBLEND_ONE);
    shapeMesh = new MeshObject();
    shapeMesh->setDevice(device);
    shapeMesh->texture0 = symbols;
    shapeMesh->color = 0x37000000;
    shapeMesh->texture1 = textureTable.find(slotRoseTilesSecond);
    const int32_t params[8] = {5, 1, 5, 2, 3, 3, 4, 4};
    for (int i = 0; i < 8; ++i) shapeMesh->harmonicParams[i] = params[i];
    shapeMesh->warpVariant = warpCornersInnerDiagonal;
    shapeMesh->stageSetup0 = newEnvironmentStage(0, D3DTOP_SELECTARG1);
    shapeMesh->stageSetup0->alphaArg2 = D3DTA_DIFFUSE;
    shapeMesh->stageSetup1 = newEnvironmentStage(1, D3DTOP_MODULATE);
    shapeMesh->renderMode = renderWarpEnvironmentMap;
    shapeMesh->buildHarmonicSphere(10.0f, 30, 30);

    flashMesh = newScreenOverlay(device, 0xFFFFFFFF, flagOn);
    flashActive = true;
}

void FeedbackShapeScene::setupBlending() {
    setTextureBlend(sharedTarget(), 1, D3DBLEND_SRCALPHA, D3DBLEND_DESTALPHA);
    setTextureBlend(textureTable.find(slotRoseTiles), 0, D3DBLEND_SRCALPHA, D3DBLEND_INVDESTALPHA);
}

void FeedbackShapeScene::preRender() {
    beginRenderTargetPass();
    if (shapeMesh) {
        const float c = shapeClock;
        shapeMesh->setWorldTransform(30.0f - std::cos(c * sceneDegrees) * 15.0f, 0.0f,
                                     20.0f - std::sin(c * sceneDegrees) * 10.0f, c * 0.8f, c,
                                     c * 0.25f);
        shapeMesh->setViewTransform(0.0f, 0.0f, 150.0f, 0.0f, 0.0f, 0.0f);
        shapeMesh->render();
    }
    endRenderTargetPass(true);
}

void FeedbackShapeScene::render() {
    setupBlending();
    update();

    if (backgroundMesh) {
        backgroundMesh->setViewTransform(0.0f, 0.0f, 57.7f, 0.0f, 0.0f, 0.0f);
        backgroundMesh->setWorldTransform(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
        backgroundMesh->render();
    }
    if (feedbackMesh) {
        feedbackMesh->setViewTransform(0.0f, 6.0f, 47.7f, 0.0f, 0.0f, 0.0f);
        for (const float* copy : feedbackCopies) {
            feedbackMesh->setWorldTransform(copy[0], copy[1], copy[2], copy[3], copy[4],
                                            copy[5]);
            feedbackMesh->render();
        }
    }
    if (flashActive && flashMesh) {
        flashMesh->setViewTransform(0.0f, 0.0f, 47.7f, 0.0f, 0.0f, 0.0f);
        flashMesh->setWorldTransform(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
        flashMesh->renderFlat();
    }
}

void FeedbackShapeScene::update() {
    const float dt = frameTimer.frameSeconds();
    if (static_cast<double>(dt) > 0.1) return;

    // Scene 12 opens with its flash whenever it follows this scene.
    RibbonWebScene* ribbons = sceneRegistry.scene12;
    if (ribbons) {
        ribbons->flashActive = true;
        ribbons->flashAlpha = 255.0f;
    }

    shapeClock += 50.0f * dt;
    if (shapeMesh) {
        shapeMesh->warpAngle += 120.0f * dt;
        if (feedbackMesh) feedbackMesh->warpAngle += 120.0f * dt;
        if (backgroundMesh) backgroundMesh->warpAngle += 20.0f * dt;
    }

    stepWhiteFlash(flashMesh, flashActive, flashAlpha, 255.0f, dt);
}
