#include "drop_tunnel_scene.h"

#include <cmath>

#include "d3dx8math.h"
#include "demo_context.h"
#include "demo_random.h"
#include "frame_timer.h"
#include "mesh_object.h"
#include "music_clock.h"
#include "scene_support.h"
#include "texture_slots.h"
#include "texture_table.h"

namespace {

void giveEnvironmentStages(MeshObject* mesh) {
    mesh->stageSetup0 = newEnvironmentStage(0, D3DTOP_SELECTARG1);
    mesh->stageSetup1 = newEnvironmentStage(1, D3DTOP_MODULATE);
}

// The 175-degree lens of the tunnel and the show's own lens it gives back.
const float tunnelFieldOfView = 3.0543263f;    // 175 degrees in radians
const float standardFieldOfView = 0.7853982f;  // 45 degrees, the demo context's projection
const float projectionAspect = 1.33333f;       // just below 4/3, as the demo context's
const float tunnelNear = 0.001f;
const float standardNear = 0.01f;
const float projectionFar = 100000.0f;

const D3DVECTOR flyerStart = {0.0f, 0.0f, -42.0f};
const D3DVECTOR noRotation = {0.0f, 0.0f, 0.0f};

}  // namespace

DropTunnelScene::DropTunnelScene()
    : device(nullptr),
      backgroundMesh(nullptr),
      dropMeshA(nullptr),
      dropMeshB(nullptr),
      ringCenterA{0.0f, 10.0f, -12.0f},
      ringCenterB{0.0f, 10.0f, 0.0f},
      spinAngle(0.0f),
      blobMesh(nullptr),
      blobCount(0),
      blobAngles(nullptr),
      blobPositions(nullptr),
      cardMesh(nullptr),
      cardCount(5),
      cardPositions(nullptr),
      cardRotations(nullptr),
      flyerMesh(nullptr),
      flyerActive(true),
      flyerAlpha(255.0f),
      flyerPosition(flyerStart),
      flyerRotation(noRotation),
      restartAt88Pending(true),
      restartAt96Pending(true),
      tunnelVisible(true) {}

DropTunnelScene::~DropTunnelScene() {
    delete backgroundMesh;
    delete dropMeshA;
    delete dropMeshB;
    delete blobMesh;
    delete cardMesh;
    delete flyerMesh;
    delete[] blobAngles;
    delete[] blobPositions;
    delete[] cardPositions;
    delete[] cardRotations;
}

