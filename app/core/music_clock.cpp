#include "music_clock.h"

#include <cstdio>

#include "demo_context.h"

HSTREAM musicStream = 0;
float musicTime = 0.0f;
bool quitRequested = false;

namespace {

const char* const musicFile = "msx/zelvaro.mp3";

const char* audioErrorText(int code) {
    switch (code) {
    case BASS_ERROR_MEM: return "out of memory";
    case BASS_ERROR_FILEOPEN: return "the file is missing or cannot be read";
    case BASS_ERROR_DRIVER: return "no audio driver and no silent output";
    case BASS_ERROR_FORMAT:
    case BASS_ERROR_FILEFORM:
    case BASS_ERROR_NOTAUDIO: return "the file holds no MP3 audio";
    case BASS_ERROR_ALREADY: return "the audio output is already started";
    case BASS_ERROR_DEVICE: return "no such audio device";
    default: return "unknown audio error";
    }
}

}  // namespace

void initMusic(HWND window) {
    if (!BASS_Init(-1, 44100, 0, window)) {
        exitWithStartupError("start the audio output", audioErrorText(BASS_ErrorGetCode()));
    }
    musicStream = BASS_StreamCreateFile(FALSE, musicFile, 0, 0, 0);
    if (musicStream == 0) {
        // The show still runs: the title card, then scene 6 until Escape or F12.
        std::fprintf(stderr, "zelvaro: cannot open the music %s: %s; the show runs without it\n",
                     musicFile, audioErrorText(BASS_ErrorGetCode()));
        return;
    }
    BASS_Start();
}

void refreshMusicTime() {
    // Only the low 32 bits of the byte position count, as a signed number.
    const int position = static_cast<int>(static_cast<DWORD>(BASS_ChannelGetPosition(musicStream)));
    musicTime = BASS_ChannelBytes2Seconds(musicStream, static_cast<QWORD>(static_cast<int64_t>(position)));
}

void freeMusic() { BASS_Free(); }
