// Replaying a Direct3D 8 call trace on whatever Direct3D 8 the program runs
// on: written against <d3d8.h> and <windows.h> alone, it builds both against
// our own layer and, with MinGW-w64, as a Windows program.
#ifndef ZELVARO_TOOLS_D3D8REPLAY_REPLAYER_H
#define ZELVARO_TOOLS_D3D8REPLAY_REPLAYER_H

#include <windows.h>
#include <d3d8.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "d3d8_trace_reader.h"

// A picture read back from the device: rows top to bottom, 3 bytes a pixel (RGB).
struct D3d8ReplayPicture {
    UINT width = 0;
    UINT height = 0;
    std::vector<unsigned char> rgb;
};

class D3d8Replayer {
public:
    ~D3d8Replayer();

    // Loads the trace and makes a window and device of its size.
    bool open(const std::string& tracePath, std::string* error);
    // Replays the inherited state and every frame up to and including frame
    // `last` (its index among the trace's frames; -1: the last one), then
    // reads the back buffer into *picture.
    bool replay(int last, D3d8ReplayPicture* picture, std::string* error);
    // Replays the frame just replayed `times` more times, each followed by a
    // Present, without the declarations of objects it names first (made in
    // the first replay); gives the milliseconds per frame, of the clock and
    // of processor time (all the program's threads: the rasteriser's too),
    // the last picture read back.
    bool repeat(int times, double* millisecondsPerFrame, double* processorMilliseconds, std::string* error);
    int frameCount() const { return static_cast<int>(frameStarts.size()); }
    // Replays every setRenderState of `state` with `value` instead, and sets
    // it at once: to find out what a difference between two devices comes from.
    void forceRenderState(DWORD state, DWORD value) { forcedStates[state] = value; }

private:
    bool play(const D3d8TraceRecord& record, std::string* error);
    bool createDevice(D3d8TraceFields& f, std::string* error);
    bool upload(IDirect3DSurface8* surface, D3d8TraceFields& f, bool viaCopy, std::string* error);
    bool readBack(D3d8ReplayPicture* picture, std::string* error);
    void forget(uint32_t id);
    IDirect3DSurface8* surface(uint32_t id) const;
    IDirect3DTexture8* texture(uint32_t id) const;
    IDirect3DVertexBuffer8* vertexBuffer(uint32_t id) const;

    D3d8TraceFile trace;
    std::vector<size_t> frameStarts;  // file positions of the frameBegin records
    size_t replayedFrom = 0;          // the frame replayed last: its records
    size_t replayedTo = 0;
    HWND window = nullptr;
    IDirect3D8* direct3D = nullptr;
    IDirect3DDevice8* device = nullptr;
    UINT width = 0;
    UINT height = 0;
    D3DFORMAT format = D3DFMT_X8R8G8B8;
    std::map<uint32_t, IDirect3DTexture8*> textures;
    std::map<uint32_t, IDirect3DSurface8*> surfaces;
    std::map<uint32_t, IDirect3DVertexBuffer8*> vertexBuffers;
    std::map<uint32_t, DWORD> textureUsage;  // texture id: its usage flags
    std::map<DWORD, DWORD> forcedStates;
};

#endif  // ZELVARO_TOOLS_D3D8REPLAY_REPLAYER_H
