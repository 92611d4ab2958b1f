// MeshObject lifecycle, buffer rewrites and bounds.
#include "mesh_object.h"

#include <cstring>

static_assert(sizeof(Vertex) == 44, "Vertex is eleven 32-bit fields");
static_assert(sizeof(Triangle) == 12, "Triangle is three 32-bit indices");
static_assert(sizeof(TexturedBufferVertex) == texturedVertexStride, "FVF 0x242 stride");
static_assert(sizeof(FlatBufferVertex) == flatVertexStride, "FVF 0x42 stride");

WarpLattice::WarpLattice()
    : extent{0.0f, 0.0f, 0.0f},
      controlPoints(nullptr),
      indexTable(nullptr),
      basisWeights(nullptr),
      warpedXY(nullptr) {}

WarpLattice::~WarpLattice() {
    delete[] controlPoints;
    delete[] indexTable;
    delete[] basisWeights;
    delete[] warpedXY;
}

MeshObject::MeshObject()
    : device(nullptr),
      texture0(nullptr),
      texture1(nullptr),
      stageSetup0(nullptr),
      stageSetup1(nullptr),
      vertexBuffer(nullptr),
      flatVertexBuffer(nullptr),
      vertices(nullptr),
      deformedVertices(nullptr),
      vertexFaceCounts(nullptr),
      triangles(nullptr),
      faceNormals(nullptr),
      skeleton(nullptr),
      boneWeights(nullptr),
      lockCursor(nullptr),
      flatLockCursor(nullptr),
      levelMatrices(nullptr),
      levelCount(0),
      pointsPerLevel(0),
      triangleCount(0),
      lineCount(0),
      vertexCount(0),
      buildCursor(0),
      color(0xFFFFFFFF),
      firstVertexColor(0xFFFFFFFF),
      segments(0),
      rings(0),
      radius(0.0f),
      boundsMax{0.0f, 0.0f, 0.0f},
      boundsMin{0.0f, 0.0f, 0.0f},
      warpLattice(),
      warpAngle(0.0f),
      warpVariant(warpCornersInnerDiagonal),
      warpAmplitude(0.0f),
      cullMode(cullClockwise),
      depthTestOff(flagOff),
      harmonicParams{0, 0, 0, 0, 0, 0, 0, 0},
      wireframe(flagOff),
      blendDisablesDepth(flagOn),
      rotation{0.0f, 0.0f, 0.0f},
      renderMode(renderPlain),
      textureWrap(true) {}

MeshObject::~MeshObject() {
    delete[] levelMatrices;
    delete[] deformedVertices;
    delete[] boneWeights;
    if (skeleton != nullptr) {
        // the chain is walked backwards from the last bone along the parents
        TransformNode* node = skeleton->lastBone;
        while (node != nullptr) {
            TransformNode* parent = node->parent;
            delete node;
            node = parent;
        }
        delete skeleton;
    }
    delete[] vertexFaceCounts;
    delete stageSetup0;
    delete stageSetup1;
    delete[] faceNormals;
    delete[] vertices;
    delete[] triangles;
    if (vertexBuffer != nullptr) {
        vertexBuffer->Release();
    }
    if (flatVertexBuffer != nullptr) {
        flatVertexBuffer->Release();
    }
    // the warp lattice frees its own arrays as the last member to go
}

void MeshObject::setDevice(IDirect3DDevice8* newDevice) { device = newDevice; }

// Locks the whole textured buffer and points lockCursor at its first vertex.
static bool lockTextured(IDirect3DVertexBuffer8* buffer, TexturedBufferVertex** cursor) {
    BYTE* data = nullptr;
    if (FAILED(buffer->Lock(0, 0, &data, 0)) || data == nullptr) {
        return false;
    }
    *cursor = reinterpret_cast<TexturedBufferVertex*>(data);
    return true;
}

// Every triangle corner of the master copy into the textured buffer, with the
// object's colour or each vertex's own.
static void fillTexturedCorners(MeshObject& mesh, bool vertexColors) {
    if (mesh.vertexBuffer == nullptr || !lockTextured(mesh.vertexBuffer, &mesh.lockCursor)) {
        return;
    }
    for (int32_t t = 0; t < mesh.triangleCount; ++t) {
        const Triangle& triangle = mesh.triangles[t];
        const int32_t corners[3] = {triangle.i0, triangle.i1, triangle.i2};
        for (int32_t corner : corners) {
            const Vertex& v = mesh.vertices[corner];
            TexturedBufferVertex* out = mesh.lockCursor;
            out->x = v.x;
            out->y = v.y;
            out->z = v.z;
            out->diffuse = vertexColors ? v.color : mesh.color;
            out->tu0 = v.u;
            out->tv0 = v.v;
            ++mesh.lockCursor;
        }
    }
    mesh.vertexBuffer->Unlock();
}

void MeshObject::fillVertexBuffer() { fillTexturedCorners(*this, false); }

void MeshObject::fillVertexBufferVertexColors() { fillTexturedCorners(*this, true); }

void MeshObject::applyColor() {
    if (vertexBuffer == nullptr || !lockTextured(vertexBuffer, &lockCursor)) {
        return;
    }
    for (int32_t k = 0; k < 3 * triangleCount; ++k) {
        lockCursor->diffuse = color;
        ++lockCursor;
    }
    vertexBuffer->Unlock();
}

