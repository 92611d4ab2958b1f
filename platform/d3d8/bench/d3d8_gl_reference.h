// The benchmark's yardstick: the same drawing as the benchmark does through
// the Direct3D 8 layer, written directly in OpenGL 3.3 with one hand-written
// shader. It draws with whatever GL context is current (the device's), and
// leaves that context's state changed: release the device after it.
#ifndef ZELVARO_PLATFORM_D3D8_BENCH_GL_REFERENCE_H
#define ZELVARO_PLATFORM_D3D8_BENCH_GL_REFERENCE_H

// Small textured quads with state changes between them (texture, blending,
// colour factor, position); returns draws per second.
double d3d8ReferenceDrawRate(int drawCount);

// Frames of `quadsPerFrame` full-screen textured, blended quads into a
// width x height frame buffer, each frame copied to the current window and swapped;
// returns frames per second.
double d3d8ReferenceFillRate(int width, int height, int quadsPerFrame, double seconds);

#endif  // ZELVARO_PLATFORM_D3D8_BENCH_GL_REFERENCE_H
