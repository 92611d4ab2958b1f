// The D3DX reporting routine: diagnostic messages to the debugger output,
// gated by the "debug" entry of the "Direct3D" profile section.
#include <cstdarg>
#include <cstdio>
#include <windows.h>

#include "math_variants.h"

namespace {

const int reportLevelUnread = -1;

// Read from the profile on the first report.
int reportLevel = reportLevelUnread;

}  // namespace

void mathForgetReportLevel() { reportLevel = reportLevelUnread; }

void D3DXDebugReport(UINT level, const char* format, ...) {
    if (format == nullptr) return;
    if (reportLevel == reportLevelUnread) {
        const int profiled = int(GetProfileIntA("Direct3D", "debug", 0));
        reportLevel = profiled < 0 ? 0 : profiled;
    }
    if (UINT(reportLevel) < level) return;

    // the message is cut at 255 characters
    char message[256];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(message, sizeof message, format, arguments);
    va_end(arguments);

    char line[sizeof message + 16];
    std::snprintf(line, sizeof line, "D3DX: %s\r\n", message);
    OutputDebugStringA(line);
}
