// What the implementations of the dispatched functions share: the signature
// of every slot, the installers of each implementation, and the vector
// functions written once over a per-implementation row kernel.
//
// The implementations assume valid pointers; the public functions
// (math_dispatch.cpp) turn away null ones before calling through the table.
#ifndef ZELVARO_MATH_MATH_VARIANTS_H
#define ZELVARO_MATH_MATH_VARIANTS_H

#include "math_dispatch.h"

typedef D3DXMATRIX*(WINAPI* MatrixMultiplyFunction)(D3DXMATRIX*, const D3DXMATRIX*,
                                                    const D3DXMATRIX*);
typedef D3DXVECTOR4*(WINAPI* Vec3TransformFunction)(D3DXVECTOR4*, const D3DXVECTOR3*,
                                                    const D3DXMATRIX*);
typedef D3DXVECTOR3*(WINAPI* Vec3NormalizeFunction)(D3DXVECTOR3*, const D3DXVECTOR3*);
typedef D3DXVECTOR3*(WINAPI* Vec3TransformCoordFunction)(D3DXVECTOR3*, const D3DXVECTOR3*,
                                                         const D3DXMATRIX*);
typedef D3DXVECTOR3*(WINAPI* Vec3TransformNormalFunction)(D3DXVECTOR3*, const D3DXVECTOR3*,
                                                          const D3DXMATRIX*);
typedef D3DXVECTOR4*(WINAPI* Vec2TransformFunction)(D3DXVECTOR4*, const D3DXVECTOR2*,
                                                    const D3DXMATRIX*);
typedef D3DXVECTOR2*(WINAPI* Vec2TransformNormalFunction)(D3DXVECTOR2*, const D3DXVECTOR2*,
                                                          const D3DXMATRIX*);
typedef D3DXVECTOR4*(WINAPI* Vec4TransformFunction)(D3DXVECTOR4*, const D3DXVECTOR4*,
                                                    const D3DXMATRIX*);
typedef D3DXMATRIX*(WINAPI* MatrixTranslationFunction)(D3DXMATRIX*, float, float, float);
typedef D3DXMATRIX*(WINAPI* MatrixScalingFunction)(D3DXMATRIX*, float, float, float);
typedef D3DXMATRIX*(WINAPI* MatrixRotationFunction)(D3DXMATRIX*, float);
typedef D3DXMATRIX*(WINAPI* MatrixYawPitchRollFunction)(D3DXMATRIX*, float, float, float);
typedef D3DXMATRIX*(WINAPI* MatrixInverseFunction)(D3DXMATRIX*, float*, const D3DXMATRIX*);
typedef D3DXQUATERNION*(WINAPI* QuaternionMultiplyFunction)(D3DXQUATERNION*,
                                                            const D3DXQUATERNION*,
                                                            const D3DXQUATERNION*);
typedef D3DXQUATERNION*(WINAPI* QuaternionYawPitchRollFunction)(D3DXQUATERNION*, float, float,
                                                                float);
typedef D3DXMATRIX*(WINAPI* MatrixRotationQuaternionFunction)(D3DXMATRIX*,
                                                              const D3DXQUATERNION*);

// Installers. The reference code fills every used slot of both arrays; the
// fast x87 routines replace the first eight slots of the first array; the
// SSE routines (x86 only) replace multiply, the transforms and normalize and
// return false where the build has none.
void mathInstallReference(MathDispatchTable* table);
void mathInstallFast(MathDispatchTable* table);
bool mathInstallSse(MathDispatchTable* table);

// Makes the next D3DXDebugReport read the profile's "debug" entry again
// (mathResetSelection calls it for tests).
void mathForgetReportLevel();

// A row kernel computes out = (in[0], in[1], in[2], in[3]) * m. `caller`
// names the public function for the kernels that report on their input.
typedef void (*MathRowKernel)(const float in[4], const D3DXMATRIX* m, float out[4],
                              const char* caller);

// A reciprocal square root of a positive, finite or infinite float.
typedef float (*MathRsqrt)(float s);

