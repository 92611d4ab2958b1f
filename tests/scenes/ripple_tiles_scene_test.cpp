// Scene 8: the tiles' start times and fade, the background texture switching
// at most once per frame, the ripple over the tiles, the trail history,
// scene 3's flyer on top and the white flash from 112.05 s.
#include <cmath>

#include "drop_tunnel_scene.h"
#include "middle_scene_fixture.h"
#include "ripple.h"
#include "ripple_tiles_scene.h"

namespace {

class RippleTilesSceneTest : public OneSceneFixture<MiddleSceneFixture, RippleTilesScene, true> {
protected:
    void TearDown() override {
        delete sceneRegistry.scene3;
        OneSceneFixture::TearDown();
    }
    int activeTiles() const {
        int count = 0;
        for (int i = 0; i < scene->tileCount; ++i) count += scene->tileActive[i] ? 1 : 0;
        return count;
    }
};

TEST_F(RippleTilesSceneTest, TilesStartAtTheirTimesAndFadeOnce) {
    EXPECT_TRUE(scene->tileActive[0]) << "tile 0 flies from the first frame";
    EXPECT_EQ(activeTiles(), 1);
    frame(0.02f, 96.0f);
    EXPECT_EQ(drawsFrom(scene->tileMeshes[0].vertexBuffer), 1);
    EXPECT_FLOAT_EQ(scene->tileAlpha[0], 255.0f - 1.6f);
    EXPECT_FLOAT_EQ(scene->tilePositions[0].z, -0.4f);

    frame(0.02f, 98.1f);
    EXPECT_FALSE(scene->tileActive[1]) << "exactly the start time does not start it";
    frame(0.02f, 98.2f);
    EXPECT_TRUE(scene->tileActive[1]);
    EXPECT_FALSE(scene->tileActive[2]);
    frame(0.02f, 101.7f);
    EXPECT_TRUE(scene->tileActive[2]);
    EXPECT_TRUE(scene->tileActive[7]);
    EXPECT_FALSE(scene->tileActive[3]);

    // Each tile fades in about 3.2 s, then keeps moving at alpha 0.
    for (int i = 0; i < 200; ++i) frame(0.02f, 101.7f);
    EXPECT_EQ(scene->tileAlpha[0], 0.0f);
    const float z = scene->tilePositions[0].z;
    frame(0.02f, 101.7f);
    EXPECT_EQ(scene->tileAlpha[0], 0.0f) << "re-activated, it fades out again at once";
    EXPECT_FALSE(scene->tileActive[0]);
    EXPECT_FLOAT_EQ(scene->tilePositions[0].z, z - 0.4f);

    // Tiles 6, 8 and 9 start only after the scene.
    frame(0.02f, 112.1f);
    EXPECT_FALSE(scene->tileActive[6]);
    EXPECT_FALSE(scene->tileActive[8]);
    EXPECT_FALSE(scene->tileActive[9]);
}

TEST_F(RippleTilesSceneTest, TilesAreDrawnFromTheLastToTheFirst) {
    frame(0.02f, 102.0f);
    int lastTile = 10;
    for (const RecordedCall& call : device.calls) {
        if (call.name != "DrawPrimitive") continue;
        for (int i = 0; i < scene->tileCount; ++i) {
            if (call.object != scene->tileMeshes[i].vertexBuffer) continue;
            EXPECT_LT(i, lastTile);
            lastTile = i;
        }
    }
    EXPECT_EQ(lastTile, 0);
}

TEST_F(RippleTilesSceneTest, BackgroundTextureSwitchesAtMostOncePerFrame) {
    TextureRecord* slot5 = textureTable.find(5);
    TextureRecord* slot6 = textureTable.find(6);
    EXPECT_EQ(scene->backgroundMesh->texture0, slot6);
    frame(0.02f, 96.5f);
    EXPECT_EQ(scene->textureSwitchIndex, 0);
    // Five switch times (96.5 .. 104.5) have passed: one switch per frame.
    const TextureRecord* expected[5] = {slot5, slot6, slot5, slot6, slot5};
    for (int n = 0; n < 5; ++n) {
        frame(0.02f, 105.0f);
        EXPECT_EQ(scene->textureSwitchIndex, n + 1);
        EXPECT_EQ(scene->backgroundMesh->texture0, expected[n]);
    }
    frame(0.02f, 105.0f);
    EXPECT_EQ(scene->textureSwitchIndex, 5) << "106.5 s has not come yet";
    // The last two entries lie beyond the show.
    for (int n = 0; n < 10; ++n) frame(0.02f, 200.0f);
    EXPECT_EQ(scene->textureSwitchIndex, 8);
}

TEST_F(RippleTilesSceneTest, RippleRaisesTheTilesOnlyInsideItsRadius) {
    // After 0.5 s the front has reached 225 hundredths from the centre.
    for (int i = 0; i < 25; ++i) frame(0.02f, 96.0f);
    // The ripple step runs before the frame's update: it sees the radius and
    // alpha the frame started with.
    const float radius = scene->ripple->radius;
    EXPECT_NEAR(radius, 225.0f, 0.01f);
    const DWORD alpha = static_cast<DWORD>(static_cast<int>(scene->tileAlpha[0]));
    frame(0.02f, 96.5f);
    const MeshObject& tile = scene->tileMeshes[0];
    int inside = 0;
    for (int n = 0; n < tile.vertexCount; ++n) {
        const Vertex& v = tile.vertices[n];
        const float g = std::sqrt(100.0f * v.x * 100.0f * v.x + 100.0f * v.y * 100.0f * v.y);
        if (g > radius + 1.0f) {
            EXPECT_EQ(v.z, 0.0f) << "vertex " << n;
            EXPECT_EQ(v.color, (alpha << 24) | 0xCFCFCF) << "grey 207 outside";
        } else if (g < radius - 1.0f) {
            ++inside;
            const float d = 0.7f * std::sin((g - radius) * 0.017453292f);
            EXPECT_NEAR(v.z, d, 1e-4f);
            const int grey = static_cast<int>(207.0f - 63.0f * d);
            EXPECT_NEAR(static_cast<int>(v.color & 0xFF), grey, 1);
            EXPECT_EQ(v.color >> 24, alpha);
        }
    }
    EXPECT_GT(inside, 0) << "the inner corner of tile 0 lies within 2.25 units";
    // The tile's buffer carries the raised positions and colours.
    RecordingVertexBuffer* buffer = RecordingDevice::bufferOf(tile.vertexBuffer);
    for (int t = 0; t < tile.triangleCount; ++t) {
        const Vertex& v = tile.vertices[tile.triangles[t].i0];
        const TexturedBufferVertex& b = buffer->vertexAt<TexturedBufferVertex>(3 * t);
        EXPECT_EQ(b.z, v.z);
        EXPECT_EQ(b.diffuse, v.color);
    }
}

TEST_F(RippleTilesSceneTest, TrailHistoryStartsFullAndFollowsTheHead) {
    ASSERT_EQ(scene->trailHistoryLength, 260);
    EXPECT_EQ(scene->trailHistoryStep, 10);
    EXPECT_FLOAT_EQ(scene->trailHistory[259].x, -0.23f) << "the oldest entry is the first step";
    EXPECT_FLOAT_EQ(scene->trailHistory[259].y, 0.4f);
    EXPECT_EQ(scene->trailHistory[0].x, scene->trailHead.x);
    EXPECT_NEAR(scene->trailHead.y, 260 * 0.4f, 0.01f);
    EXPECT_EQ(scene->trailMesh->lineCount, 5400 - 30);

    const D3DVECTOR before = scene->trailHistory[0];
    frame(0.02f, 97.0f);
    EXPECT_EQ(scene->trailHistory[1].y, before.y);
    // The head moved after the pass; the pass stored the head it saw.
    EXPECT_FLOAT_EQ(scene->trailHead.y, before.y + 0.8f);
    // Group 1 is coloured 0x33333333 + 0x22333333; the last vertex stays at
    // the origin.
    EXPECT_EQ(scene->trailVertices[225].color, 0x55666666u);
    const int last = scene->trailMesh->vertexCount - 1;
    EXPECT_EQ(scene->trailVertices[last].x, 0.0f);
    EXPECT_EQ(scene->trailVertices[last].color, 0u);
    const FlatBufferVertex& first =
        RecordingDevice::bufferOf(scene->trailMesh->vertexBuffer)->vertexAt<FlatBufferVertex>(1);
    EXPECT_EQ(first.x, scene->trailVertices[1].x);
    EXPECT_EQ(first.diffuse, 0x33333333u);
    EXPECT_EQ(drawsFrom(scene->trailMesh->vertexBuffer), 2);
}

TEST_F(RippleTilesSceneTest, SceneThreeFlyerIsDrawnOnTop) {
    sceneRegistry.scene3 = new DropTunnelScene();
    sceneRegistry.scene3->init(&device);
    frame(0.02f, 96.1f);
    EXPECT_FALSE(sceneRegistry.scene3->tunnelVisible);
    EXPECT_EQ(drawsFrom(sceneRegistry.scene3->flyerMesh->vertexBuffer), 1);
    EXPECT_EQ(drawsFrom(sceneRegistry.scene3->backgroundMesh->vertexBuffer), 0);
    int order = 0, flyerAt = -1, screenAt = -1;
    for (const RecordedCall& call : device.calls) {
        if (call.name != "DrawPrimitive") continue;
        if (call.object == sceneRegistry.scene3->flyerMesh->vertexBuffer) flyerAt = order;
        if (call.object == scene->screenMesh->vertexBuffer) screenAt = order;
        ++order;
    }
    EXPECT_GT(flyerAt, screenAt);
}

TEST_F(RippleTilesSceneTest, FlashTurnsTheScreenWhiteFrom112_05) {
    frame(0.02f, 112.04f);
    EXPECT_FALSE(scene->flashActive);
    frame(0.02f, 112.06f);
    EXPECT_TRUE(scene->flashActive);
    EXPECT_EQ(drawsFrom(scene->flashMesh->flatVertexBuffer), 0) << "set after this frame's drawing";
    frame(0.02f, 112.08f);
    EXPECT_EQ(drawsFrom(scene->flashMesh->flatVertexBuffer), 1);
    EXPECT_EQ(flatColor(scene->flashMesh), 0xFFFFFFFFu);
}

TEST_F(RippleTilesSceneTest, LongFrameLeavesEveryValueUnchanged) {
    frame(0.02f, 100.0f);
    const float alpha = scene->tileAlpha[0];
    const float radius = scene->ripple->radius;
    const D3DVECTOR head = scene->trailHead;
    const float drift = scene->backgroundPosition.y;
    const int index = scene->textureSwitchIndex;
    frame(0.2f, 113.0f);
    EXPECT_EQ(scene->tileAlpha[0], alpha);
    EXPECT_EQ(scene->ripple->radius, radius);
    EXPECT_EQ(scene->trailHead.y, head.y);
    EXPECT_EQ(scene->backgroundPosition.y, drift);
    EXPECT_EQ(scene->textureSwitchIndex, index);
    EXPECT_FALSE(scene->flashActive);
    EXPECT_EQ(drawsFrom(scene->screenMesh->vertexBuffer), 1) << "the drawing still happens";
}

}  // namespace
