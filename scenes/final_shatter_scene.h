// Scene 13, the last: scene 6 keeps running inside the shared render target,
// shown on a full-screen panel that shatters at once; when the panel is spent
// the scene asks the program to end.
#ifndef ZELVARO_SCENES_FINAL_SHATTER_SCENE_H
#define ZELVARO_SCENES_FINAL_SHATTER_SCENE_H

#include <d3d8.h>

class ShatterPanel;

class FinalShatterScene {
public:
    IDirect3DDevice8* device;  // not owned
    ShatterPanel* panel;

    FinalShatterScene();
    ~FinalShatterScene();
    // Frees what it owns in the destructor: never copied.
    FinalShatterScene(const FinalShatterScene&) = delete;
    FinalShatterScene& operator=(const FinalShatterScene&) = delete;
    void init(IDirect3DDevice8* sceneDevice);
    void preRender();
    void render();
    void update();
};

#endif  // ZELVARO_SCENES_FINAL_SHATTER_SCENE_H
