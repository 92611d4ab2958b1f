// The title card on the recording device: what it draws each frame, the fade
// and its one-frame lag, stalled frames, and the hand-over to scene 6.
#include <gtest/gtest.h>

#include <cstring>

#include "demo_context.h"
#include "frame_timer.h"
#include "mesh_object.h"
#include "music_clock.h"
#include "recording_device.h"
#include "scene_registry.h"
#include "texture_table.h"
#include "title_card_scene.h"

namespace {

class TitleCardTest : public ::testing::Test {
protected:
    RecordingDevice device;
    TitleCardScene* scene = nullptr;

    void SetUp() override {
        if (demoContext == nullptr) demoContext = new DemoContext();
        demoContext->device = &device;
        demoContext->sceneNumber = 14;
        timelineEnabled = false;
        musicStream = 0;
        textureTable.clear();
        if (!textureTable.emptyRecord) textureTable.prepare();
        TextureRecord* card = new TextureRecord{};
        card->slot = 50;
        card->alphaBlend = 1;
        textureTable.insert(card);
        scene = new TitleCardScene();
        scene->init(&device);
    }

    void TearDown() override {
        delete scene;
        textureTable.clear();
        demoContext->device = nullptr;
        timelineEnabled = false;
    }

    void frame(float seconds) {
        frameTimer.frameSecondsValue = seconds;
        scene->render();
    }

    // The colour of flat vertex i of the black overlay.
    D3DCOLOR overlayColor(int i) const {
        const auto* buffer = RecordingDevice::bufferOf(scene->fadeMesh->flatVertexBuffer);
        D3DCOLOR color;
        std::memcpy(&color, buffer->bytes.data() + i * 16 + 12, sizeof color);
        return color;
    }
};

TEST_F(TitleCardTest, BuildsAnOpaqueCardAndABlackFullScreenOverlay) {
    EXPECT_TRUE(scene->fadeEnabled);
    EXPECT_FLOAT_EQ(scene->fadeAlpha, 255.0f);
    EXPECT_FLOAT_EQ(scene->elapsed, 0.0f);
    EXPECT_EQ(textureTable.find(50)->alphaBlend, 0);
    ASSERT_NE(scene->titleMesh, nullptr);
    EXPECT_EQ(scene->titleMesh->texture0, textureTable.find(50));
    EXPECT_EQ(scene->titleMesh->vertexCount, 16);
    EXPECT_FLOAT_EQ(scene->titleMesh->vertices[0].x, -14.0f);
    EXPECT_FLOAT_EQ(scene->titleMesh->vertices[0].y, 12.5f);
    ASSERT_NE(scene->fadeMesh, nullptr);
    EXPECT_NE(scene->fadeMesh->flatVertexBuffer, nullptr);
    EXPECT_EQ(scene->fadeMesh->depthTestOff, 1);
    EXPECT_EQ(overlayColor(0), 0xFF000000u);
}

TEST_F(TitleCardTest, DrawsTheCardFromItsViewThenTheOverlayFromCloser) {
    device.clearCalls();
    frame(0.02f);
    int views = 0;
    float viewZ[2] = {0, 0};
    int drawsAfterFirstView = 0;
    for (const RecordedCall& call : device.calls) {
        if (call.name == "SetTransform" && call.args.at(0) == D3DTS_VIEW && views < 2) {
            viewZ[views++] = call.matrix._43;
        }
        if (call.name == "DrawPrimitive" && views >= 1) ++drawsAfterFirstView;
    }
    EXPECT_EQ(views, 2);
    EXPECT_FLOAT_EQ(viewZ[0], 57.7f);
    EXPECT_FLOAT_EQ(viewZ[1], 47.7f);
    EXPECT_EQ(drawsAfterFirstView, 2);
}

TEST_F(TitleCardTest, OverlayLagsTheFadeByOneFrameAndStaysBlack) {
    frame(0.05f);  // writes 255, then the alpha falls to 242.25
    EXPECT_EQ(overlayColor(0), 0xFF000000u);
    EXPECT_NEAR(scene->fadeAlpha, 242.25f, 1e-3f);
    frame(0.05f);  // writes the truncated 242
    for (int i = 0; i < 3 * scene->fadeMesh->triangleCount; ++i) {
        ASSERT_EQ(overlayColor(i), 242u << 24) << "vertex " << i;
    }
}

TEST_F(TitleCardTest, AStalledFrameChangesNothing) {
    frame(0.05f);
    const float alpha = scene->fadeAlpha;
    const float elapsed = scene->elapsed;
    frame(0.15f);
    EXPECT_EQ(scene->fadeAlpha, alpha);
    EXPECT_EQ(scene->elapsed, elapsed);
}

TEST_F(TitleCardTest, FadesInWithinASecondAndHandsOverOnceAtAboutFourSeconds) {
    int frames = 0;
    float alphaAtTwoSeconds = -1.0f;
    while (!timelineEnabled && frames < 1000) {
        frame(0.01f);
        ++frames;
        EXPECT_GE(scene->fadeAlpha, 0.0f);
        EXPECT_LE(scene->fadeAlpha, 255.0f);
        if (frames == 200) alphaAtTwoSeconds = scene->fadeAlpha;
        if (!timelineEnabled) {
            EXPECT_EQ(demoContext->sceneNumber, 14);
        }
    }
    EXPECT_FLOAT_EQ(alphaAtTwoSeconds, 0.0f);
    EXPECT_TRUE(timelineEnabled);
    EXPECT_EQ(demoContext->sceneNumber, 6);
    EXPECT_FLOAT_EQ(scene->fadeAlpha, 255.0f);
    EXPECT_NEAR(scene->elapsed, 4.0f, 0.03f);
    EXPECT_EQ(musicTime, 0.0f);

    // The frame that reached 255 was the first whose fade-out did: one frame
    // earlier the alpha was still below it.
    EXPECT_GT(frames, 300);
}

TEST_F(TitleCardTest, TheFrameBeforeTheHandOverIsStillTheTitleCard) {
    // Run as the registry does: the card renders only while it is current.
    int handOvers = 0;
    float lastAlpha = 0.0f;
    for (int i = 0; i < 1000 && demoContext->sceneNumber == 14; ++i) {
        lastAlpha = scene->fadeAlpha;
        frame(0.01f);
        if (demoContext->sceneNumber == 6) ++handOvers;
    }
    EXPECT_EQ(handOvers, 1);
    EXPECT_LT(lastAlpha, 255.0f);
    EXPECT_GT(lastAlpha, 250.0f);
}

TEST_F(TitleCardTest, WithoutItsOverlayTheCardNeverHandsOver) {
    scene->fadeEnabled = false;
    for (int i = 0; i < 600; ++i) frame(0.01f);
    EXPECT_FALSE(timelineEnabled);
    EXPECT_EQ(demoContext->sceneNumber, 14);
    EXPECT_NEAR(scene->elapsed, 6.0f, 0.01f);
}

}  // namespace
