// The soundtrack: 120 beats per minute (a beat every 0.5 s from t = 0), a new
// section of the arrangement at each of the show's scene switch times, and an
// ending that rings on past 202.5 s, where the show ends itself.
#pragma once

#include <cstdint>
#include <vector>

#include "synth.h"

namespace datagen {

constexpr double kSoundtrackSeconds = 205.0;
constexpr double kBeatSeconds = 0.5;

// The music time at which the show switches scenes.
extern const double kSceneSwitchTimes[];
extern const int kSceneSwitchCount;

// Where the arrangement changes: each switch time moved to the nearest beat
// (112.2 s plays its change at 112.0 s, 192.3 s at 192.5 s).
std::vector<double> sectionStarts();

// The whole mix, mastered, kSoundtrackSeconds long.
StereoBuffer renderSoundtrack();

// Interleaved 16-bit stereo samples, rounded.
std::vector<std::int16_t> toPcm16(const StereoBuffer& buffer);

}  // namespace datagen
