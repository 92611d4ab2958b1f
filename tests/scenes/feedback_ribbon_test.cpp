// Scenes 1 and 12, which alternate and re-arm each other's flash: the shape
// drawn into the render target, the feedback planes, the spline ribbons and
// their web, and scene 12's one-time preparation of scene 6.
#include <cmath>

#include "feedback_shape_scene.h"
#include "logo_morph_scene.h"
#include "middle_scene_fixture.h"
#include "ribbon_web_scene.h"

namespace {

class FeedbackRibbonTest : public MiddleSceneFixture {
protected:
    FeedbackShapeScene* feedback = nullptr;
    RibbonWebScene* ribbons = nullptr;

    void SetUp() override {
        MiddleSceneFixture::SetUp();
        feedback = new FeedbackShapeScene();
        feedback->init(&device);
        ribbons = new RibbonWebScene();
        ribbons->init(&device);
        sceneRegistry.scene1 = feedback;
        sceneRegistry.scene12 = ribbons;
    }
    void TearDown() override {
        delete ribbons;
        delete feedback;
        delete sceneRegistry.scene6;
        MiddleSceneFixture::TearDown();
    }
    void feedbackFrame(float dt, float music) {
        startFrame(dt, music);
        feedback->preRender();
        feedback->render();
    }
    void ribbonFrame(float dt, float music) {
        startFrame(dt, music);
        ribbons->render();
    }
};

TEST_F(FeedbackRibbonTest, FeedbackPlanesShowTheShapeFourTimes) {
    feedbackFrame(0.02f, 161.0f);
    EXPECT_EQ(drawsFrom(feedback->shapeMesh->vertexBuffer), 1);
    EXPECT_EQ(drawsFrom(feedback->feedbackMesh->vertexBuffer), 4);
    EXPECT_EQ(drawsFrom(feedback->backgroundMesh->vertexBuffer), 1);
    EXPECT_EQ(feedback->feedbackMesh->texture0, demoContext->renderTarget);
    // The second copy is shifted up by 5.5 and tilted 10 degrees about z.
    const D3DMATRIX* second = worldAtDraw(feedback->feedbackMesh->vertexBuffer, 1);
    EXPECT_NEAR(second->m[3][1], 5.5f, 1e-5f);
    EXPECT_NEAR(second->m[0][1], std::sin(10.0f * 0.017453292f), 1e-6f);
    // The shape wanders with the clock: drawn at c = 0 in the first pass.
    const D3DMATRIX* shape = worldAtDraw(feedback->shapeMesh->vertexBuffer);
    EXPECT_NEAR(shape->m[3][0], 15.0f, 1e-4f);
    EXPECT_NEAR(shape->m[3][2], 20.0f, 1e-4f);
    EXPECT_FLOAT_EQ(shapeClock, 1.0f);
}

TEST_F(FeedbackRibbonTest, EachSceneRearmsTheOthersFlash) {
    ribbons->flashActive = false;
    ribbons->flashAlpha = 30.0f;
    feedbackFrame(0.02f, 161.0f);
    EXPECT_TRUE(ribbons->flashActive);
    EXPECT_EQ(ribbons->flashAlpha, 255.0f);

    feedback->flashActive = false;
    feedback->flashAlpha = 12.0f;
    ribbonFrame(0.02f, 169.0f);
    EXPECT_TRUE(feedback->flashActive);
    EXPECT_EQ(feedback->flashAlpha, 255.0f);

    // A long frame re-arms nothing.
    ribbons->flashActive = false;
    feedbackFrame(0.2f, 176.5f);
    EXPECT_FALSE(ribbons->flashActive);
}

TEST_F(FeedbackRibbonTest, FlashIsOpaqueFirstAndReadyAgainAfterItsSecond) {
    feedbackFrame(0.02f, 160.1f);
    EXPECT_EQ(drawsFrom(feedback->flashMesh->flatVertexBuffer), 1);
    EXPECT_EQ(flatColor(feedback->flashMesh), 0xFFFFFFFFu) << "written before the decrement";
    int frames = 1;
    while (feedback->flashActive && frames < 100) {
        feedbackFrame(0.02f, 160.1f);
        ++frames;
    }
    EXPECT_NEAR(frames, 50, 1);
    EXPECT_EQ(feedback->flashAlpha, 255.0f);
}

TEST_F(FeedbackRibbonTest, RibbonKeysDrawPhasesFromTheSharedSequence) {
    // Scene 1 draws nothing; scene 12 draws one phase per key and curve:
    // 60 + 60 + 30.
    demoRandomState = 1;
    RibbonWebScene second;
    second.init(&device);
    const uint32_t after = demoRandomState;
    demoRandomState = 1;
    const float first = 5.0f - static_cast<float>(demoRand()) * 3.0518509e-05f * 10.0f;
    const float curveTwo = 5.0f - static_cast<float>(demoRand()) * 3.0518509e-05f * 10.0f;
    for (int i = 2; i < 150; ++i) demoRand();
    EXPECT_EQ(demoRandomState, after);
    EXPECT_FLOAT_EQ(second.ribbons[0].baseKeys[0][0].phase, first);
    EXPECT_FLOAT_EQ(second.ribbons[0].baseKeys[1][0].phase, curveTwo) << "curve by curve within a key";
    EXPECT_FLOAT_EQ(second.ribbons[0].baseKeys[1][0].y, 150.0f - 40.0f);
    EXPECT_FLOAT_EQ(second.ribbons[0].baseKeys[1][0].z, 260.0f);
}

TEST_F(FeedbackRibbonTest, SplineMeetsItsKeysAtParameters0And29) {
    Ribbon& ribbon = ribbons->ribbons[0];
    ribbon.clock = 3.7f;
    ribbon.animate();
    for (int curve = 0; curve < 2; ++curve) {
        const SplineKey* keys = ribbon.keys[curve];
        ribbon.evaluate(curve, 0.0f);
        EXPECT_EQ(ribbon.evaluated.x, keys[0].x);
        EXPECT_EQ(ribbon.evaluated.z, keys[0].z);
        ribbon.evaluate(curve, 29.0f);
        EXPECT_EQ(ribbon.evaluated.x, keys[29].x);
        EXPECT_EQ(ribbon.evaluated.y, keys[29].y);
        EXPECT_EQ(keys[29].x, keys[0].x) << "the curve is closed";
        // A key time ends the segment at that key (l = 1).
        ribbon.evaluate(curve, 7.0f);
        EXPECT_NEAR(ribbon.evaluated.x, keys[7].x, 1e-3f);
        EXPECT_NEAR(ribbon.evaluated.y, keys[7].y, 1e-3f);
    }
    // The last nine samples of a curve sit on the last key, the first on key 0.
    const TexturedBufferVertex* samples = ribbon.samples;
    EXPECT_EQ(samples[0].x, ribbon.keys[0][0].x);
    EXPECT_EQ(samples[299].x, ribbon.keys[0][29].x);
    EXPECT_EQ(samples[291].z, ribbon.keys[0][29].z);
    EXPECT_EQ(samples[300].x, ribbon.keys[1][0].x);
}

TEST_F(FeedbackRibbonTest, SplineIsCatmullRomBetweenKeys) {
    Ribbon& ribbon = ribbons->ribbons[1];
    const SplineKey* k = ribbon.keys[0];
    ribbon.evaluate(0, 5.5f);
    // Uniform Catmull-Rom at the middle of a segment.
    const double expected = (-k[4].x + 9.0 * k[5].x + 9.0 * k[6].x - k[7].x) / 16.0;
    EXPECT_NEAR(ribbon.evaluated.x, expected, 1e-3);
    // The first segment leaves key 0 with the one-sided tangent P1 - P0 and
    // reaches key 1 with the central tangent (P2 - P0) / 2.
    ribbon.evaluate(0, 0.5f);
    const double first = 0.5 * k[0].y + 0.5 * k[1].y + 0.125 * (k[1].y - k[0].y) -
                         0.125 * 0.5 * (k[2].y - k[0].y);
    EXPECT_NEAR(ribbon.evaluated.y, first, 1e-3);
}

TEST_F(FeedbackRibbonTest, RibbonsAndWebAreDrawnThreeTimesEach) {
    ribbonFrame(0.02f, 169.0f);
    EXPECT_EQ(drawsFrom(ribbons->ribbons[0].vertexBuffer), 3);
    EXPECT_EQ(drawsFrom(ribbons->ribbons[1].vertexBuffer), 3);
    EXPECT_EQ(ribbons->ribbons[2].vertexBuffer, nullptr) << "the single curve has no band";
    EXPECT_EQ(drawsFrom(ribbons->web->vertexBuffer), 3);
    EXPECT_EQ(ribbons->ribbons[0].triangleCount, 598);
    // The web's first drawn frame is empty; afterwards its corners come from
    // the ribbons, tinted on the third curve.
    const TexturedBufferVertex& tinted =
        RecordingDevice::bufferOf(ribbons->web->vertexBuffer)->vertexAt<TexturedBufferVertex>(2);
    EXPECT_EQ(tinted.diffuse, 0x50E7F780u);
    EXPECT_EQ(tinted.x, ribbons->ribbons[2].samples[0].x);
    const TexturedBufferVertex& clear =
        RecordingDevice::bufferOf(ribbons->web->vertexBuffer)->vertexAt<TexturedBufferVertex>(0);
    EXPECT_EQ(clear.diffuse, 0u);
    EXPECT_FLOAT_EQ(ribbons->ribbons[0].rotation.y, -0.4f);
}

TEST_F(FeedbackRibbonTest, SceneSixIsPreparedOnceOnTheFirstUpdatingFrame) {
    LogoMorphScene* logo = new LogoMorphScene();
    logo->init(&device);
    sceneRegistry.scene6 = logo;
    logo->eventIndex = 3;
    logo->fadeInAlpha = 255.0f;
    logo->logoVisible = true;
    logo->flashActive = false;

    ribbonFrame(0.2f, 168.1f);
    EXPECT_FALSE(scene6Prepared) << "a long frame does not update";
    ribbonFrame(0.02f, 168.2f);
    EXPECT_TRUE(scene6Prepared);
    EXPECT_TRUE(logo->flashActive);
    EXPECT_FALSE(logo->logoVisible);
    EXPECT_EQ(logo->fadeInAlpha, 0.0f);
    EXPECT_EQ(logo->eventIndex, 8);
    EXPECT_EQ(logo->logoTimer, 1.0f);

    logo->eventIndex = 11;
    ribbonFrame(0.02f, 185.0f);
    EXPECT_EQ(logo->eventIndex, 11) << "only once per run";
}

}  // namespace
