#include "frame_profile.h"

#include <sys/resource.h>

#include <algorithm>

namespace {

// The calibration: frames of this many layers, the median frame; measured
// at every change of scene and every so many frames within a scene, so that
// the yardstick follows a machine whose load changes.
constexpr int calibrationLayers = 10;
constexpr int calibrationFrames = 5;
constexpr int framesBetweenCalibrations = 90;

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The median of each part of the layer costs.
D3d8LayerCost medianCost(const std::vector<D3d8LayerCost>& costs) {
    std::vector<double> walls, cpus, fragments;
    for (const D3d8LayerCost& cost : costs) {
        walls.push_back(cost.wallSeconds);
        cpus.push_back(cost.cpuSeconds);
        fragments.push_back(cost.fragments);
    }
    D3d8LayerCost result;
    result.wallSeconds = median(walls);
    result.cpuSeconds = median(cpus);
    result.fragments = median(fragments);
    return result;
}

}  // namespace

FrameProfile::FrameProfile(double launch, int width, int height)
    : launchWall(launch), layerWidth(width), layerHeight(height) {
    d3d8ProfileEnable();
}

double expectedFrameMs(double medianMs, double medianCpuMs, double medianFragments, double frameCpuMs,
                       double frameFragments) {
    const double raster = std::max(0.0, medianMs - medianCpuMs);
    const double scale = medianFragments > 0 ? frameFragments / medianFragments : 1.0;
    return raster * scale + frameCpuMs;
}

void FrameProfile::beginFrame() {
    d3d8ProfileBeginFrame();
    frameWall = d3d8WallSeconds();
    frameThreadCpu = d3d8ThreadCpuSeconds();
    frameProcessCpu = d3d8ProcessCpuSeconds();
}

void FrameProfile::endFrame(int scene) {
    D3d8Stats stats;
    d3d8ProfileEndFrame(&stats);
    const double wall = d3d8WallSeconds();
    const double threadCpu = d3d8ThreadCpuSeconds() - frameThreadCpu;
    const double processCpu = d3d8ProcessCpuSeconds() - frameProcessCpu;
    if (firstFrameSeconds < 0) {
        firstFrameSeconds = wall - launchWall;
        firstFrameCpuSeconds = d3d8ProcessCpuSeconds();
    }

    if (scenes.find(scene) == scenes.end()) order.push_back(scene);
    SceneProfile& profile = scenes[scene];
    profile.frameMs.push_back((wall - frameWall) * 1000.0);
    profile.frameCpuMs.push_back(threadCpu * 1000.0);
    profile.afterCalibration.push_back(calibratedBeforeFrame);
    profile.sceneStart.push_back(scene != lastScene);
    profile.frameDraws.push_back(static_cast<uint32_t>(stats.draws));
    profile.frameBuilds.push_back(static_cast<uint32_t>(stats.programBuilds));
    profile.frameFragments.push_back(double(stats.fragments));
    profile.frameDeviceCpuMs.push_back(stats.deviceCpuSeconds * 1000.0);
    calibratedBeforeFrame = false;
    profile.sceneCpuMs += (threadCpu - stats.deviceCpuSeconds) * 1000.0;
    profile.deviceCpuMs += stats.deviceCpuSeconds * 1000.0;
    profile.rasterCpuMs += (processCpu - threadCpu) * 1000.0;
    profile.buildMs += stats.buildSeconds * 1000.0;
    profile.finishMs += stats.finishSeconds * 1000.0;
    profile.presentMs += stats.presentSeconds * 1000.0;
    profile.draws += stats.draws;
    profile.unseenDraws += stats.unseenDraws;
    profile.stateChanges += stats.stateChanges;
    profile.programSwitches += stats.programSwitches;
    profile.programBuilds += stats.programBuilds;
    profile.uploads += stats.uploads;
    profile.uploadBytes += stats.uploadBytes;
    profile.wrapCopies += stats.wrapCopies;
    profile.targetPasses += stats.targetPasses;
    profile.clearPixels += stats.clearPixels;
    profile.fragments += stats.fragments;

    // A new scene: the yardstick is measured again, between its first two
    // frames, and counts for the scene before and this one.
    if (scene != lastScene) {
        calibrate();
        if (lastScene >= 0) scenes[lastScene].layers.push_back(calibrations.back());
        profile.layers.push_back(calibrations.back());
        lastScene = scene;
        framesSinceCalibration = 0;
    } else if (++framesSinceCalibration >= framesBetweenCalibrations) {
        calibrate();
        profile.layers.push_back(calibrations.back());
        framesSinceCalibration = 0;
    }
}

