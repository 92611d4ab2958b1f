// Stand-ins for the fourteen scenes: this test links the operations the
// registry calls (constructor, init, render, preRender, destructor) from
// scene_doubles.cpp instead of the scenes library, so the real registry runs
// against them. Every call is written to sceneLog as "<what> <scene number>",
// e.g. "render 6"; a test may hook what a scene's render does (the title
// card's hand-over, the last scene's end).
#ifndef ZELVARO_TESTS_TIMELINE_SCENE_DOUBLES_H
#define ZELVARO_TESTS_TIMELINE_SCENE_DOUBLES_H

#include <d3d8.h>

#include <functional>
#include <string>
#include <vector>

#include "bridge_cubes_scene.h"
#include "city_cards_scene.h"
#include "drop_ring_scene.h"
#include "drop_tunnel_scene.h"
#include "feedback_shape_scene.h"
#include "final_shatter_scene.h"
#include "glass_colonnade_scene.h"
#include "logo_morph_scene.h"
#include "morph_credits_scene.h"
#include "ribbon_web_scene.h"
#include "ripple_tiles_scene.h"
#include "spinning_rings_scene.h"
#include "title_card_scene.h"
#include "water_drops_scene.h"

extern std::vector<std::string> sceneLog;
extern std::vector<IDirect3DDevice8*> initDevices;  // the device each init was given
extern std::function<void(int)> sceneRenderHook;    // called by every render

#endif  // ZELVARO_TESTS_TIMELINE_SCENE_DOUBLES_H
