#include "test_mp3.h"

#include <lame/lame.h>

#include <cmath>
#include <cstdio>

std::vector<unsigned char> makeToneMp3(double seconds, int rate, int channels) {
    lame_global_flags* lame = lame_init();
    lame_set_in_samplerate(lame, rate);
    lame_set_out_samplerate(lame, rate);
    lame_set_num_channels(lame, channels);
    lame_set_mode(lame, channels == 1 ? MONO : JOINT_STEREO);
    lame_set_brate(lame, 128);
    lame_set_quality(lame, 7);
    lame_init_params(lame);

    const int frames = int(seconds * rate);
    std::vector<short> left(static_cast<size_t>(frames));
    std::vector<short> right(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        left[size_t(i)] = short(8000.0 * std::sin(2.0 * M_PI * 440.0 * i / rate));
        right[size_t(i)] = short(6000.0 * std::sin(2.0 * M_PI * 660.0 * i / rate));
    }
    std::vector<unsigned char> mp3(size_t(1.25 * frames + 7200) + 7200);
    int used = lame_encode_buffer(lame, left.data(), channels == 1 ? left.data() : right.data(),
                                  frames, mp3.data(), int(mp3.size()));
    if (used < 0) used = 0;
    const int flushed = lame_encode_flush(lame, mp3.data() + used, int(mp3.size()) - used);
    if (flushed > 0) used += flushed;
    lame_close(lame);
    mp3.resize(size_t(used));
    return mp3;
}

bool writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}
