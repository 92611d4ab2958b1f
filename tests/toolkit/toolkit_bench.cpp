// Per-frame CPU cost of the toolkit's heaviest updates, measured on the test
// device with its recording off (buffers in memory) so that only CPU work counts:
//   - warp with environment map (render mode 3) of an N x N grid, N = 25..200;
//   - warp alone (render mode 2) for comparison;
//   - morphing 10 000 harmonic quads: positions blended between two shapes,
//     then the whole textured buffer rewritten.
// Run: build-dir/tests/toolkit/toolkit_bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include "mesh_object.h"
#include "recording_device.h"

namespace {

void runWarp(benchmark::State& state, int32_t mode) {
    RecordingDevice device;
    device.recording = false;
    MeshObject grid;
    grid.setDevice(&device);
    const int32_t size = static_cast<int32_t>(state.range(0));
    grid.buildGrid(64.0f, 48.0f, size, size);
    grid.renderMode = mode;
    grid.warpVariant = 0;
    for (auto _ : state) {
        grid.warpAngle += 1.5f;
        grid.render();
    }
    state.counters["vertices"] = static_cast<double>(grid.vertexCount);
    state.counters["triangles"] = static_cast<double>(grid.triangleCount);
    state.counters["ns_per_vertex"] = benchmark::Counter(
        static_cast<double>(grid.vertexCount) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_WarpWithEnvironmentMap(benchmark::State& state) { runWarp(state, 3); }
void BM_WarpOnly(benchmark::State& state) { runWarp(state, 2); }

BENCHMARK(BM_WarpWithEnvironmentMap)->Arg(25)->Arg(50)->Arg(100)->Arg(200)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WarpOnly)->Arg(25)->Arg(50)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);

// The scenes morph by blending the positions of two quad shapes into a third
// object's vertices and refilling its buffer each frame.
void BM_MorphQuads(benchmark::State& state) {
    RecordingDevice device;
    device.recording = false;
    const int32_t side = static_cast<int32_t>(state.range(0));  // side * side quads
    MeshObject from, to, shown;
    const int32_t fromParams[8] = {2, 1, 3, 2, 4, 1, 2, 2};
    const int32_t toParams[8] = {4, 2, 1, 3, 2, 2, 6, 1};
    for (int k = 0; k < 8; ++k) {
        from.harmonicParams[k] = fromParams[k];
        to.harmonicParams[k] = toParams[k];
        shown.harmonicParams[k] = fromParams[k];
    }
    for (MeshObject* mesh : {&from, &to, &shown}) {
        mesh->setDevice(&device);
        mesh->buildHarmonicSphereQuads(1.0f, side, side);
    }
    float blend = 0.0f;
    for (auto _ : state) {
        blend = blend >= 1.0f ? 0.0f : blend + 0.01f;
        for (int32_t i = 0; i < shown.vertexCount; ++i) {
            shown.vertices[i].x = from.vertices[i].x + (to.vertices[i].x - from.vertices[i].x) * blend;
            shown.vertices[i].y = from.vertices[i].y + (to.vertices[i].y - from.vertices[i].y) * blend;
            shown.vertices[i].z = from.vertices[i].z + (to.vertices[i].z - from.vertices[i].z) * blend;
        }
        shown.fillVertexBuffer();
        benchmark::ClobberMemory();
    }
    state.counters["quads"] = static_cast<double>(side) * side;
}

BENCHMARK(BM_MorphQuads)->Arg(25)->Arg(50)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
