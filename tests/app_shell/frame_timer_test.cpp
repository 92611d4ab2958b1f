// FrameTimer arithmetic on a counter the test sets.
#include <gtest/gtest.h>

#include "frame_timer.h"
#include "test_clock.h"

namespace {

TEST(FrameTimer, FirstFrameMeasuresFromCounterZero) {
    testClock.frequency = 1000000000;
    testClock.counter = 3000000000LL;  // three seconds after the counter's start
    FrameTimer timer{};
    timer.start();
    EXPECT_EQ(timer.frequency, 1000000000);
    timer.update();
    EXPECT_EQ(timer.deltaTicks, 3000000000LL);
    EXPECT_EQ(timer.previousCounter, 3000000000LL);
    EXPECT_EQ(timer.frameMilliseconds, 3000.0f);
    // 3000 x 0.001f rounds up to the float just above 3.
    EXPECT_FLOAT_EQ(timer.frameSeconds(), 3.0f);
    EXPECT_GT(static_cast<double>(timer.frameSeconds()), 0.1);  // the scenes skip it
}

TEST(FrameTimer, LaterFramesMeasureFromThePreviousUpdate) {
    testClock.frequency = 1000000;
    testClock.counter = 500000;
    FrameTimer timer{};
    timer.start();
    timer.update();
    testClock.counter = 516667;
    timer.update();
    EXPECT_EQ(timer.counter, 516667);
    EXPECT_EQ(timer.deltaTicks, 16667);
    EXPECT_EQ(timer.previousCounter, 516667);
    EXPECT_FLOAT_EQ(timer.frameMilliseconds, 16.667f);
    EXPECT_FLOAT_EQ(timer.frameSeconds(), 0.016667f);
    // The same counter twice: a frame of no time.
    timer.update();
    EXPECT_EQ(timer.deltaTicks, 0);
    EXPECT_EQ(timer.frameSeconds(), 0.0f);
}

TEST(FrameTimer, SecondsComeFromTheFullPrecisionMilliseconds) {
    // The classic 3.579545 MHz counter: here milliseconds x 0.001 rounds
    // differently from the stored float milliseconds x 0.001.
    testClock.frequency = 3579545;
    testClock.counter = (int64_t{1} << 40);  // beyond 32 bits
    FrameTimer timer{};
    timer.start();
    timer.update();
    testClock.counter = (int64_t{1} << 40) + 92;
    timer.update();
    EXPECT_EQ(timer.deltaTicks, 92);
    EXPECT_EQ(timer.frameMilliseconds, 0.0257015899f);
    EXPECT_EQ(timer.frameSeconds(), 2.57015927e-05f);
    EXPECT_NE(timer.frameSeconds(), timer.frameMilliseconds * 0.001f);
}

}  // namespace
