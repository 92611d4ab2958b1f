#include "scene_registry.h"

SceneRegistry sceneRegistry = {};
bool timelineEnabled = false;
