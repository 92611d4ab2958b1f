// The device layer's cost against plain OpenGL doing the same work, in one
// process: (a) draws per second of a small textured quad with state changes
// between draws, (b) frames per second of 20 full-screen textured, blended
// quads at 1024 x 768. Prints the numbers; not a test.
//
//   SDL_VIDEODRIVER=offscreen ./d3d8_bench [seconds]
#include <d3d8.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "../../platform/d3d8/bench/d3d8_gl_reference.h"
#include "../../platform/d3d8/d3d8_stats.h"
#include "d3d_test_device.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWarmUpDraws = 1000;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

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

double layerDrawRate(IDirect3DDevice8* device, int drawCount, double* drawsPerCpuSecond) {
    LayerSetup layers = setUpLayers(device, 0.05f);
    IDirect3DTexture8* const* textures = layers.textures;
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    finish(device);
    D3DMATRIX world{};
    world._11 = world._22 = world._33 = world._44 = 1.0f;
    auto draws = [&](int count) {
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
    };
    draws(kWarmUpDraws);  // shaders compiled and blend variants made before timing
    const Clock::time_point start = Clock::now();
    const double cpuStart = d3d8ThreadCpuSeconds();
    draws(drawCount);
    *drawsPerCpuSecond = drawCount / (d3d8ThreadCpuSeconds() - cpuStart);
    const double rate = drawCount / secondsSince(start);
    releaseLayers(device, layers);
    return rate;
}

double layerFillRate(IDirect3DDevice8* device, int quadsPerFrame, double seconds) {
    LayerSetup layers = setUpLayers(device, 1.0f);
    IDirect3DTexture8* const* textures = layers.textures;
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    finish(device);
    int frames = 0;
    const Clock::time_point start = Clock::now();
    while (secondsSince(start) < seconds) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        device->BeginScene();
        for (int i = 0; i < quadsPerFrame; ++i) {
            device->SetTexture(0, textures[i & 1]);
            device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
        }
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        ++frames;
    }
    finish(device);
    const double rate = frames / secondsSince(start);
    releaseLayers(device, layers);
    return rate;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    const int drawCount = 50000;
    TestDevice small;
    if (!createTestDevice(256, 256, &small)) {
        std::fprintf(stderr, "d3d8_bench: %s\n", small.error.c_str());
        return 1;
    }
    double layerCpuDraws = 0;
    double plainCpuDraws = 0;
    const double layerDraws = layerDrawRate(small.device, drawCount, &layerCpuDraws);
    const double plainDraws = d3d8ReferenceDrawRate(drawCount, &plainCpuDraws);
    releaseTestDevice(&small);
    std::printf("(a) small textured quads with state changes: layer %.0f draws/s, plain GL %.0f draws/s, ratio %.2f\n",
                layerDraws, plainDraws, layerDraws / plainDraws);
    // Per second of the drawing thread's CPU time: the figure that holds on a loaded machine.
    std::printf("    per CPU second of the drawing thread: layer %.0f draws, plain GL %.0f draws, ratio %.2f\n", layerCpuDraws,
                plainCpuDraws, layerCpuDraws / plainCpuDraws);

    TestDevice large;
    if (!createTestDevice(1024, 768, &large)) {
        std::fprintf(stderr, "d3d8_bench: %s\n", large.error.c_str());
        return 1;
    }
    const int quads = 20;
    const double layerFrames = layerFillRate(large.device, quads, seconds);
    const double plainFrames = d3d8ReferenceFillRate(1024, 768, quads, seconds);
    releaseTestDevice(&large);
    std::printf("(b) %d full-screen textured blended quads at 1024x768: layer %.2f frames/s, plain GL %.2f frames/s, "
                "ratio %.2f\n",
                quads, layerFrames, plainFrames, layerFrames / plainFrames);
    return 0;
}
