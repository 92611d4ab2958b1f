// A frame drawn through the recording device, replayed from its trace on a
// fresh device, gives the same picture: the trace carries the calls and what
// the frame inherits (states, a filled texture, a vertex buffer, a render
// target's contents). Damaged traces give errors, never crashes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "d3d8_replayer.h"
#include "d3d8_trace.h"
#include "d3d_test_device.h"

namespace {

constexpr UINT kSize = 64;
constexpr DWORD kFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct Vertex {
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
};

std::string tracePath(const char* name) {
    return ::testing::TempDir() + "d3d8_trace_" + std::to_string(getpid()) + "_" + name + ".d8t";
}

void quad(Vertex* v, float left, float top, float right, float bottom, D3DCOLOR color) {
    const Vertex corners[4] = {{left, top, 0.5f, 1, color, 0, 0},
                               {right, top, 0.5f, 1, color, 1, 0},
                               {left, bottom, 0.5f, 1, color, 0, 1},
                               {right, bottom, 0.5f, 1, color, 1, 1}};
    std::memcpy(v, corners, sizeof corners);
}

class TraceRoundTrip : public ::testing::Test {
protected:
    void SetUp() override {
        direct3D = d3d8TraceWrap(Direct3DCreate8(D3D_SDK_VERSION));
        ASSERT_NE(direct3D, nullptr) << "no display";
        D3DPRESENT_PARAMETERS parameters{};
        parameters.BackBufferWidth = kSize;
        parameters.BackBufferHeight = kSize;
        parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
        parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
        parameters.Windowed = TRUE;
        parameters.EnableAutoDepthStencil = TRUE;
        parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
        ASSERT_EQ(direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                         D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, &device),
                  D3D_OK);
    }
    void TearDown() override {
        if (device != nullptr) device->Release();
        if (direct3D != nullptr) direct3D->Release();
    }

    IDirect3D8* direct3D = nullptr;
    IDirect3DDevice8* device = nullptr;
};

// Records one frame; returns the back buffer as the frame left it.
RgbaImage recordFrame(IDirect3DDevice8* device, const std::string& path) {
    // Before the recording: a checker texture, a render target drawn green, a
    // vertex buffer with a quad, and states the frame relies on.
    IDirect3DTexture8* checker = nullptr;
    EXPECT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &checker), D3D_OK);
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(checker->LockRect(0, &locked, nullptr, 0), D3D_OK);
    for (int y = 0; y < 8; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch);
        for (int x = 0; x < 8; ++x) row[x] = ((x + y) & 1) != 0 ? 0xffff0000u : 0xff0000ffu;
    }
    checker->UnlockRect(0);

    IDirect3DTexture8* target = nullptr;
    IDirect3DSurface8* targetSurface = nullptr;
    IDirect3DSurface8* backBuffer = nullptr;
    IDirect3DSurface8* depth = nullptr;
    EXPECT_EQ(device->CreateTexture(32, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target),
              D3D_OK);
    target->GetSurfaceLevel(0, &targetSurface);
    device->GetRenderTarget(&backBuffer);
    device->GetDepthStencilSurface(&depth);
    device->SetRenderTarget(targetSurface, nullptr);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff00ff00u, 1.0f, 0);
    device->SetRenderTarget(backBuffer, depth);

    IDirect3DVertexBuffer8* buffer = nullptr;
    EXPECT_EQ(device->CreateVertexBuffer(4 * sizeof(Vertex), D3DUSAGE_WRITEONLY, kFvf, D3DPOOL_MANAGED, &buffer),
              D3D_OK);
    BYTE* data = nullptr;
    buffer->Lock(0, 0, &data, 0);
    quad(reinterpret_cast<Vertex*>(data), 4, 4, 36, 36, 0xffffffffu);
    buffer->Unlock();

    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    device->SetVertexShader(kFvf);
    device->SetStreamSource(0, buffer, sizeof(Vertex));
    device->SetTexture(0, checker);

    std::string error;
    EXPECT_TRUE(d3d8TraceStart(path, &error)) << error;
    d3d8TraceFrameBegin(7, 1.5);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff202020u, 1.0f, 0);
    device->BeginScene();
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    // The render target's green, half see-through over the checker.
    device->SetTexture(0, target);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    Vertex vertices[4];
    quad(vertices, 20, 20, 60, 60, 0x80ffffffu);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, vertices, sizeof(Vertex));
    device->EndScene();
    d3d8TraceFrameEnd(7);
    const RgbaImage picture = readSurface(device, backBuffer);
    EXPECT_TRUE(d3d8TraceStop(&error)) << error;

    device->SetTexture(0, nullptr);
    device->SetStreamSource(0, nullptr, 0);
    buffer->Release();
    targetSurface->Release();
    target->Release();
    checker->Release();
    backBuffer->Release();
    depth->Release();
    return picture;
}

