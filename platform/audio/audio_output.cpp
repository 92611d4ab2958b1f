#include "audio_output.h"

#include <SDL.h>

#include <algorithm>
#include <bass.h>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "../win32/win32_quiet_stderr.h"

namespace {

// The device asks for this many frames at a time (about 23 ms).
constexpr Uint16 deviceBufferFrames = 1024;
// The silent clock hands out audio this often.
constexpr auto silentTick = std::chrono::milliseconds(10);

void SDLCALL fillDevice(void* userdata, Uint8* stream, int length) {
    static_cast<AudioMixer*>(userdata)->mix(stream, size_t(length));
}

}  // namespace

bool AudioOutput::open(AudioMixer* target, bool deviceWanted, int* error) {
    close();
    mixer = target;
    problem.clear();
    if (deviceWanted && serverWanted()) {
        std::string serverProblem;
        if (server.open(mixer, &serverProblem)) {
            outputKind = AudioOutputKind::server;
            outputLatency = AudioLatency{};
            outputLatency.periodBytes = AudioServerOutput::periodBytes();
            return true;
        }
    }
    if (deviceWanted && openDevice()) return true;
    if (openSilent()) return true;
    *error = BASS_ERROR_DRIVER;
    mixer = nullptr;
    return false;
}

bool AudioOutput::openVirtual(AudioMixer* target) {
    close();
    mixer = target;
    outputKind = AudioOutputKind::virtualClock;
    outputLatency = AudioLatency{};
    return true;
}

// The server is asked directly unless SDL_AUDIODRIVER names another way.
bool AudioOutput::serverWanted() const {
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    return driver == nullptr || driver[0] == '\0' || std::strcmp(driver, "pulseaudio") == 0 ||
           std::strcmp(driver, "pulse") == 0;
}

double AudioOutput::latencyMilliseconds() const {
    if (outputKind == AudioOutputKind::server) {
        return double(std::max<int64_t>(server.reportedLatencyMicroseconds(), 0)) / 1000.0;
    }
    return double(outputLatency.delayBytes) * 1000.0 / double(audioBytesPerSecond);
}

bool AudioOutput::openDevice() {
    // The sound libraries print every card and socket they fail to open; the
    // program states the outcome in one line of its own.
    Win32QuietStderr quiet;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        problem = SDL_GetError();
        return false;
    }
    sdlAudioStarted = true;
    SDL_AudioSpec wanted{};
    wanted.freq = int(audioRate);
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = deviceBufferFrames;
    wanted.callback = fillDevice;
    wanted.userdata = mixer;
    SDL_AudioSpec obtained{};
    // Only the buffer size may differ: SDL converts to whatever the device takes.
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained,
                                                     SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
    if (id == 0) {
        problem = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        sdlAudioStarted = false;
        return false;
    }
    device = id;
    outputKind = AudioOutputKind::device;
    // Right after a mix the buffer just filled waits behind the one playing.
    const uint64_t bufferBytes = uint64_t(obtained.samples) * audioFrameBytes;
    outputLatency.delayBytes = 2 * bufferBytes;
    outputLatency.periodBytes = bufferBytes;
    return true;
}

bool AudioOutput::openSilent() {
    silentStop = false;
    silentRunning = false;
    try {
        silentThread = std::thread(&AudioOutput::runSilentClock, this);
    } catch (const std::system_error&) {
        return false;
    }
    outputKind = AudioOutputKind::silent;
    outputLatency = AudioLatency{};
    outputLatency.periodBytes =
        uint64_t(std::chrono::duration<double>(silentTick).count() * audioBytesPerSecond);
    return true;
}

void AudioOutput::runSilentClock() {
    using Clock = std::chrono::steady_clock;
    std::vector<unsigned char> sink;
    Clock::time_point started{};
    uint64_t handedOut = 0;
    while (!silentStop) {
        std::this_thread::sleep_for(silentTick);
        if (!silentRunning) continue;
        const Clock::time_point now = Clock::now();
        if (started == Clock::time_point{}) started = now;
        const double seconds = std::chrono::duration<double>(now - started).count();
        const uint64_t due = uint64_t(seconds * audioRate) * audioFrameBytes;
        // At most half a second per mix, however long the thread slept.
        while (handedOut < due && !silentStop) {
            const size_t bytes = size_t(std::min<uint64_t>(due - handedOut, audioBytesPerSecond / 2));
            sink.resize(bytes);
            mixer->mix(sink.data(), bytes);
            handedOut += bytes;
        }
    }
}

void AudioOutput::start() {
    switch (outputKind) {
    case AudioOutputKind::server: server.start(); break;
    case AudioOutputKind::device: SDL_PauseAudioDevice(device, 0); break;
    case AudioOutputKind::silent: silentRunning = true; break;
    case AudioOutputKind::virtualClock:
    case AudioOutputKind::closed: break;
    }
}

bool AudioOutput::advanceVirtual(size_t bytes, std::vector<unsigned char>* pcm) {
    if (outputKind != AudioOutputKind::virtualClock) return false;
    std::vector<unsigned char> local;
    std::vector<unsigned char>& target = pcm != nullptr ? *pcm : local;
    const size_t at = target.size();
    target.resize(at + bytes);
    mixer->mix(target.data() + at, bytes);
    return true;
}

void AudioOutput::close() {
    switch (outputKind) {
    case AudioOutputKind::server: server.close(); break;
    case AudioOutputKind::device: SDL_CloseAudioDevice(device); break;
    case AudioOutputKind::silent:
        silentStop = true;
        if (silentThread.joinable()) silentThread.join();
        break;
    case AudioOutputKind::virtualClock:
    case AudioOutputKind::closed: break;
    }
    if (sdlAudioStarted) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    sdlAudioStarted = false;
    device = 0;
    outputKind = AudioOutputKind::closed;
    mixer = nullptr;
}
