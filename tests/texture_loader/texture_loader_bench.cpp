// Times loading the 41 texture slots of the generated data set
// (<build>/data/tex, written by zelvaro-datagen) the way start-up does, and
// where the time goes: reading and decoding the files, then resampling and
// filling the levels (and, on the real device, handing them to OpenGL).
// Without the data set it makes similar files itself.
//   texture_loader_bench [DATA_DIR] [--fake]   (DATA_DIR holds tex/; --fake
//   uses an in-memory device instead of the real one)
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <string>
#include <vector>

#include "d3d_test_device.h"
#include "demo_context.h"
#include "recording_device.h"
#include "image_decoders.h"
#include "image_writers.h"
#include "texture_slots.h"
#include "texture_table.h"

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Processor time of this process: on a shared machine the wall clock also
// counts other programs' turns.
double processSeconds() {
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
}

std::vector<BYTE> readBytes(const std::string& path) {
    std::vector<BYTE> bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return bytes;
    BYTE buffer[1 << 16];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), file)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(file);
    return bytes;
}

// Stand-ins of the data set's sizes: photos as 1024 x 512 JPEG, cards and
// sprites as 512 x 512 PNG with alpha, the logo as a 512 x 256 TGA.
void makeStandIns(const std::string& dir) {
    mkdir(dir.c_str(), 0755);
    mkdir((dir + "/tex").c_str(), 0755);
    auto photo = [](UINT x, UINT y) { return 0xFF000000u | ((x ^ y) & 255) << 16 | (x * 3 & 255) << 8 | (y & 255); };
    writeTextureStandIns(dir + "/tex", photo, StandInSizes{1024, 512, 85, 512, 512, 256});
}

}  // namespace

int main(int argc, char** argv) {
    bool fake = false;
    std::string dataDir = std::string(ZELVARO_BINARY_DIR) + "/data";
    for (int i = 1; i < argc; i++) {
        if (std::string(argv[i]) == "--fake")
            fake = true;
        else
            dataDir = argv[i];
    }
    struct stat info;
    if (stat((dataDir + "/tex").c_str(), &info) != 0) {
        printf("no data set in %s/tex: timing generated stand-ins in /tmp/zelvaro-texture-bench\n",
               dataDir.c_str());
        dataDir = "/tmp/zelvaro-texture-bench";
        makeStandIns(dataDir);
    }
    if (chdir(dataDir.c_str()) != 0) {
        fprintf(stderr, "cannot enter %s\n", dataDir.c_str());
        return 1;
    }

    RecordingDevice fakeDevice;
    TestDevice real;
    if (!fake && !createTestDevice(64, 64, &real)) {
        printf("no real device (%s): using the in-memory one\n", real.error.c_str());
        fake = true;
    }
    printf("device:                  %s\n", fake ? "in-memory" : "OpenGL");
    DemoContext context;
    context.device = fake ? static_cast<IDirect3DDevice8*>(&fakeDevice) : real.device;
    demoContext = &context;
    textureTable.prepare();

    // 1. Whole start-up load: the 41 slots through D3DXCreateTextureFromFileExA.
    auto start = std::chrono::steady_clock::now();
    double processStart = processSeconds();
    loadTextures();
    double total = secondsSince(start);
    double totalProcess = processSeconds() - processStart;

    // 2. The part spent reading and decoding (the same files again).
    double decoding = 0;
    double decodingProcess = 0;
    size_t bytes = 0, pixels = 0;
    // The slot list's files, in slot order, as the table loads them.
    for (const TextureSlot& entry : textureSlots) {
        const std::string name = std::string("tex//") + entry.fileName;
        std::vector<BYTE> file = readBytes(name);
        bytes += file.size();
        auto decodeStart = std::chrono::steady_clock::now();
        double decodeProcessStart = processSeconds();
        DecodedImage image;
        if (SUCCEEDED(decodeImageFile(file.data(), (UINT)file.size(), &image)))
            pixels += (size_t)image.width * image.height;
        decoding += secondsSince(decodeStart);
        decodingProcess += processSeconds() - decodeProcessStart;
    }
    size_t texels = 0;
    for (auto& entry : textureTable.records) {
        IDirect3DTexture8* texture = entry.second->texture;
        for (UINT level = 0; level < texture->GetLevelCount(); level++) {
            D3DSURFACE_DESC desc;
            texture->GetLevelDesc(level, &desc);
            texels += (size_t)desc.Width * desc.Height;
        }
    }

    printf("slots loaded:            %zu of 41\n", textureTable.records.size());
    printf("files:                   %.1f MB, %.1f Mpixel decoded\n", bytes / 1e6, pixels / 1e6);
    printf("texels written:          %.1f M (all levels)\n", texels / 1e6);
    printf("                         wall clock   processor (target under 0.5 s)\n");
    printf("total load time:         %7.3f s    %7.3f s\n", total, totalProcess);
    printf("  reading and decoding:  %7.3f s    %7.3f s\n", decoding, decodingProcess);
    printf("  formats and levels:    %7.3f s    %7.3f s (resampling, conversion, filling)\n",
           total - decoding, totalProcess - decodingProcess);
    for (auto& entry : textureTable.records) entry.second->texture->Release();
    textureTable.clear();
    demoContext = nullptr;
    if (!fake) releaseTestDevice(&real);
    return 0;
}
