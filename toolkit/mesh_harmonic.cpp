// Shapes driven by the eight harmonicParams (frequencies m0, m2, m4, m6 and
// integer exponents m1, m3, m5, m7), and the radial burst of lines.
//
// r(theta, phi) = sin(m0 phi)^m1 + cos(m2 phi)^m3 + sin(m4 theta)^m5 + cos(m6 theta)^m7
// H(theta, phi) = r * (cos theta sin phi, cos phi, sin theta sin phi)
// Powers are taken in double precision with integer exponents, so a negative
// base keeps its sign rules.
#include <cmath>

#include "mesh_object.h"
#include "mesh_surface_angles.h"

static double harmonicTerm(double value, int32_t exponent) {
    return std::pow(value, static_cast<double>(exponent));
}

static double degreesSin(double angle) { return std::sin(angle * toRadians); }
static double degreesCos(double angle) { return std::cos(angle * toRadians); }

void MeshObject::harmonicPoint(D3DVECTOR* out, float theta, float phi) {
    const int32_t* m = harmonicParams;
    const double r = harmonicTerm(degreesSin(static_cast<double>(m[0]) * phi), m[1]) +
                     harmonicTerm(degreesCos(static_cast<double>(m[2]) * phi), m[3]) +
                     harmonicTerm(degreesSin(static_cast<double>(m[4]) * theta), m[5]) +
                     harmonicTerm(degreesCos(static_cast<double>(m[6]) * theta), m[7]);
    out->x = static_cast<float>(r * degreesCos(theta) * degreesSin(phi));
    out->y = static_cast<float>(r * degreesCos(phi));
    out->z = static_cast<float>(r * degreesSin(theta) * degreesSin(phi));
}

// The vertex rings of the harmonic sphere: a surface of revolution about y,
// since both azimuth terms are taken at angle 0. Ring 0 is the pole on +y.
void MeshObject::buildHarmonicRings(float shapeRadius, int32_t segmentCount, int32_t ringCount) {
    const int32_t* m = harmonicParams;
    const double azimuthTerms = harmonicTerm(0.0, m[5]) + harmonicTerm(1.0, m[7]);
    const float phiStep = 180.0f / static_cast<float>(ringCount);
    const float thetaStep = 360.0f / static_cast<float>(segmentCount);
    float phi = 0.0f;
    for (int32_t k = 0; k <= ringCount; ++k) {
        const double rho =
            shapeRadius * (harmonicTerm(degreesSin(static_cast<double>(m[0]) * phi), m[1]) +
                           harmonicTerm(degreesCos(static_cast<double>(m[2]) * phi), m[3]) +
                           azimuthTerms);
        float theta = 0.0f;
        for (int32_t j = 0; j < segmentCount; ++j) {
            Vertex& v = vertices[k * segmentCount + j];
            v.x = static_cast<float>(rho * degreesSin(phi) * degreesCos(theta));
            v.y = static_cast<float>(rho * degreesCos(phi));
            v.z = static_cast<float>(rho * degreesSin(phi) * degreesSin(theta));
            setSurfaceTextureCoordinates(v, theta, phi);
            theta += thetaStep;
        }
        phi += phiStep;
    }
}

void MeshObject::buildHarmonicSphere(float shapeRadius, int32_t segmentCount, int32_t ringCount) {
    if (!startRingSurface(shapeRadius, segmentCount, ringCount)) {
        return;
    }
    allocateMesh((ringCount + 1) * segmentCount, 2 * segmentCount * (ringCount - 1));
    buildHarmonicRings(shapeRadius, segmentCount, ringCount);
    addClosedSurface(segmentCount, ringCount);
    finishSurface();
}

