// Stand-ins for the fourteen scene classes, with the shape the registry
// relies on (constructor, init, render, preRender, destructor). Every call is
// written to sceneLog as "<what> <scene number>", e.g. "render 6"; a test
// may hook what a scene's render does (the title card's hand-over, the last
// scene's end).
#ifndef ZELVARO_TESTS_TIMELINE_SCENE_DOUBLES_H
#define ZELVARO_TESTS_TIMELINE_SCENE_DOUBLES_H

#include <d3d8.h>

#include <functional>
#include <string>
#include <vector>

extern std::vector<std::string> sceneLog;
extern std::vector<IDirect3DDevice8*> initDevices;  // the device each init was given
extern std::function<void(int)> sceneRenderHook;    // called by every render

inline void logScene(const char* what, int scene) {
    sceneLog.push_back(std::string(what) + " " + std::to_string(scene));
}

#define ZELVARO_SCENE_DOUBLE(Class, number)                            \
    class Class {                                                      \
    public:                                                            \
        Class() { logScene("new", number); }                           \
        ~Class() { logScene("delete", number); }                       \
        void init(IDirect3DDevice8* device) {                          \
            initDevices.push_back(device);                             \
            logScene("init", number);                                  \
        }                                                              \
        void preRender() { logScene("preRender", number); }            \
        void render() {                                                \
            logScene("render", number);                                \
            if (sceneRenderHook) sceneRenderHook(number);              \
        }                                                              \
    };

ZELVARO_SCENE_DOUBLE(FeedbackShapeScene, 1)
ZELVARO_SCENE_DOUBLE(DropRingScene, 2)
ZELVARO_SCENE_DOUBLE(DropTunnelScene, 3)
ZELVARO_SCENE_DOUBLE(GlassColonnadeScene, 4)
ZELVARO_SCENE_DOUBLE(MorphCreditsScene, 5)
ZELVARO_SCENE_DOUBLE(LogoMorphScene, 6)
ZELVARO_SCENE_DOUBLE(SpinningRingsScene, 7)
ZELVARO_SCENE_DOUBLE(RippleTilesScene, 8)
ZELVARO_SCENE_DOUBLE(BridgeCubesScene, 9)
ZELVARO_SCENE_DOUBLE(CityCardsScene, 10)
ZELVARO_SCENE_DOUBLE(WaterDropsScene, 11)
ZELVARO_SCENE_DOUBLE(RibbonWebScene, 12)
ZELVARO_SCENE_DOUBLE(FinalShatterScene, 13)
ZELVARO_SCENE_DOUBLE(TitleCardScene, 14)

#undef ZELVARO_SCENE_DOUBLE

// Every slot of the registry is filled.
#define ZELVARO_SCENE_1 1
#define ZELVARO_SCENE_2 1
#define ZELVARO_SCENE_3 1
#define ZELVARO_SCENE_4 1
#define ZELVARO_SCENE_5 1
#define ZELVARO_SCENE_6 1
#define ZELVARO_SCENE_7 1
#define ZELVARO_SCENE_8 1
#define ZELVARO_SCENE_9 1
#define ZELVARO_SCENE_10 1
#define ZELVARO_SCENE_11 1
#define ZELVARO_SCENE_12 1
#define ZELVARO_SCENE_13 1
#define ZELVARO_SCENE_14 1

#endif  // ZELVARO_TESTS_TIMELINE_SCENE_DOUBLES_H
