// The device's diagnostic messages go to the debugger output, as the
// runtime's own do on Windows (shown on standard error with ZELVARO_DEBUG_OUTPUT).
#ifndef ZELVARO_PLATFORM_D3D8_REPORT_H
#define ZELVARO_PLATFORM_D3D8_REPORT_H

// printf-style; one line, "Direct3D8: " in front and a line end added.
void d3d8Report(const char* format, ...) __attribute__((format(printf, 1, 2)));

#endif  // ZELVARO_PLATFORM_D3D8_REPORT_H
