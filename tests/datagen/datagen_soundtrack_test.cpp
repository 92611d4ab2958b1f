// The generated soundtrack decoded with libmpg123: its length and format,
// its alignment with the beat grid, the section changes at the switch times
// (with a level plot written next to the build), and its ending.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include <mpg123.h>

#include "image_files.h"
#include "mp3_file.h"
#include "music_analysis.h"
#include "soundtrack.h"
#include "temp_folder.h"

namespace {

const std::string kMp3 = std::string(ZELVARO_DATA_DIR) + "/msx/zelvaro.mp3";

struct Decoded {
  long rate = 0;
  int channels = 0;
  std::vector<float> left, right;
  std::string error;
};

Decoded decodeMp3(const std::string& path) {
  Decoded out;
#if MPG123_API_VERSION < 46
  mpg123_init();
#endif
  int err = MPG123_OK;
  mpg123_handle* handle = mpg123_new(nullptr, &err);
  if (!handle) {
    out.error = "mpg123_new failed";
    return out;
  }
  mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_GAPLESS, 0.0);
  mpg123_format_none(handle);
  mpg123_format(handle, 44100, MPG123_STEREO | MPG123_MONO, MPG123_ENC_SIGNED_16);
  if (mpg123_open(handle, path.c_str()) != MPG123_OK) {
    out.error = std::string("cannot open ") + path + ": " + mpg123_strerror(handle);
    mpg123_delete(handle);
    return out;
  }
  int encoding = 0;
  mpg123_getformat(handle, &out.rate, &out.channels, &encoding);
  std::vector<unsigned char> buffer(65536);
  for (;;) {
    std::size_t got = 0;
    int rc = mpg123_read(handle, buffer.data(), buffer.size(), &got);
    const auto* samples = reinterpret_cast<const short*>(buffer.data());
    for (std::size_t i = 0; i + 1 < got / 2; i += 2) {
      out.left.push_back(static_cast<float>(samples[i]) / 32768.0f);
      out.right.push_back(static_cast<float>(samples[i + 1]) / 32768.0f);
    }
    if (rc == MPG123_DONE) break;
    if (rc != MPG123_OK && rc != MPG123_NEW_FORMAT) {
      out.error = std::string("decoding failed: ") + mpg123_strerror(handle);
      break;
    }
  }
  mpg123_close(handle);
  mpg123_delete(handle);
  return out;
}

class DatagenSoundtrack : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (ZELVARO_DATA_GENERATED && std::filesystem::exists(kMp3)) decoded = new Decoded(decodeMp3(kMp3));
  }
  static void TearDownTestSuite() {
    delete decoded;
    decoded = nullptr;
  }
  void SetUp() override {
    if (!decoded) GTEST_SKIP() << "no generated soundtrack at " << kMp3 << " (generation off or replaced)";
    ASSERT_EQ(decoded->error, "");
  }
  static Decoded* decoded;
};

Decoded* DatagenSoundtrack::decoded = nullptr;

TEST(DatagenMp3, AnyLengthComesBackExactlyAndInPlace) {
  // an odd length, a click train on the left and a tone on the right
  const std::size_t frames = 54419;
  std::vector<std::int16_t> pcm(frames * 2, 0);
  for (std::size_t i = 0; i < frames; ++i) {
    pcm[i * 2] = i % 4410 < 40 ? 20000 : 0;
    pcm[i * 2 + 1] = static_cast<std::int16_t>(8000.0 * std::sin(static_cast<double>(i) * 2.0 * 3.14159265358979 * 330.0 / 44100.0));
  }
  TempFolder folder("datagen-roundtrip");
  std::string path = folder.file("roundtrip.mp3");
  ASSERT_EQ(datagen::writeMp3(path, pcm, 192), "");
  Decoded d = decodeMp3(path);
  ASSERT_EQ(d.error, "");
  EXPECT_EQ(d.left.size(), frames);
  // the clicks come back at multiples of 0.1 s
  for (std::size_t click = 4410; click + 4410 < frames; click += 4410) {
    EXPECT_GT(std::fabs(d.left[click + 20]), 0.3f) << click;
    EXPECT_LT(std::fabs(d.left[click - 200]), 0.05f) << click;
  }
}

double rmsDb(const std::vector<float>& l, const std::vector<float>& r, double from, double to) {
  auto a = static_cast<std::size_t>(from * 44100), b = std::min(l.size(), static_cast<std::size_t>(to * 44100));
  double sum = 0.0;
  for (std::size_t i = a; i < b; ++i) sum += 0.5 * (l[i] * l[i] + r[i] * r[i]);
  return 10.0 * std::log10(sum / static_cast<double>(std::max<std::size_t>(1, b - a)) + 1e-12);
}