// The normalisation rule every implementation follows: a squared length of
// exactly 0 gives (0, 0, 0); one within 1e-5 of 1 copies the vector
// unchanged; any other is scaled by the reciprocal square root.
template <MathRsqrt rsqrt>
D3DXVECTOR3* WINAPI mathVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v) {
    const float x = v->x;
    const float y = v->y;
    const float z = v->z;
    const float s = x * x + y * y + z * z;
    if (s == 0.0f) {
        out->x = out->y = out->z = 0.0f;
        return out;
    }
    float d = s - 1.0f;
    if (d < 0.0f) d = -d;
    if (d <= 9.99999975e-06f) {
        out->x = x;
        out->y = y;
        out->z = z;
        return out;
    }
    const float r = rsqrt(s);
    out->x = x * r;
    out->y = y * r;
    out->z = z * r;
    return out;
}

template <MathRowKernel row>
D3DXVECTOR4* WINAPI mathVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v,
                                      const D3DXMATRIX* m) {
    const float in[4] = {v->x, v->y, v->z, 1.0f};
    float r[4];
    row(in, m, r, "D3DXVec3Transform");
    *out = D3DXVECTOR4{r[0], r[1], r[2], r[3]};
    return out;
}

template <MathRowKernel row>
D3DXVECTOR3* WINAPI mathVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v,
                                           const D3DXMATRIX* m) {
    const float in[4] = {v->x, v->y, v->z, 1.0f};
    float r[4];
    row(in, m, r, "D3DXVec3TransformCoord");
    // a point on the eye plane of a projection has w = 0: keep it finite
    const float scale = r[3] != 0.0f ? 1.0f / r[3] : 1.0f;
    out->x = r[0] * scale;
    out->y = r[1] * scale;
    out->z = r[2] * scale;
    return out;
}

template <MathRowKernel row>
D3DXVECTOR3* WINAPI mathVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v,
                                            const D3DXMATRIX* m) {
    const float in[4] = {v->x, v->y, v->z, 0.0f};
    float r[4];
    row(in, m, r, "D3DXVec3TransformNormal");
    out->x = r[0];
    out->y = r[1];
    out->z = r[2];
    return out;
}

template <MathRowKernel row>
D3DXVECTOR4* WINAPI mathVec2Transform(D3DXVECTOR4* out, const D3DXVECTOR2* v,
                                      const D3DXMATRIX* m) {
    const float in[4] = {v->x, v->y, 0.0f, 1.0f};
    float r[4];
    row(in, m, r, "D3DXVec2Transform");
    *out = D3DXVECTOR4{r[0], r[1], r[2], r[3]};
    return out;
}

template <MathRowKernel row>
D3DXVECTOR2* WINAPI mathVec2TransformNormal(D3DXVECTOR2* out, const D3DXVECTOR2* v,
                                            const D3DXMATRIX* m) {
    const float in[4] = {v->x, v->y, 0.0f, 0.0f};
    float r[4];
    row(in, m, r, "D3DXVec2TransformNormal");
    out->x = r[0];
    out->y = r[1];
    return out;
}

template <MathRowKernel row>
D3DXVECTOR4* WINAPI mathVec4Transform(D3DXVECTOR4* out, const D3DXVECTOR4* v,
                                      const D3DXMATRIX* m) {
    const float in[4] = {v->x, v->y, v->z, v->w};
    float r[4];
    row(in, m, r, "D3DXVec4Transform");
    *out = D3DXVECTOR4{r[0], r[1], r[2], r[3]};
    return out;
}

// Puts the transforms built over `row` and the normalize built over `rsqrt`
// into the first array.
template <MathRowKernel row, MathRsqrt rsqrt>
void mathInstallVectorFunctions(MathDispatchTable* table) {
    MathFunction* core = table->coreEntries;
    core[mathCoreVec3Transform] = mathUntyped(&mathVec3Transform<row>);
    core[mathCoreVec3Normalize] = mathUntyped(&mathVec3Normalize<rsqrt>);
    core[mathCoreVec3TransformCoord] = mathUntyped(&mathVec3TransformCoord<row>);
    core[mathCoreVec3TransformNormal] = mathUntyped(&mathVec3TransformNormal<row>);
    core[mathCoreVec2Transform] = mathUntyped(&mathVec2Transform<row>);
    core[mathCoreVec2TransformNormal] = mathUntyped(&mathVec2TransformNormal<row>);
    core[mathCoreVec4Transform] = mathUntyped(&mathVec4Transform<row>);
}

#endif  // ZELVARO_MATH_MATH_VARIANTS_H
