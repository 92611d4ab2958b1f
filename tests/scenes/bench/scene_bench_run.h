// What the scene benchmarks share: the demo context over a device that draws
// and records nothing, and the run of one scene through its stretch of the music at 60
// frames per second, printed as frame count, mean and worst milliseconds.
#ifndef ZELVARO_TESTS_SCENES_BENCH_SCENE_BENCH_RUN_H
#define ZELVARO_TESTS_SCENES_BENCH_SCENE_BENCH_RUN_H

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

#include "demo_context.h"
#include "frame_timer.h"
#include "music_clock.h"
#include "recording_device.h"
#include "texture_table.h"

using BenchClock = std::chrono::steady_clock;

// Milliseconds since `start`.
inline double benchMillisecondsSince(BenchClock::time_point start) {
    return std::chrono::duration<double, std::milli>(BenchClock::now() - start).count();
}

// The demo context the scenes read: the test device with its recording off
// and a render-target record, with the texture table ready.
inline void prepareBenchDemo(RecordingDevice* device, TextureRecord* target) {
    device->recording = false;
    demoContext = new DemoContext();
    demoContext->device = device;
    demoContext->renderTarget = target;
    textureTable.prepare();
}

// Runs `frame` once per 1/60 s of music from `fromSeconds` up to `toSeconds`.
inline void playScene(const char* name, float fromSeconds, float toSeconds,
                      const std::function<void()>& frame) {
    const float dt = 1.0f / 60.0f;
    frameTimer.frameSecondsValue = dt;
    double total = 0.0;
    double worst = 0.0;
    int frames = 0;
    for (float music = fromSeconds; music < toSeconds; music += dt, ++frames) {
        musicTime = music;
        const BenchClock::time_point start = BenchClock::now();
        frame();
        const double ms = benchMillisecondsSince(start);
        total += ms;
        worst = std::max(worst, ms);
    }
    std::printf("%-32s %5d frames  mean %7.3f ms  worst %7.3f ms\n", name, frames, total / frames,
                worst);
}

// The same for a scene the frame loop runs through preRender, then render.
template <class SceneType>
void playSceneWithPreRender(const char* name, float fromSeconds, float toSeconds,
                            SceneType* scene) {
    playScene(name, fromSeconds, toSeconds, [scene] {
        scene->preRender();
        scene->render();
    });
}

#endif  // ZELVARO_TESTS_SCENES_BENCH_SCENE_BENCH_RUN_H
