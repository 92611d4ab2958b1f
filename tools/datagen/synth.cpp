#include "synth.h"

#include <algorithm>
#include <cmath>

#include "det_math.h"
#include "noise.h"

namespace datagen {

namespace {

constexpr double kRate = static_cast<double>(kSampleRate);

// First frame and frame count of a sound starting at `time` lasting `seconds`,
// clipped to the buffer; count 0 when nothing of it falls inside.
struct Span {
  long first;
  long count;
};

Span spanOf(const StereoBuffer& out, double time, double seconds) {
  auto first = static_cast<long>(std::floor(time * kRate + 0.5));
  auto count = static_cast<long>(std::floor(seconds * kRate));
  auto size = static_cast<long>(out.frames());
  if (first < 0) {
    count += first;
    first = 0;
  }
  if (first + count > size) count = size - first;
  return Span{first, std::max(0L, count)};
}

// Per-sample decay factor for an exponential fall by e every 1/rate seconds.
float decayFactor(double rate) { return static_cast<float>(detExp(-rate / kRate)); }

float noiseAt(long frame, std::uint32_t seed) {
  return hashUnit(static_cast<std::int32_t>(frame), 0x5EED, seed) * 2.0f - 1.0f;
}

// Constant-power pan gains.
void panGains(float pan, float& left, float& right) {
  double a = (static_cast<double>(pan) + 1.0) * kPi * 0.25;
  left = static_cast<float>(detCos(a));
  right = static_cast<float>(detSin(a));
}

// Topology-preserving state-variable filter (trapezoidal integration).
struct Filter {
  float ic1 = 0.0f, ic2 = 0.0f;
  float a1 = 0.0f, a2 = 0.0f, a3 = 0.0f, k = 1.0f;
  void set(double cutoff, double resonance) {
    cutoff = std::clamp(cutoff, 20.0, kRate * 0.45);
    double x = kPi * cutoff / kRate;
    double g = detSin(x) / detCos(x);
    k = static_cast<float>(2.0 - 2.0 * resonance);
    a1 = static_cast<float>(1.0 / (1.0 + g * (g + k)));
    a2 = static_cast<float>(g) * a1;
    a3 = static_cast<float>(g) * a2;
  }
  // returns low-pass; band and high through the out parameters
  float run(float v0, float* band = nullptr, float* high = nullptr) {
    float v3 = v0 - ic2;
    float v1 = a1 * ic1 + a2 * v3;
    float v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2.0f * v1 - ic1;
    ic2 = 2.0f * v2 - ic2;
    if (band) *band = v1;
    if (high) *high = v0 - k * v1 - v2;
    return v2;
  }
};

float polyBlep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return static_cast<float>(t + t - t * t - 1.0);
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return static_cast<float>(t * t + t + t + 1.0);
  }
  return 0.0f;
}

// Band-limited sawtooth oscillator.
struct Saw {
  double phase = 0.0, inc = 0.0;
  float next() {
    float v = static_cast<float>(2.0 * phase - 1.0) - polyBlep(phase, inc);
    phase += inc;
    if (phase >= 1.0) phase -= 1.0;
    return v;
  }
};

// Band-limited pulse: the difference of two saws.
struct Pulse {
  Saw a, b;
  void start(double frequency, double width) {
    a.inc = b.inc = frequency / kRate;
    a.phase = 0.0;
    b.phase = width;
  }
  float next() { return 0.5f * (a.next() - b.next()); }
};

}  // namespace

void StereoBuffer::mixFrom(const StereoBuffer& other, float gain) {
  std::size_t n = std::min(frames(), other.frames());
  for (std::size_t i = 0; i < n; ++i) {
    left[i] += other.left[i] * gain;
    right[i] += other.right[i] * gain;
  }
}

double noteFrequency(double midiNote) { return 440.0 * detExp2((midiNote - 69.0) / 12.0); }

void renderKick(StereoBuffer& out, double time, float gain) {
  Span s = spanOf(out, time, 0.45);
  double phase = 0.0;
  float pitchEnv = 1.0f, ampEnv = 1.0f;
  const float pitchFall = decayFactor(28.0), ampFall = decayFactor(6.5);
  for (long i = 0; i < s.count; ++i) {
    double f = 44.0 + 120.0 * pitchEnv;
    phase += f / kRate;
    float body = static_cast<float>(detSin(phase * kTwoPi));
    float click = i < 90 ? noiseAt(s.first + i, 11u) * (1.0f - static_cast<float>(i) / 90.0f) * 0.3f : 0.0f;
    float v = (body * ampEnv + click) * gain;
    v = v / std::sqrt(1.0f + v * v * 0.5f);  // a little drive
    out.addFrame(s.first + i, v, v);
    pitchEnv *= pitchFall;
    ampEnv *= ampFall;
  }
}

