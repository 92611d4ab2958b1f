// Scene 7: its layout from the program-wide random sequence, the opening over
// scene 5's morph, the falling particles, the bounce and the long frames.
#include "spinning_rings_scene.h"

#include <cmath>
#include <vector>

#include "morph_credits_scene.h"
#include "scene_test_fixture.h"

namespace {

class SpinningRingsSceneTest : public OneSceneFixture<SceneFixture, SpinningRingsScene, false> {
protected:
    void TearDown() override {
        delete sceneRegistry.scene5;
        OneSceneFixture::TearDown();
    }
    void finishOpening() {
        while (scene->introActive) frame(0.05f, 35.0f);
    }
};

TEST_F(SpinningRingsSceneTest, LayoutComesFromTheSharedSequenceInCreationOrder) {
    // The C runtime rule seeded with 1 starts 41, 18467, 6334, 26500, 19169, 15724.
    const float k = 3.0518509e-05f;
    EXPECT_FLOAT_EQ(scene->ringSpins[0].x, 0.5f * 41.0f * k);
    EXPECT_FLOAT_EQ(scene->ringSpins[0].y, -0.5f * 18467.0f * k);
    EXPECT_FLOAT_EQ(scene->ringSpins[0].z, 0.5f * 6334.0f * k);
    EXPECT_FLOAT_EQ(scene->ringSpins[1].x, -0.5f * 26500.0f * k) << "odd copies turn the other way";
    EXPECT_FLOAT_EQ(scene->ringSpins[1].y, 0.5f * 19169.0f * k);
    EXPECT_FLOAT_EQ(scene->ringSpins[1].z, -0.5f * 15724.0f * k);

    // 75 draws for the rings, then three per particle: 375 in all.
    const uint32_t afterInit = demoRandomState;
    demoRandomState = 1;
    for (int i = 0; i < 75; ++i) demoRand();
    const float u1 = static_cast<float>(demoRand()) * k;
    const float u2 = static_cast<float>(demoRand()) * k;
    const float u3 = static_cast<float>(demoRand()) * k;
    for (int i = 3; i < 300; ++i) demoRand();
    EXPECT_EQ(demoRandomState, afterInit);
    EXPECT_FLOAT_EQ(scene->particlePositions[0].x, -30.0f * u1) << "even particles to the left";
    EXPECT_FLOAT_EQ(scene->particlePositions[0].y, 10.0f * (0.5f * u2) - 30.0f);
    EXPECT_FLOAT_EQ(scene->particleSpeeds[0], 15.0f * (0.5f * u3));
    EXPECT_FLOAT_EQ(scene->spinAngle, 133.0f);
    for (int j = 0; j < scene->particleCount; ++j) {
        EXPECT_GE(scene->particlePositions[j].y, -30.0f);
        EXPECT_LE(scene->particlePositions[j].y, -25.0f);
    }
}

TEST_F(SpinningRingsSceneTest, OpeningKeepsSceneFiveMorphingUntilItHasFaded) {
    sceneRegistry.scene5 = new MorphCreditsScene();
    sceneRegistry.scene5->init(&device);
    MorphCreditsScene* credits = sceneRegistry.scene5;
    const D3DVECTOR start = scene->particlePositions[7];

    int openingFrames = 0;
    while (scene->introActive && openingFrames < 200) {
        setFrame(0.05f, 32.0f + 0.05f * static_cast<float>(openingFrames));
        const float creditsSpin = credits->spinAngle;
        device.clearCalls();
        scene->preRender();
        EXPECT_FLOAT_EQ(credits->spinAngle, creditsSpin + 20.0f * 0.05f);
        EXPECT_EQ(drawsFrom(credits->morphMesh->vertexBuffer), 2);
        frame(0.05f, 32.0f + 0.05f * static_cast<float>(openingFrames));
        if (scene->introActive) {
            // Three copies drifting apart diagonally; no particles yet.
            ASSERT_EQ(drawsFrom(scene->screenMesh->vertexBuffer), 3);
            const D3DVECTOR o = scene->introOffset;
            EXPECT_FLOAT_EQ(worldAtDraw(scene->screenMesh->vertexBuffer, 1)->_41, o.x);
            EXPECT_FLOAT_EQ(worldAtDraw(scene->screenMesh->vertexBuffer, 2)->_42, -o.y);
            EXPECT_FLOAT_EQ(worldAtDraw(scene->screenMesh->vertexBuffer, 2)->_43, o.z);
            EXPECT_EQ(drawsFrom(scene->particleMesh->vertexBuffer), 0);
            EXPECT_EQ(scene->particlePositions[7].y, start.y);
        }
        ++openingFrames;
    }
    EXPECT_NEAR(openingFrames * 0.05f, 255.0f / 80.0f, 0.06f);
    EXPECT_LE(scene->introAlpha, 0.0f);

    // From now on no pass runs and scene 5 stands still.
    const float creditsSpin = credits->spinAngle;
    device.clearCalls();
    scene->preRender();
    EXPECT_TRUE(device.calls.empty());
    EXPECT_EQ(credits->spinAngle, creditsSpin);
    frame(0.05f, 36.0f);
    EXPECT_EQ(drawsFrom(scene->screenMesh->vertexBuffer), 0);
    EXPECT_EQ(drawsFrom(scene->particleMesh->vertexBuffer), scene->particleCount);
}

TEST_F(SpinningRingsSceneTest, ParticlesFallAndStartAgainAtTheTop) {
    finishOpening();
    std::vector<D3DVECTOR> before(scene->particlePositions,
                                  scene->particlePositions + scene->particleCount);
    std::vector<float> speeds(scene->particleSpeeds, scene->particleSpeeds + scene->particleCount);
    int respawned = 0;
    for (int i = 0; i < 110; ++i) {
        frame(0.09f, 40.0f);
        for (int j = 0; j < scene->particleCount; ++j) {
            const D3DVECTOR& p = scene->particlePositions[j];
            ASSERT_GT(p.y, -30.0f);
            ASSERT_LE(p.y, 35.0f);
            ASSERT_EQ(p.x, before[j].x);
            ASSERT_EQ(p.z, before[j].z);
            ASSERT_EQ(scene->particleSpeeds[j], speeds[j]);
            if (p.y > before[j].y + 1.0f) {
                EXPECT_GE(p.y, 30.0f) << "a particle starts again between 30 and 35";
                ++respawned;
            }
            before[j].y = p.y;
        }
    }
    EXPECT_GT(respawned, 10);
}

TEST_F(SpinningRingsSceneTest, FirstUpdateStartsTheBounceAndNoOtherEventFires) {
    frame(0.05f, 20.0f);
    EXPECT_FALSE(scene->bounceActive);
    EXPECT_FLOAT_EQ(scene->shapeDepth, 100.0f);

    frame(0.05f, 32.01f);  // the first frame of the scene
    EXPECT_TRUE(scene->bounceActive);
    EXPECT_EQ(scene->eventIndex, 1);
    for (int i = 0; i < 5; ++i) frame(0.05f, 32.1f);  // a quarter turn
    EXPECT_NEAR(scene->bounceAngle, 90.0f, 1e-3f);
    EXPECT_NEAR(scene->shapeDepth, 0.0f, 1e-3f);
    EXPECT_NEAR(worldAtDraw(scene->centerShape->vertexBuffer)->_43, 0.0f, 1e-3f);
    for (int i = 0; i < 10; ++i) frame(0.09f, 47.9f);  // past 38.3 and 42.3
    EXPECT_EQ(scene->eventIndex, 1) << "the 999 mark stops the events";
    EXPECT_GE(scene->shapeDepth, 0.0f);
    EXPECT_LE(scene->shapeDepth, 200.0f);
}

TEST_F(SpinningRingsSceneTest, EachRingCopyLooksFromTheDistanceOfThePreviousCopysRate) {
    finishOpening();
    frame(0.05f, 40.0f);
    ASSERT_EQ(drawsFrom(scene->ringMesh->vertexBuffer), scene->ringCount);
    EXPECT_FLOAT_EQ(matrixAtDraw(D3DTS_VIEW, scene->ringMesh->vertexBuffer, 0)->_43, 47.7f);
    for (int i = 1; i < scene->ringCount; ++i)
        EXPECT_FLOAT_EQ(matrixAtDraw(D3DTS_VIEW, scene->ringMesh->vertexBuffer, i)->_43,
                        47.7f + 20.0f * scene->ringSpins[i - 1].x);
}

TEST_F(SpinningRingsSceneTest, FrameLongerThanATenthOfASecondChangesNothing) {
    frame(0.05f, 33.0f);
    const float spin = scene->spinAngle;
    const float alpha = scene->introAlpha;
    const float bounce = scene->bounceAngle;
    const D3DVECTOR offset = scene->introOffset;
    frame(0.11f, 33.2f);
    EXPECT_EQ(scene->spinAngle, spin);
    EXPECT_EQ(scene->introAlpha, alpha);
    EXPECT_EQ(scene->bounceAngle, bounce);
    EXPECT_EQ(scene->introOffset.x, offset.x);

    finishOpening();
    const float y = scene->particlePositions[3].y;
    const uint32_t sequence = demoRandomState;
    frame(0.5f, 40.0f);
    EXPECT_EQ(scene->particlePositions[3].y, y);
    EXPECT_EQ(demoRandomState, sequence);
}

}  // namespace