RgbaImage imageOf(const D3d8ReplayPicture& picture) {
    RgbaImage image;
    image.width = static_cast<int>(picture.width);
    image.height = static_cast<int>(picture.height);
    image.pixels.resize(size_t(image.width) * image.height * 4);
    for (size_t i = 0; i < size_t(image.width) * image.height; ++i) {
        image.pixels[i * 4 + 0] = picture.rgb[i * 3 + 0];
        image.pixels[i * 4 + 1] = picture.rgb[i * 3 + 1];
        image.pixels[i * 4 + 2] = picture.rgb[i * 3 + 2];
        image.pixels[i * 4 + 3] = 0xff;
    }
    return image;
}

TEST_F(TraceRoundTrip, ReplayedFrameLooksLikeTheRecordedOne) {
    const std::string path = tracePath("roundtrip");
    const RgbaImage recorded = recordFrame(device, path);
    // The frame itself: checker cells, the green blended over them, the clear colour.
    EXPECT_TRUE(pixelNear(recorded, 6, 6, 0x000000ff, 2));
    EXPECT_TRUE(pixelNear(recorded, 50, 50, 0x00109010, 3));
    EXPECT_TRUE(pixelNear(recorded, 2, 62, 0x00202020, 2));
    device->Release();
    device = nullptr;

    D3d8Replayer replayer;
    std::string error;
    ASSERT_TRUE(replayer.open(path, &error)) << error;
    EXPECT_EQ(replayer.frameCount(), 1);
    D3d8ReplayPicture picture;
    ASSERT_TRUE(replayer.replay(-1, &picture, &error)) << error;
    const RgbaImage replayed = imageOf(picture);
    const ImageDifference difference = compareImages(replayed, recorded, 1);
    EXPECT_EQ(difference.differingPixels, 0) << "first at " << difference.firstX << "," << difference.firstY;
    if (difference.differingPixels != 0) {
        saveTestPicture(replayed, "trace_replayed");
        saveTestPicture(recorded, "trace_recorded");
    }
    std::remove(path.c_str());
}

TEST_F(TraceRoundTrip, DamagedTracesGiveErrors) {
    const std::string path = tracePath("damaged");
    recordFrame(device, path);
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 100u);

    const std::string cut = tracePath("cut");
    // Cut inside a record: every length up to the whole file, in coarse steps.
    for (size_t length : {size_t(0), size_t(3), size_t(8), size_t(12), bytes.size() / 3, bytes.size() - 1}) {
        std::ofstream(cut, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(length));
        D3d8Replayer replayer;
        D3d8ReplayPicture picture;
        std::string error;
        const bool ok = replayer.open(cut, &error) && replayer.replay(-1, &picture, &error);
        EXPECT_FALSE(ok) << "cut at " << length;
        EXPECT_FALSE(error.empty()) << "cut at " << length;
    }
    // Not a trace at all.
    std::ofstream(cut, std::ios::binary | std::ios::trunc) << "P6\n1 1\n255\n...";
    D3d8Replayer replayer;
    std::string error;
    EXPECT_FALSE(replayer.open(cut, &error));
    EXPECT_NE(error.find("not a Direct3D 8 call trace"), std::string::npos) << error;
    std::remove(cut.c_str());
    std::remove(path.c_str());
}

TEST(TraceRecording, NeedsADevice) {
    std::string error;
    EXPECT_FALSE(d3d8TraceStart(tracePath("none"), &error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
