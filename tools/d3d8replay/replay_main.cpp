// zelvaro-d3d8replay TRACE OUT.ppm [TRACE OUT.ppm ...] [--frame K] [--repeat N]:
// replays Direct3D 8 call traces through the Direct3D 8 this program runs on
// (each on a device of its own) and writes the back buffer after the chosen
// frame as a binary PPM picture. With --repeat N, it then replays that frame
// N more times and prints the milliseconds per frame.
#include <windows.h>
#include <d3d8.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "d3d8_replayer.h"

namespace {

bool writePpm(const std::string& path, const D3d8ReplayPicture& picture) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    std::fprintf(file, "P6\n%u %u\n255\n", picture.width, picture.height);
    const bool ok = std::fwrite(picture.rgb.data(), 1, picture.rgb.size(), file) == picture.rgb.size();
    return std::fclose(file) == 0 && ok;
}

const char usage[] =
    "usage: zelvaro-d3d8replay TRACE OUT.ppm [TRACE OUT.ppm ...] [--frame K] [--repeat N]\n"
    "  replays each trace's frames up to frame K (counted from 0; default: the last)\n"
    "  and writes the back buffer as a PPM picture; --repeat N then replays that\n"
    "  frame N more times and prints the milliseconds per frame;\n"
    "  --force-render-state S=V replays every SetRenderState(S, ...) as SetRenderState(S, V)\n";

bool replayOne(const std::string& tracePath, const std::string& outPath, int frame, int repeat,
               const std::vector<std::pair<DWORD, DWORD>>& forced) {
    D3d8Replayer replayer;
    for (const auto& [state, value] : forced) replayer.forceRenderState(state, value);
    D3d8ReplayPicture picture;
    std::string error;
    if (!replayer.open(tracePath, &error) || !replayer.replay(frame, &picture, &error)) {
        std::fprintf(stderr, "zelvaro-d3d8replay: %s: %s\n", tracePath.c_str(), error.c_str());
        return false;
    }
    if (!writePpm(outPath, picture)) {
        std::fprintf(stderr, "zelvaro-d3d8replay: cannot write %s\n", outPath.c_str());
        return false;
    }
    if (repeat > 0) {
        double milliseconds = 0, processor = 0;
        if (!replayer.repeat(repeat, &milliseconds, &processor, &error)) {
            std::fprintf(stderr, "zelvaro-d3d8replay: %s: %s\n", tracePath.c_str(), error.c_str());
            return false;
        }
        std::printf("%s %.3f ms per frame (%.3f ms of processor time) over %d replays\n", tracePath.c_str(),
                    milliseconds, processor, repeat);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
#ifndef _WIN32
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
#endif
    std::vector<std::string> paths;  // trace, picture, trace, picture, ...
    int frame = -1;
    int repeat = 0;
    std::vector<std::pair<DWORD, DWORD>> forced;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        unsigned long state = 0, value = 0;
        if (argument == "--force-render-state" && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%lu=%lu", &state, &value) != 2) {
                std::fprintf(stderr, "zelvaro-d3d8replay: --force-render-state takes STATE=VALUE (numbers)\n");
                return 2;
            }
            forced.emplace_back(DWORD(state), DWORD(value));
        } else if ((argument == "--frame" || argument == "--repeat") && i + 1 < argc) {
            char* end = nullptr;
            const long value = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || value < 0 || value > 1000000) {
                std::fprintf(stderr, "zelvaro-d3d8replay: %s takes a whole number\n", argument.c_str());
                return 2;
            }
            (argument == "--frame" ? frame : repeat) = int(value);
        } else {
            paths.push_back(argument);
        }
    }
    if (paths.empty() || paths.size() % 2 != 0) {
        std::fputs(usage, stderr);
        return 2;
    }
    int status = 0;
    for (size_t i = 0; i < paths.size(); i += 2) {
        if (!replayOne(paths[i], paths[i + 1], frame, repeat, forced)) status = 1;
    }
    return status;
}
