// Opening streams from good, missing and damaged files, and the position of a
// playing stream on the virtual output, whose clock moves only when advanced.
#include <bass.h>
#include <gtest/gtest.h>

#include <audio_virtual.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "temp_folder.h"
#include "test_mp3.h"

namespace {

constexpr QWORD bytesPerSecond = 176400;

class VirtualStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        audioUseVirtualOutput();
        ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr));
    }
    void TearDown() override { BASS_Free(); }
    std::string file(const std::string& name, const std::vector<unsigned char>& bytes) {
        const std::string path = folder.file(name);
        EXPECT_TRUE(writeBytes(path, bytes));
        return path;
    }
    HSTREAM open(const std::string& path) {
        return BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    }
    // Advances the virtual output until the playing stream stops moving;
    // returns the final position. Bounded by maxSeconds of audio.
    QWORD playToEnd(HSTREAM stream, double maxSeconds) {
        QWORD last = 0;
        for (double t = 0; t < maxSeconds; t += 0.5) {
            EXPECT_TRUE(audioAdvanceVirtualOutput(22050, nullptr));
            const QWORD position = BASS_ChannelGetPosition(stream);
            EXPECT_GE(position, last);
            if (t > 0 && position == last) break;
            last = position;
        }
        return last;
    }
    TempFolder folder{"audio"};
};

TEST_F(VirtualStreamTest, MissingOrUnreadableFilesGiveHandleZero) {
    EXPECT_EQ(open(folder.file("absent.mp3")), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    EXPECT_EQ(open(folder.path()), 0u) << "a folder is not a file";
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, nullptr, 0, 0, 0), 0u);
    EXPECT_EQ(open(file("empty.mp3", {})), 0u);
}

TEST_F(VirtualStreamTest, FilesWithoutMp3AudioGiveHandleZero) {
    const std::string text = "this is a text file, not music\n";
    EXPECT_EQ(open(file("text.mp3", std::vector<unsigned char>(text.begin(), text.end()))), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FORMAT);
    EXPECT_EQ(open(file("zeros.mp3", std::vector<unsigned char>(65536, 0))), 0u);
    // A PNG signature and a WAV header are not MP3 either.
    const std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13};
    EXPECT_EQ(open(file("png.mp3", png)), 0u);
}

TEST_F(VirtualStreamTest, DamagedFilesOpenAsZeroOrPlayWhatTheyCan) {
    const std::vector<unsigned char> good = makeToneMp3(2.0);
    std::vector<std::vector<unsigned char>> damaged;
    damaged.emplace_back(good.begin(), good.begin() + long(good.size() / 2));  // truncated
    damaged.emplace_back(good.begin(), good.begin() + 300);                    // a frame or so
    std::vector<unsigned char> scrambled = good;
    for (size_t i = 1000; i < scrambled.size(); i += 7) scrambled[i] ^= 0x5A;
    damaged.push_back(scrambled);
    std::vector<unsigned char> noise(100000);
    uint32_t state = 1;
    for (unsigned char& byte : noise) byte = (state = state * 214013u + 2531011u) >> 16;
    damaged.push_back(noise);
    std::vector<unsigned char> noisyTail(good.begin(), good.begin() + 2000);
    noisyTail.insert(noisyTail.end(), noise.begin(), noise.end());
    damaged.push_back(noisyTail);

    for (size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE("damaged file " + std::to_string(i));
        const HSTREAM stream = open(file("damaged" + std::to_string(i) + ".mp3", damaged[i]));
        if (stream == 0) continue;
        EXPECT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
        const QWORD end = playToEnd(stream, 20.0);
        EXPECT_LE(end, 3 * bytesPerSecond) << "never more audio than the file could hold";
        EXPECT_EQ(end % 4, 0u);
    }
}

TEST_F(VirtualStreamTest, PositionIsZeroUntilPlayedThenFollowsTheOutputExactly) {
    const HSTREAM stream = open(file("tone.mp3", makeToneMp3(3.0)));
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(BASS_Start());
    ASSERT_TRUE(audioAdvanceVirtualOutput(44100, nullptr));
    EXPECT_EQ(BASS_ChannelGetPosition(stream), 0u) << "not played yet";

    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    EXPECT_EQ(BASS_ChannelGetPosition(stream), 0u) << "nothing heard yet";
    for (int frame = 1; frame <= 60; ++frame) {
        ASSERT_TRUE(audioAdvanceVirtualOutput(735, nullptr));  // 1/60 s
        ASSERT_EQ(BASS_ChannelGetPosition(stream), QWORD(frame) * 735 * 4);
    }
    EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream)), 1.0f);
    EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(stream, 1764), 0.01f);

    // Playing again starts over from the beginning.
    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    ASSERT_TRUE(audioAdvanceVirtualOutput(4410, nullptr));
    EXPECT_EQ(BASS_ChannelGetPosition(stream), 4410u * 4);
}

