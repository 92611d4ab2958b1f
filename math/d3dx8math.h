// Matrix and vector functions with the D3DX names and argument orders.
//
// Matrices are row-major 4 x 4 floats with the row-vector convention: a point
// transforms as p' = p * M, so A * B applies A first. Left-handed. Every
// function returns its output pointer, or null when a required pointer is
// null; the output may alias any input.
#ifndef ZELVARO_MATH_D3DX8MATH_H
#define ZELVARO_MATH_D3DX8MATH_H

#include <d3d8.h>

struct D3DXVECTOR2 {
    float x;
    float y;
};

struct D3DXVECTOR3 : D3DVECTOR {
    D3DXVECTOR3() = default;
    D3DXVECTOR3(float x0, float y0, float z0) : D3DVECTOR{x0, y0, z0} {}
};

struct D3DXVECTOR4 {
    float x;
    float y;
    float z;
    float w;
};

struct D3DXQUATERNION {
    float x;
    float y;
    float z;
    float w;
};

struct D3DXMATRIX : D3DMATRIX {
    D3DXMATRIX() = default;
    float& operator()(UINT row, UINT col) { return m[row][col]; }
    float operator()(UINT row, UINT col) const { return m[row][col]; }
};

D3DXMATRIX* WINAPI D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b);
D3DXMATRIX* WINAPI D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z);
D3DXMATRIX* WINAPI D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz);
D3DXMATRIX* WINAPI D3DXMatrixRotationX(D3DXMATRIX* out, float angle);
D3DXMATRIX* WINAPI D3DXMatrixRotationY(D3DXMATRIX* out, float angle);
D3DXMATRIX* WINAPI D3DXMatrixRotationZ(D3DXMATRIX* out, float angle);
D3DXMATRIX* WINAPI D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* out, float yaw, float pitch,
                                                  float roll);
D3DXMATRIX* WINAPI D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye,
                                      const D3DXVECTOR3* at, const D3DXVECTOR3* up);
D3DXMATRIX* WINAPI D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovy, float aspect, float zn,
                                              float zf);
D3DXMATRIX* WINAPI D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* m);
D3DXVECTOR3* WINAPI D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v);
D3DXVECTOR4* WINAPI D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v, const D3DXMATRIX* m);

// (x, y, z, 1) * m divided by the resulting w (a zero w leaves the division out).
D3DXVECTOR3* WINAPI D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v,
                                           const D3DXMATRIX* m);
// (x, y, z, 0) * m: directions and normals, translation ignored.
D3DXVECTOR3* WINAPI D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v,
                                            const D3DXMATRIX* m);
// (x, y, 0, 1) * m, all four components kept.
D3DXVECTOR4* WINAPI D3DXVec2Transform(D3DXVECTOR4* out, const D3DXVECTOR2* v, const D3DXMATRIX* m);
// (x, y, 0, 0) * m, first two components.
D3DXVECTOR2* WINAPI D3DXVec2TransformNormal(D3DXVECTOR2* out, const D3DXVECTOR2* v,
                                            const D3DXMATRIX* m);
// (x, y, z, w) * m.
D3DXVECTOR4* WINAPI D3DXVec4Transform(D3DXVECTOR4* out, const D3DXVECTOR4* v, const D3DXMATRIX* m);

// Quaternions rotate like the matrices: D3DXQuaternionMultiply(out, q1, q2)
// is the rotation q1 followed by q2.
D3DXQUATERNION* WINAPI D3DXQuaternionMultiply(D3DXQUATERNION* out, const D3DXQUATERNION* q1,
                                              const D3DXQUATERNION* q2);
// Roll about Z, then pitch about X, then yaw about Y.
D3DXQUATERNION* WINAPI D3DXQuaternionRotationYawPitchRoll(D3DXQUATERNION* out, float yaw,
                                                          float pitch, float roll);
D3DXMATRIX* WINAPI D3DXMatrixRotationQuaternion(D3DXMATRIX* out, const D3DXQUATERNION* q);

inline D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out) {
    if (out == nullptr) return nullptr;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out->m[r][c] = r == c ? 1.0f : 0.0f;
    return out;
}

// The D3DX reporting routine: writes "D3DX: <message>\r\n" to the debugger
// output when the "debug" entry of the "Direct3D" profile section is at least
// `level`. printf-style.
void D3DXDebugReport(UINT level, const char* format, ...);

#endif  // ZELVARO_MATH_D3DX8MATH_H
