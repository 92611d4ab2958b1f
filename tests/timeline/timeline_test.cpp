// The Timeline: which scene each music time selects, the float-to-double
// comparison at the thresholds, and the frame in which the scene switches.
#include <cmath>
#include <limits>

#include "timeline_fixture.h"

namespace {

using Strings = std::vector<std::string>;

struct Row {
    double after;
    int scene;
};

// The schedule as the show plays it; scene 6 comes from the hand-over.
const Row schedule[] = {
    {15.5, 5},  {32, 7},    {48, 10},   {64.5, 2},  {80, 3},   {96, 8},
    {112.2, 9}, {120.2, 4}, {128.2, 9}, {136.2, 4}, {144, 11}, {160, 1},
    {168, 12},  {176, 1},   {184, 12},  {192.3, 6}, {200, 13},
};

class TimelineTest : public TimelineFixture {
protected:
    int sceneAt(float seconds, int before = 6) {
        demoContext->sceneNumber = before;
        musicTime = seconds;
        applyTimeline();
        return demoContext->sceneNumber;
    }
};

TEST_F(TimelineTest, EveryRowSwitchesAtTheFirstFloatAboveItsThreshold) {
    int previous = 6;
    for (const Row& row : schedule) {
        SCOPED_TRACE("threshold " + std::to_string(row.after));
        // The largest float not above the threshold, and the next one up.
        float below = float(row.after);
        if (double(below) > row.after) below = std::nextafter(below, 0.0f);
        const float above = std::nextafter(below, std::numeric_limits<float>::infinity());
        EXPECT_EQ(sceneAt(below), previous);
        EXPECT_EQ(sceneAt(above), row.scene);
        previous = row.scene;
    }
}

TEST_F(TimelineTest, MusicTimeExactlyAtAThresholdDoesNotSwitch) {
    EXPECT_EQ(sceneAt(15.5f), 6);
    EXPECT_EQ(sceneAt(32.0f), 5);
    EXPECT_EQ(sceneAt(64.5f), 10);
    EXPECT_EQ(sceneAt(200.0f), 6);
    EXPECT_EQ(sceneAt(200.00002f), 13);
}

TEST_F(TimelineTest, TheFloat112Point2IsBelowTheDoubleAndDoesNotSwitchYet) {
    const float time = 112.2f;
    ASSERT_LT(double(time), 112.2);
    EXPECT_EQ(sceneAt(time), 8);
    EXPECT_EQ(sceneAt(112.21f), 9);
}

TEST_F(TimelineTest, TheRunningOrderOfTheShow) {
    const struct {
        float time;
        int scene;
    } order[] = {{0.0f, 6},   {10.0f, 6},   {20.0f, 5},   {40.0f, 7},   {50.0f, 10},
                 {70.0f, 2},  {90.0f, 3},   {100.0f, 8},  {115.0f, 9},  {125.0f, 4},
                 {130.0f, 9}, {140.0f, 4},  {150.0f, 11}, {165.0f, 1},  {170.0f, 12},
                 {180.0f, 1}, {190.0f, 12}, {195.0f, 6},  {201.0f, 13}, {500.0f, 13}};
    for (const auto& step : order) {
        EXPECT_EQ(sceneAt(step.time), step.scene) << "at " << step.time << " s";
    }
}

TEST_F(TimelineTest, BelowTheFirstThresholdTheSceneNumberIsKept) {
    EXPECT_EQ(sceneAt(0.0f, 14), 14);
    EXPECT_EQ(sceneAt(15.4f, 3), 3);
    EXPECT_EQ(sceneAt(-1.0f, 6), 6);
}

TEST_F(TimelineTest, WithTheMusicStuckAtZeroSceneSixStaysForever) {
    fillRegistry();
    timelineEnabled = true;
    demoContext->sceneNumber = 6;
    for (int i = 0; i < 500; ++i) {
        ASSERT_EQ(frame(), Strings{"render 6"});
    }
    EXPECT_EQ(demoContext->sceneNumber, 6);
}

TEST_F(TimelineTest, TheSwitchingFrameRunsTheOldPreRenderAndTheNewRender) {
    fillRegistry();
    timelineEnabled = true;
    demoContext->sceneNumber = 5;
    musicTime = 31.9f;
    EXPECT_EQ(frame(), (Strings{"preRender 5", "render 5"}));
    musicTime = 32.01f;
    EXPECT_EQ(frame(), (Strings{"preRender 5", "render 7"}));
    EXPECT_EQ(frame(), (Strings{"preRender 7", "render 7"}));
    // Into a scene without a render-to-texture pass and out of it.
    musicTime = 80.5f;
    demoContext->sceneNumber = 2;
    EXPECT_EQ(frame(), (Strings{"preRender 2", "render 3"}));
    musicTime = 96.5f;
    EXPECT_EQ(frame(), (Strings{"render 8"}));
    EXPECT_EQ(frame(), (Strings{"preRender 8", "render 8"}));
}

TEST_F(TimelineTest, TheTimelineIsNotAppliedUntilEnabled) {
    fillRegistry();
    demoContext->sceneNumber = 14;
    musicTime = 50.0f;
    EXPECT_EQ(frame(), Strings{"render 14"});
    timelineEnabled = true;
    EXPECT_EQ(frame(), Strings{"render 10"});
}

}  // namespace
