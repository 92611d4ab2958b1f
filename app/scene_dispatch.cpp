#include "scene_dispatch.h"

#include "bridge_cubes_scene.h"
#include "city_cards_scene.h"
#include "demo_context.h"
#include "drop_ring_scene.h"
#include "drop_tunnel_scene.h"
#include "feedback_shape_scene.h"
#include "final_shatter_scene.h"
#include "glass_colonnade_scene.h"
#include "logo_morph_scene.h"
#include "morph_credits_scene.h"
#include "music_clock.h"
#include "ribbon_web_scene.h"
#include "ripple_tiles_scene.h"
#include "scene_registry.h"
#include "spinning_rings_scene.h"
#include "timeline.h"
#include "title_card_scene.h"
#include "water_drops_scene.h"

namespace {

// The scene of a slot is made and initialised before the next one is made.
template <typename Scene>
void createScene(Scene*& slot, IDirect3DDevice8* device) {
    slot = new Scene();
    slot->init(device);
}

template <typename Scene>
void preRenderScene(Scene* scene) {
    if (scene != nullptr) scene->preRender();
}

template <typename Scene>
void renderSceneIn(Scene* scene) {
    if (scene != nullptr) scene->render();
}

}  // namespace

void createScenes() {
    initMusic(demoWindow);
    if (demoContext == nullptr) return;
    IDirect3DDevice8* device = demoContext->device;
    createScene(sceneRegistry.scene1, device);
    createScene(sceneRegistry.scene2, device);
    createScene(sceneRegistry.scene3, device);
    createScene(sceneRegistry.scene4, device);
    createScene(sceneRegistry.scene5, device);
    createScene(sceneRegistry.scene6, device);
    createScene(sceneRegistry.scene7, device);
    createScene(sceneRegistry.scene8, device);
    createScene(sceneRegistry.scene9, device);
    createScene(sceneRegistry.scene10, device);
    createScene(sceneRegistry.scene11, device);
    createScene(sceneRegistry.scene12, device);
    createScene(sceneRegistry.scene13, device);
    createScene(sceneRegistry.scene14, device);
    demoContext->sceneNumber = 14;
}

// Only scenes 1, 2, 5, 7, 8, 9, 10 and 13 draw into the render target first.
void DemoContext::runPreRender() {
    switch (sceneNumber) {
    case 1: preRenderScene(sceneRegistry.scene1); break;
    case 2: preRenderScene(sceneRegistry.scene2); break;
    case 5: preRenderScene(sceneRegistry.scene5); break;
    case 7: preRenderScene(sceneRegistry.scene7); break;
    case 8: preRenderScene(sceneRegistry.scene8); break;
    case 9: preRenderScene(sceneRegistry.scene9); break;
    case 10: preRenderScene(sceneRegistry.scene10); break;
    case 13: preRenderScene(sceneRegistry.scene13); break;
    default: break;
    }
}

void DemoContext::renderScene() {
    if (timelineEnabled) applyTimeline();
    switch (sceneNumber) {
    case 1: renderSceneIn(sceneRegistry.scene1); break;
    case 2: renderSceneIn(sceneRegistry.scene2); break;
    case 3: renderSceneIn(sceneRegistry.scene3); break;
    case 4: renderSceneIn(sceneRegistry.scene4); break;
    case 5: renderSceneIn(sceneRegistry.scene5); break;
    case 6: renderSceneIn(sceneRegistry.scene6); break;
    case 7: renderSceneIn(sceneRegistry.scene7); break;
    case 8: renderSceneIn(sceneRegistry.scene8); break;
    case 9: renderSceneIn(sceneRegistry.scene9); break;
    case 10: renderSceneIn(sceneRegistry.scene10); break;
    case 11: renderSceneIn(sceneRegistry.scene11); break;
    case 12: renderSceneIn(sceneRegistry.scene12); break;
    case 13: renderSceneIn(sceneRegistry.scene13); break;
    case 14: renderSceneIn(sceneRegistry.scene14); break;
    default: break;  // no scene: only the cleared screen
    }
}

// Each scene releases what it owns in its destructor; the slots keep their
// (now dangling) values, as no frame is drawn after this.
void destroyScenes() {
    delete sceneRegistry.scene1;
    delete sceneRegistry.scene2;
    delete sceneRegistry.scene3;
    delete sceneRegistry.scene4;
    delete sceneRegistry.scene5;
    delete sceneRegistry.scene6;
    delete sceneRegistry.scene7;
    delete sceneRegistry.scene8;
    delete sceneRegistry.scene9;
    delete sceneRegistry.scene10;
    delete sceneRegistry.scene11;
    delete sceneRegistry.scene12;
    delete sceneRegistry.scene13;
    delete sceneRegistry.scene14;
}
