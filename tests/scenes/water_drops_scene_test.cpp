// Scene 11: the intro over scene 4, the drops falling at their times, the
// ripples displacing the water grid and the greeting splashes.
#include <cmath>

#include "glass_colonnade_scene.h"
#include "middle_scene_fixture.h"
#include "ripple.h"
#include "water_drops_scene.h"

namespace {

class WaterDropsSceneTest : public OneSceneFixture<MiddleSceneFixture, WaterDropsScene, false> {
protected:
    void TearDown() override {
        delete sceneRegistry.scene4;
        OneSceneFixture::TearDown();
    }
    // Runs frames of 0.02 s from `from` until `until` (music seconds).
    void play(float from, float until) {
        for (float t = from; t < until; t += 0.02f) frame(0.02f, t);
    }
};

TEST_F(WaterDropsSceneTest, DropsAimAtTheirWaterVertices) {
    const Vertex& target = scene->waterMesh->vertices[2230];
    EXPECT_EQ(scene->dropPositions[0].x, target.x);
    EXPECT_EQ(scene->dropPositions[0].y, target.y);
    EXPECT_FLOAT_EQ(scene->dropPositions[0].z, -53.8f) << "drop 0 starts closer";
    EXPECT_FLOAT_EQ(scene->dropPositions[5].z, -70.0f);
    EXPECT_EQ(scene->dropPositions[5].x, scene->waterMesh->vertices[6832].x);
}

TEST_F(WaterDropsSceneTest, FirstDropFallsAtOnceAndHitsAfter2_19Seconds) {
    frame(0.02f, 144.0f);
    EXPECT_TRUE(scene->dropFalling[0]) << "143.2 s has passed when the scene starts";
    EXPECT_FALSE(scene->dropFalling[1]);
    EXPECT_EQ(drawsFrom(scene->fallingMesh->vertexBuffer), 1);

    play(144.02f, 146.15f);
    EXPECT_FALSE(scene->ripples[0].active);
    EXPECT_TRUE(scene->dropFalling[0]);
    play(146.15f, 146.25f);
    EXPECT_TRUE(scene->ripples[0].active);
    EXPECT_FALSE(scene->dropFalling[0]);
    EXPECT_EQ(scene->ripples[0].x, scene->dropPositions[0].x);
    EXPECT_EQ(scene->ripples[0].y, scene->dropPositions[0].y);
    EXPECT_TRUE(scene->splashVisible[0]);
    EXPECT_FLOAT_EQ(scene->splashPositions[0].y, scene->dropPositions[0].y + 2.0f);

    // Drop 1 started at 145 s from -70: it hits at 148 s.
    EXPECT_TRUE(scene->dropFalling[1]);
    play(146.25f, 147.9f);
    EXPECT_FALSE(scene->ripples[1].active);
    play(147.9f, 148.1f);
    EXPECT_TRUE(scene->ripples[1].active);
}

TEST_F(WaterDropsSceneTest, DropStartsOnlyAfterItsTime) {
    frame(0.02f, 145.0f);
    EXPECT_FALSE(scene->dropFalling[1]);
    frame(0.02f, 145.02f);
    EXPECT_TRUE(scene->dropFalling[1]);
    // Drop 8 belongs to 207 s and never falls in this scene.
    play(145.04f, 160.0f);
    EXPECT_FALSE(scene->dropFalling[8]);
    EXPECT_FALSE(scene->ripples[8].active);
}

TEST_F(WaterDropsSceneTest, SecondImpactOnAnActiveRippleStartsNothing) {
    scene->ripples[1].start(5.0f, 5.0f, -10.0f);
    scene->ripples[1].radius = 50.0f;
    play(145.02f, 148.2f);
    EXPECT_EQ(scene->ripples[1].x, 5.0f) << "the running ripple keeps its centre";
    EXPECT_FALSE(scene->splashVisible[1]) << "no splash either";
    EXPECT_FALSE(scene->dropFalling[1]) << "the drop just vanishes";
}

TEST_F(WaterDropsSceneTest, WaterRisesOnlyWithinTheRipples) {
    play(144.0f, 147.0f);  // drop 0 hit about 0.8 s ago
    const Ripple& ripple = scene->ripples[0];
    ASSERT_TRUE(ripple.active);
    int raised = 0;
    for (int n = 0; n < scene->waterMesh->vertexCount; ++n) {
        const Vertex& v = scene->waterMesh->vertices[n];
        const float dx = 100.0f * v.x - 100.0f * ripple.x;
        const float dy = 100.0f * v.y - 100.0f * ripple.y;
        const float g = std::sqrt(dx * dx + dy * dy);
        if (g > ripple.radius + 1.0f) {
            ASSERT_EQ(v.z, 0.0f) << "vertex " << n << " lies outside every ripple";
        } else if (v.z != 0.0f) {
            ++raised;
            EXPECT_LE(std::fabs(v.z), 0.7f);
        }
    }
    EXPECT_GT(raised, 10);
    // The buffer carries the displaced positions, colours untouched.
    const MeshObject* water = scene->waterMesh;
    const TexturedBufferVertex& corner =
        RecordingDevice::bufferOf(water->vertexBuffer)->vertexAt<TexturedBufferVertex>(0);
    EXPECT_EQ(corner.z, water->vertices[water->triangles[0].i0].z);
    EXPECT_EQ(alphaOf(corner.diffuse), 255u) << "the intro left the water opaque";
}

TEST_F(WaterDropsSceneTest, IntroDrawsSceneFourUntilTheWaterIsOpaque) {
    GlassColonnadeScene* colonnade = new GlassColonnadeScene();
    colonnade->init(&device);
    sceneRegistry.scene4 = colonnade;
    frame(0.02f, 144.0f);
    EXPECT_EQ(drawsFrom(colonnade->backgroundMesh->vertexBuffer), 1);
    EXPECT_EQ(drawsFrom(scene->layerMeshes[3].vertexBuffer), 1);
    EXPECT_FLOAT_EQ(scene->layerPositions[0].x, 75.0f - 1.6f);
    EXPECT_FLOAT_EQ(scene->layerPositions[2].y, -(75.0f - 1.6f));
    EXPECT_EQ(alphaOf(bufferColor(scene->waterMesh)), 1u);

    play(144.02f, 146.8f);
    EXPECT_TRUE(scene->introActive);
    play(146.8f, 146.9f);
    EXPECT_FALSE(scene->introActive) << "about 2.83 s";
    EXPECT_EQ(scene->waterAlpha, 255.0f);
    frame(0.02f, 147.0f);
    EXPECT_EQ(drawsFrom(colonnade->backgroundMesh->vertexBuffer), 0);
    EXPECT_EQ(drawsFrom(scene->layerMeshes[0].vertexBuffer), 0);
}

TEST_F(WaterDropsSceneTest, IntroEndsAtTwentyFourFramesPerSecond) {
    // At 24 frames per second every frame adds exactly 3.75 to the alpha, so
    // the sum reaches 255 exactly after 68 frames: the intro must end there
    // rather than wait for the alpha to pass 255, which it never does.
    const float dt = 1.0f / 24.0f;
    ASSERT_EQ(90.0f * dt, 3.75f);
    int frames = 0;
    for (float t = 144.0f; scene->introActive && frames < 200; t += dt, ++frames) frame(dt, t);
    EXPECT_FALSE(scene->introActive);
    EXPECT_EQ(frames, 68);
    EXPECT_EQ(scene->waterAlpha, 255.0f);
    EXPECT_EQ(alphaOf(bufferColor(scene->waterMesh)), 255u);
}

TEST_F(WaterDropsSceneTest, SplashCopiesDriftApartWhileFading) {
    play(144.0f, 146.25f);
    ASSERT_TRUE(scene->splashVisible[0]);
    play(146.25f, 147.25f);  // about a second of fading
    frame(0.02f, 147.25f);
    ASSERT_EQ(drawsFrom(scene->splashMeshes[0].vertexBuffer), 5);
    // The copies are placed with the alpha of this frame's update.
    const float alpha = scene->splashAlpha[0];
    EXPECT_NEAR(alpha, 85.0f - 30.0f * 1.07f, 2.0f);
    const float step = (85.0f - alpha) * 0.01f;
    for (int j = 0; j < 5; ++j) {
        const D3DMATRIX* world = worldAtDraw(scene->splashMeshes[0].vertexBuffer, j);
        EXPECT_NEAR(world->m[3][0], scene->splashPositions[0].x + step * (j - 3), 1e-4f);
    }
    play(147.27f, 149.2f);
    EXPECT_FALSE(scene->splashVisible[0]) << "a splash lasts about 2.83 s";
    EXPECT_EQ(scene->splashAlpha[0], 0.0f);
}

TEST_F(WaterDropsSceneTest, LongFrameChangesNothing) {
    frame(0.02f, 144.0f);
    const float z = scene->dropPositions[0].z;
    const float alpha = scene->waterAlpha;
    const float clock = scene->spinClock;
    frame(0.3f, 150.0f);
    EXPECT_EQ(scene->dropPositions[0].z, z);
    EXPECT_EQ(scene->waterAlpha, alpha);
    EXPECT_EQ(scene->spinClock, clock);
    EXPECT_FALSE(scene->dropFalling[3]);
}

}  // namespace

