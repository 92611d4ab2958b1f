#include "frame_timer.h"

FrameTimer frameTimer;  // all zero until start

void FrameTimer::start() {
    LARGE_INTEGER ticksPerSecond;
    QueryPerformanceFrequency(&ticksPerSecond);
    frequency = ticksPerSecond.QuadPart;
}

void FrameTimer::update() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    counter = now.QuadPart;
    // The first update measures from counter value 0: far above 0.1 s, so
    // the scenes skip that frame's step.
    deltaTicks = counter - previousCounter;
    previousCounter = counter;
    // Milliseconds in extended precision; the seconds come from that full
    // value times the single-precision constant 0.001, not from the float.
    const long double milliseconds =
        static_cast<long double>(deltaTicks) * 1000.0L / static_cast<long double>(frequency);
    frameMilliseconds = static_cast<float>(milliseconds);
    frameSecondsValue = static_cast<float>(milliseconds * static_cast<long double>(0.001f));
}
