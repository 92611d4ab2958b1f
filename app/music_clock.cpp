// Placeholder until the audio layer lands: no stream, the clock stays at 0.
#include "music_clock.h"

HSTREAM musicStream = 0;
float musicTime = 0.0f;
bool quitRequested = false;

void initMusic(HWND) {}
void refreshMusicTime() {}
void freeMusic() {}
