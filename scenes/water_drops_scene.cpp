#include "water_drops_scene.h"

#include "frame_timer.h"
#include "glass_colonnade_scene.h"
#include "mesh_object.h"
#include "music_clock.h"
#include "scene_registry.h"
#include "scene_support.h"
#include "scene_transform.h"
#include "texture_slots.h"
#include "texture_table.h"

namespace {

const int initialDropVertices[10] = {2230, 7070, 4545, 7725, 2973, 6832, 5557, 2737, 4561, 2312};
const float initialDropTimes[10] = {143.2f, 145.0f, 147.0f, 149.0f, 151.0f,
                                    153.0f, 155.0f, 157.0f, 207.0f, 208.5f};

// The drops fall until they pass the water surface at z = -10.
const float waterSurfaceZ = -10.0f;

}  // namespace

WaterDropsScene::WaterDropsScene()
    : device(nullptr),
      rippleCount(10),
      waterMesh(nullptr),
      layerMeshes(nullptr),
      layerCount(4),
      waterAlpha(0.0f),
      introActive(false),
      fallingMesh(nullptr),
      dropCount(9),
      splashMeshes(nullptr),
      splashCount(8),
      rippleSpeed(450.0f),
      spinClock(0.0f) {
    for (int i = 0; i < 4; ++i) layerPositions[i] = D3DVECTOR{0.0f, 0.0f, 0.0f};
    layerPositions[0].x = 75.0f;
    for (int i = 0; i < 9; ++i) {
        dropPositions[i] = D3DVECTOR{0.0f, 0.0f, 0.0f};
        dropFalling[i] = false;
    }
    for (int i = 0; i < 10; ++i) {
        dropVertices[i] = initialDropVertices[i];
        dropTimes[i] = initialDropTimes[i];
    }
    for (int k = 0; k < 8; ++k) {
        splashPositions[k] = D3DVECTOR{0.0f, 0.0f, -30.0f};
        splashVisible[k] = false;
        splashAlpha[k] = 85.0f;
    }
}

WaterDropsScene::~WaterDropsScene() {
    delete[] layerMeshes;
    delete[] splashMeshes;
    delete fallingMesh;
    delete waterMesh;
}

