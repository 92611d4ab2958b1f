#include "logo_morph_scene.h"

#include <cmath>

#include "frame_timer.h"
#include "mesh_object.h"
#include "music_clock.h"
#include "scene_support.h"
#include "texture_slots.h"
#include "texture_table.h"

namespace {

// Key shapes: harmonic parameters m0..m7 and radius.
struct LogoKeyShape {
    int32_t params[8];
    float radius;
};

const int logoKeyShapeCount = 18;
const LogoKeyShape logoKeyShapes[logoKeyShapeCount] = {
    {{3, 4, 3, 4, 3, 4, 3, 4}, 20.0f},     {{3, 4, 2, 2, 1, 3, 4, 1}, 20.0f},
    {{9, 1, 9, 1, 9, 1, 9, 1}, 20.0f},     {{3, 1, 2, 3, 1, 0, 0, 9}, 20.0f},
    {{9, 0, 11, 12, 14, 6, 2, 1}, 20.0f},  {{2, 4, 2, 4, 2, 4, 2, 4}, 2.0f},
    {{9, 1, 9, 1, 9, 1, 9, 1}, 20.0f},     {{1, 4, 2, 3, 3, 2, 4, 1}, 20.0f},
    {{11, 0, 11, 0, 11, 0, 11, 0}, 6.0f},  {{1, 2, 1, 2, 1, 2, 1, 2}, 20.0f},
    {{1, 9, 1, 9, 1, 9, 1, 9}, 5.0f},      {{4, 3, 5, 2, 6, 1, 7, 0}, 20.0f},
    {{11, 11, 11, 1, 11, 1, 11, 0}, 5.0f}, {{3, 4, 3, 4, 3, 4, 3, 4}, 20.0f},
    {{9, 1, 9, 1, 9, 1, 9, 1}, 5.0f},      {{3, 1, 2, 3, 1, 0, 0, 9}, 25.0f},
    {{3, 4, 3, 4, 3, 4, 3, 4}, 20.0f},     {{3, 4, 3, 4, 3, 4, 3, 4}, 20.0f},
};

// Beats: two seconds apart from 0.5 s; the second appearance has its own four
// from 192.3 s; 999 ends them.
const int logoBeatCount = 14;
const float logoBeatTimes[logoBeatCount] = {0.5f,  2.5f,   4.5f,   6.5f,   8.5f,   10.5f,  12.5f,
                                            14.5f, 192.3f, 194.3f, 196.3f, 198.3f, 999.0f, 202.3f};

const int32_t logoMorphParams[8] = {3, 4, 3, 4, 3, 4, 3, 4};

}  // namespace

LogoMorphScene::LogoMorphScene()
    : device(nullptr),
      backgroundMesh(nullptr),
      shapes(nullptr),
      shapeCount(10),
      shapeIndex(0),
      morphMesh(nullptr),
      morphAngle(0.0f),
      morphFactor(0.0f),
      morphStart(0.0f),
      spinAngle(0.0f),
      warpMesh(nullptr),
      fadeInAlpha(0.0f),
      logoMesh(nullptr),
      logoVisible(false),
      logoTimer(0.0f),
      logoPositions(nullptr),
      eventTimes(nullptr),
      eventCount(13),
      eventIndex(0),
      flashMesh(nullptr),
      flashActive(false),
      flashAlpha(255.0f) {}

LogoMorphScene::~LogoMorphScene() {
    delete backgroundMesh;
    delete[] shapes;
    delete morphMesh;
    delete warpMesh;
    delete logoMesh;
    delete flashMesh;
    delete[] eventTimes;
    delete[] logoPositions;
}

