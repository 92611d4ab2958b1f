// Music playback through the audio library and the demo clock derived from it.
#ifndef ZELVARO_CORE_MUSIC_CLOCK_H
#define ZELVARO_CORE_MUSIC_CLOCK_H

#include <bass.h>

extern HSTREAM musicStream;  // 0 when the music file could not be opened
extern float musicTime;      // seconds of playback, 0.0 until playback starts
extern bool quitRequested;   // set by the last scene; the next frame ends the program

void initMusic(HWND window);
void refreshMusicTime();  // once per rendered frame, when musicStream is not 0
void freeMusic();

#endif  // ZELVARO_CORE_MUSIC_CLOCK_H