void WaterDropsScene::init(IDirect3DDevice8* sceneDevice) {
    device = sceneDevice;
    rippleCount = 10;
    for (int i = 0; i < rippleCount; ++i) ripples[i] = Ripple();

    TextureRecord* water = textureTable.find(slotWaterSurface);
    setTextureBlend(water, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    waterMesh = new MeshObject();
    waterMesh->setDevice(device);
    waterMesh->color = 0x00FFFFFF;
    waterMesh->buildGrid(60.0f, 45.11278f, 100, 100);  // 45.11278 is 60 / 1.33
    waterMesh->texture0 = water;

    layerMeshes = new MeshObject[layerCount];
    introActive = true;
    for (int i = 0; i < layerCount; ++i) {
        layerPositions[i] = D3DVECTOR{0.0f, 0.0f, 0.0f};
        layerMeshes[i].setDevice(device);
        layerMeshes[i].color = 0x33FFFFFF;
        layerMeshes[i].buildGrid(82.0f, 61.0f, 4, 4);
        layerMeshes[i].texture0 = water;
    }
    layerPositions[0] = D3DVECTOR{75.0f, 0.0f, 0.0f};

    TextureRecord* shape = textureTable.find(slotMetalPlasma);
    setTextureBlend(shape, 0, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    fallingMesh = new MeshObject();
    fallingMesh->color = 0xFFFFFFFF;
    fallingMesh->setDevice(device);
    fallingMesh->texture0 = shape;
    fallingMesh->texture1 = shape;
    fallingMesh->buildSuperellipsoid(3.6f, 6.3f, 6.3f, 15, 15);
    fallingMesh->cullMode = cullCounterClockwise;
    fallingMesh->warpVariant = warpBentRows;
    fallingMesh->renderMode = renderEnvironmentMap;

    // Each drop aims at a vertex of the water grid and starts 60 units in
    // front of the surface; drop 0 starts 16.2 units closer.
    dropCount = 9;
    for (int i = 0; i < dropCount; ++i) {
        const int vertex = dropVertices[i];
        const bool onGrid = waterMesh->vertices && vertex >= 0 && vertex < waterMesh->vertexCount;
        dropPositions[i].x = onGrid ? waterMesh->vertices[vertex].x : 0.0f;
        dropPositions[i].y = onGrid ? waterMesh->vertices[vertex].y : 0.0f;
        dropPositions[i].z = -70.0f;
        dropFalling[i] = false;
    }
    dropPositions[0].z = -53.8f;

    // Slot 41 holds no image: splash 7 gets the shared empty record and is
    // never drawn.
    splashCount = 8;
    splashMeshes = new MeshObject[splashCount];
    for (int k = 0; k < splashCount; ++k) {
        TextureRecord* greeting = textureTable.find(slotGreeting1 + k);
        setTextureBlend(greeting, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
        splashPositions[k] = D3DVECTOR{0.0f, 0.0f, -30.0f};
        splashVisible[k] = false;
        splashAlpha[k] = 85.0f;
        splashMeshes[k].color = 0x55FFFFFF;
        splashMeshes[k].setDevice(device);
        splashMeshes[k].buildGrid(20.0f, 20.0f, 4, 4);
        splashMeshes[k].texture0 = greeting;
    }
}

void WaterDropsScene::setupWaterBlending() {
    setTextureBlend(textureTable.find(slotWaterSurface), 1, D3DBLEND_SRCALPHA,
                    D3DBLEND_INVSRCALPHA);
    setTextureBlend(textureTable.find(slotMetalPlasma), 0, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
}

void WaterDropsScene::render() {
    GlassColonnadeScene* colonnade = sceneRegistry.scene4;
    if (introActive && colonnade) {
        colonnade->render();
        device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    }
    update();
    setupWaterBlending();
    setSceneView(device, 0.0f, 0.0f, 57.7f);

    if (waterMesh) {
        displaceWater();
        setSceneWorldTransform(device, 0.0f, 0.0f, -10.0f, 0.0f, 0.0f, 0.0f);
        // The water blends but keeps the depth test.
        waterMesh->blendDisablesDepth = flagOff;
        waterMesh->render();

        for (int i = 0; i < layerCount && introActive; ++i) {
            setSceneWorldTransform(device, layerPositions[i].x, layerPositions[i].y,
                                   layerPositions[i].z, 0.0f, 0.0f, 0.0f);
            layerMeshes[i].render();
        }
        for (int i = 0; i < 7 && i < splashCount; ++i)
            if (splashVisible[i]) drawSplash(i);
    }

    if (fallingMesh) {
        for (int i = 0; i < dropCount; ++i) {
            if (!dropFalling[i]) continue;
            setSceneWorldTransform(device, dropPositions[i].x, dropPositions[i].y,
                                   dropPositions[i].z, spinClock * 270.0f, 0.0f,
                                   spinClock * 270.0f);
            fallingMesh->render();
        }
    }
}

// Five copies riding on the water where the drop hit, spread from -3 to +1
// steps as the splash fades.
void WaterDropsScene::drawSplash(int index) {
    MeshObject& splash = splashMeshes[index];
    for (int j = 0; j < 5; ++j) {
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        const int vertex = dropVertices[index];
        if (waterMesh->vertices && vertex >= 0 && vertex < waterMesh->vertexCount)
            splashPositions[index].z = waterMesh->vertices[vertex].z;
        const float offset = (85.0f - splashAlpha[index]) * static_cast<float>(j - 3) * 0.01f;
        splash.setWorldTransform(offset + splashPositions[index].x, splashPositions[index].y,
                                 splashPositions[index].z, 0.0f, 0.0f, 0.0f);
        splash.render();
    }
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
}

void WaterDropsScene::update() {
    const float dt = frameTimer.frameSeconds();
    if (static_cast<double>(dt) > 0.1) return;

    if (introActive) {
        layerPositions[0].x -= 80.0f * dt;
        layerPositions[1].x = -layerPositions[0].x;
        layerPositions[2].y = -layerPositions[0].x;
        layerPositions[3].y = layerPositions[0].x;
        if (waterAlpha < 255.0f) {
            waterAlpha += 90.0f * dt;
            // Reaching 255 ends the intro: at some frame rates (24 fps) the sum
            // lands on 255 exactly and would never pass it.
            if (waterAlpha >= 255.0f) {
                waterAlpha = 255.0f;
                introActive = false;
            }
            if (waterMesh) {
                waterMesh->color = whiteWithAlpha(waterAlpha);
                waterMesh->applyColor();
            }
        }
    }

    for (int i = 0; i < dropCount; ++i) updateDrop(i, dt);

    spinClock += dt;
    for (int i = 0; i < rippleCount; ++i) ripples[i].spread(dt, rippleSpeed);

    for (int k = 0; k < splashCount; ++k) {
        if (!splashVisible[k] || splashAlpha[k] < 0.0f) continue;
        splashAlpha[k] -= 30.0f * dt;
        if (splashAlpha[k] <= 0.0f) {
            splashAlpha[k] = 0.0f;
            splashVisible[k] = false;
        }
        splashMeshes[k].color = whiteWithAlpha(splashAlpha[k]);
        splashMeshes[k].applyColor();
    }
}

// A drop falls from its start time until it passes the surface, where it
// starts its ripple and splash; an impact on a running ripple starts nothing.
void WaterDropsScene::updateDrop(int index, float dt) {
    D3DVECTOR& position = dropPositions[index];
    if (musicTime > dropTimes[index]) {
        dropFalling[index] = true;
        if (position.z >= 0.0f) {
            dropFalling[index] = false;
            return;
        }
    } else if (!dropFalling[index]) {
        return;
    }
    if (position.z >= 0.0f) return;
    position.z += 20.0f * dt;
    if (position.z <= waterSurfaceZ) return;
    if (index < rippleCount && !ripples[index].active) {
        ripples[index].start(position.x, position.y, position.z);
        if (index < splashCount) {
            splashVisible[index] = true;
            splashPositions[index] = D3DVECTOR{position.x, position.y + 2.0f, position.z};
            splashAlpha[index] = 85.0f;
        }
    }
    dropFalling[index] = false;
}

// Every vertex rises by the sum of the ripples that reach it, taken in the
// ripples' order; colours and texture coordinates of the buffer stay as they
// are. Each active ripple adds its wave to the whole grid in turn: the same
// sums, with the ripple's own values at hand throughout.
void WaterDropsScene::displaceWater() {
    if (!waterMesh || !waterMesh->vertices) return;
    Vertex* vertices = waterMesh->vertices;
    const int count = waterMesh->vertexCount;
    for (int n = 0; n < count; ++n) {
        vertices[n].z = 0.0f;
        vertices[n].color = 0xFFFFFFFF;
    }
    for (int r = 0; r < rippleCount && r < 10; ++r) {
        if (!ripples[r].active) continue;
        const Ripple ripple = ripples[r];  // a copy the grid's writes cannot touch
        for (int n = 0; n < count; ++n) vertices[n].z += ripple.heightAt(vertices[n].x, vertices[n].y);
    }
    waterMesh->writeBufferPositions(vertices);
}