void renderSnare(StereoBuffer& out, double time, float gain) {
  Span s = spanOf(out, time, 0.35);
  Filter hp;
  hp.set(1800.0, 0.2);
  double phase = 0.0;
  float toneEnv = 1.0f, noiseEnv = 1.0f;
  const float toneFall = decayFactor(22.0), noiseFall = decayFactor(13.0);
  for (long i = 0; i < s.count; ++i) {
    phase += 190.0 / kRate;
    float tone = static_cast<float>(detSin(phase * kTwoPi)) * toneEnv * 0.55f;
    float high = 0.0f;
    hp.run(noiseAt(s.first + i, 23u), nullptr, &high);
    float v = (tone + high * noiseEnv * 0.75f) * gain;
    out.addFrame(s.first + i, v * 0.95f, v);
    toneEnv *= toneFall;
    noiseEnv *= noiseFall;
  }
}

void renderClap(StereoBuffer& out, double time, float gain) {
  Span s = spanOf(out, time, 0.3);
  Filter bp;
  bp.set(1300.0, 0.55);
  for (long i = 0; i < s.count; ++i) {
    double t = static_cast<double>(i) / kRate;
    // three quick bursts, then the tail
    double burst = std::fmod(t, 0.011);
    float env = t < 0.033 ? static_cast<float>(detExp(-burst * 300.0)) : static_cast<float>(detExp(-(t - 0.033) * 18.0));
    float band = 0.0f;
    bp.run(noiseAt(s.first + i, 37u), &band);
    float v = band * env * gain * 1.6f;
    out.addFrame(s.first + i, v, v * 0.9f);
  }
}

void renderHat(StereoBuffer& out, double time, float gain, bool open, float pan) {
  Span s = spanOf(out, time, open ? 0.5 : 0.09);
  Filter hp;
  hp.set(7500.0, 0.3);
  float env = 1.0f;
  const float fall = decayFactor(open ? 9.0 : 55.0);
  float gl, gr;
  panGains(pan, gl, gr);
  for (long i = 0; i < s.count; ++i) {
    float high = 0.0f;
    hp.run(noiseAt(s.first + i, 41u), nullptr, &high);
    float v = high * env * gain;
    out.addFrame(s.first + i, v * gl, v * gr);
    env *= fall;
  }
}

void renderCrash(StereoBuffer& out, double time, float gain) {
  Span s = spanOf(out, time, 3.0);
  Filter hpL, hpR;
  hpL.set(4200.0, 0.25);
  hpR.set(4600.0, 0.25);
  Pulse metal[3];
  const double partials[3] = {431.0, 697.0, 1123.0};
  for (int k = 0; k < 3; ++k) metal[k].start(partials[k], 0.5);
  float env = 1.0f;
  const float fall = decayFactor(1.4);
  for (long i = 0; i < s.count; ++i) {
    float ring = (metal[0].next() + metal[1].next() + metal[2].next()) * 0.25f;
    float hl = 0.0f, hr = 0.0f;
    hpL.run(noiseAt(s.first + i, 53u) + ring, nullptr, &hl);
    hpR.run(noiseAt(s.first + i, 59u) + ring, nullptr, &hr);
    float attack = i < 200 ? static_cast<float>(i) / 200.0f : 1.0f;
    out.addFrame(s.first + i, hl * env * gain * attack, hr * env * gain * attack);
    env *= fall;
  }
}

void renderRiser(StereoBuffer& out, double time, double duration, float gain) {
  Span s = spanOf(out, time, duration);
  Filter bp;
  for (long i = 0; i < s.count; ++i) {
    float t = static_cast<float>(i) / static_cast<float>(std::max(1L, s.count));
    if (i % 16 == 0) bp.set(300.0 * detExp2(static_cast<double>(t) * 5.0), 0.7);
    float band = 0.0f;
    bp.run(noiseAt(s.first + i, 61u), &band);
    float v = band * gain * t * t;
    out.addFrame(s.first + i, v, v);
  }
}

