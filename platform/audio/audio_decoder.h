// An MP3 held in memory, decoded by libmpg123 to interleaved 16-bit stereo
// at 44100 Hz whatever the file's own rate and channel count.
#ifndef ZELVARO_PLATFORM_AUDIO_DECODER_H
#define ZELVARO_PLATFORM_AUDIO_DECODER_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct mpg123_handle_struct;

using AudioBytes = std::shared_ptr<const std::vector<unsigned char>>;

constexpr long audioRate = 44100;
constexpr size_t audioFrameBytes = 4;  // one stereo frame of two 16-bit samples
constexpr size_t audioBytesPerSecond = audioRate * audioFrameBytes;

// The MP3 bytes as libmpg123 reads them: a file position over memory.
struct AudioMemoryReader {
    AudioBytes data;
    size_t position = 0;
};

class AudioDecoder {
public:
    // Opens the MP3 in `mp3` and decodes its first audio frame. Returns null,
    // with a BASS_ERROR_* code in *error, when the bytes hold no MP3 audio.
    static std::unique_ptr<AudioDecoder> open(AudioBytes mp3, int* error);
    ~AudioDecoder();
    AudioDecoder(const AudioDecoder&) = delete;
    AudioDecoder& operator=(const AudioDecoder&) = delete;

    // Decodes the next `bytes` bytes (a multiple of audioFrameBytes) into `out`.
    // Returns how many were written: fewer only once the audio has ended (a
    // damaged frame or the end of the data ends it).
    size_t read(unsigned char* out, size_t bytes);
    bool ended() const { return endReached; }

private:
    AudioDecoder() = default;
    size_t decode(unsigned char* out, size_t bytes);

    AudioMemoryReader reader;
    mpg123_handle_struct* handle = nullptr;
    std::vector<unsigned char> pending;  // decoded while probing, not yet read
    size_t pendingOffset = 0;
    bool endReached = false;
};

#endif  // ZELVARO_PLATFORM_AUDIO_DECODER_H
