// Scene 9: two translucent cubes turning in a warp-animated picture painted
// into the shared render target, shown over a picture of bridges through a
// window whose left edge fades in a jagged stripe, a large torus turning at
// the right edge, and a white flash opening each appearance. Alternates with
// scene 4; each of the two re-arms the other's flash.
#ifndef ZELVARO_SCENES_BRIDGE_CUBES_SCENE_H
#define ZELVARO_SCENES_BRIDGE_CUBES_SCENE_H

#include <d3d8.h>

class MeshObject;

class BridgeCubesScene {
public:
    IDirect3DDevice8* device;
    MeshObject* backgroundMesh;  // bridges plane (slot 8)
    MeshObject* warpMesh;        // warp-animated plane of the offscreen picture (slot 18)
    MeshObject* screenMesh;      // the render target behind a per-vertex alpha edge
    MeshObject* cubeMesh;        // translucent cube (slot 20)
    MeshObject* torusMesh;       // supertoroid (slot 7)
    MeshObject* flashMesh;
    bool flashActive;
    float flashAlpha;  // 0..255
    D3DVECTOR* cubeRotations;  // degrees, one per cube copy
    int cubeCount;
    bool pictureReady;  // a render-to-texture pass has run; never cleared
    float torusAngle;   // degrees; one degree less per drawn frame, whatever the time

    BridgeCubesScene();
    ~BridgeCubesScene();
    // Frees what it owns in the destructor: never copied.
    BridgeCubesScene(const BridgeCubesScene&) = delete;
    BridgeCubesScene& operator=(const BridgeCubesScene&) = delete;
    void init(IDirect3DDevice8* sceneDevice);
    void preRender();
    void render();
    void update();
    void rearmPartner();
};

#endif  // ZELVARO_SCENES_BRIDGE_CUBES_SCENE_H
