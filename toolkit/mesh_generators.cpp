// Procedural generators: grid, cube, ring, sphere, superellipsoid, drop and
// supertoroid, the triangle builders the closed surfaces share, and the
// vertex normals.
//
// Angles are degrees; steps are computed once as floats and accumulated by
// addition. For the ring-based surfaces vertex (ring k, segment j) has index
// k * S + j, and every ring closes on itself.
#include <cmath>

#include "mesh_object.h"
#include "mesh_surface_angles.h"

// sign(a) * |a|^e, with the sign of 0 taken as +1, in double precision.
static double spow(double a, double e) {
    return a < 0.0 ? -std::pow(-a, e) : std::pow(a, e);
}

static float sinDegrees(float angle) { return std::sin(angle * toRadians); }
static float cosDegrees(float angle) { return std::cos(angle * toRadians); }

// Step between the first and last of `count` evenly spaced values over
// `span`; a single value has no step.
static float evenStep(float span, int32_t count) {
    return count > 1 ? span / static_cast<float>(count - 1) : 0.0f;
}

// The triangles of a K x R block of vertices starting at `base`, row pair by
// row pair: first the (TR, TL, BL) halves, then the (TR, BL, BR) halves.
static void addGridTriangles(MeshObject& mesh, int32_t base, int32_t columns, int32_t rowCount) {
    for (int32_t r = 0; r + 1 < rowCount; ++r) {
        for (int32_t c = 0; c + 1 < columns; ++c) {
            const int32_t topLeft = base + r * columns + c;
            mesh.appendTriangle(topLeft + 1, topLeft, topLeft + columns);
        }
        for (int32_t c = 0; c + 1 < columns; ++c) {
            const int32_t topLeft = base + r * columns + c;
            mesh.appendTriangle(topLeft + 1, topLeft + columns, topLeft + columns + 1);
        }
    }
}

// The checks and fields every ring-based surface starts with; false, with
// nothing changed, on an object that already holds a mesh or on invalid sizes.
bool MeshObject::startRingSurface(float shapeRadius, int32_t segmentCount, int32_t ringCount) {
    if (vertices != nullptr || !(shapeRadius > 0.0f) || segmentCount <= 0 || ringCount <= 0) {
        return false;
    }
    segments = segmentCount;
    rings = ringCount;
    radius = shapeRadius;
    return true;
}

// Caps at both poles and bands between the rings in between.
void MeshObject::addClosedSurface(int32_t segmentCount, int32_t ringCount) {
    addStartCap(segmentCount);
    for (int32_t k = 1; k <= ringCount - 2; ++k) {
        addBand(k, k + 1, segmentCount);
    }
    addEndCap(segmentCount, ringCount);
}

static int32_t nextSegment(int32_t j, int32_t segmentCount) {
    return j + 1 < segmentCount ? j + 1 : 0;
}

void MeshObject::addStartCap(int32_t segmentCount) {
    const int32_t s = segmentCount;
    for (int32_t j = 0; j < s; ++j) {
        appendTriangle(s + j, s + nextSegment(j, s), 0);
    }
}

void MeshObject::addBand(int32_t ringA, int32_t ringB, int32_t segmentCount) {
    const int32_t s = segmentCount;
    const int32_t a = ringA * s;
    const int32_t b = ringB * s;
    for (int32_t j = 0; j < s; ++j) {
        appendTriangle(b + j, b + nextSegment(j, s), a + j);
    }
    for (int32_t j = 0; j < s; ++j) {
        appendTriangle(b + nextSegment(j, s), a + nextSegment(j, s), a + j);
    }
}

void MeshObject::addEndCap(int32_t segmentCount, int32_t ringCount) {
    const int32_t s = segmentCount;
    const int32_t p = (ringCount - 1) * s;
    for (int32_t j = 0; j < s; ++j) {
        appendTriangle(p + nextSegment(j, s), p + j, ringCount * s);
    }
}

