// Scene 2: a 3D set of teardrop rings, translucent spheres and a turning
// plane inside a huge sky sphere, painted into the shared render target and
// shown through a warped screen; faint glow planes drift from 72 s, and scene
// 10's last picture dissolves over it as fading echoes.
#ifndef ZELVARO_SCENES_DROP_RING_SCENE_H
#define ZELVARO_SCENES_DROP_RING_SCENE_H

#include <d3d8.h>

class MeshObject;

class DropRingScene {
public:
    IDirect3DDevice8* device;
    MeshObject* dropMesh;    // teardrop, drawn ten times
    MeshObject* skySphere;   // radius-1850 sphere
    MeshObject* screenMesh;  // the warped screen plane
    MeshObject* orbMesh;     // radius-20 sphere, drawn twice
    MeshObject* spinPlane;   // 1300 x 1300 plane
    MeshObject* glowPlane;   // 480 x 480 plane, drawn ten times
    D3DVECTOR glowPositions[10];
    float glowFade;
    bool glowActive;
    float dropSpin;  // degrees
    float ringSpin;  // degrees
    bool prepared;   // the shared texture records were set by the first pass

    DropRingScene();
    ~DropRingScene();
    // Frees what it owns in the destructor: never copied.
    DropRingScene(const DropRingScene&) = delete;
    DropRingScene& operator=(const DropRingScene&) = delete;
    void init(IDirect3DDevice8* sceneDevice);
    void preRender();
    void render();
    void update();
    void drawDrops();
    void prepare();

private:
    void setOverlayAlphaStages();
};

#endif  // ZELVARO_SCENES_DROP_RING_SCENE_H