// Every quad has four vertices of its own, so two objects built with the same
// S and R correspond vertex by vertex whatever their parameters: scenes morph
// between them. Here u follows the polar angle and v the azimuth.
void MeshObject::buildHarmonicSphereQuads(float shapeRadius, int32_t segmentCount,
                                          int32_t ringCount) {
    if (vertices != nullptr || !(shapeRadius > 0.0f) || segmentCount <= 0 || ringCount <= 0) {
        return;
    }
    segments = segmentCount;
    rings = ringCount;
    allocateMesh(4 * segmentCount * (ringCount + 1), 2 * segmentCount * (ringCount + 1));
    createTexturedBuffer();
    if (vertexBuffer == nullptr) {
        return;
    }
    const float thetaStep = 360.0f / static_cast<float>(segmentCount);
    const float phiStep = 180.0f / static_cast<float>(ringCount);
    // Each corner is shared by four quads: the surface's points are worked
    // out once, on the grid of the angles the quads step through.
    const int32_t columns = segmentCount + 1;
    D3DVECTOR* grid = new D3DVECTOR[static_cast<size_t>(columns) * static_cast<size_t>(ringCount + 1)];
    float gridTheta = 0.0f;
    for (int32_t j = 0; j <= segmentCount; ++j) {
        float gridPhi = 0.0f;
        for (int32_t i = 0; i <= ringCount; ++i) {
            harmonicPoint(&grid[i * columns + j], gridTheta, gridPhi);
            gridPhi += phiStep;
        }
        gridTheta += thetaStep;
    }
    float theta0 = 0.0f;
    for (int32_t j = 0; j < segmentCount; ++j) {
        const float theta1 = theta0 + thetaStep;
        float phi0 = 0.0f;
        for (int32_t i = 0; i < ringCount; ++i) {
            const float phi1 = phi0 + phiStep;
            const int32_t q = j * ringCount + i;
            const float thetas[4] = {theta0, theta1, theta1, theta0};
            const float phis[4] = {phi0, phi0, phi1, phi1};
            const int32_t points[4] = {i * columns + j, i * columns + j + 1, (i + 1) * columns + j + 1,
                                       (i + 1) * columns + j};
            for (int32_t corner = 0; corner < 4; ++corner) {
                Vertex& v = vertices[4 * q + corner];
                const D3DVECTOR& point = grid[points[corner]];
                v.x = shapeRadius * point.x;
                v.y = shapeRadius * point.y;
                v.z = shapeRadius * point.z;
                // u follows the polar angle here, v the azimuth
                setSurfaceTextureCoordinates(v, phis[corner], thetas[corner]);
            }
            appendTriangle(4 * q, 4 * q + 1, 4 * q + 2);
            appendTriangle(4 * q, 4 * q + 2, 4 * q + 3);
            phi0 = phi1;
        }
        theta0 = theta1;
    }
    delete[] grid;
    fillVertexBuffer();
}

// Shards: every second segment of every second band becomes a closed
// tetrahedron reaching to the centre vertex 0, coloured from `color` at the
// surface to `firstVertexColor` at the centre. The buffer is created but
// left for the caller to fill with fillVertexBufferVertexColors.
void MeshObject::buildHarmonicSphereSpiked(float shapeRadius, int32_t segmentCount,
                                           int32_t ringCount) {
    if (!startRingSurface(shapeRadius, segmentCount, ringCount)) {
        return;
    }
    allocateMesh((ringCount + 1) * segmentCount, 4 * ringCount * (segmentCount / 2));
    buildHarmonicRings(shapeRadius, segmentCount, ringCount);
    for (int32_t i = 0; i < vertexCount; ++i) {
        vertices[i].color = color;
    }
    vertices[0].x = 0.0f;
    vertices[0].y = 0.0f;
    vertices[0].z = 0.0f;
    vertices[0].color = firstVertexColor;
    for (int32_t k = 1; k + 1 < 2 * (ringCount / 2); k += 2) {
        addSpikeBand(k, k + 1, segmentCount);
    }
    createTexturedBuffer();
}

void MeshObject::addSpikeBand(int32_t ringA, int32_t ringB, int32_t segmentCount) {
    const int32_t a0 = ringA * segmentCount;
    const int32_t b0 = ringB * segmentCount;
    for (int32_t i = 0; i < segmentCount / 2; ++i) {
        const int32_t b = b0 + 2 * i;
        const int32_t bNext = b0 + 2 * i + 1;
        const int32_t a = a0 + 2 * i;
        appendTriangle(b, bNext, a);
        appendTriangle(0, b, bNext);
        appendTriangle(0, b, a);
        appendTriangle(0, a, bNext);
    }
}

