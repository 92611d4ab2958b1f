#include "d3d8_wrap.h"

#include <cstring>

namespace {

void wrapComponent(BYTE* vertices, size_t first, UINT count, UINT stride, UINT offset) {
    float values[3];
    float largest = -1e30f;
    for (UINT k = 0; k < count; ++k) {
        std::memcpy(&values[k], vertices + (first + k) * stride + offset, sizeof(float));
        if (values[k] > largest) largest = values[k];
    }
    for (UINT k = 0; k < count; ++k) {
        if (largest - values[k] > 0.5f) {
            const float moved = values[k] + 1.0f;
            std::memcpy(vertices + (first + k) * stride + offset, &moved, sizeof(float));
        }
    }
}

}  // namespace

void d3d8WrapTexCoords(BYTE* vertices, size_t vertexCount, UINT stride, UINT texCoordOffset, DWORD wrapBits,
                       UINT verticesPerPrimitive, UINT firstVertex) {
    if (verticesPerPrimitive < 2 || verticesPerPrimitive > 3) return;
    size_t start = firstVertex % verticesPerPrimitive;
    for (size_t first = start; first + verticesPerPrimitive <= vertexCount; first += verticesPerPrimitive) {
        if (wrapBits & D3DWRAP_U) wrapComponent(vertices, first, verticesPerPrimitive, stride, texCoordOffset);
        if (wrapBits & D3DWRAP_V) wrapComponent(vertices, first, verticesPerPrimitive, stride, texCoordOffset + 4);
    }
}
