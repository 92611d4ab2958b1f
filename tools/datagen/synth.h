// A small synthesizer: drum sounds, bass, pads, plucks, a lead and bells,
// each rendered additively into a stereo buffer at a time in seconds, plus a
// stereo delay and a reverb. Only +, -, *, /, sqrt and floor are used on the
// samples, so every build renders the same bits.
#pragma once

#include <cstdint>
#include <vector>

namespace datagen {

constexpr int kSampleRate = 44100;

struct StereoBuffer {
  std::vector<float> left, right;
  explicit StereoBuffer(std::size_t frames = 0) : left(frames, 0.0f), right(frames, 0.0f) {}
  std::size_t frames() const { return left.size(); }
  // Mixes one frame in: `l` into the left channel, `r` into the right.
  void addFrame(long index, float l, float r) {
    left[static_cast<std::size_t>(index)] += l;
    right[static_cast<std::size_t>(index)] += r;
  }
  void mixFrom(const StereoBuffer& other, float gain);
};

double noteFrequency(double midiNote);

// Drums. gain is linear, pan from -1 (left) to +1 (right).
void renderKick(StereoBuffer& out, double time, float gain);
void renderSnare(StereoBuffer& out, double time, float gain);
void renderClap(StereoBuffer& out, double time, float gain);
void renderHat(StereoBuffer& out, double time, float gain, bool open, float pan);
void renderCrash(StereoBuffer& out, double time, float gain);
// A noise sweep rising over `duration` seconds, ending at time + duration.
void renderRiser(StereoBuffer& out, double time, double duration, float gain);

// Pitched voices; duration is the held length in seconds (the release follows).
// brightness 0..1 opens the filter.
void renderBass(StereoBuffer& out, double time, double duration, int note, float gain, float brightness);
void renderPad(StereoBuffer& out, double time, double duration, int note, float gain, float brightness);
void renderPluck(StereoBuffer& out, double time, int note, float gain, float pan, float brightness);
void renderLead(StereoBuffer& out, double time, double duration, int note, float gain, float pan);
void renderBell(StereoBuffer& out, double time, int note, float gain, float pan);

// Echoes of the buffer added to itself: `delay` seconds apart, alternating sides.
void applyPingPongDelay(StereoBuffer& buffer, double delay, float feedback, float mix);
// A plate-like reverb of the whole buffer, returned as the wet signal only.
StereoBuffer renderReverb(const StereoBuffer& send, float decay, float damping);

// Soft saturation to keep peaks round, then scaling so the loudest sample is `peak`.
void masterBuffer(StereoBuffer& buffer, float peak);

}  // namespace datagen
