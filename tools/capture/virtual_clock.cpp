// The capture's counter source, installed in place of the platform's
// real-time clock by virtualClockStart.
#include "virtual_clock.h"

#include <windows.h>

#include "win32_counter.h"

namespace {

// Ticks per frame; the frequency is this times the frame rate, so a frame's
// duration, ticks * 1000 / frequency, is exactly 1000 / fps milliseconds.
constexpr LONGLONG ticksPerFrame = 1000000;
constexpr LONGLONG startSeconds = 3600;

LONGLONG frequency = 60 * ticksPerFrame;
LONGLONG counter = startSeconds * frequency;

BOOL readCounter(LARGE_INTEGER* count) {
    count->QuadPart = counter;
    return TRUE;
}

BOOL readFrequency(LARGE_INTEGER* result) {
    result->QuadPart = frequency;
    return TRUE;
}

}  // namespace

void virtualClockStart(int framesPerSecond) {
    frequency = LONGLONG(framesPerSecond) * ticksPerFrame;
    counter = startSeconds * frequency;
    win32SetCounterSource(readCounter, readFrequency);
}

void virtualClockAdvanceFrame() { counter += ticksPerFrame; }
