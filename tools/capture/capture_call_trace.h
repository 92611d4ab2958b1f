// The capture programs' Direct3D 8 call traces: when asked for before the
// show starts, the device the show makes is a recording one.
#ifndef ZELVARO_TOOLS_CAPTURE_CALL_TRACE_H
#define ZELVARO_TOOLS_CAPTURE_CALL_TRACE_H

// Makes Direct3DCreate8 hand out a recording IDirect3D8 from now on.
void captureRecordDeviceCalls();

#endif  // ZELVARO_TOOLS_CAPTURE_CALL_TRACE_H
