#include "test_clock.h"

#include <windows.h>

TestClock testClock;

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count) {
    ++testClock.reads;
    if (testClock.onRead) testClock.onRead(testClock.reads);
    count->QuadPart = testClock.counter.load();
    testClock.counter += testClock.stepPerRead;
    return TRUE;
}

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    frequency->QuadPart = testClock.frequency.load();
    return TRUE;
}