void MeshObject::buildGrid(float width, float height, int32_t columns, int32_t rowCount) {
    if (vertices != nullptr || columns <= 0 || rowCount <= 0 || !(width > 0.0f) || !(height > 0.0f)) {
        return;
    }
    segments = columns;
    rings = rowCount;
    allocateMesh(columns * rowCount, 2 * (columns - 1) * rowCount);
    const float stepX = evenStep(width, columns);
    const float stepY = evenStep(height, rowCount);
    const float stepU = evenStep(1.0f, columns);
    const float stepV = evenStep(1.0f, rowCount);
    for (int32_t r = 0; r < rowCount; ++r) {
        for (int32_t c = 0; c < columns; ++c) {
            Vertex& v = vertices[r * columns + c];
            v.x = -width / 2.0f + static_cast<float>(c) * stepX;
            v.y = height / 2.0f - static_cast<float>(r) * stepY;
            v.z = 0.0f;
            v.u = static_cast<float>(c) * stepU;
            v.v = static_cast<float>(r) * stepV;
        }
    }
    addGridTriangles(*this, 0, columns, rowCount);
    finishSurface();
}

void MeshObject::buildCube(int32_t columns, int32_t rowCount, float size) {
    if (vertices != nullptr || columns <= 0 || rowCount <= 0 || !(size > 0.0f)) {
        return;
    }
    segments = columns;
    rings = rowCount;
    const int32_t faceSize = columns * rowCount;
    allocateMesh(6 * faceSize, 12 * (columns - 1) * rowCount);
    const float d = size / 2.0f;
    const float stepQ = evenStep(size, columns);
    const float stepP = evenStep(size, rowCount);
    const float stepU = evenStep(1.0f, columns);
    const float stepV = evenStep(1.0f, rowCount);
    for (int32_t face = 0; face < 6; ++face) {
        for (int32_t r = 0; r < rowCount; ++r) {
            for (int32_t c = 0; c < columns; ++c) {
                const float q = -d + static_cast<float>(c) * stepQ;
                const float p = d - static_cast<float>(r) * stepP;
                Vertex& v = vertices[face * faceSize + r * columns + c];
                switch (face) {
                case 0: v.x = q; v.y = p; v.z = d; break;
                case 1: v.x = q; v.y = p; v.z = -d; break;
                case 2: v.x = q; v.y = -d; v.z = p; break;
                case 3: v.x = q; v.y = d; v.z = p; break;
                case 4: v.x = -d; v.y = p; v.z = q; break;
                default: v.x = d; v.y = p; v.z = q; break;
                }
                v.u = static_cast<float>(c) * stepU;
                v.v = static_cast<float>(r) * stepV;
            }
        }
    }
    for (int32_t face = 0; face < 6; ++face) {
        addGridTriangles(*this, face * faceSize, columns, rowCount);
    }
    finishSurface();
}

void MeshObject::buildRing(float innerRadius, float outerRadius, int32_t segmentCount) {
    if (vertices != nullptr || !(innerRadius > 0.0f) || !(outerRadius > 0.0f) || segmentCount <= 0) {
        return;
    }
    const int32_t s = segmentCount;
    allocateMesh(2 * s, 2 * s);
    const float thetaStep = 360.0f / static_cast<float>(s);
    float theta = 0.0f;
    for (int32_t j = 0; j < s; ++j) {
        const float sine = sinDegrees(theta);
        const float cosine = cosDegrees(theta);
        const float u = static_cast<float>(j) / static_cast<float>(s);
        Vertex& inner = vertices[j];
        inner.x = innerRadius * sine;
        inner.y = innerRadius * cosine;
        inner.z = 0.0f;
        inner.u = u;
        inner.v = 0.0f;
        Vertex& outer = vertices[s + j];
        outer.x = outerRadius * sine;
        outer.y = outerRadius * cosine;
        outer.z = 0.0f;
        outer.u = u;
        outer.v = 1.0f;
        theta += thetaStep;
    }
    addBand(0, 1, s);
    textureWrap = false;
    createTexturedBuffer();
    fillVertexBuffer();
}

