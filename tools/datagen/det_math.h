// Elementary functions computed with nothing but +, -, *, / and floor, so
// that every build of the generator (any compiler, any optimisation level)
// produces the same bits. The C library's sin, exp and atan2 may be folded at
// compile time by one compiler and called at run time by another, which
// changes the last bits of a pixel and with them the bytes of a JPEG.
#pragma once

#include <cmath>

namespace datagen {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 6.28318530717958647692;

// sin(x) for any x; absolute error below 1e-9.
inline double detSin(double x) {
  double turns = std::floor(x / kTwoPi + 0.5);
  double r = x - turns * kTwoPi;  // now in [-pi, pi]
  if (r > kPi * 0.5) r = kPi - r;
  if (r < -kPi * 0.5) r = -kPi - r;  // now in [-pi/2, pi/2], same sine
  double r2 = r * r;
  // Taylor series to x^15: the remainder is below 1e-10 on [-pi/2, pi/2].
  double p = -1.0 / 1307674368000.0;
  p = p * r2 + 1.0 / 6227020800.0;
  p = p * r2 - 1.0 / 39916800.0;
  p = p * r2 + 1.0 / 362880.0;
  p = p * r2 - 1.0 / 5040.0;
  p = p * r2 + 1.0 / 120.0;
  p = p * r2 - 1.0 / 6.0;
  p = p * r2 + 1.0;
  return p * r;
}

inline double detCos(double x) { return detSin(x + kPi * 0.5); }

// 2^x; relative error below 1e-12 for |x| < 1000, 0 far below that.
inline double detExp2(double x) {
  if (x < -1000.0) return 0.0;
  if (x > 1000.0) x = 1000.0;
  double n = std::floor(x);
  double f = (x - n) * 0.69314718055994530942;  // 2^frac = e^f, f in [0, ln 2)
  double term = 1.0;
  double sum = 1.0;
  for (int k = 1; k <= 16; ++k) {
    term = term * f / k;
    sum += term;
  }
  return std::ldexp(sum, static_cast<int>(n));  // scaling by a power of two is exact
}

inline double detExp(double x) { return detExp2(x * 1.44269504088896340736); }

// atan(x) for any x; absolute error below 1e-9.
inline double detAtan(double x) {
  bool negative = x < 0.0;
  if (negative) x = -x;
  bool inverted = x > 1.0;
  if (inverted) x = 1.0 / x;
  // reduce once more: atan(x) = pi/6 + atan((x*sqrt3 - 1) / (x + sqrt3)) for x > 2 - sqrt3
  bool shifted = x > 0.26794919243112270;
  if (shifted) x = (x * 1.73205080756887729 - 1.0) / (x + 1.73205080756887729);
  double x2 = x * x;
  double p = 0.0;
  for (int k = 23; k >= 1; k -= 2) p = p * x2 + ((k / 2) % 2 == 0 ? 1.0 : -1.0) / k;
  double r = p * x;
  if (shifted) r += kPi / 6.0;
  if (inverted) r = kPi * 0.5 - r;
  return negative ? -r : r;
}

// atan2(y, x) in (-pi, pi].
inline double detAtan2(double y, double x) {
  if (x == 0.0) {
    if (y > 0.0) return kPi * 0.5;
    if (y < 0.0) return -kPi * 0.5;
    return 0.0;
  }
  double a = detAtan(y / x);
  if (x > 0.0) return a;
  return y >= 0.0 ? a + kPi : a - kPi;
}

// Single-precision conveniences for painting.
inline float detSinf(float x) { return static_cast<float>(detSin(static_cast<double>(x))); }
inline float detCosf(float x) { return static_cast<float>(detCos(static_cast<double>(x))); }
inline float detExpf(float x) { return static_cast<float>(detExp(static_cast<double>(x))); }
inline float detAtan2f(float y, float x) {
  return static_cast<float>(detAtan2(static_cast<double>(y), static_cast<double>(x)));
}

inline float clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

inline float mixf(float a, float b, float t) { return a + (b - a) * t; }

inline float smoothstep(float edge0, float edge1, float x) {
  float t = clamp01((x - edge0) / (edge1 - edge0));
  return t * t * (3.0f - 2.0f * t);
}

}  // namespace datagen
