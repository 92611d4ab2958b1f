// A captured picture on a flat grid that breaks into its triangles: each
// triangle flies along its own random vector, spins about its centre and fades
// with the panel. Used by the city cards (scene 10) and the final shatter
// (scene 13). Also the vertex forms and the draw shared with TextStrip.
#ifndef ZELVARO_SCENES_SHATTER_PANEL_H
#define ZELVARO_SCENES_SHATTER_PANEL_H

#include <d3d8.h>

#include <cstdint>

struct TextureRecord;

// A grid vertex: position and texture coordinates.
struct PanelVertex {
    float x, y, z;
    float u, v;
};

// Buffer vertex of panels and strips: FVF 0x142, 24 bytes.
struct PanelBufferVertex {
    float x, y, z;
    D3DCOLOR diffuse;
    float u, v;
};

const DWORD panelVertexFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
const UINT panelVertexStride = 24;

// Draws `primitiveCount` triangles of a panel-format buffer with the texture
// record's blending, no culling, then restores the device's resting states.
// `depthTest` is the z test during the draw; `wrapU` wraps u (panels do,
// strips scroll their u freely and do not).
void drawPanelTriangles(IDirect3DDevice8* device, IDirect3DVertexBuffer8* buffer,
                        TextureRecord* texture, int primitiveCount, bool depthTest, bool wrapU);

class ShatterPanel {
public:
    IDirect3DDevice8* device;
    PanelVertex* vertices;  // columns x rows, row 0 at the bottom edge
    int32_t* triangles;     // 3 indices per triangle slot
    D3DVECTOR* scatter;     // random flight vector per triangle slot
    D3DCOLOR color;         // diffuse of every output vertex
    int32_t vertexCount;
    int32_t triangleCount;  // slots, two per row left unfilled
    int32_t rows;
    int32_t columns;
    float progress;  // seconds since the break started, 0 = intact
    D3DVECTOR position;
    D3DVECTOR rotation;      // degrees
    TextureRecord* texture;  // not owned
    IDirect3DVertexBuffer8* vertexBuffer;
    bool live;

    ShatterPanel();
    ~ShatterPanel();
    // Frees what it owns in the destructor: never copied.
    ShatterPanel(const ShatterPanel&) = delete;
    ShatterPanel& operator=(const ShatterPanel&) = delete;
    void build(IDirect3DDevice8* panelDevice, float width, float height, int32_t columnCount,
               int32_t rowCount, float depth);
    void update();
    void draw();
};

#endif  // ZELVARO_SCENES_SHATTER_PANEL_H
