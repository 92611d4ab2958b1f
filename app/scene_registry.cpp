#include "scene_registry.h"

#include "demo_context.h"
#include "music_clock.h"

// Each scene takes its slot once its header is there: ZELVARO_SCENE_<n> says
// that scene n exists. A build may bring its own scene classes instead
// (ZELVARO_SCENE_HEADERS names a header that declares them and the macros).
#ifdef ZELVARO_SCENE_HEADERS
#include ZELVARO_SCENE_HEADERS
#else
#if __has_include("../scenes/feedback_shape_scene.h")
#include "../scenes/feedback_shape_scene.h"
#define ZELVARO_SCENE_1 1
#endif
#if __has_include("../scenes/drop_ring_scene.h")
#include "../scenes/drop_ring_scene.h"
#define ZELVARO_SCENE_2 1
#endif
#if __has_include("../scenes/drop_tunnel_scene.h")
#include "../scenes/drop_tunnel_scene.h"
#define ZELVARO_SCENE_3 1
#endif
#if __has_include("../scenes/glass_colonnade_scene.h")
#include "../scenes/glass_colonnade_scene.h"
#define ZELVARO_SCENE_4 1
#endif
#if __has_include("../scenes/morph_credits_scene.h")
#include "../scenes/morph_credits_scene.h"
#define ZELVARO_SCENE_5 1
#endif
#if __has_include("../scenes/logo_morph_scene.h")
#include "../scenes/logo_morph_scene.h"
#define ZELVARO_SCENE_6 1
#endif
#if __has_include("../scenes/spinning_rings_scene.h")
#include "../scenes/spinning_rings_scene.h"
#define ZELVARO_SCENE_7 1
#endif
#if __has_include("../scenes/ripple_tiles_scene.h")
#include "../scenes/ripple_tiles_scene.h"
#define ZELVARO_SCENE_8 1
#endif
#if __has_include("../scenes/bridge_cubes_scene.h")
#include "../scenes/bridge_cubes_scene.h"
#define ZELVARO_SCENE_9 1
#endif
#if __has_include("../scenes/city_cards_scene.h")
#include "../scenes/city_cards_scene.h"
#define ZELVARO_SCENE_10 1
#endif
#if __has_include("../scenes/water_drops_scene.h")
#include "../scenes/water_drops_scene.h"
#define ZELVARO_SCENE_11 1
#endif
#if __has_include("../scenes/ribbon_web_scene.h")
#include "../scenes/ribbon_web_scene.h"
#define ZELVARO_SCENE_12 1
#endif
#if __has_include("../scenes/final_shatter_scene.h")
#include "../scenes/final_shatter_scene.h"
#define ZELVARO_SCENE_13 1
#endif
#if __has_include("../scenes/title_card_scene.h")
#include "../scenes/title_card_scene.h"
#define ZELVARO_SCENE_14 1
#endif
#endif

SceneRegistry sceneRegistry = {};
bool timelineEnabled = false;

namespace {

// One row of the Timeline: past `after` seconds of music, scene `scene`.
struct TimelineRow {
    double after;
    int scene;
};

// Tested in order, each on its own; the last row passed wins.
const TimelineRow timeline[] = {
    {15.5, 5}, {32, 7},     {48, 10},    {64.5, 2},   {80, 3},  {96, 8},
    {112.2, 9}, {120.2, 4}, {128.2, 9},  {136.2, 4},  {144, 11}, {160, 1},
    {168, 12},  {176, 1},   {184, 12},   {192.3, 6},  {200, 13},
};

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
    (void)device;  // unused while no scene exists
#if ZELVARO_SCENE_1
    createScene(sceneRegistry.scene1, device);
#endif
#if ZELVARO_SCENE_2
    createScene(sceneRegistry.scene2, device);
#endif
#if ZELVARO_SCENE_3
    createScene(sceneRegistry.scene3, device);
#endif
#if ZELVARO_SCENE_4
    createScene(sceneRegistry.scene4, device);
#endif
#if ZELVARO_SCENE_5
    createScene(sceneRegistry.scene5, device);
#endif
#if ZELVARO_SCENE_6
    createScene(sceneRegistry.scene6, device);
#endif
#if ZELVARO_SCENE_7
    createScene(sceneRegistry.scene7, device);
#endif
#if ZELVARO_SCENE_8
    createScene(sceneRegistry.scene8, device);
#endif
#if ZELVARO_SCENE_9
    createScene(sceneRegistry.scene9, device);
#endif
#if ZELVARO_SCENE_10
    createScene(sceneRegistry.scene10, device);
#endif
#if ZELVARO_SCENE_11
    createScene(sceneRegistry.scene11, device);
#endif
#if ZELVARO_SCENE_12
    createScene(sceneRegistry.scene12, device);
#endif
#if ZELVARO_SCENE_13
    createScene(sceneRegistry.scene13, device);
#endif
#if ZELVARO_SCENE_14
    createScene(sceneRegistry.scene14, device);
#endif
    demoContext->sceneNumber = 14;
}

