// The high-resolution counter: the monotonic clock in nanoseconds. A library
// of its own, so that a program can bring another clock (the capture tool
// runs the show on a virtual one).
#include <windows.h>

#include <ctime>

namespace {

constexpr LONGLONG nanosecondsPerSecond = 1000000000;

LONGLONG monotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<LONGLONG>(now.tv_sec) * nanosecondsPerSecond + now.tv_nsec;
}

}  // namespace

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count) {
    if (count == nullptr) return FALSE;
    count->QuadPart = monotonicNanoseconds();
    return TRUE;
}

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    if (frequency == nullptr) return FALSE;
    frequency->QuadPart = nanosecondsPerSecond;
    return TRUE;
}
