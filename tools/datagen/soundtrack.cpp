#include "soundtrack.h"

#include <algorithm>
#include <cmath>

#include "noise.h"

namespace datagen {

const double kSceneSwitchTimes[] = {15.5, 32.0, 48.0, 64.5, 80.0, 96.0, 112.2, 120.2, 128.2,
                                    136.2, 144.0, 160.0, 168.0, 176.0, 184.0, 192.3, 200.0};
const int kSceneSwitchCount = static_cast<int>(sizeof(kSceneSwitchTimes) / sizeof(kSceneSwitchTimes[0]));

std::vector<double> sectionStarts() {
  std::vector<double> starts;
  for (int i = 0; i < kSceneSwitchCount; ++i) {
    starts.push_back(std::floor(kSceneSwitchTimes[i] / kBeatSeconds + 0.5) * kBeatSeconds);
  }
  return starts;
}

namespace {

// Chords as three notes around middle C plus a bass root.
struct Chord {
  int notes[3];
  int root;
};

const Chord kAm{{57, 60, 64}, 45}, kF{{57, 60, 65}, 41}, kC{{55, 60, 64}, 48}, kG{{55, 59, 62}, 43},
    kDm{{57, 62, 65}, 38}, kE{{56, 59, 64}, 40}, kEm{{55, 59, 64}, 40};

// Four chords a bar each, repeating.
const Chord* const kProgressions[4][4] = {
    {&kAm, &kF, &kC, &kG},   // the main theme
    {&kDm, &kAm, &kE, &kAm},
    {&kF, &kG, &kEm, &kAm},
    {&kAm, &kG, &kF, &kE},   // descending
};

enum DrumStyle { fourOnFloor, halfTime, breakbeat, syncopated, softHats };

// One section of the arrangement; levels 0 mean the instrument is silent.
struct Section {
  int progression;
  float drums;
  DrumStyle drumStyle;
  float bass;
  int bassStyle;      // 0 eighths, 1 quarters, 2 sixteenths
  float pad, padBrightness;
  float arp;
  int arpStyle;       // 0 eighths upwards, 1 sixteenths up and down
  float lead;
  int leadStyle;      // 0 the theme, 1 made from the chords
  float bells;
  bool crash;         // a crash cymbal marks the start
  bool swell;         // levels rise through the section
  bool riserAfter;    // a noise sweep leads into the next section
};

// One entry per section: the intro, then one after every switch time.
const Section kSections[] = {
    {0, 0.0f, fourOnFloor, 0.0f, 0, 0.9f, 0.25f, 0.25f, 0, 0.0f, 0, 0.0f, false, true, true},    // 0 intro
    {0, 0.8f, fourOnFloor, 0.8f, 0, 0.5f, 0.35f, 0.0f, 0, 0.0f, 0, 0.0f, true, false, false},    // 15.5
    {0, 0.9f, fourOnFloor, 0.9f, 0, 0.45f, 0.4f, 0.2f, 0, 0.7f, 0, 0.0f, true, false, false},    // 32
    {2, 1.0f, fourOnFloor, 0.9f, 2, 0.4f, 0.6f, 0.35f, 1, 0.0f, 0, 0.0f, true, false, true},     // 48
    {3, 0.5f, halfTime, 0.5f, 1, 0.8f, 0.3f, 0.3f, 0, 0.45f, 1, 0.0f, true, false, false},       // 64.5
    {1, 0.8f, fourOnFloor, 0.8f, 0, 0.5f, 0.3f, 0.3f, 0, 0.0f, 0, 0.0f, true, true, true},       // 80
    {0, 1.0f, fourOnFloor, 1.0f, 2, 0.6f, 0.7f, 0.35f, 1, 0.85f, 0, 0.0f, true, false, false},   // 96
    {3, 0.9f, breakbeat, 0.9f, 0, 0.4f, 0.45f, 0.0f, 0, 0.6f, 1, 0.0f, true, false, false},      // 112.2
    {1, 0.6f, halfTime, 0.6f, 1, 0.7f, 0.35f, 0.4f, 1, 0.0f, 0, 0.0f, true, false, false},       // 120.2
    {0, 0.9f, breakbeat, 0.9f, 0, 0.4f, 0.5f, 0.2f, 0, 0.7f, 0, 0.0f, true, false, false},       // 128.2
    {1, 0.6f, halfTime, 0.6f, 1, 0.7f, 0.4f, 0.4f, 1, 0.4f, 1, 0.0f, true, false, false},        // 136.2
    {2, 0.3f, softHats, 0.4f, 1, 0.8f, 0.25f, 0.0f, 0, 0.0f, 0, 0.5f, false, false, true},       // 144
    {0, 1.0f, fourOnFloor, 1.0f, 2, 0.5f, 0.6f, 0.4f, 1, 0.0f, 0, 0.0f, true, false, false},     // 160
    {2, 0.8f, syncopated, 0.8f, 0, 0.6f, 0.45f, 0.0f, 0, 0.7f, 1, 0.0f, true, false, false},     // 168
    {0, 1.0f, fourOnFloor, 1.0f, 2, 0.5f, 0.65f, 0.4f, 1, 0.5f, 0, 0.0f, true, false, false},    // 176
    {2, 0.85f, syncopated, 0.85f, 0, 0.6f, 0.5f, 0.25f, 0, 0.75f, 1, 0.0f, true, false, true},   // 184
    {0, 1.0f, fourOnFloor, 1.0f, 2, 0.7f, 0.8f, 0.4f, 1, 0.9f, 0, 0.0f, true, false, false},     // 192.3
};
constexpr int kSectionCount = static_cast<int>(sizeof(kSections) / sizeof(kSections[0]));

// 16 steps per bar; 'x' plays, 'o' plays softly.
const char* const kKick[5] = {"x...x...x...x...", "x.........x.....", "x......x..x.....", "x..x..x...x.x...", "................"};
const char* const kSnare[5] = {"....x.......x...", "........x.......", "....x..o....x..o", "....x.......x...", "................"};
const char* const kHats[5] = {"..x...x...x...x.", "x.x.x.x.x.x.x.x.", "x.x.xox.x.x.xox.", "xoxoxoxoxoxoxoxo", "..o...o...o...o."};

// The theme over the main progression: (start in eighths, length in eighths, note), two phrases of four bars.
struct ThemeNote {
  int start, length, note;
};
const ThemeNote kThemeA[] = {{0, 3, 76}, {3, 1, 79}, {4, 2, 81}, {6, 2, 79}, {8, 3, 77}, {11, 1, 76}, {12, 4, 72},
                             {16, 3, 76}, {19, 1, 79}, {20, 2, 84}, {22, 2, 83}, {24, 6, 79}, {30, 2, 74}};
const ThemeNote kThemeB[] = {{0, 2, 84}, {2, 2, 83}, {4, 4, 81}, {8, 2, 77}, {10, 2, 81}, {12, 4, 84},
                             {16, 2, 83}, {18, 2, 81}, {20, 4, 79}, {24, 2, 74}, {26, 2, 76}, {28, 4, 79}};

// Rhythms (in eighths within a bar) for leads made from the chords.
const int kLeadRhythms[3][5] = {{0, 3, 4, 6, -1}, {0, 2, 3, 5, 6}, {1, 2, 4, 7, -1}};

struct Mix {
  StereoBuffer drums, bass, music, lead, send;  // send: extra signal for the reverb
  explicit Mix(std::size_t frames) : drums(frames), bass(frames), music(frames), lead(frames), send(frames) {}
};

float level(const Section& s, float base, double start, double end, double t) {
  if (!s.swell) return base;
  return base * static_cast<float>(0.35 + 0.65 * std::clamp((t - start) / (end - start), 0.0, 1.0));
}

void playDrums(Mix& mix, const Section& s, double t, int step, float accent) {
  if (s.drums <= 0.0f) return;
  int style = s.drumStyle;
  char k = kKick[style][step], sn = kSnare[style][step], h = kHats[style][step];
  if (k != '.') renderKick(mix.drums, t, 0.95f * s.drums * (k == 'o' ? 0.5f : 1.0f));
  if (sn != '.') {
    float g = 0.55f * s.drums * (sn == 'o' ? 0.35f : 1.0f);
    renderSnare(mix.drums, t, g);
    if (s.drums >= 0.85f && sn == 'x') renderClap(mix.drums, t, 0.35f * s.drums);
  }
  if (h != '.') {
    float g = 0.2f * s.drums * (h == 'o' ? 0.45f : 1.0f) * accent;
    bool open = style == fourOnFloor && step == 14;
    renderHat(mix.drums, t, g, open, step % 4 == 2 ? 0.3f : -0.25f);
    if (open) renderHat(mix.send, t, g * 0.5f, true, 0.0f);
  }
}

void playBass(Mix& mix, const Section& s, const Chord& chord, double t, int step, int bar) {
  if (s.bass <= 0.0f) return;
  float g = 0.5f * s.bass;
  switch (s.bassStyle) {
    case 0:
      if (step % 2 == 0) {
        int note = chord.root + (step == 14 ? 12 : 0);
        renderBass(mix.bass, t, 0.2, note, g * (step % 4 == 2 ? 1.0f : 0.7f), 0.4f);
      }
      break;
    case 1:
      if (step % 4 == 0) renderBass(mix.bass, t, 0.45, chord.root, g, 0.2f);
      break;
    default: {
      const char* pattern = "x.xxx.xxx.xxx.xx";
      if (pattern[step] == 'x') {
        int note = chord.root + ((step / 2 + bar) % 3 == 2 ? 12 : 0);
        renderBass(mix.bass, t, 0.1, note, g * 0.85f, 0.6f);
      }
      break;
    }
  }
}

void playArp(Mix& mix, const Section& s, const Chord& chord, double t, int step, float arpLevel) {
  if (arpLevel <= 0.0f) return;
  int tones[6] = {chord.notes[0] + 12, chord.notes[1] + 12, chord.notes[2] + 12,
                  chord.notes[0] + 24, chord.notes[1] + 24, chord.notes[2] + 24};
  if (s.arpStyle == 0) {
    if (step % 2 != 0) return;
    int i = (step / 2) % 4;
    int note = tones[i < 3 ? i : 3];
    renderPluck(mix.music, t, note, 0.17f * arpLevel, (i % 2 == 0) ? -0.5f : 0.5f, 0.3f);
  } else {
    const int order[16] = {0, 1, 2, 3, 4, 5, 4, 3, 2, 1, 0, 1, 2, 3, 4, 5};
    int note = tones[order[step]];
    renderPluck(mix.music, t, note, 0.14f * arpLevel, step % 2 == 0 ? -0.6f : 0.6f, 0.55f);
  }
}

void playTheme(Mix& mix, float gain, double phraseStart, int phrase, double sectionEnd) {
  const ThemeNote* notes = phrase % 2 == 0 ? kThemeA : kThemeB;
  int count = phrase % 2 == 0 ? static_cast<int>(sizeof(kThemeA) / sizeof(ThemeNote))
                              : static_cast<int>(sizeof(kThemeB) / sizeof(ThemeNote));
  for (int i = 0; i < count; ++i) {
    double t = phraseStart + notes[i].start * 0.25;
    if (t >= sectionEnd - 0.05) continue;
    double length = std::min(notes[i].length * 0.25 - 0.03, sectionEnd - t);
    renderLead(mix.lead, t, length, notes[i].note, 0.24f * gain, 0.1f);
  }
}

void playChordLead(Mix& mix, float gain, const Chord& chord, double barStart, int bar, double sectionEnd) {
  const int* rhythm = kLeadRhythms[bar % 3];
  for (int i = 0; i < 5 && rhythm[i] >= 0; ++i) {
    int next = (i + 1 < 5 && rhythm[i + 1] >= 0) ? rhythm[i + 1] : 8;
    double t = barStart + rhythm[i] * 0.25;
    if (t >= sectionEnd - 0.05) continue;
    int pick = static_cast<int>(hash3(bar, i, 77u) % 4u);
    int note = pick < 3 ? chord.notes[pick] + 12 : chord.notes[0] + 24;
    if (note < 67) note += 12;
    renderLead(mix.lead, t, std::min((next - rhythm[i]) * 0.25 - 0.04, sectionEnd - t), note, 0.22f * gain, -0.1f);
  }
}

void playSection(Mix& mix, const Section& s, double start, double end) {
  if (s.crash && s.drums > 0.0f) {
    renderCrash(mix.drums, start, 0.3f);
    renderCrash(mix.send, start, 0.15f);
  }
  auto beats = static_cast<int>(std::floor((end - start) / kBeatSeconds + 0.5));
  for (int beat = 0; beat < beats; ++beat) {
    int bar = beat / 4;
    const Chord& chord = *kProgressions[s.progression][bar % 4];
    double beatTime = start + beat * kBeatSeconds;
    float arpLevel = level(s, s.arp, start, end, beatTime);
    if (beat % 4 == 0) {
      double barEnd = std::min(end, beatTime + 4 * kBeatSeconds);
      float padLevel = level(s, s.pad, start, end, beatTime);
      float bright = level(s, s.padBrightness, start, end, beatTime);
      for (int note : chord.notes) {
        renderPad(mix.music, beatTime, barEnd - beatTime, note, 0.09f * padLevel, bright);
      }
      if (s.lead > 0.0f) {
        if (s.leadStyle == 0 && bar % 4 == 0) playTheme(mix, s.lead, beatTime, bar / 4, end);
        if (s.leadStyle == 1) playChordLead(mix, s.lead, chord, beatTime, bar, end);
      }
    }
    for (int sixteenth = 0; sixteenth < 4; ++sixteenth) {
      int step = (beat % 4) * 4 + sixteenth;
      double t = beatTime + sixteenth * 0.125;
      bool lastBar = beat >= beats - 4;
      float accent = sixteenth == 2 ? 1.0f : 0.8f;
      playDrums(mix, s, t, step, accent);
      playBass(mix, s, chord, t, step, bar);
      playArp(mix, s, chord, t, step, arpLevel);
      if (s.bells > 0.0f && sixteenth % 2 == 0 && hashUnit(beat, sixteenth, 91u) < 0.35f) {
        int note = chord.notes[hash3(beat, sixteenth, 92u) % 3u] + 24;
        renderBell(mix.music, t, note, 0.12f * s.bells, hashUnit(beat, sixteenth, 93u) - 0.5f);
      }
      // a snare roll through the last bar of a rising section
      if (s.swell && s.drums > 0.0f && lastBar) {
        renderSnare(mix.drums, t, 0.12f + 0.35f * static_cast<float>(beat - (beats - 4) + sixteenth * 0.25f) / 4.0f);
      }
    }
  }
  if (s.riserAfter) renderRiser(mix.music, end - 2.0, 2.0, 0.5f);
}

// The ending: a last chord with a crash, a final hit at 202.5 s, and the tail.
void playEnding(Mix& mix, double start) {
  renderCrash(mix.drums, start, 0.35f);
  renderKick(mix.drums, start, 1.0f);
  renderBass(mix.bass, start, 2.3, 33, 0.55f, 0.3f);
  for (int note : kAm.notes) {
    renderPad(mix.music, start, 2.4, note, 0.11f, 0.7f);
  }
  renderLead(mix.lead, start, 2.3, 81, 0.2f, 0.0f);
  double last = start + 2.5;
  renderKick(mix.drums, last, 1.0f);
  renderCrash(mix.drums, last, 0.4f);
  renderCrash(mix.send, last, 0.3f);
  renderBass(mix.bass, last, 1.6, 33, 0.5f, 0.2f);
  const int finalChord[4] = {57, 61, 64, 69};  // A major: the last chord lifts
  for (int note : finalChord) {
    renderPad(mix.music, last, 1.0, note, 0.1f, 0.5f);
  }
  renderBell(mix.music, last, 81, 0.15f, -0.3f);
  renderBell(mix.music, last, 88, 0.1f, 0.3f);
}

}  // namespace

StereoBuffer renderSoundtrack() {
  auto frames = static_cast<std::size_t>(kSoundtrackSeconds * kSampleRate);
  Mix mix(frames);
  std::vector<double> starts = sectionStarts();
  starts.insert(starts.begin(), 0.0);  // the intro
  for (int i = 0; i < kSectionCount; ++i) {
    double end = starts[static_cast<std::size_t>(i) + 1];
    playSection(mix, kSections[i], starts[static_cast<std::size_t>(i)], end);
  }
  playEnding(mix, starts.back());

  applyPingPongDelay(mix.lead, 0.375, 0.38, 0.45);
  // the reverb hears the harmony and the lead; drums reach it only through `send`
  mix.send.mixFrom(mix.music, 0.7f);
  mix.send.mixFrom(mix.lead, 0.5f);
  StereoBuffer wet = renderReverb(mix.send, 0.86f, 0.3f);
  StereoBuffer out(frames);
  out.mixFrom(mix.drums, 1.0f);
  out.mixFrom(mix.bass, 1.0f);
  out.mixFrom(mix.music, 1.0f);
  out.mixFrom(mix.lead, 1.0f);
  out.mixFrom(wet, 1.0f);
  masterBuffer(out, 0.89f);
  // the tail fades to silence in the last second
  std::size_t fade = kSampleRate;
  for (std::size_t i = 0; i < fade; ++i) {
    float g = static_cast<float>(i) / static_cast<float>(fade);
    out.left[frames - 1 - i] *= g;
    out.right[frames - 1 - i] *= g;
  }
  return out;
}

std::vector<std::int16_t> toPcm16(const StereoBuffer& buffer) {
  std::vector<std::int16_t> pcm(buffer.frames() * 2);
  auto convert = [](float v) {
    float s = std::floor(std::clamp(v, -1.0f, 1.0f) * 32767.0f + 0.5f);
    return static_cast<std::int16_t>(s);
  };
  for (std::size_t i = 0; i < buffer.frames(); ++i) {
    pcm[i * 2] = convert(buffer.left[i]);
    pcm[i * 2 + 1] = convert(buffer.right[i]);
  }
  return pcm;
}

}  // namespace datagen
