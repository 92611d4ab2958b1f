// Scene 7: opens over scene 5's still-running morph (three copies drifting
// apart and fading), then a spiked shape bouncing in depth inside 25 spinning
// text rings while 100 small bodies fall like snow. Shown from 32 s to 48 s;
// scene 10 captures its picture.
#ifndef ZELVARO_SCENES_SPINNING_RINGS_SCENE_H
#define ZELVARO_SCENES_SPINNING_RINGS_SCENE_H

#include <d3d8.h>

class MeshObject;

class SpinningRingsScene {
public:
    IDirect3DDevice8* device;
    MeshObject* backgroundMesh;
    MeshObject* centerShape;  // spiked harmonic shape
    MeshObject* ringMesh;     // one thin ring, drawn ringCount times
    int ringCount;
    D3DVECTOR* ringSpins;  // rotation-rate vector of each ring copy
    MeshObject* particleMesh;
    int particleCount;
    D3DVECTOR* particlePositions;
    D3DVECTOR* particleSpins;
    float* particleSpeeds;   // falling speed per second
    MeshObject* screenMesh;  // plane showing the shared render target
    float spinAngle;         // degrees, +40 per second
    bool introActive;        // the opening phase runs
    float introAlpha;
    D3DVECTOR introOffset;  // drift of the opening copies
    float* eventTimes;      // 4 entries; the 999 in second place stops after the first
    int eventIndex;
    bool bounceActive;
    float bounceAngle;  // degrees
    float shapeDepth;   // z of the centre shape

    SpinningRingsScene();
    ~SpinningRingsScene();
    // Frees what it owns in the destructor: never copied.
    SpinningRingsScene(const SpinningRingsScene&) = delete;
    SpinningRingsScene& operator=(const SpinningRingsScene&) = delete;
    void init(IDirect3DDevice8* sceneDevice);
    void preRender();
    void render();
    void update();

private:
    void applyBlends();
};

#endif  // ZELVARO_SCENES_SPINNING_RINGS_SCENE_H
