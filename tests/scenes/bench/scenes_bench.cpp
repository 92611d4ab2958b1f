// CPU time per frame of scenes 6, 5, 7, 10 and 13: their animation, the
// toolkit's CPU deformations and every buffer rewrite, on a device that draws
// nothing. Each scene plays its own stretch of the music at 60 frames per
// second, through preRender and render as the frame loop calls them.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

#include "app/demo_context.h"
#include "app/main_window.h"
#include "app/music_clock.h"
#include "app/scene_registry.h"
#include "app/texture_table.h"
#include "bench/null_device.h"
#include "scenes/city_cards_scene.h"
#include "scenes/final_shatter_scene.h"
#include "scenes/logo_morph_scene.h"
#include "scenes/morph_credits_scene.h"
#include "scenes/spinning_rings_scene.h"

namespace {

using Clock = std::chrono::steady_clock;

void play(const char* name, float fromSeconds, float toSeconds,
          const std::function<void()>& frame) {
    const float dt = 1.0f / 60.0f;
    frameTimer.frameSecondsValue = dt;
    double total = 0.0;
    double worst = 0.0;
    int frames = 0;
    for (float music = fromSeconds; music < toSeconds; music += dt, ++frames) {
        musicTime = music;
        const Clock::time_point start = Clock::now();
        frame();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        total += ms;
        worst = std::max(worst, ms);
    }
    std::printf("%-32s %5d frames  mean %7.3f ms  worst %7.3f ms\n", name, frames, total / frames,
                worst);
}

}  // namespace

int main() {
    NullDevice device;
    TextureRecord target{};
    demoContext = new DemoContext();
    demoContext->device = &device;
    demoContext->renderTarget = &target;
    textureTable.prepare();

    const Clock::time_point buildStart = Clock::now();
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
    std::printf("building the five scenes: %.1f ms\n",
                std::chrono::duration<double, std::milli>(Clock::now() - buildStart).count());

    LogoMorphScene* logo = sceneRegistry.scene6;
    MorphCreditsScene* credits = sceneRegistry.scene5;
    SpinningRingsScene* rings = sceneRegistry.scene7;
    CityCardsScene* cards = sceneRegistry.scene10;
    FinalShatterScene* last = sceneRegistry.scene13;
    play("scene 6, logo morph (0-15.5 s)", 0.0f, 15.5f, [&] { logo->render(); });
    play("scene 5, morph credits", 15.5f, 32.0f, [&] {
        credits->preRender();
        credits->render();
    });
    play("scene 7, spinning rings", 32.0f, 48.0f, [&] {
        rings->preRender();
        rings->render();
    });
    play("scene 10, city cards", 48.0f, 64.5f, [&] {
        cards->preRender();
        cards->render();
    });
    play("scene 13, final shatter", 200.0f, 203.0f, [&] {
        last->preRender();
        last->render();
    });

    delete last;
    delete cards;
    delete rings;
    delete logo;
    delete credits;
    return 0;
}
