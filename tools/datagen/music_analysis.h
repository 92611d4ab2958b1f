// Looking at the soundtrack over time: band levels and a log-frequency
// spectrum per short window, a measure of how much the sound changes across
// a moment, and a picture of it all (spectrogram, level curve, markers).
#pragma once

#include <array>
#include <vector>

#include "image.h"

namespace datagen {

constexpr int kLevelBands = 8;       // octave-wide bands from 40 Hz up
constexpr int kSpectrumRows = 160;   // log-spaced from 40 Hz to 16 kHz

struct LevelFrame {
  std::array<float, kLevelBands> bandsDb;
  std::array<float, kSpectrumRows> spectrumDb;
  float rmsDb;
};

// One frame per `windowSeconds` of 44.1 kHz stereo audio.
std::vector<LevelFrame> analyseLevels(const std::vector<float>& left, const std::vector<float>& right,
                                      double windowSeconds);

// Mean absolute difference, over the bands, between the average levels (dB)
// in [time - span, time) and in [time, time + span).
float levelChange(const std::vector<LevelFrame>& frames, double windowSeconds, double time, double span);

// Spectrogram on top, RMS level below, a red line at each marker time.
Image plotLevels(const std::vector<LevelFrame>& frames, double windowSeconds, const std::vector<double>& markers);

}  // namespace datagen
