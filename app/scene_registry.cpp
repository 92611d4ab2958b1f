// Placeholder until the scene registry lands: no scenes exist.
#include "scene_registry.h"

#include "demo_context.h"

SceneRegistry sceneRegistry = {};
bool timelineEnabled = false;

void createScenes() {}
void applyTimeline() {}
void destroyScenes() {}
void DemoContext::runPreRender() {}
void DemoContext::renderScene() {}