void applyTimeline() {
    // musicTime is a float widened to double: 112.2f is below the double 112.2.
    const double now = musicTime;
    for (const TimelineRow& row : timeline) {
        if (now > row.after) demoContext->sceneNumber = row.scene;
    }
}

// Only scenes 1, 2, 5, 7, 8, 9, 10 and 13 draw into the render target first.
void DemoContext::runPreRender() {
    switch (sceneNumber) {
#if ZELVARO_SCENE_1
    case 1: preRenderScene(sceneRegistry.scene1); break;
#endif
#if ZELVARO_SCENE_2
    case 2: preRenderScene(sceneRegistry.scene2); break;
#endif
#if ZELVARO_SCENE_5
    case 5: preRenderScene(sceneRegistry.scene5); break;
#endif
#if ZELVARO_SCENE_7
    case 7: preRenderScene(sceneRegistry.scene7); break;
#endif
#if ZELVARO_SCENE_8
    case 8: preRenderScene(sceneRegistry.scene8); break;
#endif
#if ZELVARO_SCENE_9
    case 9: preRenderScene(sceneRegistry.scene9); break;
#endif
#if ZELVARO_SCENE_10
    case 10: preRenderScene(sceneRegistry.scene10); break;
#endif
#if ZELVARO_SCENE_13
    case 13: preRenderScene(sceneRegistry.scene13); break;
#endif
    default: break;
    }
}

void DemoContext::renderScene() {
    if (timelineEnabled) applyTimeline();
    switch (sceneNumber) {
#if ZELVARO_SCENE_1
    case 1: renderSceneIn(sceneRegistry.scene1); break;
#endif
#if ZELVARO_SCENE_2
    case 2: renderSceneIn(sceneRegistry.scene2); break;
#endif
#if ZELVARO_SCENE_3
    case 3: renderSceneIn(sceneRegistry.scene3); break;
#endif
#if ZELVARO_SCENE_4
    case 4: renderSceneIn(sceneRegistry.scene4); break;
#endif
#if ZELVARO_SCENE_5
    case 5: renderSceneIn(sceneRegistry.scene5); break;
#endif
#if ZELVARO_SCENE_6
    case 6: renderSceneIn(sceneRegistry.scene6); break;
#endif
#if ZELVARO_SCENE_7
    case 7: renderSceneIn(sceneRegistry.scene7); break;
#endif
#if ZELVARO_SCENE_8
    case 8: renderSceneIn(sceneRegistry.scene8); break;
#endif
#if ZELVARO_SCENE_9
    case 9: renderSceneIn(sceneRegistry.scene9); break;
#endif
#if ZELVARO_SCENE_10
    case 10: renderSceneIn(sceneRegistry.scene10); break;
#endif
#if ZELVARO_SCENE_11
    case 11: renderSceneIn(sceneRegistry.scene11); break;
#endif
#if ZELVARO_SCENE_12
    case 12: renderSceneIn(sceneRegistry.scene12); break;
#endif
#if ZELVARO_SCENE_13
    case 13: renderSceneIn(sceneRegistry.scene13); break;
#endif
#if ZELVARO_SCENE_14
    case 14: renderSceneIn(sceneRegistry.scene14); break;
#endif
    default: break;  // no scene, or one that does not exist yet: only the cleared screen
    }
}

// Each scene releases what it owns in its destructor; the slots keep their
// (now dangling) values, as no frame is drawn after this.
void destroyScenes() {
#if ZELVARO_SCENE_1
    delete sceneRegistry.scene1;
#endif
#if ZELVARO_SCENE_2
    delete sceneRegistry.scene2;
#endif
#if ZELVARO_SCENE_3
    delete sceneRegistry.scene3;
#endif
#if ZELVARO_SCENE_4
    delete sceneRegistry.scene4;
#endif
#if ZELVARO_SCENE_5
    delete sceneRegistry.scene5;
#endif
#if ZELVARO_SCENE_6
    delete sceneRegistry.scene6;
#endif
#if ZELVARO_SCENE_7
    delete sceneRegistry.scene7;
#endif
#if ZELVARO_SCENE_8
    delete sceneRegistry.scene8;
#endif
#if ZELVARO_SCENE_9
    delete sceneRegistry.scene9;
#endif
#if ZELVARO_SCENE_10
    delete sceneRegistry.scene10;
#endif
#if ZELVARO_SCENE_11
    delete sceneRegistry.scene11;
#endif
#if ZELVARO_SCENE_12
    delete sceneRegistry.scene12;
#endif
#if ZELVARO_SCENE_13
    delete sceneRegistry.scene13;
#endif
#if ZELVARO_SCENE_14
    delete sceneRegistry.scene14;
#endif
}
