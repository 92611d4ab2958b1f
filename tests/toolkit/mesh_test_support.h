// Small helpers shared by the toolkit's tests: reading the buffers a mesh
// wrote into the recording device, and comparing positions.
#ifndef ZELVARO_TESTS_TOOLKIT_MESH_TEST_SUPPORT_H
#define ZELVARO_TESTS_TOOLKIT_MESH_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <cmath>

#include "mesh_object.h"
#include "recording_device.h"

inline const TexturedBufferVertex& texturedAt(IDirect3DVertexBuffer8* buffer, size_t index) {
    return RecordingDevice::bufferOf(buffer)->vertexAt<TexturedBufferVertex>(index);
}

inline const FlatBufferVertex& flatAt(IDirect3DVertexBuffer8* buffer, size_t index) {
    return RecordingDevice::bufferOf(buffer)->vertexAt<FlatBufferVertex>(index);
}

inline size_t bufferSize(IDirect3DVertexBuffer8* buffer) {
    return RecordingDevice::bufferOf(buffer)->bytes.size();
}

inline float lengthOf(float x, float y, float z) { return std::sqrt(x * x + y * y + z * z); }

#define EXPECT_POSITION(vertex, ex, ey, ez, tolerance) \
    do {                                               \
        EXPECT_NEAR((vertex).x, (ex), (tolerance));    \
        EXPECT_NEAR((vertex).y, (ey), (tolerance));    \
        EXPECT_NEAR((vertex).z, (ez), (tolerance));    \
    } while (0)

#define EXPECT_TRIANGLE(triangle, a, b, c) \
    do {                                   \
        EXPECT_EQ((triangle).i0, (a));     \
        EXPECT_EQ((triangle).i1, (b));     \
        EXPECT_EQ((triangle).i2, (c));     \
    } while (0)

// Counts the triangle records that are not the (0, 0, 0) filler.
inline int realTriangles(const MeshObject& mesh, int records) {
    int count = 0;
    for (int t = 0; t < records; ++t) {
        const Triangle& tri = mesh.triangles[t];
        count += (tri.i0 != 0 || tri.i1 != 0 || tri.i2 != 0) ? 1 : 0;
    }
    return count;
}

// A 64 x 48 grid of 4 x 4 vertices built on the recording device, with the
// calls of its building already cleared.
class RecordedGridTest : public ::testing::Test {
protected:
    RecordingDevice device;
    MeshObject mesh;
    void SetUp() override {
        mesh.setDevice(&device);
        mesh.buildGrid(64.0f, 48.0f, 4, 4);
        device.clearCalls();
    }
};

#endif  // ZELVARO_TESTS_TOOLKIT_MESH_TEST_SUPPORT_H