void renderBass(StereoBuffer& out, double time, double duration, int note, float gain, float brightness) {
  const double release = 0.05;
  Span s = spanOf(out, time, duration + release);
  double f = noteFrequency(note);
  Saw saw;
  saw.inc = f / kRate;
  double subPhase = 0.0;
  Filter lp;
  float filterEnv = 1.0f;
  const float filterFall = decayFactor(9.0);
  auto held = static_cast<long>(duration * kRate);
  for (long i = 0; i < s.count; ++i) {
    if (i % 16 == 0) lp.set(f * (1.5 + (2.0 + 10.0 * brightness) * filterEnv), 0.35);
    subPhase += f / kRate;
    float sub = static_cast<float>(detSin(subPhase * kTwoPi));
    float v = lp.run(saw.next() * 0.7f) + sub * 0.5f;
    float amp = i < 60 ? static_cast<float>(i) / 60.0f : 1.0f;
    if (i > held) amp *= std::max(0.0f, 1.0f - static_cast<float>(i - held) / static_cast<float>(release * kRate));
    v *= amp * gain;
    out.addFrame(s.first + i, v, v);
    filterEnv *= filterFall;
  }
}

void renderPad(StereoBuffer& out, double time, double duration, int note, float gain, float brightness) {
  const double attack = 0.35, release = 0.8;
  Span s = spanOf(out, time, duration + release);
  double f = noteFrequency(note);
  const double detune[3] = {0.9935, 1.0, 1.0068};
  Saw left[3], right[3];
  for (int k = 0; k < 3; ++k) {
    left[k].inc = f * detune[k] / kRate;
    right[k].inc = f * detune[2 - k] * 1.0012 / kRate;
    left[k].phase = 0.17 * k;
    right[k].phase = 0.53 + 0.11 * k;
  }
  Filter lpL, lpR;
  auto held = static_cast<long>(duration * kRate);
  for (long i = 0; i < s.count; ++i) {
    double t = static_cast<double>(i) / kRate;
    if (i % 32 == 0) {
      double sweep = 0.8 + 0.2 * detSin(t * 1.3);
      double cutoff = f * (1.5 + 6.0 * brightness * sweep);
      lpL.set(cutoff, 0.2);
      lpR.set(cutoff * 1.03, 0.2);
    }
    float l = lpL.run((left[0].next() + left[1].next() + left[2].next()) * 0.33f);
    float r = lpR.run((right[0].next() + right[1].next() + right[2].next()) * 0.33f);
    float amp = t < attack ? static_cast<float>(t / attack) : 1.0f;
    if (i > held) amp *= std::max(0.0f, 1.0f - static_cast<float>(i - held) / static_cast<float>(release * kRate));
    out.addFrame(s.first + i, l * amp * gain, r * amp * gain);
  }
}

void renderPluck(StereoBuffer& out, double time, int note, float gain, float pan, float brightness) {
  Span s = spanOf(out, time, 0.6);
  double f = noteFrequency(note);
  Saw saw;
  saw.inc = f / kRate;
  Pulse square;
  square.start(f * 2.0, 0.5);
  Filter lp;
  float env = 1.0f, filterEnv = 1.0f;
  const float fall = decayFactor(7.0), filterFall = decayFactor(18.0);
  float gl, gr;
  panGains(pan, gl, gr);
  for (long i = 0; i < s.count; ++i) {
    if (i % 16 == 0) lp.set(f * (1.0 + (3.0 + 14.0 * brightness) * filterEnv), 0.3);
    float v = lp.run(saw.next() * 0.6f + square.next() * 0.3f) * env * gain;
    if (i < 40) v *= static_cast<float>(i) / 40.0f;
    out.addFrame(s.first + i, v * gl, v * gr);
    env *= fall;
    filterEnv *= filterFall;
  }
}

void renderLead(StereoBuffer& out, double time, double duration, int note, float gain, float pan) {
  const double release = 0.12;
  Span s = spanOf(out, time, duration + release);
  double f = noteFrequency(note);
  Saw saw;
  Pulse pulse;
  pulse.start(f, 0.3);
  Filter lp;
  float gl, gr;
  panGains(pan, gl, gr);
  auto held = static_cast<long>(duration * kRate);
  for (long i = 0; i < s.count; ++i) {
    double t = static_cast<double>(i) / kRate;
    double vibrato = t > 0.18 ? 0.006 * std::min(1.0, (t - 0.18) * 4.0) * detSin(t * kTwoPi * 5.5) : 0.0;
    double freq = f * (1.0 + vibrato);
    saw.inc = freq / kRate;
    pulse.a.inc = pulse.b.inc = freq / kRate;
    if (i % 16 == 0) lp.set(f * (2.5 + 3.0 * detExp(-t * 6.0)), 0.3);
    float v = lp.run(saw.next() * 0.5f + pulse.next() * 0.5f);
    float amp = t < 0.01 ? static_cast<float>(t / 0.01) : 0.75f + 0.25f * static_cast<float>(detExp(-t * 5.0));
    if (i > held) amp *= std::max(0.0f, 1.0f - static_cast<float>(i - held) / static_cast<float>(release * kRate));
    out.addFrame(s.first + i, v * amp * gain * gl, v * amp * gain * gr);
  }
}

