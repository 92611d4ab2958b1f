// The device layer's cost against plain OpenGL doing the same work, in one
// process: (a) draws per second of a small textured quad with state changes
// between draws, (b) frames per second of 20 full-screen textured, blended
// quads at 1024 x 768. Google Benchmark prints each side; the ratio of the
// layer to plain OpenGL follows, and for (a) also the ratio of draws per
// second of the drawing thread's CPU time. Not a test.
//
//   SDL_VIDEODRIVER=offscreen ./d3d8_bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>
#include <d3d8.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "../../platform/d3d8/d3d8_stats.h"
#include "d3d8_gl_reference.h"
#include "d3d_test_device.h"

namespace {

constexpr int kWarmUpDraws = 1000;
constexpr int kDrawsPerIteration = 1000;
constexpr int kQuadsPerFrame = 20;

struct Vertex {
    float x, y, z;
    D3DCOLOR diffuse;
    float u, v;
};

IDirect3DTexture8* makeTexture(IDirect3DDevice8* device, unsigned seed) {
    IDirect3DTexture8* texture = nullptr;
    device->CreateTexture(256, 256, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture);
    D3DLOCKED_RECT locked{};
    texture->LockRect(0, &locked, nullptr, 0);
    auto* texels = static_cast<DWORD*>(locked.pBits);
    for (unsigned i = 0; i < 256 * 256; ++i) texels[i] = 0x80000000u | (i * seed);
    texture->UnlockRect(0);
    return texture;
}

IDirect3DVertexBuffer8* makeQuad(IDirect3DDevice8* device, float size) {
    const Vertex quad[6] = {{-size, size, 0.5f, 0xA0FFFFFF, 0, 0}, {size, size, 0.5f, 0xA0FFFFFF, 1, 0},
                            {-size, -size, 0.5f, 0xA0FFFFFF, 0, 1}, {size, size, 0.5f, 0xA0FFFFFF, 1, 0},
                            {size, -size, 0.5f, 0xA0FFFFFF, 1, 1}, {-size, -size, 0.5f, 0xA0FFFFFF, 0, 1}};
    IDirect3DVertexBuffer8* buffer = nullptr;
    device->CreateVertexBuffer(sizeof(quad), D3DUSAGE_WRITEONLY, 0x142, D3DPOOL_MANAGED, &buffer);
    BYTE* data = nullptr;
    buffer->Lock(0, 0, &data, 0);
    std::memcpy(data, quad, sizeof(quad));
    buffer->Unlock();
    return buffer;
}

// The states the program keeps between draws, and the stage set-up of a
// textured, diffuse-modulated draw.
void setUp(IDirect3DDevice8* device) {
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetVertexShader(0x142);
}

void finish(IDirect3DDevice8* device) {
    // Reading one pixel back waits for the drawing to end.
    IDirect3DSurface8* target = nullptr;
    IDirect3DSurface8* copy = nullptr;
    device->GetRenderTarget(&target);
    device->CreateImageSurface(1, 1, D3DFMT_X8R8G8B8, &copy);
    const RECT one{0, 0, 1, 1};
    device->CopyRects(target, &one, 1, copy, nullptr);
    copy->Release();
    target->Release();
}

// Two textures and one quad bound as stream 0, for the layer measurements.
struct LayerSetup {
    IDirect3DTexture8* textures[2];
    IDirect3DVertexBuffer8* quad;
};

LayerSetup setUpLayers(IDirect3DDevice8* device, float quadSize) {
    LayerSetup layers{{makeTexture(device, 7), makeTexture(device, 8)}, makeQuad(device, quadSize)};
    setUp(device);
    device->SetStreamSource(0, layers.quad, sizeof(Vertex));
    return layers;
}

void releaseLayers(IDirect3DDevice8* device, LayerSetup& layers) {
    device->SetTexture(0, nullptr);
    device->SetStreamSource(0, nullptr, 0);
    layers.quad->Release();
    layers.textures[0]->Release();
    layers.textures[1]->Release();
}

// The drawing of (a): small quads, each with its own texture, blending,
// colour factor and position.
void drawSmallQuads(IDirect3DDevice8* device, IDirect3DTexture8* const* textures, int count) {
    D3DMATRIX world{};
    world._11 = world._22 = world._33 = world._44 = 1.0f;
    for (int i = 0; i < count; ++i) {
        device->SetTexture(0, textures[i & 1]);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, (i & 2) != 0);
        device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF00FF00u | static_cast<DWORD>(i & 255) << 8);
        world._41 = static_cast<float>(i % 17) * 0.1f - 0.8f;
        world._42 = static_cast<float>(i % 13) * 0.1f - 0.6f;
        device->SetTransform(D3DTS_WORLD, &world);
        device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    }
    finish(device);
}

// The draws per second of the drawing thread's CPU time, the figure that holds
// on a loaded machine, as the counter "per_cpu_second".
void setDrawsPerCpuSecond(benchmark::State& state, double cpuSeconds) {
    if (cpuSeconds > 0) state.counters["per_cpu_second"] = double(state.iterations()) * kDrawsPerIteration / cpuSeconds;
}

