#include "d3d8_report.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

void d3d8Report(const char* format, ...) {
    char message[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(message, sizeof message, format, arguments);
    va_end(arguments);
    char line[560];
    std::snprintf(line, sizeof line, "Direct3D8: %s\n", message);
    OutputDebugStringA(line);
}
