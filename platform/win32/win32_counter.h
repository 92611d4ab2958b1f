// Where QueryPerformanceCounter and QueryPerformanceFrequency take their
// values from. By default the monotonic clock in nanoseconds; a program that
// runs the show on a clock of its own (the capture tool's virtual counter, a
// test's hand-set one) installs it at start, before the first read.
#ifndef ZELVARO_PLATFORM_WIN32_COUNTER_H
#define ZELVARO_PLATFORM_WIN32_COUNTER_H

#include <windows.h>

// Each function fills its argument and returns TRUE, as the Win32 calls do.
using Win32CounterRead = BOOL (*)(LARGE_INTEGER* value);

// Both null: back to the monotonic clock.
void win32SetCounterSource(Win32CounterRead counter, Win32CounterRead frequency);

#endif  // ZELVARO_PLATFORM_WIN32_COUNTER_H