void FrameProfile::calibrate() {
    calibratedBeforeFrame = true;
    D3d8LayerCost cost;
    if (d3d8ReferenceLayerCost(layerWidth, layerHeight, calibrationLayers, calibrationFrames, &cost)) {
        calibrations.push_back(cost);
    } else if (calibrations.empty()) {
        calibrations.push_back(D3d8LayerCost{});  // no GL context yet: no yardstick
    }
}

void FrameProfile::printHitches(std::FILE* out, const std::vector<int>& numbers) {
    // Every frame that counts for "worst" and took more than twice its
    // scene's median, with what it did: a frame that drew more than its
    // neighbours (draws, fragments) or that built GL programs, and the time
    // its work predicts.
    std::fprintf(out, "# frames above twice their scene's median (not the first of a scene or of a return to it, not right after a calibration)\n");
    std::fprintf(out, "# %5s %7s %7s %7s %7s %7s %7s %7s %7s %7s %7s\n", "scene", "frame", "ms", "median", "CPU ms",
                 "devCPU", "draws", "builds", "Mfrag", "expect", "stall");
    int count = 0;
    int stalls = 0;
    for (int number : numbers) {
        const SceneProfile& profile = scenes[number];
        const double middle = median(profile.frameMs);
        const double middleCpu = median(profile.frameCpuMs);
        const double middleFragments = median(profile.frameFragments);
        for (size_t i = 0; i < profile.frameMs.size(); ++i) {
            if (!profile.countsForWorst(i) || profile.frameMs[i] <= 2.0 * middle) continue;
            const double expected = expectedFrameMs(middle, middleCpu, middleFragments, profile.frameCpuMs[i],
                                                    profile.frameFragments[i]);
            const bool stall = profile.frameMs[i] > 2.0 * expected;
            std::fprintf(out, "# %5d %7zu %7.2f %7.2f %7.2f %7.2f %7u %7u %7.2f %7.2f %7s\n", number, i,
                         profile.frameMs[i], middle, profile.frameCpuMs[i], profile.frameDeviceCpuMs[i],
                         profile.frameDraws[i], profile.frameBuilds[i], profile.frameFragments[i] / 1e6, expected,
                         stall ? "yes" : "no");
            ++count;
            if (stall) ++stalls;
        }
    }
    std::fprintf(out, "# %d such frames, %d of them above twice what their work predicts\n", count, stalls);
}

