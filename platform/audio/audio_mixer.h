// The open streams and the clock of the output they play on. An output (the
// sound device, the silent clock or the virtual output) asks for mixed audio
// from its own thread; the program's thread opens, plays and asks positions.
// Decoding and the clock have separate locks, so asking the position never
// waits for a decode.
#ifndef ZELVARO_PLATFORM_AUDIO_MIXER_H
#define ZELVARO_PLATFORM_AUDIO_MIXER_H

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "audio_decoder.h"

// What is decoded: guarded by the decoding lock.
struct AudioStream {
    AudioBytes mp3;
    std::unique_ptr<AudioDecoder> decoder;  // the playing decoder, or the probe one
    bool playing = false;
};

// Where a stream stands on the output's clock: guarded by the clock lock.
struct AudioStreamClock {
    bool playing = false;
    bool startPending = false;      // played, its first byte not yet handed out
    uint64_t startDeviceBytes = 0;  // output clock when its first byte was handed out
    uint64_t deliveredBytes = 0;    // its bytes handed to the output so far
};

// How an output's clock relates to what the listener hears, as estimated
// from its buffers (an output that reports its latency overrides delayBytes).
struct AudioLatency {
    uint64_t delayBytes = 0;   // handed out but not yet heard, right after a mix
    uint64_t periodBytes = 0;  // how far the heard position may run on between mixes
};

class AudioMixer {
public:
    using Clock = std::chrono::steady_clock;

    // Takes the opened stream; returns its handle (never 0).
    uint32_t add(std::unique_ptr<AudioStream> stream);
    bool contains(uint32_t handle);
    // Restarts the stream from its beginning with a fresh decoder.
    bool play(uint32_t handle, std::unique_ptr<AudioDecoder> decoder);
    // The stream's MP3 bytes (for a fresh decoder), null for an unknown handle.
    AudioBytes bytesOf(uint32_t handle);
    // Position of what the listener hears now, in bytes; -1 for an unknown handle.
    int64_t position(uint32_t handle, const AudioLatency& latency);
    // Fills `bytes` bytes of interleaved 16-bit stereo with every playing stream.
    void mix(unsigned char* out, size_t bytes);
    // An output that knows what is heard reports it: at `at`, the listener
    // heard output byte `heardBytes` (counted as the output was handed them).
    // From then on positions follow these reports instead of the output's
    // estimate; a report close to where the clock already is only nudges it,
    // so the jitter of the reports does not reach the picture.
    void reportHeard(uint64_t heardBytes, Clock::time_point at);
    // Forgets every stream and sets the clock back to 0.
    void reset();

private:
    uint64_t heardDeviceBytes(const AudioLatency& latency);

    std::mutex decoding;  // streams, and the mixing as a whole
    std::map<uint32_t, std::unique_ptr<AudioStream>> streams;
    std::vector<unsigned char> scratch;
    std::vector<std::pair<uint32_t, size_t>> decodedNow;  // per stream, in one mix
    uint32_t nextHandle = 1;

    std::mutex clock;  // everything below
    std::map<uint32_t, AudioStreamClock> clocks;
    uint64_t deviceBytes = 0;     // bytes handed to the output since the start
    Clock::time_point lastMix{};  // when deviceBytes last grew
    uint64_t lastHeard = 0;       // the heard clock never runs backwards
    uint64_t reportedHeard = 0;   // heard output bytes at reportedAt (reportDelay)
    Clock::time_point reportedAt{};
};

#endif  // ZELVARO_PLATFORM_AUDIO_MIXER_H
