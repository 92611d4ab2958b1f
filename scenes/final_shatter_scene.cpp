#include "final_shatter_scene.h"

#include "demo_context.h"
#include "frame_timer.h"
#include "logo_morph_scene.h"
#include "music_clock.h"
#include "render_target.h"
#include "scene_registry.h"
#include "scene_support.h"
#include "scene_transform.h"
#include "shatter_panel.h"
#include "texture_table.h"

FinalShatterScene::FinalShatterScene() : device(nullptr), panel(nullptr) {}

FinalShatterScene::~FinalShatterScene() { delete panel; }

void FinalShatterScene::init(IDirect3DDevice8* sceneDevice) {
    device = sceneDevice;
    // Its random draws follow those of scene 12 in the program-wide sequence.
    panel = new ShatterPanel();
    panel->build(device, 64.0f, 48.0f, 40, 25, 0.0f);
    panel->position = {0.0f, 0.0f, 0.0f};
    panel->texture = demoContext ? demoContext->renderTarget : nullptr;
    panel->live = true;
}

// Every frame while the panel is live, scene 6 goes on animating in the target.
void FinalShatterScene::preRender() {
    if (!panel || !panel->live) return;
    beginRenderTargetPass();
    LogoMorphScene* logo = sceneRegistry.scene6;
    if (logo) logo->render();
    endRenderTargetPass(true);
}

void FinalShatterScene::render() {
    update();
    if (demoContext && demoContext->renderTarget) {
        demoContext->renderTarget->srcBlend = D3DBLEND_SRCALPHA;
        demoContext->renderTarget->destBlend = D3DBLEND_INVSRCALPHA;
    }
    if (!device) return;
    setSceneView(device, 0.0f, 0.0f, 57.7f);
    if (!panel || !panel->live) return;
    if (panel->position.y > -200.0f) {
        setSceneWorldTransform(device, panel->position.x, panel->position.y, panel->position.z,
                               0.0f, 0.0f, 0.0f);
        panel->draw();
        panel->update();
    } else {
        panel->live = false;
    }
}

// The panel's own update ends it when its alpha is spent (2.5 s); the first
// updating frame after that ends the program.
void FinalShatterScene::update() {
    const float dt = frameTimer.frameSeconds();
    if (static_cast<double>(dt) > 0.1) return;
    if (!panel) return;
    if (panel->live) {
        panel->progress += dt;
        panel->position.y -= 20.0f * dt;
    } else {
        quitRequested = true;
    }
}
