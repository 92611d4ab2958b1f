// Prints how fast the audio layer decodes (times real time, on the virtual
// output) and what one position query costs while the dummy device plays.
// Not a test: run it by hand.
#include <bass.h>

#include <audio_virtual.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "test_mp3.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main() {
    const double musicSeconds = 60.0;
    const std::vector<unsigned char> mp3 = makeToneMp3(musicSeconds);

    audioUseVirtualOutput();
    BASS_Init(-1, 44100, 0, nullptr);
    HSTREAM stream = BASS_StreamCreateFile(TRUE, mp3.data(), 0, DWORD(mp3.size()), 0);
    BASS_StreamPlay(stream, FALSE, 0);
    std::vector<unsigned char> pcm;
    Clock::time_point start = Clock::now();
    for (int frame = 0; frame < int(musicSeconds * 60); ++frame) {
        pcm.clear();
        audioAdvanceVirtualOutput(735, &pcm);
    }
    const double decodeSeconds = secondsSince(start);
    std::printf("decoding: %.1f s of music in %.3f s (%.0f x real time)\n", musicSeconds,
                decodeSeconds, musicSeconds / decodeSeconds);
    BASS_Free();

    setenv("SDL_AUDIODRIVER", "dummy", 0);
    BASS_Init(-1, 44100, 0, nullptr);
    stream = BASS_StreamCreateFile(TRUE, mp3.data(), 0, DWORD(mp3.size()), 0);
    BASS_Start();
    BASS_StreamPlay(stream, FALSE, 0);
    const int queries = 200000;
    QWORD sum = 0;
    start = Clock::now();
    for (int i = 0; i < queries; ++i) sum += BASS_ChannelGetPosition(stream);
    const double querySeconds = secondsSince(start);
    std::printf("position query while playing: %.0f ns each (last position %llu bytes)\n",
                querySeconds / queries * 1e9, static_cast<unsigned long long>(sum / queries));
    BASS_Free();
    return 0;
}
