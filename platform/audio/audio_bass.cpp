// The audio library's calls, over the mixer and the outputs of this folder.
#include <bass.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "audio_mixer.h"
#include "audio_output.h"
#include "audio_virtual.h"

namespace {

// MP3 files beyond this size are refused rather than read into memory.
constexpr long long maxFileBytes = 256LL * 1024 * 1024;

struct AudioLibrary {
    AudioMixer mixer;
    AudioOutput output;
    bool initialised = false;
    bool virtualWanted = false;
    std::atomic<int> error{BASS_OK};
};

// Never destroyed: the output thread may still run while the process exits.
AudioLibrary& library() {
    static AudioLibrary* instance = new AudioLibrary();
    return *instance;
}

BOOL fail(int code) {
    library().error = code;
    return FALSE;
}

BOOL succeed() {
    library().error = BASS_OK;
    return TRUE;
}

// The whole file, or null with a BASS_ERROR_* code when it cannot be read.
AudioBytes readFile(const char* path, DWORD offset, DWORD length, int* error) {
    *error = BASS_ERROR_FILEOPEN;
    struct stat info {};
    if (path == nullptr || stat(path, &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
    if (info.st_size > maxFileBytes) {
        *error = BASS_ERROR_MEM;
        return nullptr;
    }
    if (offset > info.st_size) return nullptr;
    long long size = info.st_size - offset;
    if (length != 0 && length < size) size = length;
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return nullptr;
    auto bytes = std::make_shared<std::vector<unsigned char>>(size_t(size));
    const bool ok = std::fseek(file, long(offset), SEEK_SET) == 0 &&
                    std::fread(bytes->data(), 1, bytes->size(), file) == bytes->size();
    std::fclose(file);
    if (!ok) return nullptr;
    return bytes;
}

// ZELVARO_FRAME_LOG=FILE: one line per position asked for (the program asks
// once per frame, just before drawing it): the monotonic clock in seconds,
// the position in seconds (the music time of that frame) and the output
// latency in milliseconds.
class FrameLog {
public:
    void write(QWORD position, double latencyMilliseconds) {
        if (!opened) open();
        if (file == nullptr) return;
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::fprintf(file, "%.6f %.6f %.3f\n", double(now.tv_sec) + double(now.tv_nsec) * 1e-9,
                     double(position) / double(audioBytesPerSecond), latencyMilliseconds);
    }
    void flush() {
        if (file != nullptr) std::fflush(file);
    }

private:
    void open() {
        opened = true;
        const char* path = std::getenv("ZELVARO_FRAME_LOG");
        if (path == nullptr || path[0] == '\0') return;
        file = std::fopen(path, "w");
        if (file == nullptr) {
            std::fprintf(stderr, "zelvaro: cannot write the frame log %s\n", path);
            return;
        }
        std::setvbuf(file, nullptr, _IOLBF, 0);  // whole lines, as they happen
    }

    bool opened = false;
    std::FILE* file = nullptr;  // left open: the process's exit flushes it
};

FrameLog& frameLog() {
    static FrameLog* instance = new FrameLog();
    return *instance;
}

}  // namespace

void audioUseVirtualOutput() { library().virtualWanted = true; }

bool audioAdvanceVirtualOutput(size_t frames, std::vector<unsigned char>* pcm) {
    return library().output.advanceVirtual(frames * audioFrameBytes, pcm);
}

BOOL BASS_Init(int device, DWORD, DWORD, HWND) {
    AudioLibrary& audio = library();
    if (audio.initialised) return fail(BASS_ERROR_ALREADY);
    // -1 and 1 are the default device; 0 is "no sound": the silent clock.
    if (device < -1 || device > 1) return fail(BASS_ERROR_DEVICE);
    int error = BASS_OK;
    if (audio.virtualWanted) {
        audio.virtualWanted = false;
        audio.output.openVirtual(&audio.mixer);
    } else if (!audio.output.open(&audio.mixer, device != 0, &error)) {
        return fail(error);
    } else if (audio.output.kind() == AudioOutputKind::silent && device != 0) {
        std::fprintf(stderr, "zelvaro: no sound device (%s); the music plays silently\n",
                     audio.output.deviceProblem().c_str());
    }
    audio.initialised = true;
    return succeed();
}

BOOL BASS_Start(void) {
    AudioLibrary& audio = library();
    if (!audio.initialised) return fail(BASS_ERROR_INIT);
    audio.output.start();
    return succeed();
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset, DWORD length,
                              DWORD) {
    AudioLibrary& audio = library();
    if (!audio.initialised) return fail(BASS_ERROR_INIT);
    int error = BASS_OK;
    AudioBytes bytes;
    if (mem) {
        if (file == nullptr || length == 0) return fail(BASS_ERROR_FILEOPEN);
        const auto* start = static_cast<const unsigned char*>(file) + offset;
        bytes = std::make_shared<std::vector<unsigned char>>(start, start + length);
    } else {
        bytes = readFile(static_cast<const char*>(file), offset, length, &error);
        if (!bytes) return fail(error);
    }
    auto stream = std::make_unique<AudioStream>();
    stream->decoder = AudioDecoder::open(bytes, &error);
    if (!stream->decoder) return fail(error);
    stream->mp3 = std::move(bytes);
    const HSTREAM handle = audio.mixer.add(std::move(stream));
    succeed();
    return handle;
}

BOOL BASS_StreamPlay(HSTREAM handle, BOOL, DWORD) {
    AudioLibrary& audio = library();
    if (!audio.initialised) return fail(BASS_ERROR_INIT);
    AudioBytes bytes = audio.mixer.bytesOf(handle);
    if (!bytes) return fail(BASS_ERROR_HANDLE);
    // Decoding starts over from the first frame; the decoder is made here so
    // that the output thread only ever reads from it.
    int error = BASS_OK;
    std::unique_ptr<AudioDecoder> decoder = AudioDecoder::open(bytes, &error);
    if (!decoder) return fail(error);
    audio.mixer.play(handle, std::move(decoder));
    audio.output.start();
    return succeed();
}

QWORD BASS_ChannelGetPosition(DWORD handle) {
    AudioLibrary& audio = library();
    const int64_t position = audio.mixer.position(handle, audio.output.latency());
    if (position < 0) {
        fail(BASS_ERROR_HANDLE);
        return QWORD(-1);
    }
    succeed();
    frameLog().write(QWORD(position), audio.output.latencyMilliseconds());
    return QWORD(position);
}

float BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos) {
    if (!library().mixer.contains(handle)) {
        fail(BASS_ERROR_HANDLE);
        return -1.0f;
    }
    succeed();
    return float(double(pos) / double(audioBytesPerSecond));
}

BOOL BASS_Free(void) {
    AudioLibrary& audio = library();
    if (!audio.initialised) return fail(BASS_ERROR_INIT);
    audio.output.close();
    audio.mixer.reset();
    frameLog().flush();
    audio.initialised = false;
    return succeed();
}

int BASS_ErrorGetCode(void) { return library().error; }
