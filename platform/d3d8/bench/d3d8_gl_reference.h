// The benchmarks' yardstick: the same drawing as the benchmark does through
// the Direct3D 8 layer, written directly in OpenGL 3.3 with one hand-written
// shader. The rates draw with whatever GL context is current (the device's),
// and leave that context's state changed: release the device after them.
// The layer cost draws on a context of its own and leaves the current one alone.
#ifndef ZELVARO_PLATFORM_D3D8_BENCH_GL_REFERENCE_H
#define ZELVARO_PLATFORM_D3D8_BENCH_GL_REFERENCE_H

// Small textured quads with state changes between them (texture, blending,
// colour factor, position); returns draws per second of wall time, and per
// second of the drawing thread's CPU time in *drawsPerCpuSecond.
double d3d8ReferenceDrawRate(int drawCount, double* drawsPerCpuSecond);

// Frames of `quadsPerFrame` full-screen textured, blended quads into a
// width x height frame buffer, each frame copied to the current window and swapped;
// returns frames per second.
double d3d8ReferenceFillRate(int width, int height, int quadsPerFrame, double seconds);

// The cost of one full-screen textured, blended layer (a 256 x 256 texture
// stretched over a width x height target), measured as `frames` frames of
// `layers` layers, each finished; the median frame over its layers.
struct D3d8LayerCost {
    double wallSeconds = 0;  // wall time of one layer
    double cpuSeconds = 0;   // CPU time of one layer, all the process's threads
    double fragments = 0;    // fragments one layer shades (0 where GL cannot count them)
};
// On a context of its own on the current window (the current context stays
// current afterwards); false without a current window or context.
bool d3d8ReferenceLayerCost(int width, int height, int layers, int frames, D3d8LayerCost* cost);

#endif  // ZELVARO_PLATFORM_D3D8_BENCH_GL_REFERENCE_H
