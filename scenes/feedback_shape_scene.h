// Scene 1: a wandering, tumbling harmonic shape drawn into the shared render
// target and shown on four overlapping warped planes over a warped
// background, opening with a white flash. Alternates with scene 12; each
// re-arms the other's flash every frame.
#ifndef ZELVARO_SCENES_FEEDBACK_SHAPE_SCENE_H
#define ZELVARO_SCENES_FEEDBACK_SHAPE_SCENE_H

#include <d3d8.h>

class MeshObject;

// Degrees-like clock of the shape's wandering; advanced only by scene 1 and
// kept across both of its appearances.
extern float shapeClock;

class FeedbackShapeScene {
public:
    IDirect3DDevice8* device;
    MeshObject* flashMesh;
    bool flashActive;
    float flashAlpha;  // 0..255
    MeshObject* feedbackMesh;    // warped plane showing the render target
    MeshObject* shapeMesh;       // harmonic shape (slot 10, slot 2 as environment)
    MeshObject* backgroundMesh;  // slot-1 plane

    FeedbackShapeScene();
    ~FeedbackShapeScene();
    // Frees what it owns in the destructor: never copied.
    FeedbackShapeScene(const FeedbackShapeScene&) = delete;
    FeedbackShapeScene& operator=(const FeedbackShapeScene&) = delete;
    void init(IDirect3DDevice8* sceneDevice);
    void preRender();
    void render();
    void update();

private:
    void setupBlending();
};

#endif  // ZELVARO_SCENES_FEEDBACK_SHAPE_SCENE_H
