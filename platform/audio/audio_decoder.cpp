#include "audio_decoder.h"

#include <bass.h>
#include <mpg123.h>
#include <sys/types.h>

#include <algorithm>
#include <cstring>
#include <mutex>

namespace {

// Calls of mpg123_read that give no audio in a row: a damaged stream must not
// keep the decoder busy without progress.
constexpr int maxCallsWithoutAudio = 256;

mpg123_ssize_t readMemory(void* source, void* buffer, size_t count) {
    auto* reader = static_cast<AudioMemoryReader*>(source);
    const size_t size = reader->data->size();
    const size_t n = std::min(count, size - std::min(reader->position, size));
    if (n == 0) return 0;
    std::memcpy(buffer, reader->data->data() + reader->position, n);
    reader->position += n;
    return static_cast<mpg123_ssize_t>(n);
}

off_t seekMemory(void* source, off_t offset, int whence) {
    auto* reader = static_cast<AudioMemoryReader*>(source);
    const off_t size = static_cast<off_t>(reader->data->size());
    off_t base = 0;
    switch (whence) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = static_cast<off_t>(reader->position); break;
    case SEEK_END: base = size; break;
    default: return -1;
    }
    const off_t target = base + offset;
    if (target < 0 || target > size) return -1;
    reader->position = static_cast<size_t>(target);
    return target;
}

bool initLibrary() {
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] { ready = mpg123_init() == MPG123_OK; });
    return ready;
}

}  // namespace

std::unique_ptr<AudioDecoder> AudioDecoder::open(AudioBytes mp3, int* error) {
    *error = BASS_ERROR_FORMAT;
    if (!initLibrary()) {
        *error = BASS_ERROR_UNKNOWN;
        return nullptr;
    }
    std::unique_ptr<AudioDecoder> decoder(new AudioDecoder());
    decoder->reader.data = std::move(mp3);
    mpg123_handle* mh = mpg123_new(nullptr, nullptr);
    if (mh == nullptr) {
        *error = BASS_ERROR_MEM;
        return nullptr;
    }
    decoder->handle = mh;
    // Only 16-bit stereo at 44100 Hz is offered, so libmpg123 turns mono into
    // stereo and resamples any other rate.
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_FORCE_STEREO, 0.0);
    mpg123_param(mh, MPG123_FORCE_RATE, audioRate, 0.0);
    mpg123_format_none(mh);
    if (mpg123_format(mh, audioRate, MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK ||
        mpg123_replace_reader_handle(mh, readMemory, seekMemory, nullptr) != MPG123_OK ||
        mpg123_open_handle(mh, &decoder->reader) != MPG123_OK) {
        return nullptr;
    }
    // A file holds MP3 audio when its first frame decodes to the one format offered.
    unsigned char probe[4608 * 2];
    const size_t got = decoder->decode(probe, sizeof probe);
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (got == 0 || mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK ||
        rate != audioRate || channels != 2 || encoding != MPG123_ENC_SIGNED_16) {
        return nullptr;
    }
    decoder->pending.assign(probe, probe + got);
    *error = BASS_OK;
    return decoder;
}

AudioDecoder::~AudioDecoder() {
    if (handle != nullptr) {
        mpg123_close(handle);
        mpg123_delete(handle);
    }
}

size_t AudioDecoder::read(unsigned char* out, size_t bytes) {
    size_t written = 0;
    if (pendingOffset < pending.size()) {
        written = std::min(bytes, pending.size() - pendingOffset);
        std::memcpy(out, pending.data() + pendingOffset, written);
        pendingOffset += written;
        if (pendingOffset == pending.size()) {
            pending.clear();
            pending.shrink_to_fit();
            pendingOffset = 0;
        }
    }
    return written + decode(out + written, bytes - written);
}

size_t AudioDecoder::decode(unsigned char* out, size_t bytes) {
    size_t written = 0;
    int callsWithoutAudio = 0;
    while (written < bytes && !endReached) {
        size_t done = 0;
        const int result = mpg123_read(handle, out + written, bytes - written, &done);
        written += done;
        callsWithoutAudio = done > 0 ? 0 : callsWithoutAudio + 1;
        switch (result) {
        case MPG123_OK:
        case MPG123_NEW_FORMAT:
        case MPG123_NEED_MORE:
            break;
        default:  // MPG123_DONE, or an error the stream cannot continue after
            endReached = true;
            break;
        }
        if (callsWithoutAudio >= maxCallsWithoutAudio) endReached = true;
    }
    // Whole stereo frames only: a damaged stream may end mid-frame.
    if (endReached) written -= written % audioFrameBytes;
    return written;
}
