// Scene 5: a harmonic shape morphing through key shapes in front of a warped
// background, rendered into the shared target and shown through a
// semi-transparent plane; three credit names fly towards the viewer, each
// arrival marked by an echo pulse; an opening flash and a small burst shape.
// Shown from 15.5 s to 32 s; scene 7 keeps its morph running afterwards.
#ifndef ZELVARO_SCENES_MORPH_CREDITS_SCENE_H
#define ZELVARO_SCENES_MORPH_CREDITS_SCENE_H

#include <d3d8.h>

class MeshObject;

class MorphCreditsScene {
public:
    IDirect3DDevice8* device;
    MeshObject* backgroundMesh;  // 64 x 48 textured warp plane
    MeshObject* shapes;          // shapeCount key shapes
    int shapeCount;
    int shapeIndex;  // key shape the current morph starts from
    MeshObject* morphMesh;
    float morphAngle;          // degrees, 0..90
    float morphFactor;         // sin(morphAngle)
    float spinAngle;           // degrees
    MeshObject* feedbackMesh;  // plane showing the shared render target
    MeshObject* flashMesh;     // white overlay
    bool flashActive;
    float flashAlpha;
    MeshObject* burstMesh;  // small harmonic shape crossing once
    bool burstActive;
    float burstAlpha;
    float burstOffset;     // movement along x
    float burstStartTime;  // music time that starts the burst; 999 once started
    MeshObject* nameMeshes[3];
    float nameDistance[3];
    float nameSpeed[3];
    float nameAlpha[3];
    float* eventTimes;  // 5 entries, the last the 999 sentinel
    int eventIndex;     // events fired; name plane i (1..3) is active once eventIndex >= i
    bool pulseActive;
    float pulseAngle;  // degrees: 90 during a pulse, otherwise 0
    float pulseDuration;
    float pulseRemaining;

    MorphCreditsScene();
    ~MorphCreditsScene();
    // Frees what it owns in the destructor: never copied.
    MorphCreditsScene(const MorphCreditsScene&) = delete;
    MorphCreditsScene& operator=(const MorphCreditsScene&) = delete;
    void init(IDirect3DDevice8* sceneDevice);
    void preRender();
    void render();
    void update();
    void drawMorph();

private:
    void applyShapeBlend();
};

#endif  // ZELVARO_SCENES_MORPH_CREDITS_SCENE_H
