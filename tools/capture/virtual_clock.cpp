// QueryPerformanceCounter and QueryPerformanceFrequency for the capture, in
// place of the platform's real-time clock.
#include "virtual_clock.h"

#include <windows.h>

namespace {

// Ticks per frame; the frequency is this times the frame rate, so a frame's
// duration, ticks * 1000 / frequency, is exactly 1000 / fps milliseconds.
constexpr LONGLONG ticksPerFrame = 1000000;
constexpr LONGLONG startSeconds = 3600;

LONGLONG frequency = 60 * ticksPerFrame;
LONGLONG counter = startSeconds * frequency;

}  // namespace

void virtualClockStart(int framesPerSecond) {
    frequency = LONGLONG(framesPerSecond) * ticksPerFrame;
    counter = startSeconds * frequency;
}

void virtualClockAdvanceFrame() { counter += ticksPerFrame; }

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count) {
    if (count == nullptr) return FALSE;
    count->QuadPart = counter;
    return TRUE;
}

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* result) {
    if (result == nullptr) return FALSE;
    result->QuadPart = frequency;
    return TRUE;
}