// The wave: 0.7 sin(distance - radius) (in degrees) inside the front,
// nothing beyond it, nothing while inactive; points on both sides of the
// front, near and far, on a spiral around the centre.
TEST(RippleHeight, SineInsideTheFrontAndNothingBeyond) {
    Ripple ripple;
    EXPECT_EQ(0.0f, ripple.heightAt(0.0f, 0.0f)) << "inactive";
    ripple.start(1.5f, -2.0f, -10.0f);
    ripple.spread(1.0f, 450.0f);
    ASSERT_EQ(450.0f, ripple.radius);
    int inside = 0;
    int beyond = 0;
    for (int i = 0; i < 4000; ++i) {
        const float angle = static_cast<float>(i) * 0.37f;
        const float reach = static_cast<float>(i) * 0.0025f;  // 0 to 10 world units: 0 to 1000 hundredths
        const float px = 1.5f + reach * std::cos(angle);
        const float py = -2.0f + reach * std::sin(angle);
        const float dx = 100.0f * px - 100.0f * 1.5f;
        const float dy = 100.0f * py - 100.0f * -2.0f;
        const float distance = std::sqrt(dx * dx + dy * dy);
        const float expected = distance > 450.0f ? 0.0f : std::sin((distance - 450.0f) * 0.017453292f) * 0.7f;
        ASSERT_EQ(expected, ripple.heightAt(px, py)) << "point " << i;
        (distance > 450.0f ? beyond : inside)++;
    }
    EXPECT_GT(inside, 1000);
    EXPECT_GT(beyond, 1000);
}