void DropTunnelScene::init(IDirect3DDevice8* sceneDevice) {
    device = sceneDevice;

    TextureRecord* backgroundTexture = textureTable.find(slotAlpineLake);
    setTextureBlend(backgroundTexture, 0, D3DBLEND_ONE, D3DBLEND_ONE);
    backgroundMesh = newScreenGrid(device, backgroundTexture, 0xFFFFFFFF, 64.0f, 48.0f, 15,
                                   warpInnerPair, renderPlain);

    MeshObject** drops[2] = {&dropMeshA, &dropMeshB};
    const int dropSlots[2] = {slotLiquidChrome, slotRoseTiles};
    for (int ring = 0; ring < 2; ++ring) {
        TextureRecord* texture = textureTable.find(dropSlots[ring]);
        setTextureBlend(texture, 1, D3DBLEND_ONE, D3DBLEND_ONE);
        MeshObject* drop = new MeshObject();
        drop->setDevice(device);
        drop->texture0 = texture;
        drop->buildDrop(10.0f, 10, 10, 0.1f);
        drop->texture1 = texture;
        drop->renderMode = renderEnvironmentMap;
        giveEnvironmentStages(drop);
        *drops[ring] = drop;
    }

    TextureRecord* blobTexture = textureTable.find(slotRoseTilesSecond);
    setTextureBlend(blobTexture, 1, D3DBLEND_ONE, D3DBLEND_ONE);
    blobMesh = new MeshObject();
    blobMesh->setDevice(device);
    blobMesh->texture0 = blobTexture;
    blobMesh->texture1 = blobTexture;
    blobMesh->buildSuperellipsoid(5.0f, 1.9f, 0.8f, 4, 4);
    blobMesh->renderMode = renderEnvironmentMap;
    blobMesh->cullMode = cullCounterClockwise;
    giveEnvironmentStages(blobMesh);

    // Three draws per blob, blob by blob: angle, then x and y.
    blobCount = 100;
    blobAngles = new float[blobCount];
    blobPositions = new D3DVECTOR[blobCount];
    for (int i = 0; i < blobCount; ++i) {
        // demoRand gives 0..32767: the factors are 360/32767 (degrees), 60/32767 and 120/32767
        blobAngles[i] = static_cast<float>(demoRand()) * 0.010986663f;
        blobPositions[i].x = 20.0f + static_cast<float>(demoRand()) * 0.0018311106f;
        blobPositions[i].y = static_cast<float>(demoRand()) * 0.0036622211f - 60.0f;
        blobPositions[i].z = 0.0f;
    }

    TextureRecord* flyerTexture = textureTable.find(slotMetalPlasma);
    setTextureBlend(flyerTexture, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    flyerMesh = new MeshObject();
    flyerMesh->setDevice(device);
    flyerMesh->texture0 = flyerTexture;
    flyerMesh->color = 0xFFFFFFFF;
    flyerMesh->renderMode = renderPlain;
    flyerMesh->cullMode = cullCounterClockwise;
    flyerMesh->buildSuperellipsoid(10.0f, 0.5f, 0.5f, 20, 20);

    TextureRecord* cardTexture = textureTable.find(slotPictureCard);
    setTextureBlend(cardTexture, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    cardMesh = new MeshObject();
    cardMesh->setDevice(device);
    cardMesh->texture0 = cardTexture;
    cardMesh->color = 0xAAFFFFFF;
    cardMesh->renderMode = renderPlain;
    cardMesh->cullMode = cullNone;
    cardMesh->buildGrid(12.0f, 18.0f, 10, 10);

    cardPositions = new D3DVECTOR[cardCount];
    cardRotations = new D3DVECTOR[cardCount];
    for (int j = 0; j < cardCount; ++j) {
        cardRotations[j] = D3DVECTOR{0.0f, 0.0f, (j % 2 == 0) ? 0.0f : 180.0f};
        cardPositions[j] = D3DVECTOR{-20.0f, 20.0f * static_cast<float>(j) - 40.0f, 0.0f};
    }
}

// The records are shared with other scenes: set again before every frame.
void DropTunnelScene::refreshBlending() {
    setTextureBlend(textureTable.find(slotAlpineLake), 0, D3DBLEND_ONE, D3DBLEND_ONE);
    if (dropMeshA) setTextureBlend(dropMeshA->texture0, 1, D3DBLEND_ONE, D3DBLEND_ONE);
    if (dropMeshB) setTextureBlend(dropMeshB->texture0, 1, D3DBLEND_ONE, D3DBLEND_ONE);
    if (blobMesh) setTextureBlend(blobMesh->texture0, 1, D3DBLEND_ONE, D3DBLEND_ONE);
    if (flyerMesh)
        setTextureBlend(flyerMesh->texture0, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
}

void DropTunnelScene::restartFlyer() {
    flyerRotation = noRotation;
    flyerPosition = flyerStart;
    flyerActive = true;
    flyerAlpha = 255.0f;
}

void DropTunnelScene::update() {
    const float dt = frameTimer.frameSeconds();
    if (static_cast<double>(dt) > 0.1) return;

    spinAngle += 20.0f * dt;
    ringCenterA.z -= 2.0f * dt;
    if (ringCenterA.z < -30.0f) ringCenterA.z = 0.0f;
    ringCenterB.z -= 2.0f * dt;
    if (ringCenterB.z < -30.0f) ringCenterB.z = 0.0f;

    if (blobMesh) {
        blobMesh->warpAngle += 20.0f * dt;
        for (int i = 0; i < blobCount; ++i) blobAngles[i] += 33.0f * dt;
    }

    for (int j = 0; j < cardCount; ++j) {
        cardPositions[j].y += 3.0f * dt;
        if (cardPositions[j].y >= 60.0f) cardPositions[j].y -= 100.0f;
    }

    if (static_cast<double>(musicTime) > 88.0 && restartAt88Pending) {
        restartFlyer();
        restartAt88Pending = false;
    }
    if (static_cast<double>(musicTime) >= 96.0 && restartAt96Pending) {
        restartFlyer();
        restartAt96Pending = false;
        tunnelVisible = false;
        if (flyerMesh) {
            flyerMesh->color = 0xFFFFFFFF;
            flyerMesh->applyColor();
        }
    }

    if (flyerActive && flyerMesh) {
        flyerPosition.z += 20.0f * dt;
        flyerRotation.z += 30.0f * dt;
        flyerRotation.y += 27.0f * dt;
        flyerRotation.x += 33.0f * dt;
        // The flight fades only once it has left the near zone; before that
        // the colour of the previous flight stays in the buffer.
        if (flyerPosition.z >= -40.0f) {
            flyerMesh->color = whiteWithAlpha(flyerAlpha);
            flyerMesh->applyColor();
            flyerAlpha -= 40.0f * dt;
            if (flyerAlpha <= 0.0f) {
                restartFlyer();
                flyerActive = false;
            }
        }
    }
}

void DropTunnelScene::render() {
    refreshBlending();
    update();

    if (tunnelVisible) drawTunnel();

    if (flyerActive && flyerMesh) {
        flyerMesh->setViewTransform(0.0f, 0.0f, 57.7f, 0.0f, 0.0f, 0.0f);
        flyerMesh->setWorldTransform(flyerPosition.x, flyerPosition.y, flyerPosition.z,
                                     flyerRotation.x, flyerRotation.y, flyerRotation.z);
        flyerMesh->render();
    }
}

void DropTunnelScene::drawTunnel() {
    if (backgroundMesh) {
        backgroundMesh->setViewTransform(0.0f, 0.0f, 57.7f, 0.0f, 0.0f, 0.0f);
        backgroundMesh->setWorldTransform(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
        backgroundMesh->render();
    }
    device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);

    D3DXMATRIX projection;
    if (dropMeshA && dropMeshB) {
        D3DXMatrixPerspectiveFovLH(&projection, tunnelFieldOfView, projectionAspect, tunnelNear,
                                   projectionFar);
        device->SetTransform(D3DTS_PROJECTION, &projection);
        const float a = spinAngle;
        for (int k = 0; k < 360; k += 36) {
            D3DXMATRIX turn;
            D3DXMatrixRotationZ(&turn, static_cast<float>(k) * sceneDegrees);
            D3DXVECTOR4 p;
            const D3DXVECTOR3 centerA(ringCenterA.x, ringCenterA.y, ringCenterA.z);
            D3DXVec3Transform(&p, &centerA, &turn);
            dropMeshA->setWorldTransformDouble(p.x, p.y, p.z, 90.0f, a, 0.0f, 0.0f, 0.0f,
                                               0.8f * a);
            dropMeshA->setViewTransform(0.0f, 0.0f, 20.0f, 0.0f, 0.0f, 0.0f);
            dropMeshA->render();

            const D3DXVECTOR3 centerB(ringCenterB.x, ringCenterB.y, ringCenterB.z);
            D3DXVec3Transform(&p, &centerB, &turn);
            dropMeshB->setWorldTransformDouble(p.x, p.y, p.z, 90.0f, a, 0.0f, 0.0f, 0.0f,
                                               -0.7f * a);
            dropMeshB->render();
        }
    }
    // The show's own lens, also when no drop was drawn.
    D3DXMatrixPerspectiveFovLH(&projection, standardFieldOfView, projectionAspect, standardNear,
                               projectionFar);
    device->SetTransform(D3DTS_PROJECTION, &projection);

    if (blobMesh && blobAngles && blobCount > 0) {
        blobMesh->setViewTransform(0.0f, 0.0f, 150.0f, 0.0f, 0.0f, 0.0f);
        for (int i = 0; i < blobCount; ++i) {
            const float b = blobAngles[i];
            // Negative scales turn the blob inside out.
            const float s = std::sin(b * sceneDegrees);
            blobMesh->setWorldTransformScaled(s, s, s, blobPositions[i].x, blobPositions[i].y,
                                              blobPositions[i].z, 0.0f, b, 0.3f * b);
            blobMesh->render();
        }
    }

    if (cardMesh) {
        cardMesh->setViewTransform(0.0f, 0.0f, 57.7f, 0.0f, 0.0f, 0.0f);
        for (int j = 0; j < cardCount; ++j) {
            cardMesh->setWorldTransform(cardPositions[j].x, cardPositions[j].y,
                                        cardPositions[j].z, cardRotations[j].x,
                                        cardRotations[j].y, cardRotations[j].z);
            device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
            device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
            device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
            cardMesh->render();
        }
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    }
}