TEST_F(DatagenSoundtrack, DecodesToTheStatedLengthAsStereoAt44100Hz) {
  EXPECT_EQ(decoded->rate, 44100);
  EXPECT_EQ(decoded->channels, 2);
  // the Info tag lets the decoder drop the encoder delay and padding: not one frame more or less
  EXPECT_EQ(decoded->left.size(), static_cast<std::size_t>(datagen::kSoundtrackSeconds * 44100));
}

TEST_F(DatagenSoundtrack, DecodedAudioLinesUpWithTheSynthesizedMixAtTimeZero) {
  std::vector<std::int16_t> pcm = datagen::toPcm16(datagen::renderSoundtrack());
  // correlate two seconds from 16 s (drums playing) over lags of +-50 ms
  const long start = 16 * 44100, length = 2 * 44100, maxLag = 2205;
  long bestLag = 0;
  double best = -1e30;
  for (long lag = -maxLag; lag <= maxLag; ++lag) {
    double sum = 0.0;
    for (long i = 0; i < length; i += 3) {
      sum += static_cast<double>(decoded->left[static_cast<std::size_t>(start + i + lag)]) *
             pcm[static_cast<std::size_t>(start + i) * 2];
    }
    if (sum > best) {
      best = sum;
      bestLag = lag;
    }
  }
  EXPECT_EQ(bestLag, 0) << "the decoded music is shifted by " << bestLag << " samples";
}

TEST_F(DatagenSoundtrack, KicksFallOnTheHalfSecondBeatGrid) {
  // low-frequency energy in 20 ms windows at the beats against halfway between them
  auto lowEnergy = [&](double t) {
    auto a = static_cast<std::size_t>(t * 44100);
    double sum = 0.0, smooth = 0.0;
    for (std::size_t i = a; i < a + 882; ++i) {
      smooth += 0.02 * (0.5 * (decoded->left[i] + decoded->right[i]) - smooth);  // crude low-pass
      sum += smooth * smooth;
    }
    return sum;
  };
  double onBeat = 0.0, between = 0.0;
  for (double t = 16.0; t < 31.0; t += 0.5) {
    onBeat += lowEnergy(t);
    between += lowEnergy(t + 0.25);
  }
  EXPECT_GT(onBeat, 4.0 * between);
}

TEST_F(DatagenSoundtrack, TheSoundChangesAtEverySwitchTimeAndLessInBetween) {
  const double window = 0.05;
  std::vector<datagen::LevelFrame> levels = datagen::analyseLevels(decoded->left, decoded->right, window);
  std::vector<double> starts = datagen::sectionStarts();
  ASSERT_EQ(starts.size(), 17u);
  std::vector<float> atSwitch, inBetween;
  for (std::size_t i = 0; i < starts.size(); ++i) {
    SCOPED_TRACE(starts[i]);
    // the arrangement's change sits within a quarter beat of the switch time
    EXPECT_LE(std::fabs(starts[i] - datagen::kSceneSwitchTimes[i]), 0.25);
    float change = datagen::levelChange(levels, window, starts[i], 1.0);
    EXPECT_GT(change, 1.5f) << "no audible change";
    atSwitch.push_back(change);
    double mid = starts[i] + 4.0;  // two bars into the section
    if (i + 1 < starts.size() && mid + 1.0 < starts[i + 1]) inBetween.push_back(datagen::levelChange(levels, window, mid, 1.0));
  }
  std::sort(atSwitch.begin(), atSwitch.end());
  std::sort(inBetween.begin(), inBetween.end());
  EXPECT_GT(atSwitch[atSwitch.size() / 2], 2.0f * inBetween[inBetween.size() / 2]);

  std::string plot = std::string(ZELVARO_BINARY_DIR) + "/datagen-soundtrack-levels.png";
  std::vector<double> switches(datagen::kSceneSwitchTimes, datagen::kSceneSwitchTimes + datagen::kSceneSwitchCount);
  ASSERT_EQ(datagen::writePng(plot, datagen::plotLevels(levels, window, switches), false), "");
  EXPECT_TRUE(std::filesystem::exists(plot));
}

TEST_F(DatagenSoundtrack, RingsOnPastTheShowsEndAndFadesToSilence) {
  double tail = rmsDb(decoded->left, decoded->right, 202.6, 204.0);
  EXPECT_GT(tail, -40.0) << "the ending is not audible after the show ends itself at 202.5 s";
  double last = rmsDb(decoded->left, decoded->right, datagen::kSoundtrackSeconds - 0.05, datagen::kSoundtrackSeconds);
  EXPECT_LT(last, -50.0);
  double intro = rmsDb(decoded->left, decoded->right, 1.0, 14.0);
  double drop = rmsDb(decoded->left, decoded->right, 97.0, 111.0);
  EXPECT_GT(drop, intro + 6.0) << "too little dynamics between the intro and the full band";
}

}  // namespace
