// The reference (x87) implementations: the formulas as they stand, with the
// sums formed in double precision as the x87 unit forms them in its wider
// registers. Every other implementation is measured against these.
#include <cmath>
#include <cstring>

#include "math_variants.h"

namespace {

// Every builder starts from the identity and writes its own elements.
void setIdentity(D3DXMATRIX* out) {
    std::memset(out->m, 0, sizeof out->m);
    out->m[0][0] = out->m[1][1] = out->m[2][2] = out->m[3][3] = 1.0f;
}

D3DXMATRIX* WINAPI referenceMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a,
                                           const D3DXMATRIX* b) {
    // formed in a temporary: `out` may be a or b
    float product[4][4];
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += double(a->m[r][k]) * double(b->m[k][c]);
            product[r][c] = float(sum);
        }
    }
    std::memcpy(out->m, product, sizeof product);
    return out;
}

void referenceRow(const float in[4], const D3DXMATRIX* m, float out[4], const char*) {
    for (int c = 0; c < 4; ++c) {
        double sum = 0.0;
        for (int k = 0; k < 4; ++k) sum += double(in[k]) * double(m->m[k][c]);
        out[c] = float(sum);
    }
}

float referenceRsqrt(float s) { return float(1.0 / std::sqrt(double(s))); }

D3DXMATRIX* WINAPI referenceMatrixTranslation(D3DXMATRIX* out, float x, float y, float z) {
    setIdentity(out);
    out->m[3][0] = x;
    out->m[3][1] = y;
    out->m[3][2] = z;
    return out;
}

D3DXMATRIX* WINAPI referenceMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz) {
    setIdentity(out);
    out->m[0][0] = sx;
    out->m[1][1] = sy;
    out->m[2][2] = sz;
    return out;
}

// A rotation in the plane of axes i and j: m[i][i] = m[j][j] = cos a,
// m[i][j] = sin a, m[j][i] = -sin a.
D3DXMATRIX* planeRotation(D3DXMATRIX* out, float angle, int i, int j) {
    const float c = float(std::cos(double(angle)));
    const float s = float(std::sin(double(angle)));
    setIdentity(out);
    out->m[i][i] = c;
    out->m[i][j] = s;
    out->m[j][i] = -s;
    out->m[j][j] = c;
    return out;
}

D3DXMATRIX* WINAPI referenceMatrixRotationX(D3DXMATRIX* out, float angle) {
    return planeRotation(out, angle, 1, 2);
}

D3DXMATRIX* WINAPI referenceMatrixRotationY(D3DXMATRIX* out, float angle) {
    return planeRotation(out, angle, 2, 0);
}

D3DXMATRIX* WINAPI referenceMatrixRotationZ(D3DXMATRIX* out, float angle) {
    return planeRotation(out, angle, 0, 1);
}

D3DXQUATERNION* WINAPI referenceQuaternionMultiply(D3DXQUATERNION* out, const D3DXQUATERNION* q1,
                                                   const D3DXQUATERNION* q2) {
    // q1 first, then q2: the Hamilton product q2 * q1
    const double ax = q2->x, ay = q2->y, az = q2->z, aw = q2->w;
    const double bx = q1->x, by = q1->y, bz = q1->z, bw = q1->w;
    const D3DXQUATERNION product = {
        float(aw * bx + ax * bw + ay * bz - az * by),
        float(aw * by - ax * bz + ay * bw + az * bx),
        float(aw * bz + ax * by - ay * bx + az * bw),
        float(aw * bw - ax * bx - ay * by - az * bz),
    };
    *out = product;
    return out;
}

// The rotation by `angle` about the unit axis (x, y, z).
D3DXQUATERNION axisQuaternion(float x, float y, float z, float angle) {
    const float s = float(std::sin(double(angle) * 0.5));
    return D3DXQUATERNION{x * s, y * s, z * s, float(std::cos(double(angle) * 0.5))};
}

D3DXQUATERNION* WINAPI referenceQuaternionYawPitchRoll(D3DXQUATERNION* out, float yaw,
                                                       float pitch, float roll) {
    const D3DXQUATERNION rollQ = axisQuaternion(0.0f, 0.0f, 1.0f, roll);
    const D3DXQUATERNION pitchQ = axisQuaternion(1.0f, 0.0f, 0.0f, pitch);
    const D3DXQUATERNION yawQ = axisQuaternion(0.0f, 1.0f, 0.0f, yaw);
    D3DXQUATERNION q;
    referenceQuaternionMultiply(&q, &rollQ, &pitchQ);
    referenceQuaternionMultiply(&q, &q, &yawQ);
    *out = q;
    return out;
}

D3DXMATRIX* WINAPI referenceMatrixRotationQuaternion(D3DXMATRIX* out, const D3DXQUATERNION* q) {
    const double x = q->x, y = q->y, z = q->z, w = q->w;
    setIdentity(out);
    out->m[0][0] = float(1.0 - 2.0 * (y * y + z * z));
    out->m[0][1] = float(2.0 * (x * y + z * w));
    out->m[0][2] = float(2.0 * (x * z - y * w));
    out->m[1][0] = float(2.0 * (x * y - z * w));
    out->m[1][1] = float(1.0 - 2.0 * (x * x + z * z));
    out->m[1][2] = float(2.0 * (y * z + x * w));
    out->m[2][0] = float(2.0 * (x * z + y * w));
    out->m[2][1] = float(2.0 * (y * z - x * w));
    out->m[2][2] = float(1.0 - 2.0 * (x * x + y * y));
    return out;
}