void renderBell(StereoBuffer& out, double time, int note, float gain, float pan) {
  Span s = spanOf(out, time, 2.5);
  double f = noteFrequency(note);
  double carrier = 0.0, modulator = 0.0;
  float env = 1.0f, index = 1.0f;
  const float fall = decayFactor(1.8), indexFall = decayFactor(4.0);
  float gl, gr;
  panGains(pan, gl, gr);
  for (long i = 0; i < s.count; ++i) {
    modulator += f * 3.5 / kRate;
    double mod = detSin(modulator * kTwoPi) * 2.2 * static_cast<double>(index);
    carrier += f / kRate;
    float v = static_cast<float>(detSin(carrier * kTwoPi + mod)) * env * gain;
    if (i < 30) v *= static_cast<float>(i) / 30.0f;
    out.addFrame(s.first + i, v * gl, v * gr);
    env *= fall;
    index *= indexFall;
  }
}

void applyPingPongDelay(StereoBuffer& buffer, double delay, float feedback, float mix) {
  auto d = static_cast<std::size_t>(delay * kRate);
  if (d == 0 || d >= buffer.frames()) return;
  std::vector<float> echoL(buffer.frames(), 0.0f), echoR(buffer.frames(), 0.0f);
  for (std::size_t i = d; i < buffer.frames(); ++i) {
    // the left input echoes on the right, then back on the left
    echoR[i] = (buffer.left[i - d] + echoL[i - d]) * feedback;
    echoL[i] = (buffer.right[i - d] * 0.5f + echoR[i - d]) * feedback;
  }
  for (std::size_t i = 0; i < buffer.frames(); ++i) {
    buffer.left[i] += echoL[i] * mix;
    buffer.right[i] += echoR[i] * mix;
  }
}

namespace {

struct Comb {
  std::vector<float> line;
  std::size_t pos = 0;
  float store = 0.0f;
  float run(float input, float feedback, float damp) {
    float out = line[pos];
    store = out * (1.0f - damp) + store * damp;
    line[pos] = input + store * feedback;
    if (++pos == line.size()) pos = 0;
    return out;
  }
};

struct Allpass {
  std::vector<float> line;
  std::size_t pos = 0;
  float run(float input) {
    float buffered = line[pos];
    float out = buffered - input;
    line[pos] = input + buffered * 0.5f;
    if (++pos == line.size()) pos = 0;
    return out;
  }
};

}  // namespace

StereoBuffer renderReverb(const StereoBuffer& send, float decay, float damping) {
  const std::size_t combLengths[6] = {1116, 1188, 1277, 1356, 1422, 1491};
  const std::size_t allpassLengths[2] = {556, 441};
  const std::size_t spread = 23;
  StereoBuffer wet(send.frames());
  for (int side = 0; side < 2; ++side) {
    Comb combs[6];
    Allpass allpasses[2];
    for (int k = 0; k < 6; ++k) combs[k].line.assign(combLengths[k] + (side ? spread : 0), 0.0f);
    for (int k = 0; k < 2; ++k) allpasses[k].line.assign(allpassLengths[k] + (side ? spread : 0), 0.0f);
    std::vector<float>& out = side ? wet.right : wet.left;
    for (std::size_t i = 0; i < send.frames(); ++i) {
      float input = (send.left[i] + send.right[i]) * 0.02f;
      float sum = 0.0f;
      for (Comb& c : combs) sum += c.run(input, decay, damping);
      for (Allpass& a : allpasses) sum = a.run(sum);
      out[i] = sum;
    }
  }
  return wet;
}

void masterBuffer(StereoBuffer& buffer, float peak) {
  float loudest = 0.0f;
  for (std::size_t i = 0; i < buffer.frames(); ++i) {
    float* samples[2] = {&buffer.left[i], &buffer.right[i]};
    for (float* s : samples) {
      float x = *s * 0.8f;
      *s = x / std::sqrt(1.0f + x * x * 0.6f);
      loudest = std::max(loudest, std::fabs(*s));
    }
  }
  if (loudest <= 0.0f) return;
  float scale = peak / loudest;
  for (std::size_t i = 0; i < buffer.frames(); ++i) {
    buffer.left[i] *= scale;
    buffer.right[i] *= scale;
  }
}

}  // namespace datagen
