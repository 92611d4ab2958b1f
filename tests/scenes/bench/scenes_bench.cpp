// CPU time per frame of scenes 6, 5, 7, 10 and 13: their animation, the
// toolkit's CPU deformations and every buffer rewrite, on a device that draws
// nothing. Each scene plays its own stretch of the music at 60 frames per
// second, through preRender and render as the frame loop calls them (one
// Google Benchmark per scene).
#include "bench/scene_bench_run.h"
#include "city_cards_scene.h"
#include "final_shatter_scene.h"
#include "logo_morph_scene.h"
#include "morph_credits_scene.h"
#include "scene_registry.h"
#include "spinning_rings_scene.h"
#include "texture_table.h"

int main(int argc, char** argv) {
    RecordingDevice device;
    TextureRecord target{};
    prepareBenchDemo(&device, &target);

    sceneRegistry.scene5 = new MorphCreditsScene();
    sceneRegistry.scene5->init(&device);
    sceneRegistry.scene6 = new LogoMorphScene();
    sceneRegistry.scene6->init(&device);
    sceneRegistry.scene7 = new SpinningRingsScene();
    sceneRegistry.scene7->init(&device);
    sceneRegistry.scene10 = new CityCardsScene();
    sceneRegistry.scene10->init(&device);
    sceneRegistry.scene13 = new FinalShatterScene();
    sceneRegistry.scene13->init(&device);

    LogoMorphScene* logo = sceneRegistry.scene6;
    MorphCreditsScene* credits = sceneRegistry.scene5;
    SpinningRingsScene* rings = sceneRegistry.scene7;
    CityCardsScene* cards = sceneRegistry.scene10;
    FinalShatterScene* last = sceneRegistry.scene13;
    registerScene("scene 6, logo morph (0-15.5 s)", 0.0f, 15.5f, [&] { logo->render(); });
    registerSceneWithPreRender("scene 5, morph credits", 15.5f, 32.0f, credits);
    registerSceneWithPreRender("scene 7, spinning rings", 32.0f, 48.0f, rings);
    registerSceneWithPreRender("scene 10, city cards", 48.0f, 64.5f, cards);
    registerSceneWithPreRender("scene 13, final shatter", 200.0f, 203.0f, last);

    runSceneBenchmarks(argc, argv);

    delete last;
    delete cards;
    delete rings;
    delete logo;
    delete credits;
    return 0;
}
