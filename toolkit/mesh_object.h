// MeshObject: the one renderable object of the show.
//
// A mesh is kept twice: an indexed master copy in system memory (vertices and
// triangles) and a non-indexed Direct3D vertex buffer holding three buffer
// vertices per triangle. Every operation that changes what is drawn rewrites
// the buffer from the master copy. Generators (buildGrid ... buildRayBurst)
// fill an object once; render, renderFlat and renderLines draw it.
#ifndef ZELVARO_TOOLKIT_MESH_OBJECT_H
#define ZELVARO_TOOLKIT_MESH_OBJECT_H

#include <d3d8.h>

#include <cstdint>

struct TextureRecord;  // app/core/texture_table.h

// System-memory vertex record.
struct Vertex {
    float x, y, z;     // position in object space
    float nx, ny, nz;  // vertex normal, at most 0.5 long (see computeNormals)
    D3DCOLOR color;    // per-vertex colour (vertex-colour operations, line buffers)
    float u, v;        // stage-0 texture coordinates
    float reserved0, reserved1;
};

// Three vertex indices in drawing order; a line of a ray burst uses i0 and i1
// and leaves i2 at 0.
struct Triangle {
    int32_t i0, i1, i2;
};

// Textured buffer vertex, FVF 0x242, 32 bytes.
struct TexturedBufferVertex {
    float x, y, z;
    D3DCOLOR diffuse;
    float tu0, tv0;  // from the Vertex u, v
    float tu1, tv1;  // written only by the environment map
};

// Flat buffer vertex (flat copies and line buffers), FVF 0x42, 16 bytes.
struct FlatBufferVertex {
    float x, y, z;
    D3DCOLOR diffuse;
};

// MeshObject::cullMode: the faces render culls.
const int32_t cullClockwise = 0;         // D3DCULL_CW
const int32_t cullCounterClockwise = 1;  // D3DCULL_CCW
const int32_t cullNone = 2;              // D3DCULL_NONE
// any other value leaves the cull mode the previous draw restored (CCW)

// MeshObject::renderMode: the CPU effects render runs before it draws.
const int32_t renderPlain = 0;
const int32_t renderEnvironmentMap = 1;
const int32_t renderWarp = 2;
const int32_t renderWarpEnvironmentMap = 3;  // the map is taken from the warped vertices
const int32_t renderSkin = 4;
const int32_t renderSkinEnvironmentMap = 5;  // the map is taken from the skinned vertices

// MeshObject::warpVariant: how animateWarpLattice moves the 4 x 4 control
// points (numbered row by row, 0..15) with the warp angle.
const int32_t warpCornersInnerDiagonal = 0;  // corners swing, inner points 5/6 and 10/9 cross
const int32_t warpFoldedRows = 1;            // the top and bottom rows fold
const int32_t warpCornersInnerSides = 2;     // corners swing, points 4/7 and 10/9 cross
const int32_t warpBentRows = 3;              // top row and bottom corners bend, 5/6 cross
const int32_t warpInnerPair = 4;             // only points 5/6 cross
const int32_t warpInnerScaled = 5;           // points 5/6, 9, 10 move, scaled by warpAmplitude

// The 0/1 flags of MeshObject (depthTestOff, wireframe, blendDisablesDepth)
// and of TransformNode::cached.
const int32_t flagOff = 0;
const int32_t flagOn = 1;

const DWORD texturedVertexFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX2;
const DWORD flatVertexFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;
const UINT texturedVertexStride = 32;
const UINT flatVertexStride = 16;

// A bone of a Skeleton: caches its world matrix until `cached` is cleared.
class TransformNode {
public:
    float position[3];        // translation relative to the parent
    float yaw, pitch, roll;   // degrees, about y, x and z
    D3DMATRIX world;          // cached world matrix
    D3DMATRIX bindMatrix;     // world matrix in the rest pose
    TransformNode* parent;    // null for the root
    TransformNode* next;      // following bone of the chain, null for the last
    int32_t cached;           // flagOn: world is up to date for this frame

    TransformNode();
    void update();
};

