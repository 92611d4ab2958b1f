// Scene 13: scene 6 animating inside the captured panel while it shatters,
// and the end of the program once the panel is spent.
#include "final_shatter_scene.h"

#include "logo_morph_scene.h"
#include "scene_test_fixture.h"
#include "shatter_panel.h"

namespace {

class FinalShatterSceneTest : public OneSceneFixture<SceneFixture, FinalShatterScene, true> {
protected:
    void TearDown() override {
        delete sceneRegistry.scene6;
        OneSceneFixture::TearDown();
    }
};

TEST_F(FinalShatterSceneTest, QuitIsRequestedInTheFirstUpdatingFrameAfterThePanelIsSpent) {
    EXPECT_TRUE(scene->panel->live);
    int frames = 0;
    while (scene->panel->live && frames < 200) {
        frame(0.05f, 200.01f + 0.05f * static_cast<float>(frames));
        EXPECT_FALSE(quitRequested) << "frame " << frames;
        ++frames;
    }
    EXPECT_NEAR(frames * 0.05f, 2.5f, 0.11f);
    EXPECT_LT(scene->panel->position.y, 0.0f);
    EXPECT_GT(scene->panel->position.y, -200.0f) << "spent by its alpha, long before it sinks";

    frame(0.2f, 203.0f);  // a long frame neither advances nor ends
    EXPECT_FALSE(quitRequested);
    frame(0.05f, 203.1f);
    EXPECT_TRUE(quitRequested);
}

TEST_F(FinalShatterSceneTest, SceneSixKeepsAnimatingInsideThePanelWhileItIsLive) {
    sceneRegistry.scene6 = new LogoMorphScene();
    sceneRegistry.scene6->init(&device);
    LogoMorphScene* logo = sceneRegistry.scene6;
    const float spin = logo->spinAngle;
    frame(0.05f, 200.1f);
    EXPECT_FLOAT_EQ(logo->spinAngle, spin + 40.0f * 0.05f);
    EXPECT_EQ(drawsFrom(logo->morphMesh->vertexBuffer), 2);
    EXPECT_EQ(drawsFrom(scene->panel->vertexBuffer), 1);
    const D3DMATRIX* world = worldAtDraw(scene->panel->vertexBuffer);
    EXPECT_FLOAT_EQ(world->_42, scene->panel->position.y) << "moved, then drawn";

    while (scene->panel->live) frame(0.05f, 201.0f);
    const float stopped = logo->spinAngle;
    frame(0.05f, 203.0f);
    EXPECT_EQ(logo->spinAngle, stopped) << "no pass once the panel is spent";
    EXPECT_EQ(drawsFrom(scene->panel->vertexBuffer), 0);
}

TEST_F(FinalShatterSceneTest, WithoutSceneSixThePanelStillShattersAndEnds) {
    for (int i = 0; i < 80 && !quitRequested; ++i) frame(0.05f, 201.0f);
    EXPECT_TRUE(quitRequested);
}

TEST_F(FinalShatterSceneTest, WithoutAPanelTheSceneNeverEndsTheProgram) {
    delete scene->panel;
    scene->panel = nullptr;
    for (int i = 0; i < 100; ++i) frame(0.05f, 205.0f);
    EXPECT_FALSE(quitRequested);
    EXPECT_EQ(device.count("DrawPrimitive"), 0);
}

}  // namespace
