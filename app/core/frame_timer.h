// The high-resolution frame timer every scene reads to advance its animation.
#ifndef ZELVARO_CORE_FRAME_TIMER_H
#define ZELVARO_CORE_FRAME_TIMER_H

#include <windows.h>

class FrameTimer {
public:
    int64_t counter;          // counter value read by the latest update
    int64_t previousCounter;  // the update before; 0 before the first update
    int64_t frequency;        // counter ticks per second
    int64_t deltaTicks;       // counter - previousCounter of the latest update
    float frameMilliseconds;  // duration of the last frame in milliseconds
    // Duration of the last frame in seconds. (Named apart from the accessor
    // frameSeconds(), which is what the scenes call.)
    float frameSecondsValue;

    void start();
    void update();
    float frameSeconds() const { return frameSecondsValue; }
};

// The one frame timer: started on WM_CREATE, updated once per rendered frame.
extern FrameTimer frameTimer;

#endif  // ZELVARO_CORE_FRAME_TIMER_H
