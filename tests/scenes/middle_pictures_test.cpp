// Frames of the middle scenes drawn by the real device (OpenGL, headless) and
// read back: scene 9's first frame and its soft-edged window, and the show's
// own lens in force again after a frame of scene 3's wide-angle tunnel.
#include <gtest/gtest.h>

#include <cstring>

#include "bridge_cubes_scene.h"
#include "d3d_test_device.h"
#include "d3dx8math.h"
#include "demo_context.h"
#include "drop_tunnel_scene.h"
#include "frame_timer.h"
#include "mesh_object.h"
#include "music_clock.h"
#include "scene_registry.h"
#include "texture_table.h"

namespace {

const UINT pictureWidth = 128;
const UINT pictureHeight = 96;

class MiddlePictures : public ::testing::Test {
protected:
    TestDevice test;
    IDirect3DDevice8* device = nullptr;
    std::vector<IDirect3DTexture8*> textures;

    void SetUp() override {
        ASSERT_TRUE(createTestDevice(pictureWidth, pictureHeight, &test)) << test.error;
        device = test.device;
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        D3DXMATRIX projection;
        D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, 1.33333f, 0.01f, 100000.0f);
        device->SetTransform(D3DTS_PROJECTION, &projection);
        if (demoContext == nullptr) demoContext = new DemoContext();
        demoContext->device = device;
        demoContext->projection = projection;
        textureTable.clear();
        if (!textureTable.emptyRecord) textureTable.prepare();
        sceneRegistry = SceneRegistry{};
        musicTime = 0.0f;
        frameTimer.frameSecondsValue = 0.02f;
    }
    void TearDown() override {
        if (!device) return;
        device->SetTexture(0, nullptr);
        device->SetTexture(1, nullptr);
        textureTable.clear();
        for (IDirect3DTexture8* texture : textures) texture->Release();
        // The shared target lives as long as the device it was made on.
        DemoContext* context = demoContext;
        if (context->renderTarget) {
            if (context->savedBackBuffer) device->SetRenderTarget(context->savedBackBuffer, context->savedDepthSurface);
            if (context->targetSurface) context->targetSurface->Release();
            if (context->targetDepthSurface) context->targetDepthSurface->Release();
            if (context->savedBackBuffer) context->savedBackBuffer->Release();
            if (context->savedDepthSurface) context->savedDepthSurface->Release();
            if (context->renderTarget->texture) context->renderTarget->texture->Release();
            delete context->renderTarget;
        }
        context->renderTarget = nullptr;
        context->targetSurface = context->targetDepthSurface = nullptr;
        context->savedBackBuffer = context->savedDepthSurface = nullptr;
        context->device = nullptr;
        releaseTestDevice(&test);
    }

    // A texture slot filled with one colour.
    void solidSlot(int slot, D3DCOLOR color) {
        IDirect3DTexture8* texture = nullptr;
        ASSERT_EQ(device->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
        D3DLOCKED_RECT locked{};
        texture->LockRect(0, &locked, nullptr, 0);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + x * 4, &color, 4);
        texture->UnlockRect(0);
        textures.push_back(texture);
        TextureRecord* record = new TextureRecord{};
        record->slot = slot;
        record->texture = texture;
        textureTable.insert(record);
    }

    void beginFrame() { beginTestFrame(device); }
    RgbaImage endFrame(const char* name) { return endTestFrame(device, name); }
};

TEST_F(MiddlePictures, BridgeCubesFirstFrameIsTheFlashThenTheWindowOverTheBridges) {
    solidSlot(8, 0xFFFF0000);   // the bridges: red
    solidSlot(18, 0xFF0000FF);  // the warped picture in the target: blue
    BridgeCubesScene scene;
    scene.init(device);
    ASSERT_NE(demoContext->renderTarget, nullptr);
    // Only the background, the window and the flash are looked at here.
    delete scene.cubeMesh;
    scene.cubeMesh = nullptr;
    delete scene.torusMesh;
    scene.torusMesh = nullptr;

    // The frame in which the Timeline switched: no pass yet, only the flash.
    beginFrame();
    scene.render();
    RgbaImage first = endFrame("bridge_cubes_first_frame");
    for (int x : {2, 64, 125})
        for (int y : {2, 48, 93}) EXPECT_TRUE(pixelNear(first, x, y, 0x00FFFFFF, 3)) << x << ", " << y;

    // Next frame after a pass, flash over: bridges on the left, the painted
    // picture through the opaque part of the window on the right.
    scene.flashActive = false;
    scene.preRender();
    beginFrame();
    scene.render();
    RgbaImage second = endFrame("bridge_cubes_window");
    EXPECT_TRUE(pixelNear(second, 6, 48, 0x00FF0000, 6)) << "transparent left columns";
    EXPECT_TRUE(pixelNear(second, 120, 48, 0x000000FF, 6)) << "opaque right columns";
    // In between the stripe mixes the two.
    const uint32_t middle = second.argb(static_cast<int>(pictureWidth * 6 / 14), 48);
    EXPECT_GT((middle >> 16) & 0xFF, 20u);
    EXPECT_GT(middle & 0xFF, 20u);
}

TEST_F(MiddlePictures, TunnelFrameLeavesTheShowsOwnLens) {
    DropTunnelScene scene;
    scene.init(device);
    musicTime = 81.0f;
    beginFrame();
    scene.render();
    // A 64 x 48 plane seen from 57.7 fills the screen with the show's lens;
    // under the 175-degree lens it would be a speck in the middle.
    MeshObject plane;
    plane.setDevice(device);
    plane.color = 0xFF00FF00;
    plane.depthTestOff = 1;
    plane.buildGrid(64.0f, 48.0f, 4, 4);
    plane.buildFlatBuffer();
    plane.setViewTransform(0.0f, 0.0f, 57.7f, 0.0f, 0.0f, 0.0f);
    plane.setWorldTransform(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    plane.renderFlat();
    RgbaImage picture = endFrame("drop_tunnel_lens");
    for (int x : {1, 64, 126})
        for (int y : {1, 48, 94}) EXPECT_TRUE(pixelNear(picture, x, y, 0x0000FF00, 3)) << x << ", " << y;
}

}  // namespace
