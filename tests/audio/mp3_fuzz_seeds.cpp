// Writes the MP3 fuzzer's seed corpus into the folder given: short tones at
// several rates and channel counts, and one cut short.
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "test_mp3.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zelvaro-mp3-fuzz-seeds FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    mkdir(folder.c_str(), 0777);
    bool ok = true;
    for (int rate : {44100, 22050, 48000}) {
        for (int channels : {1, 2}) {
            const std::string name = folder + "/tone_" + std::to_string(rate) + "_" +
                                     std::to_string(channels) + ".mp3";
            ok = writeBytes(name, makeToneMp3(0.2, rate, channels)) && ok;
        }
    }
    std::vector<unsigned char> cut = makeToneMp3(0.3);
    cut.resize(cut.size() / 3);
    ok = writeBytes(folder + "/cut_short.mp3", cut) && ok;
    return ok ? 0 : 1;
}
