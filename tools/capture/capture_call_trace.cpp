#include "capture_call_trace.h"

#include <d3d8.h>

#include "d3d8_trace.h"

// The capture programs are linked with --wrap for Direct3DCreate8's symbol:
// the show's call arrives here, and the real function is __real_….
extern "C" IDirect3D8* __real__Z15Direct3DCreate8j(UINT sdkVersion);
extern "C" IDirect3D8* __wrap__Z15Direct3DCreate8j(UINT sdkVersion);

namespace {

bool recordDeviceCalls = false;

}  // namespace

void captureRecordDeviceCalls() { recordDeviceCalls = true; }

IDirect3D8* __wrap__Z15Direct3DCreate8j(UINT sdkVersion) {
    IDirect3D8* real = __real__Z15Direct3DCreate8j(sdkVersion);
    return recordDeviceCalls ? d3d8TraceWrap(real) : real;
}
