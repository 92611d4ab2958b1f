// The spreading ripple shared by the tiles of scene 8 and the water of scene 11.
#include <gtest/gtest.h>

#include <cmath>

#include "ripple.h"

namespace {

TEST(RippleTest, ReachesOnlyInsideItsRadius) {
    Ripple ripple;
    ripple.start(1.0f, -2.0f, -10.0f);
    ripple.radius = 300.0f;  // three world units
    EXPECT_FLOAT_EQ(ripple.heightAt(1.0f, -2.0f), std::sin(-300.0f * 0.017453292f) * 0.7f)
        << "the centre lies one radius behind the front";
    EXPECT_FLOAT_EQ(ripple.heightAt(3.0f, -2.0f), std::sin(-100.0f * 0.017453292f) * 0.7f);
    EXPECT_EQ(ripple.heightAt(4.1f, -2.0f), 0.0f) << "beyond the front the surface is flat";
    EXPECT_EQ(ripple.heightAt(1.0f, 1.01f), 0.0f);
    // Within the front the wave never exceeds its amplitude.
    for (float x = -2.0f; x <= 4.0f; x += 0.25f) EXPECT_LE(std::fabs(ripple.heightAt(x, -2.0f)), 0.7f);
}

TEST(RippleTest, InactiveRippleIsFlatAndDoesNotSpread) {
    Ripple ripple;
    EXPECT_FALSE(ripple.active);
    ripple.radius = 1000.0f;
    EXPECT_EQ(ripple.heightAt(0.5f, 0.5f), 0.0f);
    ripple.spread(0.5f, 450.0f);
    EXPECT_EQ(ripple.radius, 1000.0f);
}

TEST(RippleTest, SecondImpactOnAnActiveRippleStartsNothing) {
    Ripple ripple;
    ripple.start(2.0f, 3.0f, -9.0f);
    ripple.spread(0.5f, 450.0f);
    EXPECT_FLOAT_EQ(ripple.radius, 225.0f);
    ripple.start(-5.0f, -5.0f, -9.5f);
    EXPECT_EQ(ripple.x, 2.0f);
    EXPECT_EQ(ripple.y, 3.0f);
    EXPECT_FLOAT_EQ(ripple.radius, 225.0f) << "the running wave is not restarted";
}

}  // namespace
