// The environment map: the second texture-coordinate set from the vertex
// normals turned by the object's own rotation (sphere-map style).
#include "d3dx8math.h"

#include "mesh_object.h"

void MeshObject::applyEnvironmentMap(Vertex* source) {
    const Vertex* normalsFrom = vertices;
    if (source != nullptr) {
        // the deformed positions get fresh normals, with the object's own triangles
        computeNormals(source);
        normalsFrom = source;
    }

    // only the y angle is negated: the reflection turns against the mesh about y
    const float toRadians = 0.017453292f;  // pi / 180
    alignas(16) D3DXMATRIX turn;
    alignas(16) D3DXMATRIX step;
    D3DXMatrixRotationY(&turn, -rotation.y * toRadians);
    D3DXMatrixRotationX(&step, rotation.x * toRadians);
    D3DXMatrixMultiply(&turn, &turn, &step);
    D3DXMatrixRotationZ(&step, rotation.z * toRadians);
    D3DXMatrixMultiply(&turn, &turn, &step);

    if (vertexBuffer == nullptr || normalsFrom == nullptr) {
        return;
    }
    BYTE* data = nullptr;
    if (FAILED(vertexBuffer->Lock(0, 0, &data, 0)) || data == nullptr) {
        return;
    }
    lockCursor = reinterpret_cast<TexturedBufferVertex*>(data);
    for (int32_t t = 0; t < triangleCount; ++t) {
        const int32_t corners[3] = {triangles[t].i0, triangles[t].i1, triangles[t].i2};
        for (int32_t corner : corners) {
            const Vertex& v = normalsFrom[corner];
            const D3DXVECTOR3 normal(v.nx, v.ny, v.nz);
            D3DXVECTOR4 turned;
            D3DXVec3Transform(&turned, &normal, &turn);
            lockCursor->tu1 = (turned.x + 1.0f) * 0.5f;
            lockCursor->tv1 = (turned.y + 1.0f) * 0.5f;
            lockCursor->diffuse = color;
            ++lockCursor;
        }
    }
    vertexBuffer->Unlock();
}
