// Scene 5: events with their echo pulses and credit names, the burst, the
// opening flash, the morph cycle and the frames that are too long to animate.
#include "morph_credits_scene.h"

#include <cmath>
#include <vector>

#include "scene_test_fixture.h"

namespace {

class MorphCreditsSceneTest : public OneSceneFixture<SceneFixture, MorphCreditsScene, false> {};

TEST_F(MorphCreditsSceneTest, EventsFireAfterTheirTimesWithPulsesAndNamePlanes) {
    const float dt = 0.02f;
    std::vector<float> eventTimes;
    int lastIndex = 0;
    float firstNameGoneAt = -1.0f;
    for (int i = 0; i <= 825; ++i) {  // music 15.5 .. 32 s
        const float music = 15.5f + static_cast<float>(i) * dt;
        frame(dt, music);
        if (scene->eventIndex != lastIndex) {
            lastIndex = scene->eventIndex;
            eventTimes.push_back(music);
            EXPECT_TRUE(scene->pulseActive);
            if (lastIndex <= 3) {
                EXPECT_GE(alphaOf(bufferColor(scene->nameMeshes[lastIndex - 1])), 135u)
                    << "name plane " << lastIndex << " shows up at alpha 136";
            }
        }
        for (int n = lastIndex; n < 3; ++n) {
            EXPECT_EQ(scene->nameDistance[n], 0.0f) << "plane " << n + 1 << " waits for its event";
            EXPECT_EQ(alphaOf(bufferColor(scene->nameMeshes[n])), 0u);
        }
        if (firstNameGoneAt < 0.0f && scene->nameAlpha[0] == 0.0f) firstNameGoneAt = music;
    }
    ASSERT_EQ(eventTimes.size(), 4u) << "the fourth event pulses without a fourth name";
    const float due[4] = {16.2f, 20.2f, 24.2f, 28.2f};
    for (int k = 0; k < 4; ++k) {
        EXPECT_GT(eventTimes[k], due[k]);
        EXPECT_LE(eventTimes[k], due[k] + dt + 1e-3f);
    }
    EXPECT_NEAR(firstNameGoneAt - eventTimes[0], 136.0f / 15.0f, 2.0f * dt);
}

TEST_F(MorphCreditsSceneTest, RunningPulseDelaysTheNextEventAndPushesEchoes) {
    frame(0.05f, 16.3f);
    ASSERT_EQ(scene->eventIndex, 1);

    // During the pulse the picture is drawn at z 0, +5 and -5.
    frame(0.05f, 16.35f);
    ASSERT_EQ(drawsFrom(scene->feedbackMesh->vertexBuffer), 3);
    const float expected[3] = {0.0f, 5.0f, -5.0f};
    for (int k = 0; k < 3; ++k)
        EXPECT_FLOAT_EQ(worldAtDraw(scene->feedbackMesh->vertexBuffer, k)->_43, expected[k]);

    // The next event is long due, but waits for the 1.2 s pulse to end.
    int framesUntilEvent = 0;
    while (scene->eventIndex == 1 && framesUntilEvent < 100) {
        frame(0.05f, 25.0f);
        ++framesUntilEvent;
    }
    EXPECT_EQ(scene->eventIndex, 2);
    EXPECT_NEAR(framesUntilEvent * 0.05f, 1.2f, 0.11f);

    // Outside pulses the three copies coincide.
    for (int i = 0; i < 30; ++i) frame(0.05f, 20.0f);
    ASSERT_FALSE(scene->pulseActive);
    frame(0.05f, 20.0f);
    for (int k = 0; k < 3; ++k)
        EXPECT_FLOAT_EQ(worldAtDraw(scene->feedbackMesh->vertexBuffer, k)->_43, 0.0f);
}

TEST_F(MorphCreditsSceneTest, BurstCrossesOnceAfterItsStartTime) {
    frame(0.05f, 27.5f);
    EXPECT_FALSE(scene->burstActive) << "only strictly after 27.5 s";
    frame(0.05f, 27.55f);
    EXPECT_TRUE(scene->burstActive);
    EXPECT_EQ(scene->burstStartTime, 999.0f);
    EXPECT_EQ(drawsFrom(scene->burstMesh->vertexBuffer), 1);
    int frames = 0;
    while (scene->burstActive && frames < 200) {
        frame(0.05f, 28.0f);
        ++frames;
    }
    EXPECT_NEAR(frames * 0.05f, 2.55f, 0.06f) << "alpha 255 at 100 per second";
    EXPECT_EQ(alphaOf(bufferColor(scene->burstMesh)), 0u);
    EXPECT_NEAR(scene->burstOffset, 30.0f * 2.55f, 2.0f);
    for (int i = 0; i < 10; ++i) frame(0.05f, 40.0f);
    EXPECT_FALSE(scene->burstActive) << "the burst happens once";
    EXPECT_EQ(drawsFrom(scene->burstMesh->vertexBuffer), 0);
}

TEST_F(MorphCreditsSceneTest, OpeningFlashFadesOutInAboutOnePointEightSeconds) {
    EXPECT_FALSE(scene->flashMesh->depthTestOff);
    frame(0.05f, 15.6f);
    EXPECT_EQ(alphaOf(flatColor(scene->flashMesh)), 255u);
    EXPECT_EQ(drawsFrom(scene->flashMesh->flatVertexBuffer), 1);
    int frames = 1;
    while (scene->flashActive && frames < 100) {
        frame(0.05f, 15.6f);
        ++frames;
    }
    EXPECT_NEAR(frames * 0.05f, 255.0f / 140.0f, 0.06f);
    EXPECT_LE(scene->flashAlpha, 0.0f);
    frame(0.05f, 15.6f);
    EXPECT_EQ(drawsFrom(scene->flashMesh->flatVertexBuffer), 0);
}

TEST_F(MorphCreditsSceneTest, MorphHoldsKeyShapeEightForOnePeriodThenStartsAgain) {
    scene->shapeIndex = 7;
    scene->morphAngle = 89.0f;
    int heldFrames = 0;
    std::vector<float> held;
    for (int i = 0; i < 200 && scene->shapeIndex != 0; ++i) {
        frame(0.05f, 20.0f);
        if (scene->shapeIndex == 8) {
            const Vertex* v = scene->morphMesh->vertices;
            if (held.empty()) {
                for (int k = 0; k < scene->morphMesh->vertexCount; k += 97) held.push_back(v[k].x);
            } else {
                size_t n = 0;
                for (int k = 0; k < scene->morphMesh->vertexCount; k += 97, ++n)
                    ASSERT_EQ(v[k].x, held[n]);
            }
            ++heldFrames;
        }
    }
    EXPECT_EQ(scene->shapeIndex, 0);
    EXPECT_NEAR(heldFrames * 0.05f, 4.5f, 0.06f);
}

TEST_F(MorphCreditsSceneTest, FrameLongerThanATenthOfASecondChangesNothing) {
    frame(0.05f, 16.0f);
    const float spin = scene->spinAngle;
    const float morph = scene->morphAngle;
    const float flash = scene->flashAlpha;
    const float warp = scene->backgroundMesh->warpAngle;
    frame(0.2f, 29.0f);  // an event and the burst are due
    EXPECT_EQ(scene->spinAngle, spin);
    EXPECT_EQ(scene->morphAngle, morph);
    EXPECT_EQ(scene->flashAlpha, flash);
    EXPECT_EQ(scene->backgroundMesh->warpAngle, warp);
    EXPECT_EQ(scene->eventIndex, 0);
    EXPECT_FALSE(scene->burstActive);
    frame(0.05f, 29.0f);  // the next short frame catches up
    EXPECT_EQ(scene->eventIndex, 1);
    EXPECT_TRUE(scene->burstActive);
}

TEST_F(MorphCreditsSceneTest, OffscreenPictureIsTheBackgroundAndTheMorphTwice) {
    device.clearCalls();
    scene->preRender();
    EXPECT_EQ(drawsFrom(scene->backgroundMesh->vertexBuffer), 1);
    EXPECT_EQ(drawsFrom(scene->morphMesh->vertexBuffer), 2);
    EXPECT_EQ(drawsFrom(scene->feedbackMesh->vertexBuffer), 0);
}

}  // namespace
