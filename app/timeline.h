// The Timeline: the scene number picked from the music time, once the title
// card has enabled it (timelineEnabled, app/core/scene_registry.h).
#ifndef ZELVARO_APP_TIMELINE_H
#define ZELVARO_APP_TIMELINE_H

// Sets demoContext->sceneNumber from musicTime.
void applyTimeline();

#endif  // ZELVARO_APP_TIMELINE_H
