// The synthesizer's voices heard on their own (pitch, decay, stereo, timing),
// the arrangement's grid, and the level analysis on signals with a known step.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "image.h"
#include "music_analysis.h"
#include "soundtrack.h"
#include "synth.h"

namespace {

using datagen::kSampleRate;

double energy(const std::vector<float>& s, double from, double to) {
  auto a = static_cast<std::size_t>(from * kSampleRate), b = static_cast<std::size_t>(to * kSampleRate);
  double sum = 0.0;
  for (std::size_t i = a; i < b && i < s.size(); ++i) sum += static_cast<double>(s[i]) * s[i];
  return sum;
}

// Fundamental frequency from the normalised autocorrelation: the shortest lag
// (past the first dip) that correlates almost as well as the best one.
double pitchOf(const std::vector<float>& s, double from, double seconds) {
  auto a = static_cast<std::size_t>(from * kSampleRate), n = static_cast<std::size_t>(seconds * kSampleRate);
  const std::size_t maxLag = kSampleRate / 40;
  std::vector<double> r(maxLag + 1, 0.0);
  for (std::size_t lag = 1; lag <= maxLag; ++lag) {
    double xy = 0.0, xx = 0.0, yy = 0.0;
    for (std::size_t i = a; i < a + n; ++i) {
      xy += static_cast<double>(s[i]) * s[i + lag];
      xx += static_cast<double>(s[i]) * s[i];
      yy += static_cast<double>(s[i + lag]) * s[i + lag];
    }
    r[lag] = xy / std::sqrt(xx * yy + 1e-30);
  }
  std::size_t start = 1;
  while (start < maxLag && r[start] > 0.0) ++start;
  double best = -1.0;
  for (std::size_t lag = start; lag <= maxLag; ++lag) best = std::max(best, r[lag]);
  for (std::size_t lag = start; lag <= maxLag; ++lag) {
    if (r[lag] >= 0.9 * best) {
      while (lag < maxLag && r[lag + 1] > r[lag]) ++lag;  // climb to the top of that peak
      return static_cast<double>(kSampleRate) / static_cast<double>(lag);
    }
  }
  return 0.0;
}

TEST(DatagenSynth, NotesAreTunedToA440) {
  EXPECT_NEAR(datagen::noteFrequency(69), 440.0, 1e-9);
  EXPECT_NEAR(datagen::noteFrequency(57), 220.0, 1e-9);
  EXPECT_NEAR(datagen::noteFrequency(60), 261.6256, 1e-3);

  datagen::StereoBuffer bass(kSampleRate * 2);
  datagen::renderBass(bass, 0.1, 1.0, 45, 0.5f, 0.3f);  // A2
  EXPECT_NEAR(pitchOf(bass.left, 0.3, 0.2), 110.0, 2.0);

  datagen::StereoBuffer lead(kSampleRate * 2);
  datagen::renderLead(lead, 0.1, 1.0, 57, 0.5f, 0.0f);  // A3
  EXPECT_NEAR(pitchOf(lead.left, 0.15, 0.1), 220.0, 4.0);

  datagen::StereoBuffer pad(kSampleRate * 2);
  datagen::renderPad(pad, 0.0, 1.5, 48, 0.5f, 0.5f);  // C3
  EXPECT_NEAR(pitchOf(pad.right, 0.6, 0.2), 130.81, 3.0);
}

TEST(DatagenSynth, SoundsStartAtTheirTimeAndDecay) {
  datagen::StereoBuffer drums(kSampleRate * 2);
  datagen::renderKick(drums, 0.5, 1.0f);
  EXPECT_EQ(energy(drums.left, 0.0, 0.499), 0.0) << "sound before its start time";
  double attack = energy(drums.left, 0.5, 0.6), tail = energy(drums.left, 0.8, 0.9);
  EXPECT_GT(attack, 20.0 * tail);
  // the kick is a low sound: its pitch falls to the bottom of the bass range
  EXPECT_LT(pitchOf(drums.left, 0.62, 0.1), 70.0);

  datagen::StereoBuffer hats(kSampleRate);
  datagen::renderHat(hats, 0.1, 0.5f, false, 0.0f);
  EXPECT_GT(energy(hats.left, 0.1, 0.13), 50.0 * energy(hats.left, 0.25, 0.3));
}

TEST(DatagenSynth, PanningPlacesASoundBetweenTheSpeakers) {
  datagen::StereoBuffer left(kSampleRate), right(kSampleRate), centre(kSampleRate);
  datagen::renderPluck(left, 0.0, 69, 0.5f, -1.0f, 0.5f);
  datagen::renderPluck(right, 0.0, 69, 0.5f, 1.0f, 0.5f);
  datagen::renderPluck(centre, 0.0, 69, 0.5f, 0.0f, 0.5f);
  EXPECT_LT(energy(left.right, 0.0, 0.5), 1e-6 * energy(left.left, 0.0, 0.5));
  EXPECT_LT(energy(right.left, 0.0, 0.5), 1e-6 * energy(right.right, 0.0, 0.5));
  EXPECT_NEAR(energy(centre.left, 0.0, 0.5) / energy(centre.right, 0.0, 0.5), 1.0, 1e-3);
}

TEST(DatagenSynth, DelayRepeatsTheSoundOnTheOtherSide) {
  datagen::StereoBuffer b(kSampleRate * 2);
  b.left[1000] = 1.0f;  // one click on the left
  datagen::applyPingPongDelay(b, 0.25, 0.5f, 1.0f);
  std::size_t d = kSampleRate / 4;
  EXPECT_FLOAT_EQ(b.right[1000 + d], 0.5f);
  EXPECT_FLOAT_EQ(b.left[1000 + 2 * d], 0.25f);
  EXPECT_EQ(b.right[1000 + d - 1], 0.0f);
}

TEST(DatagenSynth, MasteringKeepsPeaksAtTheTarget) {
  datagen::StereoBuffer b(1000);
  for (std::size_t i = 0; i < b.frames(); ++i) b.left[i] = b.right[i] = 3.0f * std::sin(static_cast<float>(i) * 0.05f);
  datagen::masterBuffer(b, 0.89f);
  float peak = 0.0f;
  for (std::size_t i = 0; i < b.frames(); ++i) peak = std::max(peak, std::fabs(b.left[i]));
  EXPECT_NEAR(peak, 0.89f, 1e-5f);
}

TEST(DatagenArrangement, SectionsStartOnBeatsNextToTheSwitchTimes) {
  std::vector<double> starts = datagen::sectionStarts();
  ASSERT_EQ(static_cast<int>(starts.size()), datagen::kSceneSwitchCount);
  for (std::size_t i = 0; i < starts.size(); ++i) {
    double beats = starts[i] / datagen::kBeatSeconds;
    EXPECT_EQ(beats, std::floor(beats)) << starts[i];
    EXPECT_LE(std::fabs(starts[i] - datagen::kSceneSwitchTimes[i]), 0.25);
    if (i > 0) {
      EXPECT_GT(starts[i], starts[i - 1]);
    }
  }
  EXPECT_GT(datagen::kSoundtrackSeconds, 202.5 + 2.0);
}

TEST(DatagenAnalysis, FindsAStepInLoudnessAndPlotsIt) {
  std::vector<float> l(kSampleRate * 10), r(kSampleRate * 10);
  for (std::size_t i = 0; i < l.size(); ++i) {
    float amplitude = i < l.size() / 2 ? 0.01f : 0.1f;  // 20 dB louder from 5 s
    l[i] = r[i] = amplitude * std::sin(static_cast<float>(i) * 2.0f * 3.14159265f * 440.0f / kSampleRate);
  }
  auto frames = datagen::analyseLevels(l, r, 0.1);
  ASSERT_EQ(frames.size(), 100u);
  EXPECT_NEAR(frames[70].rmsDb - frames[20].rmsDb, 20.0, 0.5);
  // the 440 Hz tone sits in the band from 320 to 640 Hz
  EXPECT_GT(frames[70].bandsDb[3], frames[70].bandsDb[6] + 30.0f);
  float atStep = datagen::levelChange(frames, 0.1, 5.0, 1.0);
  float steady = datagen::levelChange(frames, 0.1, 2.5, 1.0);
  EXPECT_GT(atStep, 2.0f);
  EXPECT_LT(steady, 0.1f);
  datagen::Image plot = datagen::plotLevels(frames, 0.1, {5.0});
  EXPECT_EQ(plot.width, 100);
  const datagen::Color& marker = plot.at(50, 10);
  EXPECT_GT(marker.r, 0.9f);
  EXPECT_LT(marker.g, 0.2f);
}

}  // namespace
