#include "audio_mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

void addSaturated(int16_t* target, const int16_t* source, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const int sum = int(target[i]) + int(source[i]);
        target[i] = int16_t(std::clamp(sum, -32768, 32767));
    }
}

}  // namespace

uint32_t AudioMixer::add(std::unique_ptr<AudioStream> stream) {
    std::lock_guard<std::mutex> decodingLock(decoding);
    std::lock_guard<std::mutex> clockLock(clock);
    const uint32_t handle = nextHandle++;
    if (nextHandle == 0) nextHandle = 1;
    streams[handle] = std::move(stream);
    clocks[handle] = AudioStreamClock{};
    return handle;
}

bool AudioMixer::contains(uint32_t handle) {
    std::lock_guard<std::mutex> clockLock(clock);
    return clocks.count(handle) != 0;
}

AudioBytes AudioMixer::bytesOf(uint32_t handle) {
    std::lock_guard<std::mutex> decodingLock(decoding);
    auto found = streams.find(handle);
    return found == streams.end() ? nullptr : found->second->mp3;
}

bool AudioMixer::play(uint32_t handle, std::unique_ptr<AudioDecoder> decoder) {
    std::unique_lock<std::mutex> decodingLock(decoding);
    auto found = streams.find(handle);
    if (found == streams.end()) return false;
    AudioStream& stream = *found->second;
    std::swap(stream.decoder, decoder);
    stream.playing = true;
    {
        std::lock_guard<std::mutex> clockLock(clock);
        AudioStreamClock& position = clocks[handle];
        position.playing = true;
        position.startPending = true;
        position.deliveredBytes = 0;
    }
    decodingLock.unlock();
    decoder.reset();  // the old decoder is freed outside the locks
    return true;
}

void AudioMixer::reportHeard(uint64_t heardBytes, Clock::time_point at) {
    // Reports within this many bytes of the running clock only nudge it (by
    // an eighth of the difference); farther ones (a gap, the start) set it.
    constexpr double jitterBytes = 0.008 * double(audioBytesPerSecond);
    std::lock_guard<std::mutex> clockLock(clock);
    if (reportedAt != Clock::time_point{}) {
        const double seconds = std::chrono::duration<double>(at - reportedAt).count();
        const double predicted = double(reportedHeard) + seconds * double(audioBytesPerSecond);
        const double difference = double(heardBytes) - predicted;
        if (std::abs(difference) < jitterBytes) {
            reportedHeard = uint64_t(std::max(0.0, predicted + difference / 8.0));
            reportedAt = at;
            return;
        }
    }
    reportedHeard = heardBytes;
    reportedAt = at;
}

uint64_t AudioMixer::heardDeviceBytes(const AudioLatency& latency) {
    if (reportedAt != Clock::time_point{}) {
        // The output plays on in real time since its report, but never past
        // what it was handed.
        const double seconds = std::chrono::duration<double>(Clock::now() - reportedAt).count();
        const double ahead = std::clamp(seconds * double(audioBytesPerSecond), 0.0,
                                        double(latency.periodBytes));
        const uint64_t heard = std::min(reportedHeard + uint64_t(ahead), deviceBytes);
        lastHeard = std::max(lastHeard, heard);
        return lastHeard;
    }
    uint64_t heard = deviceBytes;
    if (latency.periodBytes > 0 && deviceBytes > 0) {
        const double seconds = std::chrono::duration<double>(Clock::now() - lastMix).count();
        const double ahead = std::clamp(seconds * double(audioBytesPerSecond), 0.0,
                                        double(latency.periodBytes));
        heard += uint64_t(ahead);
    }
    heard = heard > latency.delayBytes ? heard - latency.delayBytes : 0;
    lastHeard = std::max(lastHeard, heard);
    return lastHeard;
}

int64_t AudioMixer::position(uint32_t handle, const AudioLatency& latency) {
    std::lock_guard<std::mutex> clockLock(clock);
    auto found = clocks.find(handle);
    if (found == clocks.end()) return -1;
    const AudioStreamClock& stream = found->second;
    const uint64_t heard = heardDeviceBytes(latency);
    if (!stream.playing || stream.startPending || heard <= stream.startDeviceBytes) return 0;
    const uint64_t played = std::min(heard - stream.startDeviceBytes, stream.deliveredBytes);
    return int64_t(played - played % audioFrameBytes);
}

void AudioMixer::mix(unsigned char* out, size_t bytes) {
    std::memset(out, 0, bytes);
    std::lock_guard<std::mutex> decodingLock(decoding);
    if (scratch.size() < bytes) scratch.resize(bytes);
    decodedNow.clear();
    for (auto& entry : streams) {
        AudioStream& stream = *entry.second;
        if (!stream.playing || !stream.decoder) continue;
        const size_t got = stream.decoder->read(scratch.data(), bytes);
        decodedNow.emplace_back(entry.first, got);
        addSaturated(reinterpret_cast<int16_t*>(out),
                     reinterpret_cast<const int16_t*>(scratch.data()), got / 2);
    }
    std::lock_guard<std::mutex> clockLock(clock);
    for (const auto& decoded : decodedNow) {
        AudioStreamClock& stream = clocks[decoded.first];
        if (stream.startPending) {
            stream.startPending = false;
            stream.startDeviceBytes = deviceBytes;
        }
        stream.deliveredBytes += decoded.second;
    }
    deviceBytes += bytes;
    lastMix = Clock::now();
}

void AudioMixer::reset() {
    std::map<uint32_t, std::unique_ptr<AudioStream>> freed;
    std::lock_guard<std::mutex> decodingLock(decoding);
    std::lock_guard<std::mutex> clockLock(clock);
    freed.swap(streams);
    clocks.clear();
    deviceBytes = 0;
    lastHeard = 0;
    lastMix = Clock::time_point{};
    reportedHeard = 0;
    reportedAt = Clock::time_point{};
}
