#include "title_card_scene.h"

#include "demo_context.h"
#include "frame_timer.h"
#include "mesh_object.h"
#include "music_clock.h"
#include "scene_registry.h"
#include "scene_support.h"
#include "scene_transform.h"
#include "texture_slots.h"
#include "texture_table.h"

TitleCardScene::TitleCardScene()
    : device(nullptr),
      titleMesh(nullptr),
      fadeMesh(nullptr),
      fadeEnabled(true),
      fadeAlpha(255.0f),
      elapsed(0.0f) {}

TitleCardScene::~TitleCardScene() {
    delete fadeMesh;
    delete titleMesh;
}

void TitleCardScene::init(IDirect3DDevice8* sceneDevice) {
    device = sceneDevice;

    // The card is drawn opaque.
    TextureRecord* card = textureTable.find(slotTitleCard);
    card->alphaBlend = 0;

    titleMesh = new MeshObject();
    titleMesh->color = 0xFFFFFFFF;
    titleMesh->setDevice(device);
    titleMesh->texture0 = card;
    titleMesh->buildGrid(28.0f, 25.0f, 4, 4);

    fadeMesh = newScreenOverlay(device, 0xFF000000, flagOn);

    fadeEnabled = true;
}

void TitleCardScene::render() {
    // The card face-on from 57.7 units away; the view is set through any mesh.
    if (titleMesh) titleMesh->setViewTransform(0.0f, 0.0f, 57.7f, 0.0f, 0.0f, 0.0f);
    setSceneWorldTransform(device, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    if (titleMesh) titleMesh->render();

    if (fadeEnabled && fadeMesh) {
        fadeMesh->setViewTransform(0.0f, 0.0f, 47.7f, 0.0f, 0.0f, 0.0f);
        fadeMesh->setWorldTransform(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
        fadeMesh->renderFlat();
    }

    animate();
}

void TitleCardScene::animate() {
    const float dt = frameTimer.frameSeconds();
    if (static_cast<double>(dt) > 0.1) return;
    elapsed += dt;
    if (!fadeEnabled || !fadeMesh) return;

    // Fade in: the overlay shows the alpha of the frame before.
    if (elapsed < 2.0f) {
        writeFlatColor(fadeMesh, blackWithAlpha(fadeAlpha));
        fadeAlpha -= dt * 255.0f;
        if (fadeAlpha <= 0.0f) fadeAlpha = 0.0f;
    }
    // Fade out, then the hand-over: Timeline on, scene 6, music from its start.
    if (elapsed > 3.0f) {
        writeFlatColor(fadeMesh, blackWithAlpha(fadeAlpha));
        fadeAlpha += dt * 255.0f;
        if (fadeAlpha >= 255.0f) {
            fadeAlpha = 255.0f;
            timelineEnabled = true;
            demoContext->sceneNumber = 6;
            BASS_StreamPlay(musicStream, FALSE, 0);
        }
    }
}
