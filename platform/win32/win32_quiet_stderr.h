// Keeps the libraries' own messages off the terminal while a device is being
// looked for: the sound and display libraries print their failed attempts
// (one line per probed card or socket) before they report the failure that
// the program then states in its own words. Standard error is pointed at
// /dev/null for the lifetime of the object and given back afterwards.
// Only platform code includes this; it is used on the program's one thread
// while no other thread prints.
#ifndef ZELVARO_PLATFORM_WIN32_QUIET_STDERR_H
#define ZELVARO_PLATFORM_WIN32_QUIET_STDERR_H

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

class Win32QuietStderr {
public:
    Win32QuietStderr() {
        std::fflush(stderr);
        saved = dup(STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved < 0 || null < 0) {
            if (null >= 0) close(null);
            return;
        }
        dup2(null, STDERR_FILENO);
        close(null);
        quiet = true;
    }
    ~Win32QuietStderr() {
        if (quiet) {
            std::fflush(stderr);
            dup2(saved, STDERR_FILENO);
        }
        if (saved >= 0) close(saved);
    }
    Win32QuietStderr(const Win32QuietStderr&) = delete;
    Win32QuietStderr& operator=(const Win32QuietStderr&) = delete;

private:
    int saved = -1;
    bool quiet = false;
};

#endif  // ZELVARO_PLATFORM_WIN32_QUIET_STDERR_H
