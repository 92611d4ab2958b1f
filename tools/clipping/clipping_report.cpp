// zelvaro-clipping TRACE FOLDER [LIMIT]: how much of each captured frame is
// clipped white, per scene. TRACE is the capture's --trace output (frame,
// frame time, music time, scene, one frame a line), FOLDER its --out folder of
// numbered PNG files. Four frames per second of the show are looked at; a pixel
// is clipped when all three channels are 245 or more. Prints one row per scene
// in the order the show plays them (frames looked at, median and largest
// share, frames above LIMIT percent, default 15), then every frame above it.
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const int clippedLevel = 245;
const int samplesPerSecond = 4;

struct Sample {
    long frame;
    double musicTime;
    int scene;
    double clippedPercent;
};

// The share of clipped pixels in one PNG file, in percent; negative when the
// file cannot be read.
double clippedPercent(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return -1.0;
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return -1.0;
    const size_t count = size_t(image.width) * image.height;
    size_t clipped = 0;
    for (size_t i = 0; i < count; ++i) {
        const png_byte* p = &pixels[i * 3];
        if (p[0] >= clippedLevel && p[1] >= clippedLevel && p[2] >= clippedLevel) ++clipped;
    }
    return count ? 100.0 * double(clipped) / double(count) : 0.0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: zelvaro-clipping TRACE FOLDER [LIMIT]\n");
        return 2;
    }
    const double limit = argc == 4 ? std::atof(argv[3]) : 15.0;
    std::ifstream trace(argv[1]);
    if (!trace) {
        std::fprintf(stderr, "zelvaro-clipping: cannot read %s\n", argv[1]);
        return 1;
    }
    std::vector<Sample> samples;
    std::vector<int> sceneOrder;
    long lastSlot = -1;
    std::string line;
    while (std::getline(trace, line)) {
        std::istringstream fields(line);
        long frame;
        double frameTime, musicTime;
        int scene;
        if (!(fields >> frame >> frameTime >> musicTime >> scene)) continue;
        // Four per second of the capture's clock, which the music follows.
        const long slot = long(std::floor(frameTime * samplesPerSecond + 1e-6));
        if (slot == lastSlot) continue;
        lastSlot = slot;
        char name[32];
        std::snprintf(name, sizeof name, "/frame_%06ld.png", frame);
        const double percent = clippedPercent(std::string(argv[2]) + name);
        if (percent < 0) continue;  // outside the captured window
        samples.push_back(Sample{frame, musicTime, scene, percent});
        if (std::find(sceneOrder.begin(), sceneOrder.end(), scene) == sceneOrder.end())
            sceneOrder.push_back(scene);
    }
    if (samples.empty()) {
        std::fprintf(stderr, "zelvaro-clipping: no frame of %s found in %s\n", argv[1], argv[2]);
        return 1;
    }
    std::printf("scene  frames  median %%  largest %%  at music s  above %.0f %%\n", limit);
    for (int scene : sceneOrder) {
        std::vector<double> shares;
        const Sample* largest = nullptr;
        int above = 0;
        for (const Sample& sample : samples) {
            if (sample.scene != scene) continue;
            shares.push_back(sample.clippedPercent);
            if (!largest || sample.clippedPercent > largest->clippedPercent) largest = &sample;
            if (sample.clippedPercent > limit) ++above;
        }
        std::sort(shares.begin(), shares.end());
        std::printf("%5d  %6zu  %8.1f  %9.1f  %10.2f  %11d\n", scene, shares.size(),
                    shares[shares.size() / 2], largest->clippedPercent, largest->musicTime, above);
    }
    std::printf("\nframes above %.0f %%: frame, music s, scene, clipped %%\n", limit);
    for (const Sample& sample : samples)
        if (sample.clippedPercent > limit)
            std::printf("%6ld  %8.2f  %5d  %5.1f\n", sample.frame, sample.musicTime, sample.scene,
                        sample.clippedPercent);
    return 0;
}
