#include "test_clock.h"

#include <windows.h>

#include "win32_counter.h"

TestClock testClock;

namespace {

BOOL readCounter(LARGE_INTEGER* count) {
    ++testClock.reads;
    if (testClock.onRead) testClock.onRead(testClock.reads);
    count->QuadPart = testClock.counter.load();
    testClock.counter += testClock.stepPerRead;
    return TRUE;
}

BOOL readFrequency(LARGE_INTEGER* frequency) {
    frequency->QuadPart = testClock.frequency.load();
    return TRUE;
}
}  // namespace

// Installed before main, so the program's first read already sees it.
bool testClockInstalled = (win32SetCounterSource(readCounter, readFrequency), true);
