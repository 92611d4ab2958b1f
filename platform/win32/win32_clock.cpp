// The high-resolution counter: the monotonic clock in nanoseconds, unless a
// program installed another source (win32_counter.h).
#include <windows.h>

#include <ctime>

#include "win32_counter.h"

namespace {

constexpr LONGLONG nanosecondsPerSecond = 1000000000;

BOOL monotonicCounter(LARGE_INTEGER* count) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    count->QuadPart = static_cast<LONGLONG>(now.tv_sec) * nanosecondsPerSecond + now.tv_nsec;
    return TRUE;
}

BOOL monotonicFrequency(LARGE_INTEGER* frequency) {
    frequency->QuadPart = nanosecondsPerSecond;
    return TRUE;
}

Win32CounterRead counterSource = monotonicCounter;
Win32CounterRead frequencySource = monotonicFrequency;

}  // namespace

void win32SetCounterSource(Win32CounterRead counter, Win32CounterRead frequency) {
    counterSource = counter != nullptr ? counter : monotonicCounter;
    frequencySource = frequency != nullptr ? frequency : monotonicFrequency;
}

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count) {
    if (count == nullptr) return FALSE;
    return counterSource(count);
}

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    if (frequency == nullptr) return FALSE;
    return frequencySource(frequency);
}