D3DXMATRIX* WINAPI referenceMatrixRotationYawPitchRoll(D3DXMATRIX* out, float yaw, float pitch,
                                                       float roll) {
    D3DXQUATERNION q;
    referenceQuaternionYawPitchRoll(&q, yaw, pitch, roll);
    return referenceMatrixRotationQuaternion(out, &q);
}

D3DXMATRIX* WINAPI referenceMatrixInverse(D3DXMATRIX* out, float* determinant,
                                          const D3DXMATRIX* m) {
    double a[4][4];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) a[r][c] = m->m[r][c];

    // 2 x 2 minors of the top two rows (s) and the bottom two rows (t)
    const double s0 = a[0][0] * a[1][1] - a[1][0] * a[0][1];
    const double s1 = a[0][0] * a[1][2] - a[1][0] * a[0][2];
    const double s2 = a[0][0] * a[1][3] - a[1][0] * a[0][3];
    const double s3 = a[0][1] * a[1][2] - a[1][1] * a[0][2];
    const double s4 = a[0][1] * a[1][3] - a[1][1] * a[0][3];
    const double s5 = a[0][2] * a[1][3] - a[1][2] * a[0][3];
    const double t5 = a[2][2] * a[3][3] - a[3][2] * a[2][3];
    const double t4 = a[2][1] * a[3][3] - a[3][1] * a[2][3];
    const double t3 = a[2][1] * a[3][2] - a[3][1] * a[2][2];
    const double t2 = a[2][0] * a[3][3] - a[3][0] * a[2][3];
    const double t1 = a[2][0] * a[3][2] - a[3][0] * a[2][2];
    const double t0 = a[2][0] * a[3][1] - a[3][0] * a[2][1];

    const float det = float(s0 * t5 - s1 * t4 + s2 * t3 + s3 * t2 - s4 * t1 + s5 * t0);
    if (determinant != nullptr) *determinant = det;
    // a zero determinant is turned away before the division
    if (det == 0.0f) return nullptr;
    const float inverseDet = 1.0f / det;
    if (!std::isfinite(inverseDet)) return nullptr;
    const double k = inverseDet;

    float inv[4][4];
    inv[0][0] = float((a[1][1] * t5 - a[1][2] * t4 + a[1][3] * t3) * k);
    inv[0][1] = float((-a[0][1] * t5 + a[0][2] * t4 - a[0][3] * t3) * k);
    inv[0][2] = float((a[3][1] * s5 - a[3][2] * s4 + a[3][3] * s3) * k);
    inv[0][3] = float((-a[2][1] * s5 + a[2][2] * s4 - a[2][3] * s3) * k);
    inv[1][0] = float((-a[1][0] * t5 + a[1][2] * t2 - a[1][3] * t1) * k);
    inv[1][1] = float((a[0][0] * t5 - a[0][2] * t2 + a[0][3] * t1) * k);
    inv[1][2] = float((-a[3][0] * s5 + a[3][2] * s2 - a[3][3] * s1) * k);
    inv[1][3] = float((a[2][0] * s5 - a[2][2] * s2 + a[2][3] * s1) * k);
    inv[2][0] = float((a[1][0] * t4 - a[1][1] * t2 + a[1][3] * t0) * k);
    inv[2][1] = float((-a[0][0] * t4 + a[0][1] * t2 - a[0][3] * t0) * k);
    inv[2][2] = float((a[3][0] * s4 - a[3][1] * s2 + a[3][3] * s0) * k);
    inv[2][3] = float((-a[2][0] * s4 + a[2][1] * s2 - a[2][3] * s0) * k);
    inv[3][0] = float((-a[1][0] * t3 + a[1][1] * t1 - a[1][2] * t0) * k);
    inv[3][1] = float((a[0][0] * t3 - a[0][1] * t1 + a[0][2] * t0) * k);
    inv[3][2] = float((-a[3][0] * s3 + a[3][1] * s1 - a[3][2] * s0) * k);
    inv[3][3] = float((a[2][0] * s3 - a[2][1] * s1 + a[2][2] * s0) * k);
    std::memcpy(out->m, inv, sizeof inv);
    return out;
}

}  // namespace

void mathInstallReference(MathDispatchTable* table) {
    table->coreEntries[mathCoreMatrixMultiply] = mathUntyped(&referenceMatrixMultiply);
    mathInstallVectorFunctions<referenceRow, referenceRsqrt>(table);

    MathFunction* builders = table->builderEntries;
    builders[mathBuilderTranslation] = mathUntyped(&referenceMatrixTranslation);
    builders[mathBuilderScaling] = mathUntyped(&referenceMatrixScaling);
    builders[mathBuilderRotationX] = mathUntyped(&referenceMatrixRotationX);
    builders[mathBuilderRotationY] = mathUntyped(&referenceMatrixRotationY);
    builders[mathBuilderRotationZ] = mathUntyped(&referenceMatrixRotationZ);
    builders[mathBuilderRotationYawPitchRoll] = mathUntyped(&referenceMatrixRotationYawPitchRoll);
    builders[mathBuilderInverse] = mathUntyped(&referenceMatrixInverse);
    builders[mathBuilderQuaternionMultiply] = mathUntyped(&referenceQuaternionMultiply);
    builders[mathBuilderQuaternionYawPitchRoll] = mathUntyped(&referenceQuaternionYawPitchRoll);
    builders[mathBuilderRotationQuaternion] = mathUntyped(&referenceMatrixRotationQuaternion);
}
