// The frame profiler of the capture programs (--profile): where each scene's
// frames spend their time, what the device layer did for them, and how the
// frame compares with one full-screen layer drawn in plain OpenGL, measured
// in the same process at each change of scene.
#ifndef ZELVARO_TOOLS_CAPTURE_FRAME_PROFILE_H
#define ZELVARO_TOOLS_CAPTURE_FRAME_PROFILE_H

#include <cstdint>
#include <cstdio>
#include <map>
#include <vector>

#include "../../platform/d3d8/bench/d3d8_gl_reference.h"
#include "../../platform/d3d8/d3d8_stats.h"

// The milliseconds a frame's work predicts: the scene's median frame's time
// beyond its main thread's CPU time (the rasterizing), scaled by the frame's
// fragments over the median frame's, plus the frame's own main-thread CPU
// time. A frame far above it stalled (a program build, a wait); a frame near
// it simply drew more.
double expectedFrameMs(double medianMs, double medianCpuMs, double medianFragments, double frameCpuMs,
                       double frameFragments);

// The sums over one scene's frames.
struct SceneProfile {
    std::vector<double> frameMs;  // every frame, in order (the first is the scene's first)
    std::vector<double> frameCpuMs;  // the main thread's CPU time of each frame
    std::vector<bool> afterCalibration;  // the frame came right after a calibration
    std::vector<bool> sceneStart;         // the first frame of the scene, or of its return after another
    std::vector<uint32_t> frameDraws;     // draws of each frame
    std::vector<uint32_t> frameBuilds;    // GL programs built in each frame
    std::vector<double> frameFragments;   // fragments shaded in each frame
    std::vector<double> frameDeviceCpuMs;  // the main thread's CPU time inside the device layer, each frame
    // Whether frame i counts for the scene's worst frame: not the first of
    // the scene or of a return to it, not right after a calibration.
    bool countsForWorst(size_t i) const { return !sceneStart[i] && !afterCalibration[i]; }
    double sceneCpuMs = 0;        // the main thread's CPU time outside the device layer
    double deviceCpuMs = 0;       // the main thread's CPU time inside the device layer
    double rasterCpuMs = 0;       // CPU time of the process's other threads (GL's rasterizers)
    double buildMs = 0;           // GL program builds
    double finishMs = 0;          // waiting for GL to finish the drawing
    double presentMs = 0;         // Present's copies, finished
    uint64_t draws = 0;
    uint64_t unseenDraws = 0;
    uint64_t stateChanges = 0;
    uint64_t programSwitches = 0;
    uint64_t programBuilds = 0;
    uint64_t uploads = 0;
    uint64_t uploadBytes = 0;
    uint64_t wrapCopies = 0;
    uint64_t targetPasses = 0;
    uint64_t clearPixels = 0;
    uint64_t fragments = 0;
    std::vector<D3d8LayerCost> layers;  // calibrations at the scene's changes and within it
};

class FrameProfile {
public:
    // `launchWall`: the steady-clock second the program started, for the
    // time to the first frame; `width` x `height` is the calibration's layer.
    FrameProfile(double launchWall, int width, int height);

    void beginFrame();
    // After the frame: `scene` is the scene that drew it.
    void endFrame(int scene);
    // The table, on `out`.
    void print(std::FILE* out);

private:
    void calibrate();
    void printHitches(std::FILE* out, const std::vector<int>& numbers);

    double launchWall;
    int layerWidth;
    int layerHeight;
    double frameWall = 0;
    double frameThreadCpu = 0;
    double frameProcessCpu = 0;
    double firstFrameSeconds = -1;
    double firstFrameCpuSeconds = 0;  // the process's CPU time up to the end of the first frame
    int lastScene = -1;
    int framesSinceCalibration = 0;
    bool calibratedBeforeFrame = false;  // a calibration ran since the last frame
    std::vector<D3d8LayerCost> calibrations;
    std::map<int, SceneProfile> scenes;
    std::vector<int> order;  // scenes in the order they first drew
};

#endif  // ZELVARO_TOOLS_CAPTURE_FRAME_PROFILE_H
