// Calls per second of matrix multiply, vector transform and vector normalize,
// on the x87 reference code (forced with the registry switch) and on the
// routines the processor gets (the label names the choice).
// Run: build-dir/tests/math/math_bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "d3dx8math.h"
#include "math_dispatch.h"

namespace {

const int sampleCount = 1024;
struct BenchData {
    std::vector<D3DXMATRIX> matrices;
    std::vector<D3DXVECTOR3> vectors;
};

BenchData makeData() {
    std::mt19937 random(1);
    std::uniform_real_distribution<float> value(-10.0f, 10.0f);
    BenchData data;
    data.matrices.resize(sampleCount);
    data.vectors.resize(sampleCount);
    for (int i = 0; i < sampleCount; ++i) {
        for (auto& row : data.matrices[i].m)
            for (float& element : row) element = value(random);
        data.vectors[i] = D3DXVECTOR3(value(random), value(random), value(random));
    }
    return data;
}

enum class BenchFunction { multiply, transform, normalize };

const char* implementationName(int implementation) {
    switch (implementation) {
        case mathImplementationX87:
            return "x87 reference";
        case mathImplementation3DNow:
            return "3DNow!";
        case mathImplementationSSE2:
            return "SSE2";
        case mathImplementationSSE:
            return "SSE";
        default:
            return "unchosen";
    }
}

// One iteration runs the function over every sample once.
void runFunction(benchmark::State& state, BenchFunction function, bool reference) {
    if (reference)
        setenv("ZELVARO_REG_DisableD3DXPSGP", "1", 1);
    else
        unsetenv("ZELVARO_REG_DisableD3DXPSGP");
    mathResetSelection();
    state.SetLabel(implementationName(mathSelectImplementation()));
    BenchData data = makeData();
    D3DXMATRIX chain;
    D3DXMatrixIdentity(&chain);
    D3DXVECTOR4 transformed = {0, 0, 0, 0};
    D3DXVECTOR3 unit(0, 0, 0);
    for (auto _ : state) {
        for (int i = 0; i < sampleCount; ++i) {
            switch (function) {
                case BenchFunction::multiply:
                    // multiplying into the left input, as the transform chains do
                    D3DXMatrixMultiply(&chain, &data.matrices[i], &data.matrices[(i + 1) % sampleCount]);
                    break;
                case BenchFunction::transform:
                    D3DXVec3Transform(&transformed, &data.vectors[i], &data.matrices[i]);
                    break;
                case BenchFunction::normalize:
                    D3DXVec3Normalize(&unit, &data.vectors[i]);
                    break;
            }
            benchmark::DoNotOptimize(transformed);
            benchmark::DoNotOptimize(unit);
        }
        benchmark::DoNotOptimize(chain);
    }
    state.SetItemsProcessed(state.iterations() * sampleCount);
}

}  // namespace

BENCHMARK_CAPTURE(runFunction, D3DXMatrixMultiply_reference, BenchFunction::multiply, true);
BENCHMARK_CAPTURE(runFunction, D3DXVec3Transform_reference, BenchFunction::transform, true);
BENCHMARK_CAPTURE(runFunction, D3DXVec3Normalize_reference, BenchFunction::normalize, true);
BENCHMARK_CAPTURE(runFunction, D3DXMatrixMultiply_chosen, BenchFunction::multiply, false);
BENCHMARK_CAPTURE(runFunction, D3DXVec3Transform_chosen, BenchFunction::transform, false);
BENCHMARK_CAPTURE(runFunction, D3DXVec3Normalize_chosen, BenchFunction::normalize, false);

BENCHMARK_MAIN();
