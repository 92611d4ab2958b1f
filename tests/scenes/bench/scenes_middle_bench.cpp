// CPU time per frame of scenes 2, 3, 8, 9, 4, 11, 1 and 12: their animation,
// the toolkit's CPU deformations and every buffer rewrite, on a device that
// draws nothing. Each scene plays its own stretch of the music at 60 frames
// per second, through preRender and render as the frame loop calls them (one
// Google Benchmark per scene).
// Run: build-dir/tests/scenes/scenes_middle_bench
#include "bench/scene_bench_run.h"
#include "bridge_cubes_scene.h"
#include "drop_ring_scene.h"
#include "drop_tunnel_scene.h"
#include "feedback_shape_scene.h"
#include "glass_colonnade_scene.h"
#include "ribbon_web_scene.h"
#include "ripple_tiles_scene.h"
#include "scene_registry.h"
#include "texture_table.h"
#include "water_drops_scene.h"

int main(int argc, char** argv) {
    RecordingDevice device;
    TextureRecord target{};
    prepareBenchDemo(&device, &target);

    FeedbackShapeScene* feedback = new FeedbackShapeScene();
    feedback->init(&device);
    DropRingScene* dropRings = new DropRingScene();
    dropRings->init(&device);
    DropTunnelScene* tunnel = new DropTunnelScene();
    tunnel->init(&device);
    GlassColonnadeScene* colonnade = new GlassColonnadeScene();
    colonnade->init(&device);
    RippleTilesScene* tiles = new RippleTilesScene();
    tiles->init(&device);
    BridgeCubesScene* bridges = new BridgeCubesScene();
    bridges->init(&device);
    WaterDropsScene* water = new WaterDropsScene();
    water->init(&device);
    RibbonWebScene* ribbons = new RibbonWebScene();
    ribbons->init(&device);
    sceneRegistry.scene1 = feedback;
    sceneRegistry.scene2 = dropRings;
    sceneRegistry.scene3 = tunnel;
    sceneRegistry.scene4 = colonnade;
    sceneRegistry.scene8 = tiles;
    sceneRegistry.scene9 = bridges;
    sceneRegistry.scene11 = water;
    sceneRegistry.scene12 = ribbons;

    registerSceneWithPreRender("scene 2, drop rings", 64.5f, 80.0f, dropRings);
    registerScene("scene 3, drop tunnel", 80.0f, 96.0f, [&] { tunnel->render(); });
    registerSceneWithPreRender("scene 8, ripple tiles", 96.0f, 112.2f, tiles);
    registerSceneWithPreRender("scene 9, bridge cubes", 112.2f, 120.2f, bridges);
    registerScene("scene 4, glass colonnade", 120.2f, 128.2f, [&] { colonnade->render(); });
    registerScene("scene 11, water drops", 144.0f, 160.0f, [&] { water->render(); });
    registerSceneWithPreRender("scene 1, feedback shape", 160.0f, 168.0f, feedback);
    registerScene("scene 12, ribbon web", 168.0f, 176.0f, [&] { ribbons->render(); });

    runSceneBenchmarks(argc, argv);

    delete ribbons;
    delete water;
    delete bridges;
    delete tiles;
    delete colonnade;
    delete tunnel;
    delete dropRings;
    delete feedback;
    return 0;
}
