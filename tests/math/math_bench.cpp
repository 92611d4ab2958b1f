// Calls per second of matrix multiply, vector transform and vector normalize,
// on the x87 reference code (forced with the registry switch) and on the
// routines the processor gets. Prints one line per function and choice.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "d3dx8math.h"
#include "math_dispatch.h"

namespace {

const int sampleCount = 1024;
const int rounds = 4000;

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

// Runs one function over the data `rounds` times; returns calls per second.
// The sink keeps the compiler from dropping the work.
double callsPerSecond(BenchFunction function, BenchData& data, float* sink) {
    const auto start = std::chrono::steady_clock::now();
    D3DXMATRIX chain;
    D3DXMatrixIdentity(&chain);
    D3DXVECTOR4 transformed = {0, 0, 0, 0};
    D3DXVECTOR3 unit(0, 0, 0);
    float total = 0.0f;
    for (int round = 0; round < rounds; ++round) {
        for (int i = 0; i < sampleCount; ++i) {
            switch (function) {
                case BenchFunction::multiply:
                    // multiplying into the left input, as the transform chains do
                    D3DXMatrixMultiply(&chain, &data.matrices[i], &data.matrices[(i + 1) % sampleCount]);
                    break;
                case BenchFunction::transform:
                    D3DXVec3Transform(&transformed, &data.vectors[i], &data.matrices[i]);
                    total += transformed.w;
                    break;
                case BenchFunction::normalize:
                    D3DXVec3Normalize(&unit, &data.vectors[i]);
                    total += unit.x;
                    break;
            }
        }
        total += chain.m[0][0];
    }
    *sink += total;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return double(rounds) * sampleCount / elapsed.count();
}

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

}  // namespace

int main() {
    BenchData data = makeData();
    float sink = 0.0f;
    const struct {
        BenchFunction function;
        const char* name;
    } functions[] = {
        {BenchFunction::multiply, "D3DXMatrixMultiply"},
        {BenchFunction::transform, "D3DXVec3Transform"},
        {BenchFunction::normalize, "D3DXVec3Normalize"},
    };
    for (int disable = 1; disable >= 0; --disable) {
        if (disable)
            setenv("ZELVARO_REG_DisableD3DXPSGP", "1", 1);
        else
            unsetenv("ZELVARO_REG_DisableD3DXPSGP");
        mathResetSelection();
        const int implementation = mathSelectImplementation();
        for (const auto& entry : functions) {
            const double rate = callsPerSecond(entry.function, data, &sink);
            std::printf("%-20s %-14s %8.1f million calls/s\n", entry.name,
                        implementationName(implementation), rate / 1e6);
        }
    }
    std::printf("(checksum %g)\n", double(sink));
    return 0;
}
