// The warp lattice: a bicubic Bezier patch over the mesh's bounding box whose
// 16 control points move with warpAngle; x and y of every vertex follow it.
#include <cmath>

#include "mesh_object.h"

static const float oneThird = 0.33333334f;
static const float twoThirds = 0.6666667f;

// Normalised coordinate of a value inside [low, low + extent]; a flat axis
// (zero extent) maps to 0 so no NaN reaches the positions.
static float latticeCoordinate(float value, float low, float extent) {
    return extent != 0.0f ? (value - low) / extent : 0.0f;
}

void MeshObject::initWarpLattice() {
    WarpLattice& lattice = warpLattice;
    lattice.extent = {boundsMax.x - boundsMin.x, boundsMax.y - boundsMin.y,
                      boundsMax.z - boundsMin.z};

    delete[] lattice.controlPoints;
    lattice.controlPoints = new D3DVECTOR[64]();
    const float thirds[4] = {0.0f, oneThird, twoThirds, 1.0f};
    for (int32_t k = 0; k < 16; ++k) {
        lattice.controlPoints[k] = {thirds[k % 4], thirds[k / 4], 0.0f};
    }

    delete[] lattice.indexTable;
    lattice.indexTable = new int32_t[32];
    for (int32_t k = 0; k < 32; ++k) {
        lattice.indexTable[k] = -1;
    }
    for (int32_t k = 0; k < 16; ++k) {
        lattice.indexTable[k] = k;                      // row by row
        lattice.indexTable[16 + k] = (k % 4) * 4 + k / 4;  // column by column
    }

    delete[] lattice.basisWeights;
    delete[] lattice.warpedXY;
    lattice.basisWeights = new float[12 * static_cast<size_t>(vertexCount)]();
    lattice.warpedXY = new D3DVECTOR[vertexCount]();
    for (int32_t i = 0; i < vertexCount; ++i) {
        const float q[3] = {latticeCoordinate(vertices[i].x, boundsMin.x, lattice.extent.x),
                            latticeCoordinate(vertices[i].y, boundsMin.y, lattice.extent.y),
                            latticeCoordinate(vertices[i].z, boundsMin.z, lattice.extent.z)};
        float* weights = lattice.basisWeights + 12 * static_cast<size_t>(i);
        for (int axis = 0; axis < 3; ++axis) {
            const float a = q[axis];
            const float b = 1.0f - a;
            weights[axis] = b * b * b;
            weights[3 + axis] = 3.0f * a * b * b;
            weights[6 + axis] = 3.0f * a * a * b;
            weights[9 + axis] = a * a * a;
        }
    }
    applyWarp();
}

void MeshObject::applyWarp() {
    const WarpLattice& lattice = warpLattice;
    if (lattice.controlPoints == nullptr || vertices == nullptr) {
        return;  // only the generators that end with initWarpLattice can warp
    }
    if (deformedVertices == nullptr) {
        deformedVertices = new Vertex[vertexCount]();
    }
    const D3DVECTOR* points = lattice.controlPoints;
    const int32_t* rowOrder = lattice.indexTable;
    const int32_t* columnOrder = lattice.indexTable + 16;
    for (int32_t i = 0; i < vertexCount; ++i) {
        const float* weights = lattice.basisWeights + 12 * static_cast<size_t>(i);
        const float bs[4] = {weights[0], weights[3], weights[6], weights[9]};
        const float bt[4] = {weights[1], weights[4], weights[7], weights[10]};
        float x = 0.0f;
        for (int r = 0; r < 4; ++r) {
            float rowSum = 0.0f;
            for (int c = 0; c < 4; ++c) {
                rowSum += bs[c] * points[rowOrder[4 * r + c]].x;
            }
            x += bt[r] * rowSum;
        }
        float y = 0.0f;
        for (int c = 0; c < 4; ++c) {
            float columnSum = 0.0f;
            for (int r = 0; r < 4; ++r) {
                columnSum += bt[r] * points[columnOrder[4 * c + r]].y;
            }
            y += bs[c] * columnSum;
        }
        lattice.warpedXY[i].x = x;
        lattice.warpedXY[i].y = y;
        deformedVertices[i].x = x * lattice.extent.x + boundsMin.x;
        deformedVertices[i].y = y * lattice.extent.y + boundsMin.y;
        deformedVertices[i].z = vertices[i].z;
    }
    writeBufferPositions(deformedVertices);
}

