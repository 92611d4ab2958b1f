#include "noise.h"

#include <cmath>

namespace datagen {

std::uint32_t hash3(std::int32_t x, std::int32_t y, std::uint32_t seed) {
  std::uint32_t h = seed * 0x9E3779B9u;
  h ^= static_cast<std::uint32_t>(x) * 0x85EBCA6Bu;
  h = (h << 13) | (h >> 19);
  h ^= static_cast<std::uint32_t>(y) * 0xC2B2AE35u;
  h ^= h >> 16;
  h *= 0x7FEB352Du;
  h ^= h >> 15;
  h *= 0x846CA68Bu;
  h ^= h >> 16;
  return h;
}

float hashUnit(std::int32_t x, std::int32_t y, std::uint32_t seed) {
  return static_cast<float>(hash3(x, y, seed) >> 8) * (1.0f / 16777216.0f);
}

namespace {

std::int32_t wrap(std::int32_t v, std::int32_t period) {
  if (period <= 0) return v;
  std::int32_t m = v % period;
  return m < 0 ? m + period : m;
}

float fade(float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); }

}  // namespace

float valueNoise(float x, float y, std::uint32_t seed, std::int32_t period) {
  float fx = std::floor(x);
  float fy = std::floor(y);
  auto ix = static_cast<std::int32_t>(fx);
  auto iy = static_cast<std::int32_t>(fy);
  float tx = fade(x - fx);
  float ty = fade(y - fy);
  std::int32_t x0 = wrap(ix, period), x1 = wrap(ix + 1, period);
  std::int32_t y0 = wrap(iy, period), y1 = wrap(iy + 1, period);
  float a = hashUnit(x0, y0, seed), b = hashUnit(x1, y0, seed);
  float c = hashUnit(x0, y1, seed), d = hashUnit(x1, y1, seed);
  float top = a + (b - a) * tx;
  float bottom = c + (d - c) * tx;
  return top + (bottom - top) * ty;
}

namespace {

// Octaves of value noise, each at twice the frequency and `gain` times the
// amplitude of the one before, shaped by `shape` and normalised by the total
// amplitude; octave o uses seed + o * seedStep.
template <typename Shape>
float sumOctaves(float x, float y, std::uint32_t seed, std::uint32_t seedStep, int octaves,
                 float gain, std::int32_t period, Shape shape) {
  float sum = 0.0f, amplitude = 1.0f, total = 0.0f;
  for (int o = 0; o < octaves; ++o) {
    float n = valueNoise(x, y, seed + static_cast<std::uint32_t>(o) * seedStep, period);
    sum += shape(n) * amplitude;
    total += amplitude;
    amplitude *= gain;
    x *= 2.0f;
    y *= 2.0f;
    if (period > 0) period *= 2;
  }
  return sum / total;
}

}  // namespace

float fractalNoise(float x, float y, std::uint32_t seed, int octaves, float gain,
                   std::int32_t period) {
  return sumOctaves(x, y, seed, 101u, octaves, gain, period, [](float n) { return n; });
}

float ridgedNoise(float x, float y, std::uint32_t seed, int octaves, float gain,
                  std::int32_t period) {
  return sumOctaves(x, y, seed, 131u, octaves, gain, period,
                    [](float n) { return 1.0f - std::fabs(2.0f * n - 1.0f); });
}

float cellDistance(float x, float y, std::uint32_t seed, std::int32_t period) {
  float fx = std::floor(x);
  float fy = std::floor(y);
  auto ix = static_cast<std::int32_t>(fx);
  auto iy = static_cast<std::int32_t>(fy);
  float best = 4.0f;
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      std::int32_t cx = wrap(ix + dx, period), cy = wrap(iy + dy, period);
      float px = static_cast<float>(ix + dx) + hashUnit(cx, cy, seed);
      float py = static_cast<float>(iy + dy) + hashUnit(cx, cy, seed + 7u);
      float ddx = px - x, ddy = py - y;
      float d = ddx * ddx + ddy * ddy;
      if (d < best) best = d;
    }
  }
  return std::sqrt(best);
}

std::uint32_t Random::next() {
  state = state * 1664525u + 1013904223u;
  std::uint32_t h = state;
  h ^= h >> 16;
  h *= 0x7FEB352Du;
  h ^= h >> 15;
  return h;
}

float Random::unit() { return static_cast<float>(next() >> 8) * (1.0f / 16777216.0f); }

float Random::range(float lo, float hi) { return lo + (hi - lo) * unit(); }

int Random::below(int n) { return n <= 0 ? 0 : static_cast<int>(next() % static_cast<std::uint32_t>(n)); }

}  // namespace datagen
