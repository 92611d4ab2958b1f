// What the scene benchmarks share: the demo context over a device that draws
// and records nothing, and one Google Benchmark per scene in which every
// iteration is one frame of the scene's own stretch of the music at 60 frames
// per second (from its start again at its end).
#ifndef ZELVARO_TESTS_SCENES_BENCH_SCENE_BENCH_RUN_H
#define ZELVARO_TESTS_SCENES_BENCH_SCENE_BENCH_RUN_H

#include <benchmark/benchmark.h>

#include <functional>

#include "demo_context.h"
#include "frame_timer.h"
#include "music_clock.h"
#include "recording_device.h"
#include "texture_table.h"

// The demo context the scenes read: the test device with its recording off
// and a render-target record, with the texture table ready.
inline void prepareBenchDemo(RecordingDevice* device, TextureRecord* target) {
    device->recording = false;
    demoContext = new DemoContext();
    demoContext->device = device;
    demoContext->renderTarget = target;
    textureTable.prepare();
}

// Registers `frame` as the benchmark `name`, run at the music times from
// `fromSeconds` up to `toSeconds`.
inline void registerScene(const char* name, float fromSeconds, float toSeconds, std::function<void()> frame) {
    benchmark::RegisterBenchmark(name, [=](benchmark::State& state) {
        const float dt = 1.0f / 60.0f;
        frameTimer.frameSecondsValue = dt;
        float music = fromSeconds;
        for (auto _ : state) {
            musicTime = music;
            frame();
            music += dt;
            if (music >= toSeconds) music = fromSeconds;
        }
    })->Unit(benchmark::kMicrosecond);
}

// The same for a scene the frame loop runs through preRender, then render.
template <class SceneType>
void registerSceneWithPreRender(const char* name, float fromSeconds, float toSeconds, SceneType* scene) {
    registerScene(name, fromSeconds, toSeconds, [scene] {
        scene->preRender();
        scene->render();
    });
}

// Runs the registered benchmarks with the command line's options.
inline void runSceneBenchmarks(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}

#endif  // ZELVARO_TESTS_SCENES_BENCH_SCENE_BENCH_RUN_H
