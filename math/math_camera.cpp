// The camera builders: view (look-at) and projection matrices. Plain
// functions, not dispatched; the look-at normalises through the dispatched
// D3DXVec3Normalize.
#include <cmath>

#include "d3dx8math.h"

namespace {

D3DXVECTOR3 cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return D3DXVECTOR3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

float dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

}  // namespace

D3DXMATRIX* WINAPI D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye,
                                      const D3DXVECTOR3* at, const D3DXVECTOR3* up) {
    if (out == nullptr || eye == nullptr || at == nullptr || up == nullptr) return nullptr;
    // the inputs are copied before `out` is written
    const D3DXVECTOR3 eyePosition = *eye;
    D3DXVECTOR3 zAxis(at->x - eye->x, at->y - eye->y, at->z - eye->z);
    D3DXVec3Normalize(&zAxis, &zAxis);
    D3DXVECTOR3 xAxis = cross(*up, zAxis);
    D3DXVec3Normalize(&xAxis, &xAxis);
    const D3DXVECTOR3 yAxis = cross(zAxis, xAxis);

    out->m[0][0] = xAxis.x;
    out->m[0][1] = yAxis.x;
    out->m[0][2] = zAxis.x;
    out->m[0][3] = 0.0f;
    out->m[1][0] = xAxis.y;
    out->m[1][1] = yAxis.y;
    out->m[1][2] = zAxis.y;
    out->m[1][3] = 0.0f;
    out->m[2][0] = xAxis.z;
    out->m[2][1] = yAxis.z;
    out->m[2][2] = zAxis.z;
    out->m[2][3] = 0.0f;
    out->m[3][0] = -dot(xAxis, eyePosition);
    out->m[3][1] = -dot(yAxis, eyePosition);
    out->m[3][2] = -dot(zAxis, eyePosition);
    out->m[3][3] = 1.0f;
    return out;
}

D3DXMATRIX* WINAPI D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovy, float aspect, float zn,
                                              float zf) {
    if (out == nullptr) return nullptr;
    const float half = fovy * 0.5f;
    const float yScale = std::cos(half) / std::sin(half);
    const float depthScale = zf / (zf - zn);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out->m[r][c] = 0.0f;
    out->m[0][0] = yScale / aspect;
    out->m[1][1] = yScale;
    out->m[2][2] = depthScale;
    out->m[2][3] = 1.0f;
    out->m[3][2] = -zn * depthScale;
    return out;
}
