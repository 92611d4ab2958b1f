// Loading the 41 texture slots of the generated data set (<build>/data/tex,
// written by zelvaro-datagen) the way start-up does, on the in-memory test
// device and on the real one (also handing the levels to OpenGL), and the part
// of it that is reading and decoding the files. Without the data set it makes
// similar files itself.
//   texture_loader_bench [--benchmark_filter=...] [DATA_DIR]   (DATA_DIR holds tex/)
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "d3d_test_device.h"
#include "demo_context.h"
#include "image_decoders.h"
#include "image_writers.h"
#include "recording_device.h"
#include "temp_folder.h"
#include "texture_slots.h"
#include "texture_table.h"

namespace {

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
    mkdir((dir + "/tex").c_str(), 0755);
    auto photo = [](UINT x, UINT y) { return 0xFF000000u | ((x ^ y) & 255) << 16 | (x * 3 & 255) << 8 | (y & 255); };
    writeTextureStandIns(dir + "/tex", photo, StandInSizes{1024, 512, 85, 512, 512, 256});
}

// One iteration loads every slot through D3DXCreateTextureFromFileExA and
// lets the textures go again.
void loadAllSlots(benchmark::State& state, IDirect3DDevice8* device) {
    DemoContext context;
    context.device = device;
    demoContext = &context;
    size_t texels = 0;
    size_t slots = 0;
    for (auto _ : state) {
        textureTable.prepare();
        loadTextures();
        state.PauseTiming();
        slots = textureTable.records.size();
        texels = 0;
        for (auto& entry : textureTable.records) {
            IDirect3DTexture8* texture = entry.second->texture;
            for (UINT level = 0; level < texture->GetLevelCount(); level++) {
                D3DSURFACE_DESC desc;
                texture->GetLevelDesc(level, &desc);
                texels += (size_t)desc.Width * desc.Height;
            }
            texture->Release();
        }
        textureTable.clear();
        state.ResumeTiming();
    }
    demoContext = nullptr;
    state.counters["slots"] = double(slots);
    state.counters["texels_all_levels"] = double(texels);
}

void onTheTestDevice(benchmark::State& state) {
    RecordingDevice device;
    device.recording = false;
    loadAllSlots(state, &device);
}

void onTheRealDevice(benchmark::State& state) {
    TestDevice real;
    if (!createTestDevice(64, 64, &real)) {
        state.SkipWithError(("no real device: " + real.error).c_str());
        return;
    }
    loadAllSlots(state, real.device);
    releaseTestDevice(&real);
}

// The reading and decoding part: the slots' files decoded, in slot order.
void decodingTheFiles(benchmark::State& state) {
    std::vector<std::vector<BYTE>> files;
    size_t bytes = 0;
    for (const TextureSlot& entry : textureSlots) {
        files.push_back(readBytes(std::string("tex//") + entry.fileName));
        bytes += files.back().size();
    }
    size_t pixels = 0;
    for (auto _ : state) {
        pixels = 0;
        for (const std::vector<BYTE>& file : files) {
            DecodedImage image;
            if (SUCCEEDED(decodeImageFile(file.data(), (UINT)file.size(), &image)))
                pixels += (size_t)image.width * image.height;
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
    state.counters["pixels_decoded"] = double(pixels);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::string dataDir = argc > 1 ? argv[1] : std::string(ZELVARO_BINARY_DIR) + "/data";
    std::unique_ptr<TempFolder> standIns;
    struct stat info;
    if (stat((dataDir + "/tex").c_str(), &info) != 0) {
        standIns = std::make_unique<TempFolder>("texture-bench");
        std::printf("no data set in %s/tex: timing generated stand-ins in %s\n", dataDir.c_str(),
                    standIns->path().c_str());
        dataDir = standIns->path();
        makeStandIns(dataDir);
    }
    if (chdir(dataDir.c_str()) != 0) {
        std::fprintf(stderr, "cannot enter %s\n", dataDir.c_str());
        return 1;
    }
    // Processor time is what counts on a shared machine; the real device's
    // time includes OpenGL's own threads, so it is measured on the wall clock.
    benchmark::RegisterBenchmark("load_all_slots/test_device", onTheTestDevice)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("load_all_slots/opengl", onTheRealDevice)->UseRealTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("decoding_the_files", decodingTheFiles)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