void MeshObject::buildSphere(float sphereRadius, int32_t segmentCount, int32_t ringCount) {
    if (!startRingSurface(sphereRadius, segmentCount, ringCount)) {
        return;
    }
    allocateMesh((ringCount + 1) * segmentCount, 2 * segmentCount * (ringCount - 1));
    const float phiStep = 180.0f / static_cast<float>(ringCount);
    const float thetaStep = 360.0f / static_cast<float>(segmentCount);
    float phi = 0.0f;
    for (int32_t k = 0; k <= ringCount; ++k) {
        float theta = 0.0f;
        for (int32_t j = 0; j < segmentCount; ++j) {
            Vertex& v = vertices[k * segmentCount + j];
            v.x = sphereRadius * sinDegrees(phi) * sinDegrees(theta);
            v.y = -sphereRadius * cosDegrees(phi);
            v.z = sphereRadius * sinDegrees(phi) * cosDegrees(theta);
            setSurfaceTextureCoordinates(v, theta, phi);
            theta += thetaStep;
        }
        phi += phiStep;
    }
    addClosedSurface(segmentCount, ringCount);
    finishSurface();
}

// Exponents of 1 give a sphere; above 1 the shape pinches towards a star,
// below 1 it swells towards a box.
void MeshObject::buildSuperellipsoid(float shapeRadius, float latitudeExponent,
                                     float longitudeExponent, int32_t segmentCount,
                                     int32_t ringCount) {
    if (!startRingSurface(shapeRadius, segmentCount, ringCount)) {
        return;
    }
    allocateMesh((ringCount + 1) * segmentCount, 2 * segmentCount * (ringCount - 1));
    const float phiStep = 180.0f / static_cast<float>(ringCount);
    const float thetaStep = 360.0f / static_cast<float>(segmentCount);
    float phi = -90.0f;
    for (int32_t k = 0; k <= ringCount; ++k) {
        const double latitudeCos = spow(cosDegrees(phi), latitudeExponent);
        const double latitudeSin = spow(sinDegrees(phi), latitudeExponent);
        float theta = -180.0f;
        for (int32_t j = 0; j < segmentCount; ++j) {
            Vertex& v = vertices[k * segmentCount + j];
            v.x = static_cast<float>(shapeRadius * latitudeCos *
                                     spow(cosDegrees(theta), longitudeExponent));
            v.y = static_cast<float>(shapeRadius * latitudeSin);
            v.z = static_cast<float>(shapeRadius * latitudeCos *
                                     spow(sinDegrees(theta), longitudeExponent));
            setSurfaceTextureCoordinates(v, theta + 180.0f, phi + 90.0f);
            theta += thetaStep;
        }
        phi += phiStep;
    }
    addClosedSurface(segmentCount, ringCount);
    finishSurface();
}

// A teardrop: a point at y = +radius, widest at 120 degrees from it.
void MeshObject::buildDrop(float dropRadius, int32_t segmentCount, int32_t ringCount,
                           float widthScale) {
    if (!startRingSurface(dropRadius, segmentCount, ringCount)) {
        return;
    }
    allocateMesh((ringCount + 1) * segmentCount, 2 * segmentCount * (ringCount - 1));
    const float phiStep = 180.0f / static_cast<float>(ringCount);
    const float thetaStep = 360.0f / static_cast<float>(segmentCount);
    float phi = 0.0f;
    for (int32_t k = 0; k <= ringCount; ++k) {
        const float width =
            dropRadius * widthScale * sinDegrees(phi) * (1.0f - cosDegrees(phi));
        float theta = 0.0f;
        for (int32_t j = 0; j < segmentCount; ++j) {
            Vertex& v = vertices[k * segmentCount + j];
            v.x = width * cosDegrees(theta);
            v.y = dropRadius * cosDegrees(phi);
            v.z = width * sinDegrees(theta);
            setSurfaceTextureCoordinates(v, theta, phi);
            theta += thetaStep;
        }
        phi += phiStep;
    }
    addClosedSurface(segmentCount, ringCount);
    finishSurface();
}