// S * S rays from the centre, each cut into L - 1 segments by the shells;
// every row of a shell is turned 10 degrees further than the one before.
void MeshObject::buildRayBurst(float burstRadius, int32_t segmentCount, int32_t levels,
                               float radiusStep) {
    if (vertices != nullptr || !(burstRadius > 0.0f) || segmentCount <= 0 || levels <= 0) {
        return;
    }
    const int32_t s = segmentCount;
    const int32_t perLevel = s * s;
    segments = s;
    rings = levels;
    radius = burstRadius;
    levelCount = levels;
    pointsPerLevel = perLevel;
    levelMatrices = new D3DMATRIX[levels]();
    for (int32_t l = 0; l < levels; ++l) {
        levelMatrices[l]._11 = 1.0f;
        levelMatrices[l]._22 = 1.0f;
        levelMatrices[l]._33 = 1.0f;
        levelMatrices[l]._44 = 1.0f;
    }

    vertexCount = perLevel * levels + 1;
    lineCount = perLevel * (levels - 1);
    buildCursor = 0;
    vertices = new Vertex[vertexCount]();
    triangles = new Triangle[lineCount]();
    vertices[0].color = color;  // the inner end of every ray's first segment

    const float phiStep = 180.0f / static_cast<float>(s);
    const float thetaStep = 360.0f / static_cast<float>(s);
    for (int32_t l = 1; l < levels; ++l) {
        const float rho = burstRadius + static_cast<float>(l - 1) * radiusStep;
        float phi = phiStep;
        for (int32_t i = 0; i < s; ++i) {
            float theta = 10.0f * static_cast<float>(i);
            for (int32_t j = 0; j < s; ++j) {
                Vertex& v = vertices[1 + (l - 1) * perLevel + i * s + j];
                v.x = static_cast<float>(rho * degreesSin(phi) * degreesSin(theta));
                v.y = static_cast<float>(-rho * degreesCos(phi));
                v.z = static_cast<float>(rho * degreesSin(phi) * degreesCos(theta));
                v.color = color;
                theta += thetaStep;
            }
            phi += phiStep;
        }
    }

    // lines are kept in the triangle records: i0 and i1 are the end points
    int32_t line = 0;
    for (int32_t m = 0; m < perLevel && line < lineCount; ++m, ++line) {
        triangles[line] = {0, 1 + m, 0};
    }
    for (int32_t l = 1; l + 1 < levels; ++l) {
        for (int32_t m = 0; m < perLevel; ++m, ++line) {
            triangles[line] = {1 + (l - 1) * perLevel + m, 1 + l * perLevel + m, 0};
        }
    }
    buildCursor = line;
    buildLineBuffer();
}

void MeshObject::buildLineBuffer() {
    if (lineCount == 0 || device == nullptr) {
        return;
    }
    if (FAILED(device->CreateVertexBuffer(32 * lineCount, D3DUSAGE_WRITEONLY, flatVertexFvf,
                                          D3DPOOL_DEFAULT, &vertexBuffer))) {
        vertexBuffer = nullptr;
        return;
    }
    BYTE* data = nullptr;
    if (FAILED(vertexBuffer->Lock(0, 0, &data, 0)) || data == nullptr) {
        return;
    }
    flatLockCursor = reinterpret_cast<FlatBufferVertex*>(data);
    for (int32_t l = 0; l < lineCount; ++l) {
        const int32_t ends[2] = {triangles[l].i0, triangles[l].i1};
        for (int32_t end : ends) {
            flatLockCursor->x = vertices[end].x;
            flatLockCursor->y = vertices[end].y;
            flatLockCursor->z = vertices[end].z;
            flatLockCursor->diffuse = vertices[end].color;
            ++flatLockCursor;
        }
    }
    vertexBuffer->Unlock();
}
