// What the device layer did and what it cost, counted for the capture
// programs' frame profiler (zelvaro-capture --profile). Nothing here belongs
// to Direct3D: the program never calls it, and while the profiler is off the
// counting points cost one test of a flag.
#ifndef ZELVARO_PLATFORM_D3D8_STATS_H
#define ZELVARO_PLATFORM_D3D8_STATS_H

#include <cstdint>

struct D3d8Stats {
    uint64_t draws = 0;           // DrawPrimitive / DrawPrimitiveUP calls that reached GL
    uint64_t unseenDraws = 0;     // draws that could not change a colour: left out, or depth only
    uint64_t stateChanges = 0;    // groups of GL state sent by the flushes before draws
    uint64_t programSwitches = 0; // glUseProgram of another program
    uint64_t programBuilds = 0;   // GL programs compiled and linked
    uint64_t uploads = 0;         // vertex buffer and texture uploads to GL
    uint64_t uploadBytes = 0;
    uint64_t wrapCopies = 0;      // vertex buffers copied with wrapped texture coordinates
    uint64_t targetPasses = 0;    // changes of the framebuffer drawn into
    uint64_t clears = 0;
    uint64_t clearPixels = 0;     // pixels covered by Clear
    uint64_t fragments = 0;       // fragment shader invocations (pipeline statistics query)
    double deviceCpuSeconds = 0;  // this thread's CPU time inside the device's calls
    double buildSeconds = 0;      // wall time of the program builds (part of the above)
    double finishSeconds = 0;     // wall time waiting for GL to finish the frame's drawing
    double presentSeconds = 0;    // wall time of Present's copies to the window, finished
};

// The counters since the last d3d8ProfileEndFrame; counted only while enabled.
extern D3d8Stats d3d8Stats;
extern bool d3d8StatsEnabled;

// This thread's and the whole process's CPU time in seconds, and a steady wall clock.
double d3d8ThreadCpuSeconds();
double d3d8ProcessCpuSeconds();
double d3d8WallSeconds();

// Adds the calling thread's CPU time between construction and destruction to
// d3d8Stats.deviceCpuSeconds; nested scopes count once.
class D3d8CpuScope {
public:
    D3d8CpuScope();
    ~D3d8CpuScope();
    D3d8CpuScope(const D3d8CpuScope&) = delete;
    D3d8CpuScope& operator=(const D3d8CpuScope&) = delete;

private:
    double start = -1;
};

// Waits for GL to finish everything sent; returns the wall time that took.
double d3d8FinishSeconds();

// ---- the profiler's side (the capture programs)

// Turns the counting on. With the profiler on, Present waits for GL twice,
// before and after its copies, so that the frame's drawing and Present's
// share are timed apart.
void d3d8ProfileEnable();
// Starts a frame's fragment count on the current GL context (if any).
void d3d8ProfileBeginFrame();
// Waits for GL to finish the frame, ends the fragment count and hands out the
// frame's counters (the running ones start again at zero).
void d3d8ProfileEndFrame(D3d8Stats* frame);

#endif  // ZELVARO_PLATFORM_D3D8_STATS_H
