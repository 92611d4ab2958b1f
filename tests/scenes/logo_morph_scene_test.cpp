// Scene 6: the logo beats, the flashes of the second appearance, the morph
// through the key shapes and the frames that are too long to animate.
#include "logo_morph_scene.h"

#include <cmath>
#include <vector>

#include "scene_test_fixture.h"

namespace {

class LogoMorphSceneTest : public OneSceneFixture<SceneFixture, LogoMorphScene, false> {
protected:
    // What scene 12 does before the second appearance.
    void prepareSecondAppearance() {
        scene->flashActive = true;
        scene->showLogo(0x00FFFFFF);
        scene->logoVisible = false;
        scene->fadeInAlpha = 0.0f;
        scene->eventIndex = 8;
    }
};

TEST_F(LogoMorphSceneTest, BeatsLightTheLogoForOneSecondEveryTwoSecondsWithoutFlash) {
    const float dt = 0.02f;
    std::vector<float> beatTimes;
    int lastIndex = 0;
    float hiddenAfterBeat = -1.0f;
    for (int i = 0; i <= 780; ++i) {  // music 0 .. 15.6 s
        const float music = static_cast<float>(i) * dt;
        frame(dt, music);
        EXPECT_FALSE(scene->flashActive) << "no flash before the ninth beat, at " << music;
        if (scene->eventIndex != lastIndex) {
            lastIndex = scene->eventIndex;
            beatTimes.push_back(music);
            EXPECT_EQ(bufferColor(scene->logoMesh), 0xFFFFFFFFu) << "lit at beat " << lastIndex;
        }
        if (lastIndex == 1 && hiddenAfterBeat < 0.0f && !scene->logoVisible)
            hiddenAfterBeat = music - beatTimes[0];
    }
    ASSERT_EQ(beatTimes.size(), 8u);
    for (size_t k = 0; k < beatTimes.size(); ++k) {
        const float due = 0.5f + 2.0f * static_cast<float>(k);
        EXPECT_GE(beatTimes[k], due);
        EXPECT_LT(beatTimes[k], due + dt + 1e-4f);
    }
    EXPECT_NEAR(hiddenAfterBeat, 1.0f, 2.5f * dt);
    EXPECT_EQ(alphaOf(bufferColor(scene->logoMesh)), 0u);
}

TEST_F(LogoMorphSceneTest, SecondAppearanceFlashesOnEachBeatAndStopsAtTheEndMark) {
    prepareSecondAppearance();
    EXPECT_FLOAT_EQ(scene->logoTimer, 1.0f);  // showLogo sets the timer even when hiding
    const float dt = 0.02f;
    std::vector<float> beatTimes;
    int lastIndex = scene->eventIndex;
    for (int i = 0; i <= 700; ++i) {  // music 192.0 .. 206.0 s
        const float music = 192.0f + static_cast<float>(i) * dt;
        frame(dt, music);
        if (scene->eventIndex != lastIndex) {
            lastIndex = scene->eventIndex;
            beatTimes.push_back(music);
            EXPECT_TRUE(scene->flashActive);
            EXPECT_EQ(flatColor(scene->flashMesh), 0xFFFFFFFFu)
                << "full white at beat " << lastIndex;
        }
    }
    ASSERT_EQ(beatTimes.size(), 4u);
    const float due[4] = {192.3f, 194.3f, 196.3f, 198.3f};
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(beatTimes[k], due[k], dt + 1e-3f);
    EXPECT_EQ(scene->eventIndex, 12) << "the 999 mark ends the beats";
    EXPECT_FALSE(scene->flashActive) << "each flash lasts 0.85 s";
    EXPECT_FLOAT_EQ(scene->flashAlpha, 255.0f);
}

TEST_F(LogoMorphSceneTest, FlashFadesFromWhiteAndIsDrawnOverEverything) {
    prepareSecondAppearance();
    frame(0.02f, 100.0f);  // no beat due: the armed flash alone runs
    EXPECT_EQ(alphaOf(flatColor(scene->flashMesh)), 255u);
    EXPECT_EQ(drawsFrom(scene->flashMesh->flatVertexBuffer), 1);
    const RecordedCall* lastDraw = device.last("DrawPrimitive");
    ASSERT_NE(lastDraw, nullptr);
    EXPECT_EQ(lastDraw->object, scene->flashMesh->flatVertexBuffer) << "drawn last";
    frame(0.05f, 100.0f);
    EXPECT_EQ(alphaOf(flatColor(scene->flashMesh)), 249u);  // 255 - 300 * 0.02, truncated
    for (int i = 0; i < 20; ++i) frame(0.05f, 100.0f);
    EXPECT_FALSE(scene->flashActive);
    frame(0.02f, 100.0f);
    EXPECT_EQ(drawsFrom(scene->flashMesh->flatVertexBuffer), 0);
}

TEST_F(LogoMorphSceneTest, FrameLongerThanATenthOfASecondChangesNothing) {
    frame(0.02f, 0.6f);  // first beat
    ASSERT_EQ(scene->eventIndex, 1);
    const float spin = scene->spinAngle;
    const float fade = scene->fadeInAlpha;
    const float morph = scene->morphAngle;
    const float warp = scene->warpMesh->warpAngle;
    const float timer = scene->logoTimer;
    frame(0.15f, 2.6f);  // the second beat is due, but the frame is too long
    EXPECT_EQ(scene->eventIndex, 1);
    EXPECT_EQ(scene->spinAngle, spin);
    EXPECT_EQ(scene->fadeInAlpha, fade);
    EXPECT_EQ(scene->morphAngle, morph);
    EXPECT_EQ(scene->warpMesh->warpAngle, warp);
    EXPECT_EQ(scene->logoTimer, timer);
    frame(0.02f, 2.62f);
    EXPECT_EQ(scene->eventIndex, 2);
}

TEST_F(LogoMorphSceneTest, MorphWaitsForItsStartThenHoldsTheLastShapeForOnePeriod) {
    frame(0.02f, 0.4f);
    EXPECT_EQ(scene->morphAngle, 0.0f) << "no morph before 0.5 s of music";

    const float dt = 0.02f;
    std::vector<Vertex> held;
    int heldFrames = 0;
    bool restarted = false;
    for (int i = 0; i < 1000 && !restarted; ++i) {
        frame(dt, 0.5f + static_cast<float>(i) * dt);
        ASSERT_LE(scene->shapeIndex, 16);
        if (scene->shapeIndex == 16) {
            std::vector<Vertex> now(scene->morphMesh->vertices,
                                    scene->morphMesh->vertices + scene->morphMesh->vertexCount);
            if (held.empty()) {
                held = now;
            } else {
                for (size_t v = 0; v < now.size(); ++v) ASSERT_EQ(now[v].x, held[v].x);
            }
            ++heldFrames;
        } else if (!held.empty()) {
            restarted = true;
            EXPECT_EQ(scene->shapeIndex, 0);
            // Just after the restart the shape is close to key shape 0.
            const Vertex* shape0 = scene->shapes[0].vertices;
            const Vertex* morph = scene->morphMesh->vertices;
            for (int v = 1; v < scene->morphMesh->vertexCount; v += 7)
                EXPECT_NEAR(morph[v].y, shape0[v].y, 0.1f * std::fabs(shape0[v].y) + 0.5f);
        }
    }
    EXPECT_TRUE(restarted);
    EXPECT_NEAR(heldFrames, 50, 2) << "one second at 50 frames per second";
}

TEST_F(LogoMorphSceneTest, LogoOfBeatKStandsAtItsPositionTurnedBy45K) {
    scene->eventIndex = 3;  // three beats fired; the fourth is due at 6.5 s
    frame(0.02f, 6.6f);
    ASSERT_EQ(scene->eventIndex, 4);
    const D3DMATRIX* world = worldAtDraw(scene->logoMesh->vertexBuffer);
    ASSERT_NE(world, nullptr);
    EXPECT_NEAR(world->_41, -5.0f, 1e-4f);
    EXPECT_NEAR(world->_42, 0.0f, 1e-4f);
    EXPECT_NEAR(world->_43, 80.0f, 1e-4f);
    EXPECT_NEAR(world->_11, -1.0f, 1e-5f) << "turned by 180 degrees about z";
}

TEST_F(LogoMorphSceneTest, BackgroundFadesInToFullAlphaAndNoFurther) {
    for (int i = 0; i < 280; ++i) frame(0.05f, 0.2f);  // 14 s
    EXPECT_EQ(scene->fadeInAlpha, 255.0f);
    EXPECT_EQ(bufferColor(scene->backgroundMesh), 0xFFFFFFFFu);
}

}  // namespace
