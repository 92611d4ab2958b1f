#include "text_strip.h"

TextStrip::TextStrip()
    : device(nullptr),
      vertices{},
      indices{0, 1, 2, 0, 2, 3},
      color(0x88FFFFFF),
      vertexCount(4),
      triangleCount(2),
      texture(nullptr),
      vertexBuffer(nullptr) {}

TextStrip::~TextStrip() {
    if (vertexBuffer) vertexBuffer->Release();
}

void TextStrip::build(IDirect3DDevice8* stripDevice, float offset, float depth, int32_t axis) {
    device = stripDevice;
    const float high = offset + 0.5f;
    const float low = offset - 0.5f;
    // Corner (along, across): (-100, high), (100, high), (100, low), (-100, low).
    const float along[4] = {-100.0f, 100.0f, 100.0f, -100.0f};
    const float across[4] = {high, high, low, low};
    const float cornerU[4] = {0.0f, 1.0f, 1.0f, 0.0f};
    const float cornerV[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    for (int k = 0; k < 4; ++k) {
        PanelVertex& vertex = vertices[k];
        switch (axis) {
            case 1:
                vertex.x = across[k];
                vertex.y = along[k];
                vertex.z = depth;
                break;
            case 2:
                vertex.x = depth;
                vertex.y = across[k];
                vertex.z = along[k];
                break;
            default:
                vertex.x = along[k];
                vertex.y = across[k];
                vertex.z = depth;
                break;
        }
        vertex.u = cornerU[k];
        vertex.v = cornerV[k];
    }
    if (!vertexBuffer && device &&
        FAILED(device->CreateVertexBuffer(2 * 3 * panelVertexStride, D3DUSAGE_WRITEONLY,
                                          panelVertexFvf, D3DPOOL_DEFAULT, &vertexBuffer)))
        vertexBuffer = nullptr;
    fill(0.0f);
}

void TextStrip::fill(float uOffset) {
    if (!vertexBuffer) return;
    BYTE* bytes = nullptr;
    if (FAILED(vertexBuffer->Lock(0, 0, &bytes, 0)) || !bytes) return;
    PanelBufferVertex* out = reinterpret_cast<PanelBufferVertex*>(bytes);
    for (int i = 0; i < 6; ++i) {
        const PanelVertex& corner = vertices[indices[i]];
        out[i].x = corner.x;
        out[i].y = corner.y;
        out[i].z = corner.z;
        out[i].diffuse = color;
        out[i].u = uOffset + corner.u;
        out[i].v = corner.v;
    }
    vertexBuffer->Unlock();
}

void TextStrip::draw() {
    drawPanelTriangles(device, vertexBuffer, texture, triangleCount, false, false);
}
