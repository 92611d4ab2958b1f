// The fourteen scene objects, one typed pointer per scene number: how the
// scenes reach each other. They are created, dispatched and destroyed on top
// of the scenes (app/scene_dispatch.h); the Timeline is app/timeline.h.
#ifndef ZELVARO_CORE_SCENE_REGISTRY_H
#define ZELVARO_CORE_SCENE_REGISTRY_H

class FeedbackShapeScene;
class DropRingScene;
class DropTunnelScene;
class GlassColonnadeScene;
class MorphCreditsScene;
class LogoMorphScene;
class SpinningRingsScene;
class RippleTilesScene;
class BridgeCubesScene;
class CityCardsScene;
class WaterDropsScene;
class RibbonWebScene;
class FinalShatterScene;
class TitleCardScene;

// One typed pointer per scene number; null until that scene is created.
struct SceneRegistry {
    FeedbackShapeScene* scene1;
    DropRingScene* scene2;
    DropTunnelScene* scene3;
    GlassColonnadeScene* scene4;
    MorphCreditsScene* scene5;
    LogoMorphScene* scene6;
    SpinningRingsScene* scene7;
    RippleTilesScene* scene8;
    BridgeCubesScene* scene9;
    CityCardsScene* scene10;
    WaterDropsScene* scene11;
    RibbonWebScene* scene12;
    FinalShatterScene* scene13;
    TitleCardScene* scene14;
};

extern SceneRegistry sceneRegistry;
extern bool timelineEnabled;  // set once by the title card's hand-over

#endif  // ZELVARO_CORE_SCENE_REGISTRY_H
