// Scene 12: two text ribbons, each a band between two closed wobbling
// spline curves drawn at three tilts, a third single curve between them and
// a web of translucent triangles joining the three, over a photograph.
// Alternates with scene 1 (each re-arms the other's flash); on its first
// frame it prepares scene 6 for that scene's second appearance.
#ifndef ZELVARO_SCENES_RIBBON_WEB_SCENE_H
#define ZELVARO_SCENES_RIBBON_WEB_SCENE_H

#include <d3d8.h>

#include <cstdint>

class MeshObject;
struct TextureRecord;
struct TexturedBufferVertex;

// A key of a Kochanek-Bartels curve; the phase is used only by rest keys.
struct SplineKey {
    float x, y, z;
    float phase;
    float continuity, tension, bias;
    int32_t linear;  // non-zero: the segment ending at this key is straight
    int32_t time;
};

// A band between two closed spline curves (or one curve, never drawn, that
// only feeds the web). Keys wobble about their rest positions with the clock.
class Ribbon {
public:
    static const int keysPerCurve = 30;
    int curveCount;                // 1 or 2
    SplineKey* keys[2];            // animated keys per curve
    int keyCounts[2];
    SplineKey* baseKeys[2];        // rest positions and phases per curve
    int samplesPerKey;             // 10
    int vertexCount;               // keysPerCurve * curveCount * samplesPerKey
    TexturedBufferVertex* samples;
    int32_t* triangleIndices;      // three per band triangle
    int triangleCount;
    D3DCOLOR color;
    float clock;  // seconds
    D3DVECTOR evaluated;  // the point of the latest evaluate
    D3DVECTOR rotation;   // degrees
    IDirect3DDevice8* device;
    TextureRecord* texture;  // not owned
    IDirect3DVertexBuffer8* vertexBuffer;

    Ribbon();
    ~Ribbon();
    // Frees what it owns in the destructor: never copied.
    Ribbon(const Ribbon&) = delete;
    Ribbon& operator=(const Ribbon&) = delete;
    void build(IDirect3DDevice8* ribbonDevice, float height, int curves);
    void animate();
    void evaluate(int curve, float x);
    void refresh();
    void draw();
};

// Triangles from points of the third curve (tinted) to points of the two
// ribbons (transparent).
class RibbonWeb {
public:
    static const int vertexTotal = 1500;
    static const int triangleTotal = 200;
    IDirect3DDevice8* device;
    TexturedBufferVertex* vertices;
    int32_t* triangleIndices;
    D3DCOLOR color;  // not used by the draw
    IDirect3DVertexBuffer8* vertexBuffer;

    RibbonWeb();
    ~RibbonWeb();
    // Frees what it owns in the destructor: never copied.
    RibbonWeb(const RibbonWeb&) = delete;
    RibbonWeb& operator=(const RibbonWeb&) = delete;
    void build(IDirect3DDevice8* webDevice);
    void refresh(Ribbon* ribbons);
    void draw();

private:
    void writeBuffer();
};

// Set once scene 12 has prepared scene 6's second appearance.
extern bool scene6Prepared;

class RibbonWebScene {
public:
    IDirect3DDevice8* device;
    MeshObject* flashMesh;
    bool flashActive;
    float flashAlpha;  // 0..255
    RibbonWeb* web;
    MeshObject* backgroundMesh;  // photograph (slot 25)
    Ribbon* ribbons;             // three

    RibbonWebScene();
    ~RibbonWebScene();
    // Frees what it owns in the destructor: never copied.
    RibbonWebScene(const RibbonWebScene&) = delete;
    RibbonWebScene& operator=(const RibbonWebScene&) = delete;
    void init(IDirect3DDevice8* sceneDevice);
    void render();
    void update();

private:
    // World at (0, 0, 190) turned by the rotation plus tilt * (0, 45, 30).
    void placeAtTilt(const D3DVECTOR& rotation, float tilt);
};

#endif  // ZELVARO_SCENES_RIBBON_WEB_SCENE_H