void FrameProfile::print(std::FILE* out) {
    if (lastScene >= 0) {
        calibrate();
        scenes[lastScene].layers.push_back(calibrations.back());
    }
    const D3d8LayerCost overall = medianCost(calibrations);
    std::vector<double> walls;
    for (const D3d8LayerCost& cost : calibrations) walls.push_back(cost.wallSeconds * 1000.0);
    std::sort(walls.begin(), walls.end());
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    double load[3] = {};
    if (std::FILE* file = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(file, "%lf %lf %lf", &load[0], &load[1], &load[2]) != 3) load[0] = load[1] = load[2] = 0;
        std::fclose(file);
    }
    std::fprintf(out, "# profile: one layer = a full-screen textured, blended %d x %d quad in plain OpenGL\n",
                 layerWidth, layerHeight);
    std::fprintf(out, "# layer: %.3f ms wall, %.3f ms CPU, %.0f fragments (median of %zu calibrations, %.3f to %.3f ms)\n",
                 overall.wallSeconds * 1000.0, overall.cpuSeconds * 1000.0, overall.fragments, calibrations.size(),
                 walls.empty() ? 0.0 : walls.front(), walls.empty() ? 0.0 : walls.back());
    std::fprintf(out,
                 "# launch to first frame %.3f s (%.3f s CPU); peak resident memory %.0f MB; load average %.2f %.2f %.2f\n",
                 firstFrameSeconds, firstFrameCpuSeconds, double(usage.ru_maxrss) / 1024.0, load[0], load[1], load[2]);
    std::fprintf(out, "# %5s", "scene");
    const char* const columns[] = {"frames", "mean", "median", "worst", "first", "appCPU", "devCPU", "build",
                                   "finish", "present", "rastCPU", "draws", "states", "progs", "builds", "uploads",
                                   "KB", "wraps", "passes", "clearM", "Mfrag", "fill", "layer", "layers", "cpulay", "wCPU",
                                   "unseen"};
    for (const char* column : columns) std::fprintf(out, " %7s", column);
    std::fputc('\n', out);
    std::vector<int> numbers = order;
    std::sort(numbers.begin(), numbers.end());
    for (int number : numbers) {
        const SceneProfile& profile = scenes[number];
        const double frames = double(profile.frameMs.size());
        double sum = 0;
        for (double ms : profile.frameMs) sum += ms;
        const double mean = sum / frames;
        // The worst frame outside the scene's first and the first of each
        // return to it (scenes 4, 6, 9, 12 and 1 come back). The frame right after a
        // calibration does not count: the calibration's full-screen layers
        // leave the caches cold, which cost that frame up to twice its time
        // (measured with a calibration that drew nothing: then those frames
        // ran at the median). The show itself never calibrates.
        double worst = 0;
        double worstCpu = 0;  // the main thread's CPU time in that frame: high for a build, low for a wait
        for (size_t i = 0; i < profile.frameMs.size(); ++i) {
            if (!profile.countsForWorst(i)) continue;
            if (profile.frameMs[i] > worst) {
                worst = profile.frameMs[i];
                worstCpu = profile.frameCpuMs[i];
            }
        }
        const D3d8LayerCost layer = medianCost(profile.layers);
        const double layerMs = layer.wallSeconds * 1000.0;
        const double layerCpuMs = layer.cpuSeconds * 1000.0;
        const double fragments = double(profile.fragments) / frames;
        // The share of the frame the fragments would take at the yardstick's rate.
        const double fill = layer.fragments > 0 && mean > 0 ? fragments / layer.fragments * layerMs / mean : 0;
        const double cpuPerFrame = (profile.sceneCpuMs + profile.deviceCpuMs + profile.rasterCpuMs) / frames;
        std::fprintf(out,
                     "%7d %7zu %7.2f %7.2f %7.2f %7.2f %7.2f %7.2f %7.2f %7.2f %7.2f %7.2f %7.0f %7.0f %7.1f %7.0f %7.1f "
                     "%7.0f %7.1f %7.1f %7.2f %7.2f %7.2f %7.3f %7.1f %7.1f %7.2f %7.1f\n",
                     number, profile.frameMs.size(), mean, median(profile.frameMs), worst, profile.frameMs.front(),
                     profile.sceneCpuMs / frames, profile.deviceCpuMs / frames, profile.buildMs / frames,
                     profile.finishMs / frames, profile.presentMs / frames, profile.rasterCpuMs / frames,
                     double(profile.draws) / frames, double(profile.stateChanges) / frames,
                     double(profile.programSwitches) / frames, double(profile.programBuilds),
                     double(profile.uploads) / frames, double(profile.uploadBytes) / 1024.0 / frames,
                     double(profile.wrapCopies) / frames, double(profile.targetPasses) / frames,
                     double(profile.clearPixels) / 1e6 / frames, fragments / 1e6, fill, layerMs,
                     layerMs > 0 ? mean / layerMs : 0.0, layerCpuMs > 0 ? cpuPerFrame / layerCpuMs : 0.0, worstCpu,
                     double(profile.unseenDraws) / frames);
    }
    printHitches(out, numbers);
    std::fflush(out);
}