void MeshObject::applyVertexColors() {
    if (vertexBuffer == nullptr || !lockTextured(vertexBuffer, &lockCursor)) {
        return;
    }
    for (int32_t t = 0; t < triangleCount; ++t) {
        const int32_t corners[3] = {triangles[t].i0, triangles[t].i1, triangles[t].i2};
        for (int32_t corner : corners) {
            lockCursor->diffuse = vertices[corner].color;
            ++lockCursor;
        }
    }
    vertexBuffer->Unlock();
}

void MeshObject::writeBufferPositions(const Vertex* source) {
    if (vertexBuffer == nullptr || !lockTextured(vertexBuffer, &lockCursor)) {
        return;
    }
    for (int32_t t = 0; t < triangleCount; ++t) {
        const int32_t corners[3] = {triangles[t].i0, triangles[t].i1, triangles[t].i2};
        for (int32_t corner : corners) {
            lockCursor->x = source[corner].x;
            lockCursor->y = source[corner].y;
            lockCursor->z = source[corner].z;
            ++lockCursor;
        }
    }
    vertexBuffer->Unlock();
}

void MeshObject::buildFlatBuffer() {
    if (triangleCount == 0 || device == nullptr) {
        return;
    }
    if (FAILED(device->CreateVertexBuffer(48 * triangleCount, D3DUSAGE_WRITEONLY, flatVertexFvf,
                                          D3DPOOL_DEFAULT, &flatVertexBuffer))) {
        flatVertexBuffer = nullptr;
        return;
    }
    BYTE* data = nullptr;
    if (FAILED(flatVertexBuffer->Lock(0, 0, &data, 0)) || data == nullptr) {
        return;
    }
    flatLockCursor = reinterpret_cast<FlatBufferVertex*>(data);
    for (int32_t t = 0; t < triangleCount; ++t) {
        const int32_t corners[3] = {triangles[t].i0, triangles[t].i1, triangles[t].i2};
        for (int32_t corner : corners) {
            flatLockCursor->x = vertices[corner].x;
            flatLockCursor->y = vertices[corner].y;
            flatLockCursor->z = vertices[corner].z;
            flatLockCursor->diffuse = color;
            ++flatLockCursor;
        }
    }
    flatVertexBuffer->Unlock();
}

// Each axis is compared on its own: the extremes of x, y and z may come from
// different vertices.
void MeshObject::computeBoundsMax() {
    if (vertexCount <= 0) {
        return;
    }
    boundsMax = {vertices[0].x, vertices[0].y, vertices[0].z};
    for (int32_t i = 1; i < vertexCount; ++i) {
        if (vertices[i].x > boundsMax.x) boundsMax.x = vertices[i].x;
        if (vertices[i].y > boundsMax.y) boundsMax.y = vertices[i].y;
        if (vertices[i].z > boundsMax.z) boundsMax.z = vertices[i].z;
    }
}

void MeshObject::computeBoundsMin() {
    if (vertexCount <= 0) {
        return;
    }
    boundsMin = {vertices[0].x, vertices[0].y, vertices[0].z};
    for (int32_t i = 1; i < vertexCount; ++i) {
        if (vertices[i].x < boundsMin.x) boundsMin.x = vertices[i].x;
        if (vertices[i].y < boundsMin.y) boundsMin.y = vertices[i].y;
        if (vertices[i].z < boundsMin.z) boundsMin.z = vertices[i].z;
    }
}

// Allocates the master arrays of a generator; every record starts zeroed so
// triangles that no builder reaches stay (0, 0, 0) and draw nothing.
void MeshObject::allocateMesh(int32_t newVertexCount, int32_t newTriangleCount) {
    vertexCount = newVertexCount;
    triangleCount = newTriangleCount;
    buildCursor = 0;
    vertices = new Vertex[vertexCount]();
    triangles = new Triangle[triangleCount]();
    faceNormals = new D3DVECTOR[triangleCount]();
    vertexFaceCounts = new int32_t[vertexCount]();
}

// Builders never write past the triangles the generator allocated: a shape
// with a single ring has room for none, whatever its caps would add.
void MeshObject::appendTriangle(int32_t i0, int32_t i1, int32_t i2) {
    if (buildCursor >= triangleCount) {
        return;
    }
    triangles[buildCursor] = {i0, i1, i2};
    ++buildCursor;
}

void MeshObject::createTexturedBuffer() {
    if (device == nullptr || triangleCount <= 0) {
        return;
    }
    if (FAILED(device->CreateVertexBuffer(96 * triangleCount, D3DUSAGE_WRITEONLY,
                                          texturedVertexFvf, D3DPOOL_DEFAULT, &vertexBuffer))) {
        vertexBuffer = nullptr;
        return;
    }
    // the second coordinate set is only written by the environment map; until
    // then it reads as zero
    BYTE* data = nullptr;
    if (SUCCEEDED(vertexBuffer->Lock(0, 0, &data, 0)) && data != nullptr) {
        std::memset(data, 0, static_cast<size_t>(96) * triangleCount);
        vertexBuffer->Unlock();
    }
}

// The common tail of the closed surfaces: normals, buffer, bounds, lattice.
void MeshObject::finishSurface() {
    computeNormals(vertices);
    createTexturedBuffer();
    fillVertexBuffer();
    computeBoundsMax();
    computeBoundsMin();
    initWarpLattice();
}
