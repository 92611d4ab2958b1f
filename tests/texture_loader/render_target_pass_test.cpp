// The render-to-texture pass: the device calls before and after a scene's
// drawing, on a device that records them.
#include <gtest/gtest.h>

#include "demo_context.h"
#include "recording_device.h"
#include "render_target.h"
#include "texture_table.h"

namespace {

// Distinct stand-ins for the four surfaces; the pass only hands them to the device.
struct SurfaceStandIns {
    int objects[4];
    IDirect3DSurface8* at(int i) { return reinterpret_cast<IDirect3DSurface8*>(&objects[i]); }
};

class RenderTargetPass : public ::testing::Test {
protected:
    RecordingDevice device;
    DemoContext context;
    SurfaceStandIns surfaces;

    void SetUp() override {
        context.device = &device;
        context.targetSurface = surfaces.at(0);
        context.targetDepthSurface = surfaces.at(1);
        context.savedBackBuffer = surfaces.at(2);
        context.savedDepthSurface = surfaces.at(3);
        demoContext = &context;
        device.clearCalls();
    }
    void TearDown() override { demoContext = nullptr; }
};

}  // namespace

TEST_F(RenderTargetPass, SwitchesClearsPresentsAndSwitchesBack) {
    EXPECT_TRUE(beginRenderTargetPass());
    device.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1);  // the scene's drawing
    endRenderTargetPass(true);
    ASSERT_EQ(7u, device.calls.size());
    EXPECT_EQ("SetRenderTarget", device.calls[0].name);
    EXPECT_EQ(surfaces.at(0), device.calls[0].object);
    EXPECT_EQ("BeginScene", device.calls[1].name);
    EXPECT_EQ("Clear", device.calls[2].name);
    EXPECT_EQ((std::vector<DWORD>{0, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00000000, 0x3F800000, 0}),
              device.calls[2].args);
    EXPECT_EQ("DrawPrimitive", device.calls[3].name);
    EXPECT_EQ("EndScene", device.calls[4].name);
    EXPECT_EQ("Present", device.calls[5].name);
    EXPECT_EQ("SetRenderTarget", device.calls[6].name);
    EXPECT_EQ(surfaces.at(2), device.calls[6].object);
}

TEST_F(RenderTargetPass, SceneTwosPassHasNoPresent) {
    beginRenderTargetPass();
    endRenderTargetPass(false);
    for (const RecordedCall& call : device.calls) EXPECT_NE("Present", call.name);
    EXPECT_EQ("SetRenderTarget", device.calls.back().name);
    EXPECT_EQ(surfaces.at(2), device.calls.back().object);
}

TEST_F(RenderTargetPass, WithoutATargetTheSceneStillGetsABalancedScene) {
    context.targetSurface = nullptr;
    EXPECT_FALSE(beginRenderTargetPass());
    endRenderTargetPass(true);
    ASSERT_EQ(2u, device.calls.size());
    EXPECT_EQ("BeginScene", device.calls[0].name);
    EXPECT_EQ("EndScene", device.calls[1].name);
}

TEST_F(RenderTargetPass, CreationSetsTheRecordsBlendingEvenWhenTheDeviceFails) {
    DemoContext fresh;
    fresh.device = &device;
    fresh.createRenderTarget(1024, 1024);
    ASSERT_NE(nullptr, fresh.renderTarget);
    EXPECT_EQ(1, fresh.renderTarget->alphaBlend);
    EXPECT_EQ(D3DBLEND_SRCALPHA, fresh.renderTarget->srcBlend);
    EXPECT_EQ(D3DBLEND_DESTALPHA, fresh.renderTarget->destBlend);
    EXPECT_EQ(0, fresh.renderTarget->slot);
    bool created = false;
    for (const RecordedCall& call : device.calls) {
        if (call.name != "CreateTexture") continue;
        created = true;
        EXPECT_EQ((std::vector<DWORD>{1024, 1024, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT}),
                  call.args);
    }
    EXPECT_TRUE(created);
    if (fresh.renderTarget->texture) fresh.renderTarget->texture->Release();
    delete fresh.renderTarget;
}