static const float seven = 0.7f;  // how far the corners swing out along y

static void setPoint(D3DVECTOR& point, float x, float y) {
    point.x = x;
    point.y = y;
}

// Two control points circling against each other: `first` at
// (h sin, h cos), `second` at (h cos, h sin).
static void setCrossedPair(D3DVECTOR& first, D3DVECTOR& second, float h, float s, float c) {
    setPoint(first, h * s, h * c);
    setPoint(second, h * c, h * s);
}

// The four corners swinging as in variants 0 and 2.
static void setSwingingCorners(D3DVECTOR* p, float s, float c) {
    setPoint(p[0], s - 1.0f, 0.5f * c - 1.0f);
    setPoint(p[3], 1.0f - c, -1.0f - seven * s);
    setPoint(p[12], s - 1.0f, 0.5f * c + 1.0f);
    setPoint(p[15], 1.0f - c, 1.0f - seven * s);
}

void MeshObject::animateWarpLattice() {
    D3DVECTOR* p = warpLattice.controlPoints;
    if (p == nullptr) {
        return;
    }
    const float a = warpAngle * 0.017453292f;  // degrees to radians
    const float s = std::sin(a);
    const float c = std::cos(a);
    switch (warpVariant) {
    case warpCornersInnerDiagonal:
        setSwingingCorners(p, s, c);
        setCrossedPair(p[5], p[6], 0.5f, s, c);
        setCrossedPair(p[10], p[9], 0.5f, s, c);
        break;
    case warpFoldedRows:
        setPoint(p[0], c - 1.0f, 0.5f * c - 1.0f);
        setPoint(p[1], 0.5f * p[0].x, 0.5f * p[0].y);
        setPoint(p[2], 0.5f * p[3].x, 0.5f * p[3].y);  // P3 as it was before this update
        setPoint(p[3], 1.0f - s, -1.0f - seven * c);
        setPoint(p[12], s - 1.0f, 0.5f * c + 1.0f);
        setPoint(p[15], 1.0f - c, 1.0f - seven * s);
        setPoint(p[13], 0.5f * p[12].x, 0.5f * p[12].y);
        setPoint(p[14], 0.5f * p[15].x, 0.5f * p[15].y);
        break;
    case warpCornersInnerSides:
        setSwingingCorners(p, s, c);
        setCrossedPair(p[4], p[7], 0.5f, s, c);
        setCrossedPair(p[10], p[9], 0.5f, s, c);
        break;
    case warpBentRows:
        setPoint(p[0], s - 1.0f, 0.5f * c - 1.0f);
        setPoint(p[1], 0.5f * s, 0.5f * c);
        setPoint(p[3], 1.0f - c, -1.0f - seven * s);
        setCrossedPair(p[5], p[6], 0.5f, s, c);
        p[12].y = 0.5f * c + 1.0f;
        p[15].y = 1.0f - seven * s;
        break;
    case warpInnerPair: setCrossedPair(p[5], p[6], 0.5f, s, c); break;
    case warpInnerScaled: {
        const float amplitude = warpAmplitude;
        const float slow = std::cos(0.3f * a);
        setCrossedPair(p[5], p[6], 0.5f * amplitude, s, c);
        setPoint(p[9], amplitude * (1.0f - 0.5f * slow), amplitude * (1.0f - 0.5f * s));
        setPoint(p[10], amplitude * (1.0f - 0.5f * s), amplitude * (1.0f - 0.5f * slow));
        break;
    }
    default:
        break;
    }
}