// Exponents of 1 and equal major radii give an ordinary torus; ring R repeats
// ring 0 and closes the tube.
void MeshObject::buildSupertoroid(float majorRadiusZ, float tubeRadius, float majorRadiusX,
                                  float azimuthExponent, float tubeExponent,
                                  int32_t segmentCount, int32_t ringCount) {
    if (vertices != nullptr || !(majorRadiusZ > tubeRadius) || !(majorRadiusZ > 0.0f) || !(tubeRadius > 0.0f) ||
        ringCount <= 2 || segmentCount <= 2) {
        return;
    }
    segments = segmentCount;
    rings = ringCount;
    allocateMesh((ringCount + 1) * segmentCount, 2 * segmentCount * ringCount);
    const float phiStep = 360.0f / static_cast<float>(ringCount);
    const float thetaStep = 360.0f / static_cast<float>(segmentCount);
    float phi = 0.0f;
    for (int32_t k = 0; k <= ringCount; ++k) {
        const double tube = tubeRadius * spow(cosDegrees(phi), tubeExponent);
        const double height = tubeRadius * spow(sinDegrees(phi), tubeExponent);
        float theta = thetaStep;
        for (int32_t j = 0; j < segmentCount; ++j) {
            Vertex& v = vertices[k * segmentCount + j];
            v.x = static_cast<float>(spow(cosDegrees(theta), azimuthExponent) *
                                     (majorRadiusX + tube));
            v.y = static_cast<float>(height);
            v.z = static_cast<float>(spow(sinDegrees(theta), azimuthExponent) *
                                     (majorRadiusZ + tube));
            setSurfaceTextureCoordinates(v, theta, phi);
            theta += thetaStep;
        }
        phi += phiStep;
    }
    for (int32_t k = 0; k < ringCount; ++k) {
        addBand(k, k + 1, segmentCount);
    }
    finishSurface();
}

// Face normals are u x w with u = P0 - P1, w = P0 - P2 and the y and z
// components negated; the environment-map coordinates depend on exactly this
// vector. A vertex normal is half the mean of its faces' unit normals.
void MeshObject::computeNormals(Vertex* source) {
    if (source == nullptr || faceNormals == nullptr || vertexFaceCounts == nullptr) {
        return;
    }
    for (int32_t i = 0; i < vertexCount; ++i) {
        source[i].nx = 0.0f;
        source[i].ny = 0.0f;
        source[i].nz = 0.0f;
        vertexFaceCounts[i] = 0;
    }
    for (int32_t t = 0; t < triangleCount; ++t) {
        const Triangle& triangle = triangles[t];
        const Vertex& p0 = source[triangle.i0];
        const Vertex& p1 = source[triangle.i1];
        const Vertex& p2 = source[triangle.i2];
        const float ux = p0.x - p1.x, uy = p0.y - p1.y, uz = p0.z - p1.z;
        const float wx = p0.x - p2.x, wy = p0.y - p2.y, wz = p0.z - p2.z;
        D3DVECTOR n = {uy * wz - wy * uz, ux * wz - wx * uz, wx * uy - ux * wy};
        const float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        if (length > 0.0f) {
            n = {n.x / length, n.y / length, n.z / length};
        } else {
            n = {0.0f, 0.0f, 0.0f};  // a triangle without area adds nothing
        }
        faceNormals[t] = n;
        const int32_t corners[3] = {triangle.i0, triangle.i1, triangle.i2};
        for (int32_t corner : corners) {
            source[corner].nx += n.x;
            source[corner].ny += n.y;
            source[corner].nz += n.z;
            ++vertexFaceCounts[corner];
        }
    }
    for (int32_t i = 0; i < vertexCount; ++i) {
        if (vertexFaceCounts[i] == 0) {
            continue;  // a vertex of no triangle keeps (0, 0, 0)
        }
        const float scale = 0.5f / static_cast<float>(vertexFaceCounts[i]);
        source[i].nx *= scale;
        source[i].ny *= scale;
        source[i].nz *= scale;
    }
}
