// The fourteen scenes' creation and destruction (their per-frame dispatch is
// DemoContext::runPreRender and renderScene, defined with these).
#ifndef ZELVARO_APP_SCENE_DISPATCH_H
#define ZELVARO_APP_SCENE_DISPATCH_H

// Starts the music, then creates and initialises scenes 1 to 14 in order and
// shows scene 14.
void createScenes();
// Deletes scenes 1 to 14 in order.
void destroyScenes();

#endif  // ZELVARO_APP_SCENE_DISPATCH_H
