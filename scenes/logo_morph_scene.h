// Scene 6: a spiked harmonic shape morphing through seventeen key shapes over
// a fading-in background, a logo lighting up on a two-second beat and, from
// the ninth beat on, white flashes. Shown from the start of the music to
// 15.5 s and again from 192.3 s; scene 13 keeps drawing it into the render
// target, and scene 12 prepares it for its second appearance.
#ifndef ZELVARO_SCENES_LOGO_MORPH_SCENE_H
#define ZELVARO_SCENES_LOGO_MORPH_SCENE_H

#include <d3d8.h>

class MeshObject;

class LogoMorphScene {
public:
    IDirect3DDevice8* device;
    MeshObject* backgroundMesh;  // 64 x 48 background (slot 13)
    MeshObject* shapes;          // shapeCount key shapes
    int shapeCount;
    int shapeIndex;  // key shape the current morph starts from
    MeshObject* morphMesh;
    float morphAngle;      // degrees, phase of the current morph
    float morphFactor;     // sin(morphAngle)
    float morphStart;      // music time from which the morph runs
    float spinAngle;       // degrees, +40 per second
    MeshObject* warpMesh;  // 64 x 48 pattern plane (slot 12)
    float fadeInAlpha;     // background alpha, rising to 255
    MeshObject* logoMesh;  // 51 x 12 logo plane (slot 14)
    bool logoVisible;
    float logoTimer;           // seconds the logo stays shown
    D3DVECTOR* logoPositions;  // logo position per beat index
    float* eventTimes;         // beat times, eventCount entries
    int eventCount;
    int eventIndex;  // beats fired so far
    MeshObject* flashMesh;
    bool flashActive;
    float flashAlpha;

    LogoMorphScene();
    ~LogoMorphScene();
    // Frees what it owns in the destructor: never copied.
    LogoMorphScene(const LogoMorphScene&) = delete;
    LogoMorphScene& operator=(const LogoMorphScene&) = delete;
    void init(IDirect3DDevice8* sceneDevice);
    void render();
    void update();
    void showLogo(D3DCOLOR color);
};

#endif  // ZELVARO_SCENES_LOGO_MORPH_SCENE_H
