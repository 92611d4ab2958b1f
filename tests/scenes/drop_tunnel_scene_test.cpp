// Scene 3: its blob layout from the shared random sequence, the wide lens set
// back within the frame, the flyer's three flights and the hand-over to
// scene 8 at 96 s.
#include <cmath>

#include "drop_tunnel_scene.h"
#include "middle_scene_fixture.h"

namespace {

class DropTunnelSceneTest : public OneSceneFixture<MiddleSceneFixture, DropTunnelScene, false> {
protected:
    // The projection matrices set during the last frame, in order.
    std::vector<D3DMATRIX> projections() const {
        std::vector<D3DMATRIX> result;
        for (const RecordedCall& call : device.calls)
            if (call.name == "SetTransform" && call.args[0] == D3DTS_PROJECTION)
                result.push_back(call.matrix);
        return result;
    }
};

TEST_F(DropTunnelSceneTest, BlobLayoutComesFromTheSharedSequence) {
    // The C runtime rule seeded with 1 starts 41, 18467, 6334, 26500.
    EXPECT_FLOAT_EQ(scene->blobAngles[0], 41.0f * 0.010986663f);
    EXPECT_FLOAT_EQ(scene->blobPositions[0].x, 20.0f + 18467.0f * 0.0018311106f);
    EXPECT_FLOAT_EQ(scene->blobPositions[0].y, 6334.0f * 0.0036622211f - 60.0f);
    EXPECT_FLOAT_EQ(scene->blobAngles[1], 26500.0f * 0.010986663f);
    // Three draws per blob and nothing else.
    demoRandomState = 1;
    for (int i = 0; i < 300; ++i) demoRand();
    const uint32_t expected = demoRandomState;
    demoRandomState = 1;
    DropTunnelScene second;
    second.init(&device);
    EXPECT_EQ(demoRandomState, expected);
    for (int i = 0; i < scene->blobCount; ++i) {
        EXPECT_GE(scene->blobPositions[i].x, 20.0f);
        EXPECT_LE(scene->blobPositions[i].x, 80.0f);
        EXPECT_GE(scene->blobPositions[i].y, -60.0f);
        EXPECT_LE(scene->blobPositions[i].y, 60.0f);
    }
}

TEST_F(DropTunnelSceneTest, WideLensIsUsedForTheDropsAndTheStandardOneLeftBehind) {
    frame(0.02f, 81.0f);
    const std::vector<D3DMATRIX> set = projections();
    ASSERT_EQ(set.size(), 2u);
    D3DXMATRIX wide;
    D3DXMatrixPerspectiveFovLH(&wide, 3.0543263f, 1.33333f, 0.001f, 100000.0f);
    EXPECT_TRUE(sameMatrix(set[0], wide));
    EXPECT_TRUE(sameMatrix(set[1], standardProjection()));
    EXPECT_TRUE(sameMatrix(*matrixAtDraw(D3DTS_PROJECTION, scene->dropMeshA->vertexBuffer, 9), wide));
    EXPECT_TRUE(sameMatrix(*matrixAtDraw(D3DTS_PROJECTION, scene->blobMesh->vertexBuffer), standardProjection()));
    EXPECT_EQ(drawsFrom(scene->dropMeshA->vertexBuffer), 10);
    EXPECT_EQ(drawsFrom(scene->dropMeshB->vertexBuffer), 10);
    EXPECT_EQ(drawsFrom(scene->blobMesh->vertexBuffer), 100);
    EXPECT_EQ(drawsFrom(scene->cardMesh->vertexBuffer), 5);

    // Without drops the standard lens is still set back.
    delete scene->dropMeshA;
    scene->dropMeshA = nullptr;
    frame(0.02f, 81.02f);
    ASSERT_EQ(projections().size(), 1u);
    EXPECT_TRUE(sameMatrix(projections()[0], standardProjection()));
}

TEST_F(DropTunnelSceneTest, RingsWrapThroughTheEyePointAndCardsScrollRound) {
    for (int i = 0; i < 500; ++i) frame(0.02f, 81.0f);  // 10 s
    // Ring A starts at -12 and falls 2 per second: it wrapped to 0 after 9 s
    // and has fallen about 2 more units since; ring B has fallen 20.
    EXPECT_NEAR(scene->ringCenterA.z, -2.0f, 0.1f);
    EXPECT_NEAR(scene->ringCenterB.z, -20.0f, 0.1f);
    EXPECT_NEAR(scene->cardPositions[4].y, 40.0f + 30.0f - 100.0f, 0.1f) << "the top card came round";
    EXPECT_NEAR(scene->cardPositions[0].y, -40.0f + 30.0f, 0.1f);
}

TEST_F(DropTunnelSceneTest, FlyerRestartsAt88And96) {
    // First flight from the start of the scene: it fades out over about 6.4 s.
    for (int i = 0; i < 400 && scene->flyerActive; ++i) frame(0.02f, 80.0f + 0.02f * i);
    EXPECT_FALSE(scene->flyerActive);
    EXPECT_EQ(scene->flyerAlpha, 255.0f);
    EXPECT_LE(alphaOf(bufferColor(scene->flyerMesh)), 1u);

    frame(0.02f, 88.0f);
    EXPECT_FALSE(scene->flyerActive) << "exactly 88 s is not yet past the mark";
    frame(0.02f, 88.01f);
    EXPECT_TRUE(scene->flyerActive);
    EXPECT_FALSE(scene->restartAt88Pending);
    EXPECT_FLOAT_EQ(scene->flyerPosition.z, -42.0f + 0.4f);
    EXPECT_EQ(scene->flyerAlpha, 255.0f);
    // Not yet at z = -40: the buffer keeps the faded colour of the last flight.
    EXPECT_LE(alphaOf(bufferColor(scene->flyerMesh)), 1u);
    for (int i = 0; i < 5; ++i) frame(0.02f, 88.03f + 0.02f * i);
    EXPECT_GE(alphaOf(bufferColor(scene->flyerMesh)), 250u) << "the fade starts at z = -40";

    frame(0.02f, 95.99f);
    EXPECT_TRUE(scene->tunnelVisible);
    frame(0.02f, 96.0f);
    EXPECT_FALSE(scene->restartAt96Pending);
    EXPECT_FALSE(scene->tunnelVisible);
    EXPECT_EQ(alphaOf(bufferColor(scene->flyerMesh)), 255u) << "opaque white at once";
    EXPECT_FLOAT_EQ(scene->flyerPosition.z, -42.0f + 0.4f);
    // From now on only the flyer is drawn.
    EXPECT_EQ(drawsFrom(scene->backgroundMesh->vertexBuffer), 0);
    EXPECT_EQ(drawsFrom(scene->blobMesh->vertexBuffer), 0);
    EXPECT_EQ(drawsFrom(scene->flyerMesh->vertexBuffer), 1);
    EXPECT_TRUE(projections().empty());
}

TEST_F(DropTunnelSceneTest, LongFrameChangesNothing) {
    frame(0.02f, 81.0f);
    const float spin = scene->spinAngle;
    const float ringA = scene->ringCenterA.z;
    const D3DVECTOR flyer = scene->flyerPosition;
    const float blob = scene->blobAngles[3];
    frame(0.15f, 90.0f);
    EXPECT_EQ(scene->spinAngle, spin);
    EXPECT_EQ(scene->ringCenterA.z, ringA);
    EXPECT_EQ(scene->flyerPosition.z, flyer.z);
    EXPECT_EQ(scene->blobAngles[3], blob);
    EXPECT_TRUE(scene->restartAt88Pending) << "the restart waits for a frame that animates";
    EXPECT_EQ(drawsFrom(scene->blobMesh->vertexBuffer), 100) << "the frame is still drawn";
}

}  // namespace
