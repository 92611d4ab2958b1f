// Scene 8: a drifting water picture and a ray-burst trail painted into the
// shared render target, shown full screen; ten tiles of the same picture
// fly off one after another under a spreading ripple, scene 3's flyer on
// top, and the screen turns white 0.15 s before scene 9 takes over.
#ifndef ZELVARO_SCENES_RIPPLE_TILES_SCENE_H
#define ZELVARO_SCENES_RIPPLE_TILES_SCENE_H

#include <d3d8.h>

class MeshObject;
class Ripple;
struct Vertex;

class RippleTilesScene {
public:
    IDirect3DDevice8* device;
    MeshObject* screenMesh;   // 64 x 48 plane showing the render target
    MeshObject* tileMeshes;   // tileCount tiles
    int tileCount;
    D3DVECTOR tilePositions[10];
    D3DVECTOR tileRotations[10];  // degrees
    float tileAlpha[10];          // 0..255
    bool tileActive[10];
    float tileStartTimes[10];     // music seconds after which a tile flies
    MeshObject* backgroundMesh;   // the water plane of the offscreen picture
    D3DVECTOR backgroundPosition;  // y drifts upwards and wraps
    float textureSwitchTimes[10];  // music seconds
    int textureSwitchIndex;        // next switch
    int textureToggle;             // +1: the next texture is slot 5, -1: slot 6
    MeshObject* trailMesh;         // ray-burst line figure
    Vertex* trailVertices;         // transformed points, vertexCount + 1000 records
    D3DVECTOR trailHead;           // degrees
    int trailHistoryStep;          // history entries between two shells
    int trailHistoryLength;
    D3DVECTOR* trailHistory;       // past trailHead values, newest first
    Ripple* ripple;
    MeshObject* flashMesh;
    bool flashActive;

    RippleTilesScene();
    ~RippleTilesScene();
    // Frees what it owns in the destructor: never copied.
    RippleTilesScene(const RippleTilesScene&) = delete;
    RippleTilesScene& operator=(const RippleTilesScene&) = delete;
    void init(IDirect3DDevice8* sceneDevice);
    void preRender();
    void render();
    void update();

private:
    void pushTrailHistory();
    void stepTrail();
    void rippleTiles();
    void rippleTile(int index);
};

#endif  // ZELVARO_SCENES_RIPPLE_TILES_SCENE_H
