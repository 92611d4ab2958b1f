// A high-resolution counter the test sets by hand, installed as the source
// of QueryPerformanceCounter when the test program starts. Every read can run
// a step of the test (the loop reads the counter once per frame, so this is a
// hook at the start of each frame).
#ifndef ZELVARO_TESTS_APP_SHELL_TEST_CLOCK_H
#define ZELVARO_TESTS_APP_SHELL_TEST_CLOCK_H

#include <atomic>
#include <cstdint>
#include <functional>

struct TestClock {
    std::atomic<int64_t> counter{0};
    std::atomic<int64_t> frequency{1000000};
    int64_t stepPerRead = 0;  // added after every read
    int reads = 0;
    std::function<void(int read)> onRead;  // before the value is taken
};

extern TestClock testClock;

#endif  // ZELVARO_TESTS_APP_SHELL_TEST_CLOCK_H
