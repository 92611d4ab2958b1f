// libFuzzer target: any bytes opened as an MP3 stream and played to the end
// on the virtual output must neither crash nor hang.
#include <bass.h>

#include <audio_virtual.h>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    audioUseVirtualOutput();
    if (!BASS_Init(-1, 44100, 0, nullptr)) return 0;
    const HSTREAM stream = BASS_StreamCreateFile(TRUE, data, 0, DWORD(size), 0);
    if (stream != 0 && BASS_StreamPlay(stream, FALSE, 0)) {
        // Half a second at a time until the position stands still (or 10 minutes).
        QWORD last = 0;
        for (int step = 0; step < 1200; ++step) {
            audioAdvanceVirtualOutput(22050, nullptr);
            const QWORD position = BASS_ChannelGetPosition(stream);
            if (step > 0 && position == last) break;
            last = position;
        }
    }
    BASS_Free();
    return 0;
}
