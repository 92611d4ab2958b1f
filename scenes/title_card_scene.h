// Scene 14: the title card fading in from black and out again, then the
// hand-over to the music and the Timeline.
#ifndef ZELVARO_SCENES_TITLE_CARD_SCENE_H
#define ZELVARO_SCENES_TITLE_CARD_SCENE_H

#include <d3d8.h>

class MeshObject;

class TitleCardScene {
public:
    IDirect3DDevice8* device;
    MeshObject* titleMesh;  // the textured card (slot 50)
    MeshObject* fadeMesh;   // the black full-screen plane
    bool fadeEnabled;
    float fadeAlpha;  // 0..255, opacity of the black plane
    float elapsed;    // seconds of scene-local time

    TitleCardScene();
    ~TitleCardScene();
    // Frees what it owns in the destructor: never copied.
    TitleCardScene(const TitleCardScene&) = delete;
    TitleCardScene& operator=(const TitleCardScene&) = delete;
    void init(IDirect3DDevice8* device);
    void render();

private:
    void animate();
};

#endif  // ZELVARO_SCENES_TITLE_CARD_SCENE_H
