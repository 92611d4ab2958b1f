// Scene 2: its pass without Present and the texture records it prepares, the
// warped screen, the glow planes from 72 s and scene 10's echoes dissolving.
#include <cmath>

#include "city_cards_scene.h"
#include "drop_ring_scene.h"
#include "middle_scene_fixture.h"

namespace {

class DropRingSceneTest : public OneSceneFixture<MiddleSceneFixture, DropRingScene, true> {
protected:
    void TearDown() override {
        delete sceneRegistry.scene10;
        demoContext->targetSurface = nullptr;
        demoContext->targetDepthSurface = nullptr;
        demoContext->savedBackBuffer = nullptr;
        demoContext->savedDepthSurface = nullptr;
        OneSceneFixture::TearDown();
    }
    CityCardsScene* addCityCards() {
        CityCardsScene* cards = new CityCardsScene();
        cards->init(&device);
        sceneRegistry.scene10 = cards;
        return cards;
    }
};

// Stand-ins for the target's surfaces: the recording device only records them.
IDirect3DSurface8* fakeSurface(int n) {
    static char places[4];
    return reinterpret_cast<IDirect3DSurface8*>(&places[n]);
}

TEST_F(DropRingSceneTest, PassEndsWithoutPresentAndPreparesTheSharedRecordsOnce) {
    demoContext->targetSurface = fakeSurface(0);
    demoContext->targetDepthSurface = fakeSurface(1);
    demoContext->savedBackBuffer = fakeSurface(2);
    demoContext->savedDepthSurface = fakeSurface(3);
    textureTable.find(4)->alphaBlend = 0;
    textureTable.find(7)->alphaBlend = 1;

    startFrame(0.02f, 65.0f);
    scene->preRender();
    EXPECT_TRUE(scene->prepared);
    EXPECT_EQ(textureTable.find(4)->alphaBlend, 1);
    EXPECT_EQ(textureTable.find(7)->alphaBlend, 0);
    EXPECT_EQ(device.count("Present"), 0);
    EXPECT_EQ(device.count("SetRenderTarget"), 2) << "to the target and back";
    EXPECT_EQ(device.last("SetRenderTarget")->object, fakeSurface(2));
    EXPECT_EQ(drawsFrom(scene->dropMesh->vertexBuffer), 10);
    EXPECT_EQ(drawsFrom(scene->orbMesh->vertexBuffer), 2);
    EXPECT_EQ(drawsFrom(scene->skySphere->vertexBuffer), 1);

    // Later passes leave the records as other scenes set them.
    textureTable.find(4)->alphaBlend = 0;
    startFrame(0.02f, 65.02f);
    scene->preRender();
    EXPECT_EQ(textureTable.find(4)->alphaBlend, 0);
}

TEST_F(DropRingSceneTest, ScreenWarpAmplitudeFollowsItsAngle) {
    frame(0.02f, 65.0f);
    const MeshObject* screen = scene->screenMesh;
    EXPECT_FLOAT_EQ(screen->warpAngle, -2.4f);
    EXPECT_FLOAT_EQ(screen->warpAmplitude, 1.0f - std::sin(-2.4f * 0.0057595866f) * 0.5f);
    EXPECT_EQ(drawsFrom(screen->vertexBuffer), 1);
    EXPECT_FLOAT_EQ(scene->dropSpin, 0.4f);
}

TEST_F(DropRingSceneTest, GlowPlanesAppearAt72AndFadeIn4Seconds) {
    frame(0.02f, 72.0f);
    EXPECT_FALSE(scene->glowActive);
    EXPECT_EQ(drawsFrom(scene->glowPlane->vertexBuffer), 0);
    frame(0.02f, 72.02f);
    EXPECT_TRUE(scene->glowActive);
    EXPECT_EQ(drawsFrom(scene->glowPlane->vertexBuffer), 10);
    EXPECT_EQ(alphaOf(bufferColor(scene->glowPlane)), 31u) << "32 less this frame's fade";
    // Copies drift left, each a little slower; copy 9 stays.
    EXPECT_FLOAT_EQ(scene->glowPositions[0].x, -1.0f);
    EXPECT_FLOAT_EQ(scene->glowPositions[5].x, -0.5f);
    EXPECT_EQ(scene->glowPositions[9].x, 0.0f);

    for (int i = 0; i < 220 && scene->glowFade < 1.0f; ++i) frame(0.02f, 72.04f + 0.02f * i);
    const D3DCOLOR last = bufferColor(scene->glowPlane);
    frame(0.02f, 77.0f);
    EXPECT_EQ(drawsFrom(scene->glowPlane->vertexBuffer), 0) << "faded out after about 4.17 s";
    EXPECT_EQ(bufferColor(scene->glowPlane), last) << "and not recoloured";
}

TEST_F(DropRingSceneTest, CityCardEchoesDissolveIntoThisScene) {
    CityCardsScene* cards = addCityCards();
    frame(0.02f, 64.6f);
    EXPECT_FLOAT_EQ(cards->echoFade, 0.014f);
    EXPECT_EQ(cards->echoRotations[0].x, 0.0f);
    EXPECT_FLOAT_EQ(cards->echoRotations[2].y, -12.0f * 2.0f * 0.02f);
    EXPECT_EQ(drawsFrom(cards->finalBackdrop->vertexBuffer), 10);

    for (int i = 0; i < 80; ++i) frame(0.02f, 64.62f + 0.02f * i);
    EXPECT_GT(cards->echoFade, 1.0f);
    EXPECT_EQ(alphaOf(bufferColor(cards->finalBackdrop)), 0u) << "never a negative alpha";

    const float fade = cards->echoFade;
    const float rotation = cards->echoRotations[9].z;
    frame(0.2f, 67.0f);
    EXPECT_EQ(cards->echoFade, fade) << "a long frame leaves scene 10's fields alone";
    EXPECT_EQ(cards->echoRotations[9].z, rotation);
}

}  // namespace
