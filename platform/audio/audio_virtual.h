// The virtual audio output of the capture tool: no sound device; the output's
// clock, and with it the position of a playing stream, moves only when the
// caller advances it, and the caller receives the audio of that stretch.
#ifndef ZELVARO_PLATFORM_AUDIO_VIRTUAL_H
#define ZELVARO_PLATFORM_AUDIO_VIRTUAL_H

#include <cstddef>
#include <vector>

// Makes the next BASS_Init (only that one) open the virtual output instead of a device.
void audioUseVirtualOutput();
// Advances the virtual output by `frames` stereo frames (4 bytes each). The
// mixed 16-bit stereo audio of that stretch (silence while nothing plays) is
// appended to pcm when pcm is not null. False when no virtual output is open.
bool audioAdvanceVirtualOutput(size_t frames, std::vector<unsigned char>* pcm);

#endif  // ZELVARO_PLATFORM_AUDIO_VIRTUAL_H
