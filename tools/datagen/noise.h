// Integer-hashed value noise and its fractal sums. Every value is a function
// of integer lattice coordinates and a seed, so the same call gives the same
// bits everywhere. "Periodic" variants wrap the lattice so that a texture
// covering exactly one period tiles without a seam.
#pragma once

#include <cstdint>

namespace datagen {

std::uint32_t hash3(std::int32_t x, std::int32_t y, std::uint32_t seed);

// uniform in [0, 1)
float hashUnit(std::int32_t x, std::int32_t y, std::uint32_t seed);

// Smoothly interpolated lattice noise in [0, 1]. period > 0 wraps both axes
// after that many cells; 0 means no wrap.
float valueNoise(float x, float y, std::uint32_t seed, std::int32_t period = 0);

// Sum of octaves of valueNoise, each at twice the frequency and `gain` times
// the amplitude of the one before, normalised to [0, 1].
float fractalNoise(float x, float y, std::uint32_t seed, int octaves, float gain = 0.5f,
                   std::int32_t period = 0);

// Ridged variant (1 - |2n - 1| per octave): sharp crests, for mountains and waves.
float ridgedNoise(float x, float y, std::uint32_t seed, int octaves, float gain = 0.5f,
                  std::int32_t period = 0);

// Distance to the nearest of one jittered point per cell (cellular noise),
// in cell units; period as for valueNoise.
float cellDistance(float x, float y, std::uint32_t seed, std::int32_t period = 0);

// Small deterministic random source for placing things.
struct Random {
  std::uint32_t state;
  explicit Random(std::uint32_t seed) : state(seed * 2654435761u + 12345u) {}
  std::uint32_t next();
  float unit();                     // [0, 1)
  float range(float lo, float hi);  // [lo, hi)
  int below(int n);                 // 0 .. n-1
};

}  // namespace datagen
