// Scene 10: the capture of scene 7, the cards breaking on their beats, the
// one-way switch to the second phase with its own capture, the scrolling
// lattice, the echoes scene 2 asks for and the long frames.
#include "city_cards_scene.h"

#include <cmath>
#include <vector>

#include "scene_test_fixture.h"
#include "shatter_panel.h"
#include "spinning_rings_scene.h"
#include "text_strip.h"

namespace {

class CityCardsSceneTest : public OneSceneFixture<SceneFixture, CityCardsScene, true> {
protected:
    void TearDown() override {
        delete sceneRegistry.scene7;
        OneSceneFixture::TearDown();
    }
};

TEST_F(CityCardsSceneTest, PanelsDrawFromTheSharedSequenceCardsFirst) {
    // Card 0's first slot starts at the corner (-10, -5, -20); the sequence
    // seeded with 1 starts 41, 18467, 6334.
    const float k = 3.0518509e-05f;
    EXPECT_FLOAT_EQ(scene->cards[0].scatter[0].x, 41.0f * k * -10.0f * 1.1f);
    EXPECT_FLOAT_EQ(scene->cards[0].scatter[0].y, 18467.0f * k * -5.0f * 1.1f);
    EXPECT_FLOAT_EQ(scene->cards[0].scatter[0].z, 6334.0f * k * -20.0f * 1.1f);
    // Three draws per slot: six cards of 528 slots, two panels of 1920.
    const uint32_t afterInit = demoRandomState;
    demoRandomState = 1;
    for (int i = 0; i < 3 * (6 * 528 + 2 * 1920); ++i) demoRand();
    EXPECT_EQ(demoRandomState, afterInit);
    EXPECT_EQ(scene->openingPanel->texture, demoContext->renderTarget);
    EXPECT_FALSE(scene->openingPanel->live) << "the first frame captures";
    EXPECT_TRUE(scene->cards[5].live);
    EXPECT_FLOAT_EQ(scene->cards[5].position.z, 350.0f);
}

TEST_F(CityCardsSceneTest, FirstFrameCapturesSceneSevenAndShowsItIntact) {
    sceneRegistry.scene7 = new SpinningRingsScene();
    sceneRegistry.scene7->init(&device);
    const float ringsSpin = sceneRegistry.scene7->spinAngle;
    frame(0.02f, 48.01f);
    EXPECT_GT(sceneRegistry.scene7->spinAngle, ringsSpin) << "scene 7 drawn into the target";
    EXPECT_GT(drawsFrom(sceneRegistry.scene7->ringMesh->vertexBuffer), 0);
    EXPECT_TRUE(scene->openingPanel->live);
    // Drawn over the first phase, at alpha 136, before it starts to break.
    ASSERT_EQ(drawsFrom(scene->openingPanel->vertexBuffer), 1);
    EXPECT_GT(drawsFrom(scene->backdrop->vertexBuffer), 0);
    EXPECT_EQ(RecordingDevice::bufferOf(scene->openingPanel->vertexBuffer)
                      ->vertexAt<PanelBufferVertex>(0)
                      .diffuse >>
                  24,
              136u);
    EXPECT_FLOAT_EQ(scene->openingPanel->progress, 0.02f);
}

TEST_F(CityCardsSceneTest, CardsBreakOnTheirBeatsAndVanishTwoAndAHalfSecondsLater) {
    // Without the lattice (a missing part is skipped) the frames stay cheap.
    delete[] scene->strips;
    scene->strips = nullptr;
    const float dt = 0.05f;
    float breakTime[6] = {-1, -1, -1, -1, -1, -1};
    float breakDepth[6] = {};
    float goneTime[6] = {-1, -1, -1, -1, -1, -1};
    for (int i = 0; i <= 280; ++i) {  // music 48 .. 62 s
        const float music = 48.0f + static_cast<float>(i) * dt;
        const float zBefore[6] = {scene->cards[0].position.z, scene->cards[1].position.z,
                                  scene->cards[2].position.z, scene->cards[3].position.z,
                                  scene->cards[4].position.z, scene->cards[5].position.z};
        bool liveBefore[6];
        for (int c = 0; c < 6; ++c) liveBefore[c] = scene->cards[c].live;
        frame(dt, music);
        for (int c = 0; c < 6; ++c) {
            const ShatterPanel& card = scene->cards[c];
            if (breakTime[c] < 0.0f && card.progress > 0.0f) {
                breakTime[c] = music;
                breakDepth[c] = zBefore[c];
            }
            if (goneTime[c] < 0.0f && !card.live) goneTime[c] = music;
            // A spent card is no longer drawn.
            if (!liveBefore[c]) {
                EXPECT_EQ(drawsFrom(card.vertexBuffer), 0);
            }
        }
    }
    for (int c = 0; c < 6; ++c) {
        const float due = 49.8f + 2.0f * static_cast<float>(c);
        EXPECT_GT(breakTime[c], due) << "card " << c;
        EXPECT_LE(breakTime[c], due + dt + 1e-3f) << "card " << c;
        EXPECT_NEAR(breakDepth[c], 46.0f - 10.0f * static_cast<float>(c), 30.0f * dt + 0.1f);
        // The last card is still breaking when the second phase begins.
        if (c < 5) {
            EXPECT_NEAR(goneTime[c] - breakTime[c], 2.5f, 2.5f * dt) << "card " << c;
        }
    }
    EXPECT_TRUE(scene->cards[5].live);
}

TEST_F(CityCardsSceneTest, SecondPhaseBeginsAfter61Point8OnceAndForAllWithItsOwnCapture) {
    frame(0.02f, 61.8f);
    EXPECT_FALSE(scene->secondPhase) << "only strictly after 61.8 s";
    frame(0.02f, 61.82f);
    EXPECT_TRUE(scene->secondPhase);
    EXPECT_FALSE(scene->closingPanel->live);

    // The next frame captures the first phase, then shows the second photograph
    // under the breaking capture; the first phase is no longer drawn on screen.
    device.clearCalls();
    setFrame(0.02f, 61.84f);
    scene->preRender();
    EXPECT_TRUE(scene->closingPanel->live);
    EXPECT_EQ(drawsFrom(scene->backdrop->vertexBuffer), 1) << "the capture is the first phase";
    device.clearCalls();
    scene->render();
    EXPECT_EQ(drawsFrom(scene->backdrop->vertexBuffer), 0);
    EXPECT_EQ(drawsFrom(scene->finalBackdrop->vertexBuffer), 1);
    EXPECT_EQ(drawsFrom(scene->closingPanel->vertexBuffer), 1);

    frame(0.02f, 50.0f);  // music going back does not undo the switch
    EXPECT_TRUE(scene->secondPhase);

    // Once faded, the closing panel captures again every frame, which keeps
    // the second photograph drawn.
    for (int i = 0; i < 55; ++i) frame(0.05f, 62.0f + 0.05f * static_cast<float>(i));
    EXPECT_GT(scene->closingPanel->progress, 2.5f);
    for (int i = 0; i < 3; ++i) {
        frame(0.02f, 64.7f);
        EXPECT_EQ(drawsFrom(scene->backdrop->vertexBuffer), 1) << "captured again";
        EXPECT_EQ(drawsFrom(scene->finalBackdrop->vertexBuffer), 1);
    }
}

TEST_F(CityCardsSceneTest, LatticeTextScrollsWithinOneTextureWidth) {
    frame(0.05f, 50.0f);
    EXPECT_FLOAT_EQ(scene->textScroll, 0.0015f);
    scene->textScroll = 0.9995f;
    frame(0.05f, 50.0f);
    EXPECT_GE(scene->textScroll, 0.0f);
    EXPECT_LT(scene->textScroll, 0.01f) << "wrapped past 1";
    const float scroll = scene->textScroll;
    frame(0.05f, 50.0f);  // the strips are filled before the frame's step
    const PanelBufferVertex* v =
        &RecordingDevice::bufferOf(scene->strips[146].vertexBuffer)->vertexAt<PanelBufferVertex>(0);
    EXPECT_FLOAT_EQ(v[0].u, scroll);
    EXPECT_FLOAT_EQ(v[1].u, scroll + 1.0f);
    EXPECT_EQ(v[0].diffuse, 0x55FFFFFFu);
}

TEST_F(CityCardsSceneTest, EchoesFadeOutAndNeverGoNegative) {
    device.clearCalls();
    scene->drawEchoes(true);
    EXPECT_EQ(drawsFrom(scene->finalBackdrop->vertexBuffer), 10);
    EXPECT_EQ(bufferColor(scene->finalBackdrop), 0xFFFFFFFFu);
    scene->echoFade = 0.5f;
    scene->drawEchoes(true);
    EXPECT_EQ(alphaOf(bufferColor(scene->finalBackdrop)), 127u);
    scene->echoFade = 1.5f;
    scene->drawEchoes(true);
    EXPECT_EQ(bufferColor(scene->finalBackdrop), 0x00FFFFFFu) << "alpha 0 above 1, not negative";
    scene->echoRotations[3] = {10.0f, 20.0f, 30.0f};
    device.clearCalls();
    scene->drawEchoes(true);
    const D3DMATRIX* turned = worldAtDraw(scene->finalBackdrop->vertexBuffer, 3);
    EXPECT_LT(turned->_11, 0.99f);
    device.clearCalls();
    scene->drawEchoes(false);
    EXPECT_EQ(drawsFrom(scene->finalBackdrop->vertexBuffer), 0);
}

TEST_F(CityCardsSceneTest, FrameLongerThanATenthOfASecondChangesNothing) {
    frame(0.02f, 52.0f);
    const D3DVECTOR lattice = scene->latticeRotation;
    const float scroll = scene->textScroll;
    const float z = scene->cards[3].position.z;
    const float broken = scene->cards[0].progress;
    frame(0.2f, 62.0f);
    EXPECT_EQ(scene->latticeRotation.x, lattice.x);
    EXPECT_EQ(scene->textScroll, scroll);
    EXPECT_EQ(scene->cards[3].position.z, z);
    EXPECT_EQ(scene->cards[0].progress, broken);
    EXPECT_FALSE(scene->secondPhase);
}

}  // namespace
