// The fast x87 routines: matrix multiply, the vector transforms and the
// vector normalize written out in single precision, the normalize with a
// table-driven reciprocal square root. They replace the first eight entries
// of the first array on every processor.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "math_variants.h"

namespace {

D3DXMATRIX* WINAPI fastMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
    // formed in a temporary: `out` may be a or b
    float p[4][4];
    for (int r = 0; r < 4; ++r) {
        const float a0 = a->m[r][0];
        const float a1 = a->m[r][1];
        const float a2 = a->m[r][2];
        const float a3 = a->m[r][3];
        p[r][0] = a0 * b->m[0][0] + a1 * b->m[1][0] + a2 * b->m[2][0] + a3 * b->m[3][0];
        p[r][1] = a0 * b->m[0][1] + a1 * b->m[1][1] + a2 * b->m[2][1] + a3 * b->m[3][1];
        p[r][2] = a0 * b->m[0][2] + a1 * b->m[1][2] + a2 * b->m[2][2] + a3 * b->m[3][2];
        p[r][3] = a0 * b->m[0][3] + a1 * b->m[1][3] + a2 * b->m[2][3] + a3 * b->m[3][3];
    }
    std::memcpy(out->m, p, sizeof p);
    return out;
}

void fastRow(const float in[4], const D3DXMATRIX* m, float out[4], const char*) {
    const float x = in[0], y = in[1], z = in[2], w = in[3];
    out[0] = x * m->m[0][0] + y * m->m[1][0] + z * m->m[2][0] + w * m->m[3][0];
    out[1] = x * m->m[0][1] + y * m->m[1][1] + z * m->m[2][1] + w * m->m[3][1];
    out[2] = x * m->m[0][2] + y * m->m[1][2] + z * m->m[2][2] + w * m->m[3][2];
    out[3] = x * m->m[0][3] + y * m->m[1][3] + z * m->m[2][3] + w * m->m[3][3];
}

// 1 / sqrt(g) for g in [0.5, 2) as 512 linear pieces. A float s = f * 2^e
// with f in [1, 2) is rewritten as g * 4^k: g = f when e is even, g = f / 2
// when e is odd. The piece is picked by the lowest exponent bit and the top
// eight significand bits; 1 / sqrt(s) = (base + slope * g) * 2^-k.
struct RsqrtPieces {
    float base[512];
    float slope[512];
};

// Filled when the fast routines are installed, before any of them runs.
RsqrtPieces rsqrtPieces;

void fillRsqrtPieces(RsqrtPieces& pieces) {
    for (int index = 0; index < 512; ++index) {
        const bool oddExponent = (index & 256) != 0;
        const double width = oddExponent ? 1.0 / 512.0 : 1.0 / 256.0;
        const double start = (oddExponent ? 0.5 : 1.0) + (index & 255) * width;
        const double end = start + width;
        const double atStart = 1.0 / std::sqrt(start);
        const double atEnd = 1.0 / std::sqrt(end);
        const double slope = (atEnd - atStart) / width;
        // the chord lies above the convex curve: lower it by half its
        // distance at the middle of the piece to halve the largest error
        const double middle = start + width * 0.5;
        const double sag = (atStart + atEnd) * 0.5 - 1.0 / std::sqrt(middle);
        pieces.slope[index] = float(slope);
        pieces.base[index] = float(atStart - slope * start - sag * 0.5);
    }
}

float fastRsqrt(float s) {
    if (!std::isnormal(s)) return float(1.0 / std::sqrt(double(s)));
    uint32_t bits;
    std::memcpy(&bits, &s, sizeof bits);
    const int exponent = int((bits >> 23) & 0xFF) - 127;
    const uint32_t lowExponentBit = uint32_t(exponent) & 1u;
    const uint32_t index = (lowExponentBit << 8) | ((bits >> 15) & 0xFF);
    // significand with the exponent of 1 (even) or 1/2 (odd)
    const uint32_t scaledBits = (bits & 0x007FFFFFu) | (lowExponentBit ? 0x3F000000u : 0x3F800000u);
    float g;
    std::memcpy(&g, &scaledBits, sizeof g);
    const int halfExponent = (exponent + int(lowExponentBit)) / 2;
    const float r = rsqrtPieces.base[index] + rsqrtPieces.slope[index] * g;
    return std::ldexp(r, -halfExponent);
}

}  // namespace

void mathInstallFast(MathDispatchTable* table) {
    fillRsqrtPieces(rsqrtPieces);
    table->coreEntries[mathCoreMatrixMultiply] = mathUntyped(&fastMatrixMultiply);
    mathInstallVectorFunctions<fastRow, fastRsqrt>(table);
}
