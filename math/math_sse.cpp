// The SSE routines: matrix multiply, the vector transforms and the vector
// normalize with SSE intrinsics. They use SSE instructions only, so one set
// serves both the SSE2 and the SSE selection. Matrices are read unaligned;
// a matrix whose address is not a multiple of 16 still gives the right
// result, with a warning at report level 3.
#include <cfloat>
#include <cmath>
#include <cstdint>

#include "math_variants.h"

#if defined(__x86_64__) || defined(__i386__)

#include <xmmintrin.h>

// On 32-bit builds SSE is not part of the base instruction set: these
// functions are compiled for it and reached only when the processor has it.
#if defined(__i386__)
#define ZELVARO_SSE_TARGET __attribute__((target("sse")))
#else
#define ZELVARO_SSE_TARGET
#endif

namespace {

bool isAligned16(const void* address) { return (reinterpret_cast<uintptr_t>(address) & 15u) == 0; }

// (x, y, z, w) * m as four broadcasts and a sum of the scaled rows.
ZELVARO_SSE_TARGET inline __m128 sseRowTimesMatrix(__m128 row, const D3DXMATRIX* m) {
    const __m128 x = _mm_shuffle_ps(row, row, _MM_SHUFFLE(0, 0, 0, 0));
    const __m128 y = _mm_shuffle_ps(row, row, _MM_SHUFFLE(1, 1, 1, 1));
    const __m128 z = _mm_shuffle_ps(row, row, _MM_SHUFFLE(2, 2, 2, 2));
    const __m128 w = _mm_shuffle_ps(row, row, _MM_SHUFFLE(3, 3, 3, 3));
    __m128 sum = _mm_mul_ps(x, _mm_loadu_ps(m->m[0]));
    sum = _mm_add_ps(sum, _mm_mul_ps(y, _mm_loadu_ps(m->m[1])));
    sum = _mm_add_ps(sum, _mm_mul_ps(z, _mm_loadu_ps(m->m[2])));
    sum = _mm_add_ps(sum, _mm_mul_ps(w, _mm_loadu_ps(m->m[3])));
    return sum;
}

ZELVARO_SSE_TARGET D3DXMATRIX* WINAPI sseMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a,
                                                        const D3DXMATRIX* b) {
    if (!isAligned16(out) || !isAligned16(a) || !isAligned16(b))
        D3DXDebugReport(3, "Matrices should be 16-byte aligned for optimized D3DXMatrixMultiply");
    // every row of a is read before the first store: `out` may be a or b
    const __m128 r0 = sseRowTimesMatrix(_mm_loadu_ps(a->m[0]), b);
    const __m128 r1 = sseRowTimesMatrix(_mm_loadu_ps(a->m[1]), b);
    const __m128 r2 = sseRowTimesMatrix(_mm_loadu_ps(a->m[2]), b);
    const __m128 r3 = sseRowTimesMatrix(_mm_loadu_ps(a->m[3]), b);
    _mm_storeu_ps(out->m[0], r0);
    _mm_storeu_ps(out->m[1], r1);
    _mm_storeu_ps(out->m[2], r2);
    _mm_storeu_ps(out->m[3], r3);
    return out;
}

ZELVARO_SSE_TARGET void sseRow(const float in[4], const D3DXMATRIX* m, float out[4],
                               const char* caller) {
    if (!isAligned16(m))
        D3DXDebugReport(3, "Matrix should be 16-byte aligned for optimized %s", caller);
    // built from the four floats: the callers assemble `in` from separate
    // components, and a 16-byte reload of them would stall
    const __m128 row = _mm_setr_ps(in[0], in[1], in[2], in[3]);
    _mm_storeu_ps(out, sseRowTimesMatrix(row, m));
}

// The processor's 12-bit estimate refined by one Newton step:
// r' = r * (1.5 - 0.5 * s * r * r). The estimate takes denormal squared
// lengths (vectors shorter than about 1e-19) for 0, so those are worked out
// exactly, and so is an infinite one.
ZELVARO_SSE_TARGET float sseRsqrt(float s) {
    if (!(s >= FLT_MIN && s <= FLT_MAX)) return float(1.0 / std::sqrt(double(s)));
    const __m128 value = _mm_set_ss(s);
    const __m128 estimate = _mm_rsqrt_ss(value);
    const __m128 halfValue = _mm_mul_ss(value, _mm_set_ss(0.5f));
    const __m128 square = _mm_mul_ss(estimate, estimate);
    const __m128 step = _mm_sub_ss(_mm_set_ss(1.5f), _mm_mul_ss(halfValue, square));
    return _mm_cvtss_f32(_mm_mul_ss(estimate, step));
}

}  // namespace

bool mathInstallSse(MathDispatchTable* table) {
    table->coreEntries[mathCoreMatrixMultiply] = mathUntyped(&sseMatrixMultiply);
    mathInstallVectorFunctions<sseRow, sseRsqrt>(table);
    return true;
}

#else

bool mathInstallSse(MathDispatchTable*) { return false; }

#endif
