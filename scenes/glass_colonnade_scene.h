// Scene 4: three columns of environment-mapped supertoroid rings drifting
// towards the viewer, six translucent sprite labels flying in front of them,
// a textured background and a white flash opening each appearance.
// Alternates with scene 9 (each re-arms the other's flash); scene 11 keeps
// calling render during its intro.
#ifndef ZELVARO_SCENES_GLASS_COLONNADE_SCENE_H
#define ZELVARO_SCENES_GLASS_COLONNADE_SCENE_H

#include <d3d8.h>

class MeshObject;

class GlassColonnadeScene {
public:
    IDirect3DDevice8* device;
    MeshObject* labelMesh;  // 7 x 15 sprite plane (slot 24)
    int labelFrame;         // sprite frame 0..3
    float labelFrameTimer;  // seconds left of the current frame
    D3DVECTOR labelPositions[6];
    int labelCount;              // labels drawn
    MeshObject* backgroundMesh;  // 64 x 48 plane (slot 10)
    MeshObject* ringMeshes;      // ringCount rings per column
    int ringCount;
    D3DVECTOR ringSpin;    // degrees; z grows
    D3DVECTOR ringOrigin;  // middle column's first ring before its offset; z falls
    MeshObject* flashMesh;
    bool flashActive;
    float flashAlpha;  // 0..255

    GlassColonnadeScene();
    ~GlassColonnadeScene();
    // Frees what it owns in the destructor: never copied.
    GlassColonnadeScene(const GlassColonnadeScene&) = delete;
    GlassColonnadeScene& operator=(const GlassColonnadeScene&) = delete;
    void init(IDirect3DDevice8* sceneDevice);
    void render();
    void update();
    void resetLabels();
    void setLabelFrame(int frame);

private:
    void refreshAndRearmPartner();
    void drawRings();
};

#endif  // ZELVARO_SCENES_GLASS_COLONNADE_SCENE_H
