// Scene 11: a finely gridded water plane fading in over scene 4 while four
// translucent copies slide apart; then spinning shapes fall into the water at
// fixed music times, each starting a ripple where it hits and a greeting
// plane whose copies drift apart while it fades.
#ifndef ZELVARO_SCENES_WATER_DROPS_SCENE_H
#define ZELVARO_SCENES_WATER_DROPS_SCENE_H

#include <d3d8.h>

#include "ripple.h"

class MeshObject;

class WaterDropsScene {
public:
    IDirect3DDevice8* device;
    Ripple ripples[10];
    int rippleCount;
    MeshObject* waterMesh;    // 100 x 100 grid (slot 27)
    MeshObject* layerMeshes;  // layerCount translucent copies of the water
    int layerCount;
    float waterAlpha;  // 0..255
    D3DVECTOR layerPositions[4];
    bool introActive;  // scene 4 and the layers are drawn
    MeshObject* fallingMesh;  // the spinning shape (slot 18)
    int dropCount;
    D3DVECTOR dropPositions[9];
    bool dropFalling[9];
    int dropVertices[10];  // water vertex (row * 100 + column) each drop aims at
    float dropTimes[10];   // music seconds
    MeshObject* splashMeshes;  // splashCount greeting planes (slots 34..41)
    int splashCount;
    D3DVECTOR splashPositions[8];
    bool splashVisible[8];
    float splashAlpha[8];  // 0..85
    float rippleSpeed;     // hundredths of a unit per second
    float spinClock;       // seconds

    WaterDropsScene();
    ~WaterDropsScene();
    // Frees what it owns in the destructor: never copied.
    WaterDropsScene(const WaterDropsScene&) = delete;
    WaterDropsScene& operator=(const WaterDropsScene&) = delete;
    void init(IDirect3DDevice8* sceneDevice);
    void render();
    void update();
    void displaceWater();
    void setupWaterBlending();

private:
    void updateDrop(int index, float dt);
    void drawSplash(int index);
};

#endif  // ZELVARO_SCENES_WATER_DROPS_SCENE_H
