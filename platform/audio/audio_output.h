// Where the mixed audio goes: the session's sound server when one answers
// (it reports its latency), else the default sound device through SDL2 (its
// latency estimated from the buffer size), a silent clock running in real
// time when there is no device, or the virtual output of the capture tool
// whose clock moves only when it is advanced.
#ifndef ZELVARO_PLATFORM_AUDIO_OUTPUT_H
#define ZELVARO_PLATFORM_AUDIO_OUTPUT_H

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "audio_mixer.h"
#include "audio_server.h"

enum class AudioOutputKind { closed, server, device, silent, virtualClock };

class AudioOutput {
public:
    ~AudioOutput() { close(); }

    // Opens the default device, or the silent clock when no device can be
    // opened (deviceWanted false skips the device). On failure returns false
    // with a BASS_ERROR_* code in *error.
    bool open(AudioMixer* mixer, bool deviceWanted, int* error);
    bool openVirtual(AudioMixer* mixer);
    // Lets the clock run (the device plays, the silent clock ticks).
    void start();
    void close();
    // Hands `bytes` bytes of the virtual output to the mixer; what it mixed is
    // appended to pcm when that is not null.
    bool advanceVirtual(size_t bytes, std::vector<unsigned char>* pcm);

    AudioOutputKind kind() const { return outputKind; }
    const AudioLatency& latency() const { return outputLatency; }
    // Why the sound device could not be used, when the silent clock stands in.
    const std::string& deviceProblem() const { return problem; }
    // The output latency in milliseconds: as the sound server last reported
    // it, else the estimate from the device's buffers; 0 without a device.
    double latencyMilliseconds() const;

private:
    bool serverWanted() const;
    bool openDevice();
    bool openSilent();
    void runSilentClock();

    AudioMixer* mixer = nullptr;
    AudioOutputKind outputKind = AudioOutputKind::closed;
    AudioLatency outputLatency;
    std::string problem;
    AudioServerOutput server;
    uint32_t device = 0;  // SDL_AudioDeviceID
    bool sdlAudioStarted = false;
    std::thread silentThread;
    std::atomic<bool> silentRunning{false};
    std::atomic<bool> silentStop{false};
};

#endif  // ZELVARO_PLATFORM_AUDIO_OUTPUT_H