// Up to four bone influences of one vertex; a null bone marks an empty slot.
// Weights are used as they are, without normalisation.
struct BoneInfluence {
    float weight[4];
    TransformNode* bone[4];
};

// One chain of bones: firstBone -> next -> ... -> lastBone, and back through
// the parent pointers. The owning MeshObject frees every node.
class Skeleton {
public:
    int32_t boneCount;  // skinning runs only when non-zero
    TransformNode* firstBone;
    TransformNode* lastBone;

    Skeleton();
    void update();
};

// Texture-stage operations and arguments applied before a mesh draws.
class TextureStageSetup {
public:
    int32_t colorOp;
    int32_t colorArg1;
    int32_t colorArg2;
    int32_t alphaOp;
    int32_t alphaArg1;
    int32_t alphaArg2;
    int32_t stage;

    TextureStageSetup();
    void apply(IDirect3DDevice8* device);
};

// The 4 x 4 bicubic Bezier lattice spanning a mesh's bounding box; only x and
// y are ever warped.
class WarpLattice {
public:
    D3DVECTOR extent;           // boundsMax - boundsMin
    D3DVECTOR* controlPoints;   // room for 64, points 0..15 used, lattice units
    int32_t* indexTable;        // 0..15 row by row, then 16..31 column by column
    float* basisWeights;        // 12 per vertex: B0..B3 of (s, t, w), interleaved
    D3DVECTOR* warpedXY;        // warped x, y per vertex in lattice units

    WarpLattice();
    ~WarpLattice();
    // Frees what it owns in the destructor: never copied.
    WarpLattice(const WarpLattice&) = delete;
    WarpLattice& operator=(const WarpLattice&) = delete;
};

class MeshObject {
public:
    IDirect3DDevice8* device;
    TextureRecord* texture0;  // stage 0, with its blend fields
    TextureRecord* texture1;  // stage 1, texture only
    TextureStageSetup* stageSetup0;
    TextureStageSetup* stageSetup1;
    IDirect3DVertexBuffer8* vertexBuffer;      // FVF 0x242 triangles, or FVF 0x42 lines
    IDirect3DVertexBuffer8* flatVertexBuffer;  // FVF 0x42 triangles for renderFlat
    Vertex* vertices;
    Vertex* deformedVertices;  // output of warp and skinning, made on first use
    int32_t* vertexFaceCounts;
    Triangle* triangles;       // triangleCount records (lineCount for a ray burst)
    D3DVECTOR* faceNormals;
    Skeleton* skeleton;
    BoneInfluence* boneWeights;
    TexturedBufferVertex* lockCursor;
    FlatBufferVertex* flatLockCursor;
    D3DMATRIX* levelMatrices;  // one per ray-burst shell, for the scenes
    int32_t levelCount;
    int32_t pointsPerLevel;
    int32_t triangleCount;
    int32_t lineCount;
    int32_t vertexCount;
    int32_t buildCursor;
    D3DCOLOR color;
    D3DCOLOR firstVertexColor;
    int32_t segments;
    int32_t rings;
    float radius;
    D3DVECTOR boundsMax;
    D3DVECTOR boundsMin;
    WarpLattice warpLattice;
    float warpAngle;  // degrees
    int32_t warpVariant;  // warpCornersInnerDiagonal ... warpInnerScaled
    float warpAmplitude;
    int32_t cullMode;      // cullClockwise, cullCounterClockwise, cullNone; other: unchanged
    int32_t depthTestOff;  // flagOn: drawn without the depth test
    int32_t harmonicParams[8];
    int32_t wireframe;           // flagOn: drawn as lines
    int32_t blendDisablesDepth;  // flagOn: a blending texture0 also turns the depth test off
    D3DVECTOR rotation;  // degrees, from the last world-transform call
    int32_t renderMode;  // renderPlain ... renderSkinEnvironmentMap
    bool textureWrap;

    MeshObject();
    ~MeshObject();
    // Frees what it owns in the destructor: never copied.
    MeshObject(const MeshObject&) = delete;
    MeshObject& operator=(const MeshObject&) = delete;
    void setDevice(IDirect3DDevice8* newDevice);

