#include "scene_doubles.h"

std::vector<std::string> sceneLog;
std::vector<IDirect3DDevice8*> initDevices;
std::function<void(int)> sceneRenderHook;
