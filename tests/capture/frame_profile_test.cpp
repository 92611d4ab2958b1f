// The frame profiler's model of what a frame's work costs, which tells a
// frame that drew more apart from one that stalled.
#include "../../tools/capture/frame_profile.h"

#include <gtest/gtest.h>

TEST(FrameWorkModel, TimeFollowsTheFragmentsOffTheMainThreadAndTheCpuOnIt) {
    // The median frame: 20 ms, 4 of them on the main thread, 5 million fragments.
    EXPECT_DOUBLE_EQ(expectedFrameMs(20, 4, 5e6, 4, 5e6), 20);
    // Twice the fragments: twice the 16 ms of rasterizing, the same CPU.
    EXPECT_DOUBLE_EQ(expectedFrameMs(20, 4, 5e6, 4, 10e6), 36);
    // A frame that spent 12 ms more on the main thread (a build, an upload).
    EXPECT_DOUBLE_EQ(expectedFrameMs(20, 4, 5e6, 16, 5e6), 32);
    // A scene that shades nothing keeps its rasterizing time.
    EXPECT_DOUBLE_EQ(expectedFrameMs(3, 1, 0, 1, 2e6), 3);
    // A median frame all on the main thread leaves no rasterizing to scale.
    EXPECT_DOUBLE_EQ(expectedFrameMs(5, 6, 1e6, 7, 3e6), 7);
}
