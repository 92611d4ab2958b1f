// The sound server's own playback (PulseAudio's client library; PipeWire
// answers it too), used when a server answers. Unlike SDL2's audio, it tells
// which of the bytes written so far is heard at a given moment: with every
// request for more the output asks the server for a fresh account and passes
// it to the mixer, so the music clock follows the real output latency (the
// server's buffer and the sink's), re-read all through the show.
#ifndef ZELVARO_PLATFORM_AUDIO_SERVER_H
#define ZELVARO_PLATFORM_AUDIO_SERVER_H

#include <atomic>
#include <cstdint>
#include <string>

#include "audio_mixer.h"

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;

class AudioServerOutput {
public:
    AudioServerOutput() = default;
    ~AudioServerOutput() { close(); }
    AudioServerOutput(const AudioServerOutput&) = delete;
    AudioServerOutput& operator=(const AudioServerOutput&) = delete;

    // Connects to the session's sound server (never starts one) and opens a
    // paused stream of 16-bit stereo at 44100 Hz. False, with the reason in
    // *problem, when no server answers.
    bool open(AudioMixer* mixer, std::string* problem);
    void start();
    void close();
    // The latency the server reported last, in microseconds; -1 before any.
    int64_t reportedLatencyMicroseconds() const { return latencyMicroseconds.load(); }
    // How far the heard position may run on between two reports, in bytes.
    static uint64_t periodBytes();

private:
    static void contextChanged(pa_context* context, void* self);
    static void streamChanged(pa_stream* stream, void* self);
    static void streamWants(pa_stream* stream, size_t bytes, void* self);
    static void timingUpdated(pa_stream* stream, int success, void* self);
    void fill(size_t bytes);
    void report();

    AudioMixer* mixer = nullptr;
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    bool updatePending = false;  // a timing update was asked for, not yet answered
    std::atomic<int64_t> latencyMicroseconds{-1};
};

#endif  // ZELVARO_PLATFORM_AUDIO_SERVER_H
