#include "music_analysis.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "det_math.h"

namespace datagen {

namespace {

constexpr int kFftSize = 2048;
constexpr double kRate = 44100.0;

void fft(std::vector<std::complex<double>>& a) {
  const std::size_t n = a.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (std::size_t len = 2; len <= n; len <<= 1) {
    double angle = -kTwoPi / static_cast<double>(len);
    std::complex<double> step(detCos(angle), detSin(angle));
    for (std::size_t i = 0; i < n; i += len) {
      std::complex<double> w(1.0, 0.0);
      for (std::size_t k = 0; k < len / 2; ++k) {
        std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
        a[i + k] = u + v;
        a[i + k + len / 2] = u - v;
        w *= step;
      }
    }
  }
}

float toDb(double power) { return static_cast<float>(10.0 * std::log10(power + 1e-12)); }

}  // namespace

std::vector<LevelFrame> analyseLevels(const std::vector<float>& left, const std::vector<float>& right,
                                      double windowSeconds) {
  std::vector<LevelFrame> frames;
  const std::size_t total = std::min(left.size(), right.size());
  const auto hop = static_cast<std::size_t>(windowSeconds * kRate);
  if (hop == 0) return frames;
  std::vector<double> hann(kFftSize);
  for (int i = 0; i < kFftSize; ++i) hann[static_cast<std::size_t>(i)] = 0.5 - 0.5 * detCos(kTwoPi * i / (kFftSize - 1));
  std::vector<std::complex<double>> buffer(kFftSize);
  for (std::size_t start = 0; start + hop <= total; start += hop) {
    LevelFrame frame{};
    // RMS over the whole window
    double sum = 0.0;
    for (std::size_t i = start; i < start + hop; ++i) sum += 0.5 * (left[i] * left[i] + right[i] * right[i]);
    frame.rmsDb = toDb(sum / static_cast<double>(hop));
    // spectrum of an FFT block centred in the window
    std::size_t centre = start + hop / 2;
    for (int i = 0; i < kFftSize; ++i) {
      long index = static_cast<long>(centre) - kFftSize / 2 + i;
      double v = index >= 0 && static_cast<std::size_t>(index) < total
                     ? 0.5 * (left[static_cast<std::size_t>(index)] + right[static_cast<std::size_t>(index)])
                     : 0.0;
      buffer[static_cast<std::size_t>(i)] = std::complex<double>(v * hann[static_cast<std::size_t>(i)], 0.0);
    }
    fft(buffer);
    auto binPower = [&](double lo, double hi) {
      auto b0 = static_cast<std::size_t>(std::max(1.0, std::floor(lo * kFftSize / kRate)));
      auto b1 = static_cast<std::size_t>(std::min(kFftSize / 2.0, std::ceil(hi * kFftSize / kRate)));
      double p = 0.0;
      for (std::size_t b = b0; b < std::max(b0 + 1, b1); ++b) p += std::norm(buffer[b]);
      return p / static_cast<double>(kFftSize);
    };
    for (int band = 0; band < kLevelBands; ++band) {
      double lo = 40.0 * std::pow(2.0, band), hi = lo * 2.0;
      // levels below -80 dB count as silence, so empty bands do not flicker
      frame.bandsDb[static_cast<std::size_t>(band)] = std::max(-80.0f, toDb(binPower(lo, hi)));
    }
    for (int row = 0; row < kSpectrumRows; ++row) {
      double lo = 40.0 * std::pow(400.0, static_cast<double>(row) / kSpectrumRows);
      double hi = 40.0 * std::pow(400.0, static_cast<double>(row + 1) / kSpectrumRows);
      frame.spectrumDb[static_cast<std::size_t>(row)] = toDb(binPower(lo, hi) / std::max(1.0, (hi - lo) * kFftSize / kRate));
    }
    frames.push_back(frame);
  }
  return frames;
}

float levelChange(const std::vector<LevelFrame>& frames, double windowSeconds, double time, double span) {
  auto index = [&](double t) {
    return static_cast<long>(std::clamp(std::floor(t / windowSeconds), 0.0, static_cast<double>(frames.size())));
  };
  long a0 = index(time - span), a1 = index(time), b0 = index(time), b1 = index(time + span);
  if (a1 <= a0 || b1 <= b0) return 0.0f;
  float total = 0.0f;
  for (int band = 0; band < kLevelBands; ++band) {
    double before = 0.0, after = 0.0;
    for (long i = a0; i < a1; ++i) before += frames[static_cast<std::size_t>(i)].bandsDb[static_cast<std::size_t>(band)];
    for (long i = b0; i < b1; ++i) after += frames[static_cast<std::size_t>(i)].bandsDb[static_cast<std::size_t>(band)];
    total += static_cast<float>(std::fabs(before / static_cast<double>(a1 - a0) - after / static_cast<double>(b1 - b0)));
  }
  return total / kLevelBands;
}

Image plotLevels(const std::vector<LevelFrame>& frames, double windowSeconds, const std::vector<double>& markers) {
  const int spectrumHeight = kSpectrumRows * 2, levelHeight = 120;
  const int width = std::max<int>(1, static_cast<int>(frames.size()));
  Image image(width, spectrumHeight + levelHeight, Color{0.04f, 0.04f, 0.06f, 1.0f});
  const Color heat[5] = {hexColor(0x000010), hexColor(0x3A0A6A), hexColor(0xC8306A), hexColor(0xFFA030), hexColor(0xFFFFC0)};
  // colours span the 70 dB below the loudest one percent of the spectrum
  std::vector<float> all;
  for (const LevelFrame& f : frames) all.insert(all.end(), f.spectrumDb.begin(), f.spectrumDb.end());
  float top = 0.0f;
  if (!all.empty()) {
    std::size_t k = all.size() * 99 / 100;
    std::nth_element(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(k), all.end());
    top = all[k];
  }
  for (int x = 0; x < static_cast<int>(frames.size()); ++x) {
    const LevelFrame& f = frames[static_cast<std::size_t>(x)];
    for (int row = 0; row < kSpectrumRows; ++row) {
      float t = clamp01((f.spectrumDb[static_cast<std::size_t>(row)] - top + 70.0f) / 70.0f) * 4.0f;
      auto i = std::min(3, static_cast<int>(t));
      Color c = mixColor(heat[i], heat[i + 1], t - static_cast<float>(i));
      int y = spectrumHeight - 2 - row * 2;  // low frequencies at the bottom
      image.at(x, y) = c;
      image.at(x, y + 1) = c;
    }
    float level = clamp01((f.rmsDb + 45.0f) / 42.0f);
    auto bar = static_cast<int>(level * static_cast<float>(levelHeight - 4));
    for (int y = 0; y < bar; ++y) image.at(x, spectrumHeight + levelHeight - 1 - y) = hexColor(0x40C0A0);
  }
  // a tick every ten seconds under the level curve
  for (double t = 10.0; t / windowSeconds < width; t += 10.0) {
    auto x = static_cast<int>(t / windowSeconds);
    for (int y = image.height - 8; y < image.height; ++y) image.at(x, y) = hexColor(0xE0E0E0);
  }
  for (double m : markers) {
    auto x = static_cast<int>(m / windowSeconds);
    if (x < 0 || x >= width) continue;
    for (int y = 0; y < image.height; ++y) image.at(x, y) = hexColor(0xFF2020);
  }
  return image;
}

}  // namespace datagen
