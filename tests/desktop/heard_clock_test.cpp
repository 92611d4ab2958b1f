// The music clock over an output that reports what is heard (the sound
// server's): positions follow the reports, small differences only nudge the
// clock, a large one (a gap in the output) sets it, and it never runs
// backwards or past what the output was handed. The clock runs on in real
// time between reports, so the bounds here allow for that, never measure it.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

#include "audio_mixer.h"
#include "test_mp3.h"

namespace {

constexpr uint64_t kMillisecond = audioBytesPerSecond / 1000;  // 176 bytes, 44 stereo frames

// A five-second tone plays from the output's first byte on.
class HeardClockTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::vector<unsigned char> tone = makeToneMp3(5.0);
        auto bytes = std::make_shared<const std::vector<unsigned char>>(tone);
        int error = 0;
        auto stream = std::make_unique<AudioStream>();
        stream->mp3 = bytes;
        handle = mixer.add(std::move(stream));
        ASSERT_TRUE(mixer.play(handle, AudioDecoder::open(bytes, &error)));
        // The output takes 2 s of audio; the stream's first byte is its first.
        std::vector<unsigned char> out(2 * audioBytesPerSecond);
        mixer.mix(out.data(), out.size());
        latency.periodBytes = 100 * kMillisecond;
    }

    int64_t position() { return mixer.position(handle, latency); }

    AudioMixer mixer;
    uint32_t handle = 0;
    AudioLatency latency;
};

// Reports from long ago: the clock has run on by its full period since, so
// the position is exactly the reported one plus the period.
AudioMixer::Clock::time_point longAgo() { return AudioMixer::Clock::now() - std::chrono::seconds(10); }

TEST_F(HeardClockTest, FollowsTheReportedPosition) {
    mixer.reportHeard(500 * kMillisecond, AudioMixer::Clock::now());
    const int64_t at = position();
    EXPECT_GE(at, int64_t(500 * kMillisecond));
    EXPECT_LE(at, int64_t(600 * kMillisecond)) << "at most one period on since the report";
    EXPECT_EQ(at % 4, 0);
    const auto before = longAgo();
    mixer.reportHeard(1200 * kMillisecond, before);  // 700 ms ahead of the clock: set
    EXPECT_EQ(position(), int64_t(1300 * kMillisecond));
}

TEST_F(HeardClockTest, ASmallDifferenceOnlyNudgesTheClock) {
    const auto before = longAgo();
    mixer.reportHeard(1000 * kMillisecond, before);
    EXPECT_EQ(position(), int64_t(1100 * kMillisecond));
    // 8 ms more, reported for the same moment: an eighth of it, 1 ms.
    mixer.reportHeard(1008 * kMillisecond, before);
    EXPECT_EQ(position(), int64_t(1101 * kMillisecond));
    // Back, for the same moment: the clock is nudged back but never runs backwards.
    mixer.reportHeard(1000 * kMillisecond, before);
    EXPECT_EQ(position(), int64_t(1101 * kMillisecond));
}

TEST_F(HeardClockTest, ALargeDifferenceSetsTheClock) {
    const auto before = longAgo();
    mixer.reportHeard(200 * kMillisecond, before);
    mixer.reportHeard(900 * kMillisecond, before);  // a gap: the output moved on
    EXPECT_EQ(position(), int64_t(1000 * kMillisecond));
}

TEST_F(HeardClockTest, NeverPastWhatTheOutputWasHanded) {
    mixer.reportHeard(5 * audioBytesPerSecond, AudioMixer::Clock::now());
    EXPECT_EQ(position(), int64_t(2 * audioBytesPerSecond));
}

}  // namespace
