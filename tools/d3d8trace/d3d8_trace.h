// Recording Direct3D 8 calls: a program wraps the IDirect3D8 it gets from
// Direct3DCreate8; every device made through the wrapper can then write the
// calls of chosen frames into a trace (d3d8_trace_format.h).
#ifndef ZELVARO_TOOLS_D3D8TRACE_H
#define ZELVARO_TOOLS_D3D8TRACE_H

#include <d3d8.h>

#include <cstdint>
#include <string>

// Takes over the caller's reference to `real`; null stays null.
IDirect3D8* d3d8TraceWrap(IDirect3D8* real);

// The recording of the device made last through a wrapper. Each returns
// false with the reason in *error (no device, the file cannot be written).
bool d3d8TraceStart(const std::string& path, std::string* error);
void d3d8TraceFrameBegin(uint32_t frame, double musicTime);
void d3d8TraceFrameEnd(uint32_t frame);
bool d3d8TraceStop(std::string* error);

#endif  // ZELVARO_TOOLS_D3D8TRACE_H
