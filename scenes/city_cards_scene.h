// Scene 10: scene 7's last picture captured and shattered, a photograph behind
// a tumbling lattice of scrolling text strips, six city cards spinning closer
// and breaking on their beats, and at 61.8 s a capture of its own picture
// shattering over a second photograph. Shown from 48 s to 64.5 s; scene 2
// keeps drawing the second photograph as fading echoes.
#ifndef ZELVARO_SCENES_CITY_CARDS_SCENE_H
#define ZELVARO_SCENES_CITY_CARDS_SCENE_H

#include <d3d8.h>

class MeshObject;
class ShatterPanel;
class TextStrip;

class CityCardsScene {
public:
    IDirect3DDevice8* device;
    ShatterPanel* openingPanel;  // shows the capture of scene 7
    ShatterPanel* cards;         // cardCount city cards
    TextStrip* strips;           // the lattice, latticeColumns x latticeRows x 3
    MeshObject* backdrop;        // slot-23 plane
    ShatterPanel* closingPanel;  // shows the capture of this scene
    MeshObject* finalBackdrop;   // slot-22 plane
    D3DVECTOR latticeRotation;   // degrees
    float textScroll;            // u offset of every strip, within [0, 1]
    float echoFade;              // driven by scene 2
    int cardCount;
    int latticeColumns;
    int latticeRows;
    float cardBreakTimes[6];      // music seconds
    D3DVECTOR echoRotations[10];  // degrees, driven by scene 2
    D3DVECTOR cardStartPositions[6];
    bool secondPhase;

    CityCardsScene();
    ~CityCardsScene();
    // Frees what it owns in the destructor: never copied.
    CityCardsScene(const CityCardsScene&) = delete;
    CityCardsScene& operator=(const CityCardsScene&) = delete;
    void init(IDirect3DDevice8* sceneDevice);
    void preRender();
    void render();
    void drawFirstPhase();
    void setupSharedBlending();
    void drawEchoes(bool enabled);

private:
    void animate();
};

#endif  // ZELVARO_SCENES_CITY_CARDS_SCENE_H
