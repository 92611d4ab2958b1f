// One long thin strip of scrolling text in the lattice of scene 10: a
// 200 x 1 quad along x, y or z whose u coordinates slide with the scroll.
#ifndef ZELVARO_SCENES_TEXT_STRIP_H
#define ZELVARO_SCENES_TEXT_STRIP_H

#include <d3d8.h>

#include <cstdint>

#include "shatter_panel.h"

struct TextureRecord;

class TextStrip {
public:
    IDirect3DDevice8* device;
    PanelVertex vertices[4];  // corners with u, v (0, 0), (1, 0), (1, 1), (0, 1)
    int32_t indices[6];       // two triangles: 0, 1, 2 and 0, 2, 3
    D3DCOLOR color;
    int32_t vertexCount;
    int32_t triangleCount;
    TextureRecord* texture;  // not owned
    IDirect3DVertexBuffer8* vertexBuffer;

    TextStrip();
    ~TextStrip();
    // Frees what it owns in the destructor: never copied.
    TextStrip(const TextStrip&) = delete;
    TextStrip& operator=(const TextStrip&) = delete;
    // axis 0: along x, 1: along y, 2: along z; the strip is one unit wide
    // around `offset` and lies at `depth` on the remaining axis.
    void build(IDirect3DDevice8* stripDevice, float offset, float depth, int32_t axis);
    void fill(float uOffset);
    void draw();
};

#endif  // ZELVARO_SCENES_TEXT_STRIP_H
