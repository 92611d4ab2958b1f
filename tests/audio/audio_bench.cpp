// How fast the audio layer decodes (times real time, on the virtual output)
// and what one position query costs while the dummy device plays.
// Run: build-dir/tests/audio/audio_bench [--benchmark_filter=...]
#include <bass.h>
#include <benchmark/benchmark.h>

#include <audio_virtual.h>

#include <cstdlib>
#include <vector>

#include "test_mp3.h"

namespace {

const double musicSeconds = 10.0;

const std::vector<unsigned char>& music() {
    static const std::vector<unsigned char> mp3 = makeToneMp3(musicSeconds);
    return mp3;
}

// One iteration decodes the whole music, a 60th of a second at a time.
void decoding(benchmark::State& state) {
    const std::vector<unsigned char>& mp3 = music();
    audioUseVirtualOutput();
    BASS_Init(-1, 44100, 0, nullptr);
    HSTREAM stream = BASS_StreamCreateFile(TRUE, mp3.data(), 0, DWORD(mp3.size()), 0);
    std::vector<unsigned char> pcm;
    for (auto _ : state) {
        BASS_StreamPlay(stream, FALSE, 0);  // from the beginning
        for (int frame = 0; frame < int(musicSeconds * 60); ++frame) {
            pcm.clear();
            audioAdvanceVirtualOutput(735, &pcm);
        }
    }
    BASS_Free();
    // seconds of music per second: times real time
    state.counters["x_real_time"] = benchmark::Counter(musicSeconds * double(state.iterations()),
                                                       benchmark::Counter::kIsRate);
}

void positionWhilePlaying(benchmark::State& state) {
    const std::vector<unsigned char>& mp3 = music();
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    BASS_Init(-1, 44100, 0, nullptr);
    HSTREAM stream = BASS_StreamCreateFile(TRUE, mp3.data(), 0, DWORD(mp3.size()), 0);
    BASS_Start();
    BASS_StreamPlay(stream, FALSE, 0);
    for (auto _ : state) benchmark::DoNotOptimize(BASS_ChannelGetPosition(stream));
    BASS_Free();
}

}  // namespace

BENCHMARK(decoding)->Unit(benchmark::kMillisecond);
BENCHMARK(positionWhilePlaying);

BENCHMARK_MAIN();
