// Scenes 9 and 4, which alternate and re-arm each other's flash: scene 9's
// first frame, its soft window edge and frame-counted torus; scene 4's sprite
// frames, labels and ring columns.
#include <cmath>

#include "bridge_cubes_scene.h"
#include "glass_colonnade_scene.h"
#include "middle_scene_fixture.h"
#include "scene_support.h"

namespace {

class BridgeColonnadeTest : public MiddleSceneFixture {
protected:
    BridgeCubesScene* bridges = nullptr;
    GlassColonnadeScene* colonnade = nullptr;

    void SetUp() override {
        MiddleSceneFixture::SetUp();
        colonnade = new GlassColonnadeScene();
        colonnade->init(&device);
        bridges = new BridgeCubesScene();
        bridges->init(&device);
        sceneRegistry.scene4 = colonnade;
        sceneRegistry.scene9 = bridges;
    }
    void TearDown() override {
        delete bridges;
        delete colonnade;
        MiddleSceneFixture::TearDown();
    }
    void bridgesFrame(float dt, float music) {
        startFrame(dt, music);
        bridges->preRender();
        bridges->render();
    }
    void colonnadeFrame(float dt, float music) {
        startFrame(dt, music);
        colonnade->render();
    }
    int drawCount() const { return device.count("DrawPrimitive"); }
};

TEST_F(BridgeColonnadeTest, FirstFrameOfSceneNineShowsOnlyTheFlash) {
    // The Timeline switched in this frame: scene 9's pass has not run yet.
    startFrame(0.02f, 112.3f);
    bridges->render();
    EXPECT_EQ(drawCount(), 1);
    EXPECT_EQ(drawsFrom(bridges->flashMesh->flatVertexBuffer), 1);
    EXPECT_EQ(flatColor(bridges->flashMesh), 0xFFFFFFFFu) << "the first flash frame is opaque";

    bridgesFrame(0.02f, 112.32f);
    EXPECT_TRUE(bridges->pictureReady);
    EXPECT_EQ(drawsFrom(bridges->backgroundMesh->vertexBuffer), 1);
    EXPECT_EQ(drawsFrom(bridges->torusMesh->vertexBuffer), 1);
    EXPECT_EQ(drawsFrom(bridges->screenMesh->vertexBuffer), 1);
    EXPECT_EQ(drawsFrom(bridges->cubeMesh->vertexBuffer), 2) << "two cube copies in the pass";
    EXPECT_EQ(drawsFrom(bridges->warpMesh->vertexBuffer), 1);
}

TEST_F(BridgeColonnadeTest, WindowEdgeFadesInAJaggedStripe) {
    const MeshObject* screen = bridges->screenMesh;
    ASSERT_EQ(screen->segments, 15);
    const Vertex* even = screen->vertices;          // row 0: ramp over columns 4..8
    const Vertex* odd = screen->vertices + 15;      // row 1: ramp over columns 4..6
    EXPECT_EQ(even[3].color, 0x00000000u);
    EXPECT_EQ(even[4].color, 0x00FFFFFFu);
    EXPECT_EQ(even[5].color, 0x19FFFFFFu);
    EXPECT_EQ(even[8].color, 0x64FFFFFFu);
    EXPECT_EQ(even[9].color, 0xFFFFFFFFu);
    EXPECT_EQ(odd[6].color, 0x32FFFFFFu);
    EXPECT_EQ(odd[7].color, 0xFFFFFFFFu);
    // The buffer carries the vertex colours.
    const TexturedBufferVertex& corner =
        RecordingDevice::bufferOf(screen->vertexBuffer)->vertexAt<TexturedBufferVertex>(0);
    EXPECT_EQ(corner.diffuse, screen->vertices[screen->triangles[0].i0].color);
}

TEST_F(BridgeColonnadeTest, TorusTurnsOneDegreePerDrawnFrameWhateverTheTime) {
    bridgesFrame(0.02f, 113.0f);
    EXPECT_EQ(bridges->torusAngle, -1.0f);
    const D3DVECTOR cube = bridges->cubeRotations[0];
    const float flash = bridges->flashAlpha;
    bridgesFrame(0.5f, 113.5f);
    EXPECT_EQ(bridges->torusAngle, -2.0f) << "a long frame still turns the torus";
    EXPECT_EQ(bridges->cubeRotations[0].x, cube.x) << "but not the cubes";
    EXPECT_EQ(bridges->flashAlpha, flash) << "nor the flash";
    // The torus is drawn at (90, 0, 0) with the angle it had before the step.
    const D3DMATRIX* world = worldAtDraw(bridges->torusMesh->vertexBuffer);
    ASSERT_NE(world, nullptr);
    EXPECT_NEAR(world->m[3][0], 90.0f, 1e-4f);
    EXPECT_NEAR(world->m[0][0], std::cos(-1.0f * 0.017453292f), 1e-6f);
}

TEST_F(BridgeColonnadeTest, FlashFadesWithinOneSecondAndIsReadyAgain) {
    colonnade->flashActive = true;  // scene 9 leaves a running partner flash alone
    int frames = 0;
    while (bridges->flashActive && frames < 100) {
        bridgesFrame(0.02f, 113.0f);
        ++frames;
    }
    EXPECT_NEAR(frames, 50, 1);
    EXPECT_EQ(bridges->flashAlpha, 255.0f);
    bridgesFrame(0.02f, 114.0f);
    EXPECT_EQ(drawsFrom(bridges->flashMesh->flatVertexBuffer), 0);
}

TEST_F(BridgeColonnadeTest, SceneNineRearmsSceneFourAndPutsItsLabelsBack) {
    colonnade->flashActive = false;
    colonnade->labelPositions[2].z = -40.0f;
    writeFlatColor(colonnade->flashMesh, 0x00FFFFFF);
    bridgesFrame(0.02f, 129.0f);
    EXPECT_TRUE(colonnade->flashActive);
    EXPECT_EQ(colonnade->labelPositions[2].z, 70.0f);
    EXPECT_EQ(flatColor(colonnade->flashMesh), 0xFFFFFFFFu);

    // While scene 4's flash runs, its labels are left alone.
    colonnade->labelPositions[2].z = -40.0f;
    bridgesFrame(0.02f, 129.02f);
    EXPECT_EQ(colonnade->labelPositions[2].z, -40.0f);
}

TEST_F(BridgeColonnadeTest, SceneFourRearmsSceneNinesFlashWithoutTouchingItsAlpha) {
    bridges->flashActive = false;
    bridges->flashAlpha = 255.0f;
    writeFlatColor(bridges->flashMesh, 0x00FFFFFF);
    colonnadeFrame(0.02f, 121.0f);
    EXPECT_TRUE(bridges->flashActive);
    EXPECT_EQ(bridges->flashAlpha, 255.0f);
    EXPECT_EQ(flatColor(bridges->flashMesh), 0xFFFFFFFFu);
}

TEST_F(BridgeColonnadeTest, SpriteFramesCycleFourTimesASecond) {
    std::vector<int> frames;
    for (int i = 0; i < 60; ++i) {
        colonnadeFrame(0.02f, 121.0f);
        if (frames.empty() || frames.back() != colonnade->labelFrame) frames.push_back(colonnade->labelFrame);
    }
    // 1.2 s: four changes, the sequence wrapping after frame 3.
    EXPECT_EQ(frames, (std::vector<int>{0, 1, 2, 3, 0}));
    const MeshObject* label = colonnade->labelMesh;
    EXPECT_FLOAT_EQ(label->vertices[0].u, 0.0f);
    EXPECT_FLOAT_EQ(label->vertices[3].u, 0.25f);

    colonnade->setLabelFrame(7);
    EXPECT_FLOAT_EQ(label->vertices[0].u, 0.75f) << "frames above 3 show frame 3";
    EXPECT_FLOAT_EQ(label->vertices[7].u, 1.0f);
    const TexturedBufferVertex& corner =
        RecordingDevice::bufferOf(label->vertexBuffer)->vertexAt<TexturedBufferVertex>(0);
    EXPECT_EQ(corner.tu0, label->vertices[label->triangles[0].i0].u);
}

TEST_F(BridgeColonnadeTest, ColonnadeDrawsThreeColumnsAfterClearingDepth) {
    colonnadeFrame(0.02f, 121.0f);
    int ringDraws = 0;
    for (int i = 0; i < colonnade->ringCount; ++i) ringDraws += drawsFrom(colonnade->ringMeshes[i].vertexBuffer);
    EXPECT_EQ(ringDraws, 60);
    EXPECT_EQ(drawsFrom(colonnade->labelMesh->vertexBuffer), 6);
    const RecordedCall* clear = device.last("Clear");
    ASSERT_NE(clear, nullptr);
    EXPECT_EQ(clear->args[1], static_cast<DWORD>(D3DCLEAR_ZBUFFER)) << "depth only";
    // Rings drift towards the viewer, labels fly at 15 per second.
    EXPECT_FLOAT_EQ(colonnade->ringOrigin.z, -300.2f);
    EXPECT_FLOAT_EQ(colonnade->labelPositions[0].z, 20.0f - 0.3f);
    EXPECT_FLOAT_EQ(colonnade->ringSpin.z, 0.8f);

    const float origin = colonnade->ringOrigin.z;
    colonnadeFrame(0.2f, 121.2f);
    EXPECT_EQ(colonnade->ringOrigin.z, origin) << "a long frame moves nothing";
    EXPECT_FLOAT_EQ(colonnade->labelPositions[0].z, 20.0f - 0.3f);
}

}  // namespace
