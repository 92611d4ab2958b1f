// The outputs that run on their own: the default device (SDL's dummy driver
// under the tests) and the silent clock. Their clocks are real time, so these
// tests only look at the direction of the position, never at durations.
#include <bass.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "test_mp3.h"

namespace {

// Each test process writes its own file: ctest runs these tests side by side,
// and one must never read the file while another is writing it.
std::string toneFile() {
    const std::string path =
        ::testing::TempDir() + "zelvaro-output-tone-" + std::to_string(getpid()) + ".mp3";
    static const struct Remover {
        std::string path;
        ~Remover() { std::remove(path.c_str()); }
    } remover{path};
    writeBytes(path, makeToneMp3(5.0));
    return path;
}

// Waits, in small sleeps, until the stream's position has grown `steps` times,
// checking that it never goes backwards. Gives up after a generous bound.
void expectPositionGrows(HSTREAM stream, int steps) {
    QWORD last = BASS_ChannelGetPosition(stream);
    int grown = 0;
    for (int i = 0; i < 3000 && grown < steps; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const QWORD position = BASS_ChannelGetPosition(stream);
        ASSERT_NE(position, QWORD(-1));
        ASSERT_GE(position, last) << "the position never runs backwards";
        ASSERT_EQ(position % 4, 0u);
        if (position > last) ++grown;
        last = position;
    }
    EXPECT_EQ(grown, steps) << "the position kept growing while the stream played";
}

class RealTimeOutputTest : public ::testing::TestWithParam<int> {
protected:
    void TearDown() override { BASS_Free(); }
};

TEST_P(RealTimeOutputTest, PositionIsZeroBeforePlayAndGrowsWhilePlaying) {
    ASSERT_TRUE(BASS_Init(GetParam(), 44100, 0, nullptr)) << BASS_ErrorGetCode();
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, toneFile().c_str(), 0, 0, 0);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(BASS_Start());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(BASS_ChannelGetPosition(stream), 0u) << "the output runs, the stream does not";

    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    expectPositionGrows(stream, 5);
    const float seconds = BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream));
    EXPECT_GT(seconds, 0.0f);
    EXPECT_LE(seconds, 5.1f);
}

// -1: the default device; 0: no device, the silent clock.
INSTANTIATE_TEST_SUITE_P(Outputs, RealTimeOutputTest, ::testing::Values(-1, 0));

TEST(AudioLibraryTest, InitialisesOnceUntilFreed) {
    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr));
    EXPECT_FALSE(BASS_Init(-1, 44100, 0, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
    EXPECT_TRUE(BASS_Free());
    EXPECT_FALSE(BASS_Free());
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, toneFile().c_str(), 0, 0, 0), 0u)
        << "no stream without an output";
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr));
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, toneFile().c_str(), 0, 0, 0);
    EXPECT_NE(stream, 0u);
    EXPECT_TRUE(BASS_Free());
    EXPECT_EQ(BASS_ChannelGetPosition(stream), QWORD(-1)) << "freed with the library";
}

TEST(AudioLibraryTest, UnknownDevicesAreRefused) {
    EXPECT_FALSE(BASS_Init(7, 44100, 0, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
}

TEST(AudioLibraryTest, WithoutAnySoundDriverTheSilentClockStandsIn) {
    // No driver by that name exists, so no device can open.
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    const bool initialised = BASS_Init(-1, 44100, 0, nullptr);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(initialised);
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, toneFile().c_str(), 0, 0, 0);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(BASS_Start());
    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    expectPositionGrows(stream, 3);
    BASS_Free();
}

}  // namespace