    // Buffer rewrites (mesh_object.cpp).
    void fillVertexBuffer();
    void fillVertexBufferVertexColors();
    void applyColor();
    void applyVertexColors();
    void buildFlatBuffer();
    void computeBoundsMax();
    void computeBoundsMin();

    // Drawing (mesh_render.cpp).
    void render();
    void renderFlat();
    void renderLines();

    // Per-frame CPU effects.
    void applyEnvironmentMap(Vertex* source);    // mesh_environment_map.cpp
    void initWarpLattice();                          // mesh_warp.cpp
    void animateWarpLattice();
    void applyWarp();
    void applySkinning();  // mesh_skinning.cpp
    void buildBoneChain(int32_t boneCount);

    // Camera and placement (mesh_transforms.cpp).
    void setViewTransform(float x, float y, float z, float rotX, float rotY, float rotZ);
    void setWorldTransform(float x, float y, float z, float rotX, float rotY, float rotZ);
    void setWorldTransformDouble(float x, float y, float z, float rotX, float rotY, float rotZ,
                                 float rotX2, float rotY2, float rotZ2);
    void setWorldTransformScaled(float sx, float sy, float sz, float x, float y, float z,
                                 float rotX, float rotY, float rotZ);

    // Generators (mesh_generators.cpp). Each builds once per object: on an
    // object that already holds a mesh, or with invalid arguments, it returns
    // without building anything.
    void buildGrid(float width, float height, int32_t columns, int32_t rowCount);
    void buildCube(int32_t columns, int32_t rowCount, float size);
    void buildRing(float innerRadius, float outerRadius, int32_t segmentCount);
    void buildSphere(float sphereRadius, int32_t segmentCount, int32_t ringCount);
    void buildSuperellipsoid(float shapeRadius, float latitudeExponent, float longitudeExponent,
                             int32_t segmentCount, int32_t ringCount);
    void buildDrop(float dropRadius, int32_t segmentCount, int32_t ringCount, float widthScale);
    void buildSupertoroid(float majorRadiusZ, float tubeRadius, float majorRadiusX,
                          float azimuthExponent, float tubeExponent, int32_t segmentCount,
                          int32_t ringCount);
    void addStartCap(int32_t segmentCount);
    void addBand(int32_t ringA, int32_t ringB, int32_t segmentCount);
    void addEndCap(int32_t segmentCount, int32_t ringCount);
    void addClosedSurface(int32_t segmentCount, int32_t ringCount);  // caps and bands
    void computeNormals(Vertex* source);

    // Harmonic shapes and the ray burst (mesh_harmonic.cpp).
    void harmonicPoint(D3DVECTOR* out, float theta, float phi);
    void buildHarmonicSphere(float shapeRadius, int32_t segmentCount, int32_t ringCount);
    void buildHarmonicSphereQuads(float shapeRadius, int32_t segmentCount, int32_t ringCount);
    void buildHarmonicSphereSpiked(float shapeRadius, int32_t segmentCount, int32_t ringCount);
    void addSpikeBand(int32_t ringA, int32_t ringB, int32_t segmentCount);
    void buildRayBurst(float burstRadius, int32_t segmentCount, int32_t levels,
                       float radiusStep);
    void buildLineBuffer();

    // Pieces shared by the generators.
    bool startRingSurface(float shapeRadius, int32_t segmentCount, int32_t ringCount);
    void allocateMesh(int32_t newVertexCount, int32_t newTriangleCount);
    void appendTriangle(int32_t i0, int32_t i1, int32_t i2);
    void createTexturedBuffer();
    void finishSurface();
    void buildHarmonicRings(float shapeRadius, int32_t segmentCount, int32_t ringCount);

    // Writes the positions of `source` into every triangle corner of the
    // textured buffer; diffuse and texture coordinates are left alone.
    void writeBufferPositions(const Vertex* source);
};

#endif  // ZELVARO_TOOLKIT_MESH_OBJECT_H
