// Scene 3: two rings of teardrops rushing through a 175-degree camera, blobs
// turning inside out, a column of scrolling cards and a tumbling flyer that
// starts again at 88 s and 96 s. From 96 s scene 8 calls render every frame
// and only the flyer is drawn.
#ifndef ZELVARO_SCENES_DROP_TUNNEL_SCENE_H
#define ZELVARO_SCENES_DROP_TUNNEL_SCENE_H

#include <d3d8.h>

class MeshObject;

class DropTunnelScene {
public:
    IDirect3DDevice8* device;
    MeshObject* backgroundMesh;  // 64 x 48 plane (slot 9)
    MeshObject* dropMeshA;       // teardrop of ring A (slot 7)
    MeshObject* dropMeshB;       // teardrop of ring B (slot 1)
    D3DVECTOR ringCenterA;       // turned about z to place ring A's drops; z moves
    D3DVECTOR ringCenterB;
    float spinAngle;  // degrees, +20 per second
    MeshObject* blobMesh;
    int blobCount;
    float* blobAngles;          // degrees, +33 per second
    D3DVECTOR* blobPositions;
    MeshObject* cardMesh;
    int cardCount;
    D3DVECTOR* cardPositions;   // y scrolls upwards and wraps
    D3DVECTOR* cardRotations;   // degrees
    MeshObject* flyerMesh;
    bool flyerActive;
    float flyerAlpha;  // 0..255
    D3DVECTOR flyerPosition;
    D3DVECTOR flyerRotation;  // degrees
    bool restartAt88Pending;
    bool restartAt96Pending;
    bool tunnelVisible;  // false from 96 s on: only the flyer is drawn

    DropTunnelScene();
    ~DropTunnelScene();
    // Frees what it owns in the destructor: never copied.
    DropTunnelScene(const DropTunnelScene&) = delete;
    DropTunnelScene& operator=(const DropTunnelScene&) = delete;
    void init(IDirect3DDevice8* sceneDevice);
    void render();
    void update();

private:
    void refreshBlending();
    void drawTunnel();
    void restartFlyer();
};

#endif  // ZELVARO_SCENES_DROP_TUNNEL_SCENE_H