void layerDraws(benchmark::State& state) {
    TestDevice small;
    if (!createTestDevice(256, 256, &small)) {
        state.SkipWithError(small.error.c_str());
        return;
    }
    LayerSetup layers = setUpLayers(small.device, 0.05f);
    small.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    drawSmallQuads(small.device, layers.textures, kWarmUpDraws);  // shaders and blend variants made first
    const double cpuStart = d3d8ThreadCpuSeconds();
    for (auto _ : state) drawSmallQuads(small.device, layers.textures, kDrawsPerIteration);
    state.SetItemsProcessed(state.iterations() * kDrawsPerIteration);
    setDrawsPerCpuSecond(state, d3d8ThreadCpuSeconds() - cpuStart);
    releaseLayers(small.device, layers);
    releaseTestDevice(&small);
}

// The plain-OpenGL side times its own draws; its time is the benchmark's.
void plainGlDraws(benchmark::State& state) {
    TestDevice small;
    if (!createTestDevice(256, 256, &small)) {
        state.SkipWithError(small.error.c_str());
        return;
    }
    double cpuSeconds = 0;
    for (auto _ : state) {
        double drawsPerCpuSecond = 0;
        state.SetIterationTime(kDrawsPerIteration / d3d8ReferenceDrawRate(kDrawsPerIteration, &drawsPerCpuSecond));
        if (drawsPerCpuSecond > 0) cpuSeconds += kDrawsPerIteration / drawsPerCpuSecond;
    }
    state.SetItemsProcessed(state.iterations() * kDrawsPerIteration);
    setDrawsPerCpuSecond(state, cpuSeconds);
    releaseTestDevice(&small);
}

// (b): one iteration is one frame.
void layerFrames(benchmark::State& state) {
    TestDevice large;
    if (!createTestDevice(1024, 768, &large)) {
        state.SkipWithError(large.error.c_str());
        return;
    }
    IDirect3DDevice8* device = large.device;
    LayerSetup layers = setUpLayers(device, 1.0f);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    finish(device);
    for (auto _ : state) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        device->BeginScene();
        for (int i = 0; i < kQuadsPerFrame; ++i) {
            device->SetTexture(0, layers.textures[i & 1]);
            device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
        }
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }
    finish(device);
    state.SetItemsProcessed(state.iterations());
    releaseLayers(device, layers);
    releaseTestDevice(&large);
}

void plainGlFrames(benchmark::State& state) {
    TestDevice large;
    if (!createTestDevice(1024, 768, &large)) {
        state.SkipWithError(large.error.c_str());
        return;
    }
    // Each call draws frames for a quarter second and answers frames per second.
    for (auto _ : state) state.SetIterationTime(1.0 / d3d8ReferenceFillRate(1024, 768, kQuadsPerFrame, 0.25));
    state.SetItemsProcessed(state.iterations());
    releaseTestDevice(&large);
}

// The console output, keeping every benchmark's items per second for the ratios.
class RateKeeper : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> rates;  // by benchmark name, without its time suffix
    std::map<std::string, double> cpuRates;  // the same for "per_cpu_second"

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            std::string name = run.benchmark_name();
            for (const char* suffix : {"/manual_time", "/real_time"}) {
                const size_t at = name.find(suffix);
                if (at != std::string::npos) name.erase(at);
            }
            auto rate = run.counters.find("items_per_second");
            if (rate != run.counters.end()) rates[name] = rate->second;
            auto cpuRate = run.counters.find("per_cpu_second");
            if (cpuRate != run.counters.end()) cpuRates[name] = cpuRate->second;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    // Wall-clock time throughout: llvmpipe draws on threads of its own.
    benchmark::RegisterBenchmark("a_small_quads/layer", layerDraws)->UseRealTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("a_small_quads/plain_gl", plainGlDraws)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("b_full_screen_frames/layer", layerFrames)->UseRealTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("b_full_screen_frames/plain_gl", plainGlFrames)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    RateKeeper reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* test : {"a_small_quads", "b_full_screen_frames"}) {
        const std::string name = test;
        auto layer = reporter.rates.find(name + "/layer");
        auto plain = reporter.rates.find(name + "/plain_gl");
        if (layer != reporter.rates.end() && plain != reporter.rates.end() && plain->second > 0) {
            std::printf("%s: layer %.2f/s, plain GL %.2f/s, ratio %.2f\n", test, layer->second, plain->second,
                        layer->second / plain->second);
        }
    }
    // Per second of the drawing thread's CPU time: the figure that holds on a loaded machine.
    auto layer = reporter.cpuRates.find("a_small_quads/layer");
    auto plain = reporter.cpuRates.find("a_small_quads/plain_gl");
    if (layer != reporter.cpuRates.end() && plain != reporter.cpuRates.end() && plain->second > 0) {
        std::printf("a_small_quads per CPU second of the drawing thread: layer %.2f/s, plain GL %.2f/s, ratio %.2f\n",
                    layer->second, plain->second, layer->second / plain->second);
    }
    benchmark::Shutdown();
    return 0;
}