void LogoMorphScene::init(IDirect3DDevice8* sceneDevice) {
    device = sceneDevice;

    TextureRecord* backgroundTexture = textureTable.find(slotSunOverLandscape);
    setTextureBlend(backgroundTexture, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    backgroundMesh = newScreenGrid(device, backgroundTexture, 0x00000000, 64.0f, 48.0f, 4,
                                   warpBentRows, renderPlain);

    TextureRecord* patternTexture = textureTable.find(slotFolkOrnament);
    setTextureBlend(patternTexture, 1, D3DBLEND_SRCALPHA, D3DBLEND_ONE);
    warpMesh = newScreenGrid(device, patternTexture, 0x55FFFFFF, 64.0f, 48.0f, 15, warpBentRows,
                             renderWarp);

    eventCount = logoBeatCount;
    eventTimes = new float[eventCount];
    for (int i = 0; i < eventCount; ++i) eventTimes[i] = logoBeatTimes[i];
    eventIndex = 0;
    logoPositions = new D3DVECTOR[eventCount];
    for (int i = 0; i < eventCount; ++i) logoPositions[i] = {0.0f, 1.5f, 0.0f};
    logoPositions[1] = {5.0f, 10.0f, 0.0f};
    logoPositions[2] = {-5.0f, 0.0f, 10.0f};
    logoPositions[3] = {0.0f, 0.0f, 0.0f};
    logoPositions[4] = {-5.0f, 0.0f, 80.0f};
    logoPositions[6] = {-5.0f, 10.0f, 10.0f};
    morphStart = 0.5f;

    TextureRecord* logoTexture = textureTable.find(slotLogo);
    setTextureBlend(logoTexture, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    logoMesh = new MeshObject();
    logoMesh->setDevice(device);
    logoMesh->texture0 = logoTexture;
    logoMesh->color = 0x00FFFFFF;  // invisible until the first beat
    logoMesh->buildGrid(51.0f, 12.0f, 15, 15);
    logoMesh->renderMode = renderPlain;
    logoMesh->cullMode = cullNone;

    TextureRecord* shapeTexture = textureTable.find(slotCellPlasma);
    setTextureBlend(shapeTexture, 1, D3DBLEND_SRCALPHA, D3DBLEND_ONE);
    shapeCount = logoKeyShapeCount;
    shapes = new MeshObject[shapeCount];
    for (int i = 0; i < shapeCount; ++i) {
        MeshObject& shape = shapes[i];
        prepareHarmonicMesh(&shape, device, shapeTexture, logoKeyShapes[i].params, cullNone,
                            0x11FFFFFF);
        shape.firstVertexColor = 0x00000000;
        shape.buildHarmonicSphereSpiked(logoKeyShapes[i].radius, 12, 12);
    }
    shapes[0].fillVertexBufferVertexColors();  // the only key shape drawn on its own

    morphMesh = newHarmonicMesh(device, shapeTexture, logoMorphParams, cullNone, 0x32FFFFFF);
    morphMesh->firstVertexColor = 0x00000000;
    morphMesh->buildHarmonicSphereSpiked(20.0f, 12, 12);
    morphMesh->fillVertexBufferVertexColors();

    flashMesh = newScreenOverlay(device, 0xFFFFFFFF, flagOn);
}

void LogoMorphScene::showLogo(D3DCOLOR color) {
    if (!logoMesh) return;
    logoMesh->color = color;
    logoMesh->applyColor();
    logoTimer = 1.0f;
}

void LogoMorphScene::update() {
    const float dt = frameTimer.frameSeconds();
    if (static_cast<double>(dt) > 0.1) return;

    if (warpMesh) warpMesh->warpAngle += 40.0f * dt;
    fadeInAlpha += 20.0f * dt;
    if (fadeInAlpha > 255.0f) fadeInAlpha = 255.0f;
    spinAngle += 40.0f * dt;

    // One morph per second through key shapes 0..16; while shapeIndex is the
    // last start (16) the shape holds for one period, then starts again.
    if (musicTime >= morphStart) {
        morphAngle += 90.0f * dt;
        if (morphAngle >= 90.0f) {
            morphAngle = 0.0f;
            shapeIndex = shapeIndex >= shapeCount - 2 ? 0 : shapeIndex + 1;
        }
        morphFactor = std::sin(morphAngle * sceneDegrees);
        if (shapes && shapeIndex < shapeCount - 2)
            morphPositions(morphMesh, &shapes[shapeIndex], &shapes[shapeIndex + 1], morphFactor);
        if (morphMesh) morphMesh->fillVertexBufferVertexColors();
    }

    if (logoVisible) {
        if (logoTimer > 0.0f) {
            logoTimer -= dt;
        } else {
            logoTimer = 0.0f;
            showLogo(0x00FFFFFF);
            logoVisible = false;
        }
    }

    // One beat at most per frame; the table is never read past its end.
    if (eventTimes && eventIndex >= 0 && eventIndex < eventCount && eventTimes[eventIndex] > 0.0f &&
        eventTimes[eventIndex] <= musicTime) {
        showLogo(0xFFFFFFFF);
        if (eventIndex < eventCount) eventIndex += 1;
        logoVisible = true;
        if (eventIndex > 8) {
            flashActive = true;
            flashAlpha = 255.0f;
        }
    }

    stepWhiteFlash(flashMesh, flashActive, flashAlpha, 300.0f, dt);
}

void LogoMorphScene::render() {
    update();

    setTextureBlend(textureTable.find(slotSunOverLandscape), 1, D3DBLEND_SRCALPHA,
                    D3DBLEND_INVSRCALPHA);
    setTextureBlend(textureTable.find(slotLogo), 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    setTextureBlend(textureTable.find(slotFolkOrnament), 1, D3DBLEND_SRCALPHA, D3DBLEND_ONE);
    setTextureBlend(textureTable.find(slotCellPlasma), 1, D3DBLEND_SRCALPHA, D3DBLEND_ONE);

    const float a = spinAngle;
    if (backgroundMesh) {
        backgroundMesh->setViewTransform(0.0f, 0.0f, 57.7f, 0.0f, 0.0f, 0.0f);
        backgroundMesh->setWorldTransform(0.0f, 1.5f, 0.0f, 0.0f, 0.0f, 0.0f);
        backgroundMesh->render();
        // The new fade shows from the next frame on.
        backgroundMesh->color = whiteWithAlpha(fadeInAlpha);
        backgroundMesh->applyColor();
    }
    if (device) device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);

    if (morphMesh) {
        morphMesh->setViewTransform(0.0f, 0.0f, 97.7f, 0.0f, 0.0f, 0.0f);
        morphMesh->setWorldTransform(0.0f, 0.0f, 0.0f, 0.5f * a, a, 0.7f * a);
        morphMesh->render();
        morphMesh->setWorldTransform(0.0f, 0.0f, 0.0f, -0.5f * a, 1.3f * a, -0.1f * a);
        morphMesh->render();
    }
    if (shapes) {
        MeshObject& circling = shapes[0];
        circling.setViewTransform(0.0f, 0.0f, 97.7f, 0.0f, 0.0f, 0.0f);
        circling.setWorldTransform(0.0f, -40.0f * std::sin(0.7f * a * sceneDegrees),
                                   -40.0f * std::cos(0.4f * a * sceneDegrees), 0.5f * a, a,
                                   0.7f * a);
        circling.render();
    }
    if (device) device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);

    if (warpMesh) {
        warpMesh->setViewTransform(0.0f, 0.0f, 57.7f, 0.0f, 0.0f, 0.0f);
        warpMesh->setWorldTransform(0.0f, 1.5f, 0.0f, 0.0f, 0.0f, 0.0f);
        warpMesh->render();
    }

    if (logoMesh && device) {
        // The logo's alpha is its texture's, faded by the beat colour.
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        int beat = eventIndex;
        if (beat < 0) beat = 0;
        if (beat > eventCount - 1) beat = eventCount - 1;
        const D3DVECTOR place = logoPositions ? logoPositions[beat] : D3DVECTOR{0.0f, 1.5f, 0.0f};
        logoMesh->setViewTransform(0.0f, 0.0f, 57.7f, 0.0f, 0.0f, 0.0f);
        logoMesh->setWorldTransform(place.x, place.y, place.z, 0.0f, 0.0f,
                                    45.0f * static_cast<float>(eventIndex));
        logoMesh->render();
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    }

    if (flashActive && flashMesh) {
        flashMesh->setViewTransform(0.0f, 0.0f, 47.7f, 0.0f, 0.0f, 0.0f);
        flashMesh->setWorldTransform(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
        flashMesh->renderFlat();
    }
}