TEST_F(VirtualStreamTest, PositionStopsAtTheEndOfTheMusic) {
    const HSTREAM stream = open(file("short.mp3", makeToneMp3(1.0)));
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    const QWORD end = playToEnd(stream, 10.0);
    // LAME pads the start and the end by a few frames at most.
    EXPECT_NEAR(double(end) / bytesPerSecond, 1.0, 0.1);
    ASSERT_TRUE(audioAdvanceVirtualOutput(44100, nullptr));
    EXPECT_EQ(BASS_ChannelGetPosition(stream), end);
}

TEST_F(VirtualStreamTest, TheAudioOfTheStretchIsTheDecodedTone) {
    const HSTREAM stream = open(file("tone.mp3", makeToneMp3(2.0)));
    ASSERT_NE(stream, 0u);
    std::vector<unsigned char> pcm;
    ASSERT_TRUE(audioAdvanceVirtualOutput(4410, &pcm));
    ASSERT_EQ(pcm.size(), 4410u * 4);
    for (unsigned char byte : pcm) ASSERT_EQ(byte, 0) << "silence before playing";

    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    pcm.clear();
    ASSERT_TRUE(audioAdvanceVirtualOutput(44100, &pcm));
    ASSERT_EQ(pcm.size(), 44100u * 4);
    // Middle of the second: the left channel carries the louder tone.
    const auto* samples = reinterpret_cast<const int16_t*>(pcm.data());
    double left = 0, right = 0;
    for (size_t i = 22050; i < 22050 + 4410; ++i) {
        left += std::abs(samples[2 * i]);
        right += std::abs(samples[2 * i + 1]);
    }
    left /= 4410;
    right /= 4410;
    EXPECT_NEAR(left, 8000 * 2 / M_PI, 800);
    EXPECT_NEAR(right, 6000 * 2 / M_PI, 600);
}

TEST_F(VirtualStreamTest, OtherRatesAndMonoBecome44100HzStereo) {
    for (int rate : {48000, 22050, 32000}) {
        for (int channels : {1, 2}) {
            SCOPED_TRACE(std::to_string(rate) + " Hz, " + std::to_string(channels) + " channels");
            const HSTREAM stream = open(file("rate.mp3", makeToneMp3(1.0, rate, channels)));
            ASSERT_NE(stream, 0u);
            ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
            std::vector<unsigned char> pcm;
            ASSERT_TRUE(audioAdvanceVirtualOutput(22050, &pcm));
            EXPECT_EQ(BASS_ChannelGetPosition(stream), 22050u * 4);
            // The 440 Hz tone keeps its pitch: count rising zero crossings of the left channel.
            const auto* samples = reinterpret_cast<const int16_t*>(pcm.data());
            int crossings = 0;
            for (size_t i = 4411; i < 22050; ++i) {
                if (samples[2 * (i - 1)] < 0 && samples[2 * i] >= 0) ++crossings;
            }
            EXPECT_NEAR(crossings, 440 * (22050 - 4411) / 44100.0, 3);
            if (channels == 1) {
                EXPECT_EQ(samples[2 * 10000], samples[2 * 10000 + 1]);
            }
            const QWORD end = playToEnd(stream, 10.0);
            EXPECT_NEAR(double(end) / bytesPerSecond, 1.0, 0.1);
        }
    }
}

TEST_F(VirtualStreamTest, StreamsOpenFromMemory) {
    const std::vector<unsigned char> mp3 = makeToneMp3(1.0);
    const HSTREAM stream = BASS_StreamCreateFile(TRUE, mp3.data(), 0, DWORD(mp3.size()), 0);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    EXPECT_NEAR(double(playToEnd(stream, 10.0)) / bytesPerSecond, 1.0, 0.1);
    EXPECT_EQ(BASS_StreamCreateFile(TRUE, mp3.data(), 0, 0, 0), 0u);
}

TEST_F(VirtualStreamTest, UnknownHandlesAreRefused) {
    EXPECT_EQ(BASS_ChannelGetPosition(0), QWORD(-1));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_FALSE(BASS_StreamPlay(0, FALSE, 0));
    EXPECT_FALSE(BASS_StreamPlay(12345, FALSE, 0));
    EXPECT_LT(BASS_ChannelBytes2Seconds(0, 0), 0.0f);
}

}  // namespace
