// The dispatch table, its first-call stubs, the choice of implementation
// and the public dispatched functions.
#include "math_dispatch.h"

#include <windows.h>

#include "direct3d_switches.h"
#include "math_variants.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace {

// A first-call stub: chooses the implementation, then forwards the call to
// the entry that the choice installed in the same slot.
template <int slot, typename Result, typename... Arguments>
Result WINAPI coreStub(Arguments... arguments) {
    mathSelectImplementation();
    typedef Result(WINAPI * Function)(Arguments...);
    return mathEntry<Function>(mathDispatchTable.coreEntries[slot])(arguments...);
}

template <int slot, typename Result, typename... Arguments>
Result WINAPI builderStub(Arguments... arguments) {
    mathSelectImplementation();
    typedef Result(WINAPI * Function)(Arguments...);
    return mathEntry<Function>(mathDispatchTable.builderEntries[slot])(arguments...);
}

#define ZELVARO_CORE_STUB(slot, result, ...) \
    reinterpret_cast<MathFunction>(&coreStub<slot, result, __VA_ARGS__>)
#define ZELVARO_BUILDER_STUB(slot, result, ...) \
    reinterpret_cast<MathFunction>(&builderStub<slot, result, __VA_ARGS__>)

// The table as it is before the first call; written back by mathResetSelection.
const MathDispatchTable unchosenTable = {
    {
        ZELVARO_CORE_STUB(mathCoreMatrixMultiply, D3DXMATRIX*, D3DXMATRIX*, const D3DXMATRIX*,
                          const D3DXMATRIX*),
        ZELVARO_CORE_STUB(mathCoreVec3Transform, D3DXVECTOR4*, D3DXVECTOR4*, const D3DXVECTOR3*,
                          const D3DXMATRIX*),
        ZELVARO_CORE_STUB(mathCoreVec3Normalize, D3DXVECTOR3*, D3DXVECTOR3*, const D3DXVECTOR3*),
        ZELVARO_CORE_STUB(mathCoreVec3TransformCoord, D3DXVECTOR3*, D3DXVECTOR3*,
                          const D3DXVECTOR3*, const D3DXMATRIX*),
        ZELVARO_CORE_STUB(mathCoreVec3TransformNormal, D3DXVECTOR3*, D3DXVECTOR3*,
                          const D3DXVECTOR3*, const D3DXMATRIX*),
        ZELVARO_CORE_STUB(mathCoreVec2Transform, D3DXVECTOR4*, D3DXVECTOR4*, const D3DXVECTOR2*,
                          const D3DXMATRIX*),
        ZELVARO_CORE_STUB(mathCoreVec2TransformNormal, D3DXVECTOR2*, D3DXVECTOR2*,
                          const D3DXVECTOR2*, const D3DXMATRIX*),
        ZELVARO_CORE_STUB(mathCoreVec4Transform, D3DXVECTOR4*, D3DXVECTOR4*, const D3DXVECTOR4*,
                          const D3DXMATRIX*),
    },
    {
        ZELVARO_BUILDER_STUB(mathBuilderTranslation, D3DXMATRIX*, D3DXMATRIX*, float, float,
                             float),
        ZELVARO_BUILDER_STUB(mathBuilderScaling, D3DXMATRIX*, D3DXMATRIX*, float, float, float),
        ZELVARO_BUILDER_STUB(mathBuilderRotationX, D3DXMATRIX*, D3DXMATRIX*, float),
        ZELVARO_BUILDER_STUB(mathBuilderRotationY, D3DXMATRIX*, D3DXMATRIX*, float),
        ZELVARO_BUILDER_STUB(mathBuilderRotationZ, D3DXMATRIX*, D3DXMATRIX*, float),
        ZELVARO_BUILDER_STUB(mathBuilderRotationYawPitchRoll, D3DXMATRIX*, D3DXMATRIX*, float,
                             float, float),
        ZELVARO_BUILDER_STUB(mathBuilderInverse, D3DXMATRIX*, D3DXMATRIX*, float*,
                             const D3DXMATRIX*),
        ZELVARO_BUILDER_STUB(mathBuilderQuaternionMultiply, D3DXQUATERNION*, D3DXQUATERNION*,
                             const D3DXQUATERNION*, const D3DXQUATERNION*),
        ZELVARO_BUILDER_STUB(mathBuilderQuaternionYawPitchRoll, D3DXQUATERNION*,
                             D3DXQUATERNION*, float, float, float),
        ZELVARO_BUILDER_STUB(mathBuilderRotationQuaternion, D3DXMATRIX*, D3DXMATRIX*,
                             const D3DXQUATERNION*),
    },
    mathImplementationUnchosen,
};

#undef ZELVARO_CORE_STUB
#undef ZELVARO_BUILDER_STUB

// ---------------------------------------------------------------- processor features

// EDX of a CPUID leaf; 0 where the leaf (or CPUID) does not exist.
DWORD cpuidEdx(unsigned int leaf) {
#if defined(__x86_64__) || defined(__i386__)
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(leaf, &eax, &ebx, &ecx, &edx) == 0) return 0;
    return edx;
#else
    (void)leaf;
    return 0;
#endif
}

const DWORD cpuidSse = 1u << 25;
const DWORD cpuidSse2 = 1u << 26;
const DWORD cpuidExtended3DNow = 1u << 31;

struct ProcessorFeatures {
    bool has3DNow;
    bool hasSse2;
    bool hasSse;
};

// On NT the system is asked for SSE and 3DNow!, CPUID for SSE2. On the 9x
// line SSE and SSE2 count only from 4.10 build 1373 on, where the system
// saves the wider registers. Any other platform gets no variant.
ProcessorFeatures detectProcessorFeatures() {
    ProcessorFeatures features = {false, false, false};
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return features;

    switch (version.dwPlatformId) {
        case VER_PLATFORM_WIN32_NT:
            features.hasSse2 = (cpuidEdx(1) & cpuidSse2) != 0;
            features.hasSse = IsProcessorFeaturePresent(PF_XMMI_INSTRUCTIONS_AVAILABLE) != 0;
            features.has3DNow = IsProcessorFeaturePresent(PF_3DNOW_INSTRUCTIONS_AVAILABLE) != 0;
            break;
        case VER_PLATFORM_WIN32_WINDOWS: {
            const DWORD build = version.dwBuildNumber & 0xFFFF;
            const bool savesWideRegisters =
                version.dwMajorVersion > 4 ||
                (version.dwMajorVersion == 4 &&
                 (version.dwMinorVersion > 10 || (version.dwMinorVersion == 10 && build >= 1373)));
            if (savesWideRegisters) {
                const DWORD edx = cpuidEdx(1);
                features.hasSse = (edx & cpuidSse) != 0;
                features.hasSse2 = (edx & cpuidSse2) != 0;
            }
            // cpuidEdx gives 0 when leaf 0x80000001 is past the highest extended leaf
            features.has3DNow = (cpuidEdx(0x80000001u) & cpuidExtended3DNow) != 0;
            break;
        }
        default:
            break;
    }
    return features;
}

// ---------------------------------------------------------------- registry switches

// "DisablePSGP", replaced by "DisableD3DXPSGP" when that one is present.
DWORD readDisableSwitch() {
    HKEY key = nullptr;
    if (!openDirect3DKey(&key)) return 0;
    DWORD disable = 0;
    if (!readDirect3DSwitch(key, "DisablePSGP", &disable)) disable = 0;
    readDirect3DSwitch(key, "DisableD3DXPSGP", &disable);
    RegCloseKey(key);
    return disable;
}

}  // namespace

MathDispatchTable mathDispatchTable = unchosenTable;

int mathSelectImplementation() {
    MathDispatchTable& table = mathDispatchTable;
    if (table.mathImplementation != mathImplementationUnchosen) return table.mathImplementation;

    // reference code everywhere, the fast x87 routines in the first eight
    // slots, on every processor
    table.mathImplementation = mathImplementationX87;
    mathInstallReference(&table);
    mathInstallFast(&table);

    if (readDisableSwitch() == 1) {
        D3DXDebugReport(0, "(INFO) CPU optimization disabled. Using x87 Instructions");
        return table.mathImplementation;
    }

    // 3DNow! comes first in the order, but this build has no routines for it:
    // a processor with 3DNow! goes on to the SSE2 and SSE tests.
    const ProcessorFeatures features = detectProcessorFeatures();
    if (features.hasSse2 && mathInstallSse(&table)) {
        table.mathImplementation = mathImplementationSSE2;
        D3DXDebugReport(0, "(INFO) Using SSE2 Instructions");
    } else if (features.hasSse && mathInstallSse(&table)) {
        table.mathImplementation = mathImplementationSSE;
        D3DXDebugReport(0, "(INFO) Using SSE Instructions");
    } else {
        D3DXDebugReport(0, "(INFO) Using x87 Instructions");
    }
    return table.mathImplementation;
}

void mathResetSelection() {
    mathDispatchTable = unchosenTable;
    mathForgetReportLevel();
}

// ---------------------------------------------------------------- dispatched functions

namespace {

template <typename Function>
Function coreEntry(MathCoreSlot slot) {
    return mathEntry<Function>(mathDispatchTable.coreEntries[slot]);
}

template <typename Function>
Function builderEntry(MathBuilderSlot slot) {
    return mathEntry<Function>(mathDispatchTable.builderEntries[slot]);
}

}  // namespace

D3DXMATRIX* WINAPI D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
    if (out == nullptr || a == nullptr || b == nullptr) return nullptr;
    return coreEntry<MatrixMultiplyFunction>(mathCoreMatrixMultiply)(out, a, b);
}

D3DXVECTOR4* WINAPI D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v,
                                      const D3DXMATRIX* m) {
    if (out == nullptr || v == nullptr || m == nullptr) return nullptr;
    return coreEntry<Vec3TransformFunction>(mathCoreVec3Transform)(out, v, m);
}

D3DXVECTOR3* WINAPI D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v) {
    if (out == nullptr || v == nullptr) return nullptr;
    return coreEntry<Vec3NormalizeFunction>(mathCoreVec3Normalize)(out, v);
}

D3DXVECTOR3* WINAPI D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v,
                                           const D3DXMATRIX* m) {
    if (out == nullptr || v == nullptr || m == nullptr) return nullptr;
    return coreEntry<Vec3TransformCoordFunction>(mathCoreVec3TransformCoord)(out, v, m);
}

D3DXVECTOR3* WINAPI D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v,
                                            const D3DXMATRIX* m) {
    if (out == nullptr || v == nullptr || m == nullptr) return nullptr;
    return coreEntry<Vec3TransformNormalFunction>(mathCoreVec3TransformNormal)(out, v, m);
}

D3DXVECTOR4* WINAPI D3DXVec2Transform(D3DXVECTOR4* out, const D3DXVECTOR2* v,
                                      const D3DXMATRIX* m) {
    if (out == nullptr || v == nullptr || m == nullptr) return nullptr;
    return coreEntry<Vec2TransformFunction>(mathCoreVec2Transform)(out, v, m);
}

D3DXVECTOR2* WINAPI D3DXVec2TransformNormal(D3DXVECTOR2* out, const D3DXVECTOR2* v,
                                            const D3DXMATRIX* m) {
    if (out == nullptr || v == nullptr || m == nullptr) return nullptr;
    return coreEntry<Vec2TransformNormalFunction>(mathCoreVec2TransformNormal)(out, v, m);
}

D3DXVECTOR4* WINAPI D3DXVec4Transform(D3DXVECTOR4* out, const D3DXVECTOR4* v,
                                      const D3DXMATRIX* m) {
    if (out == nullptr || v == nullptr || m == nullptr) return nullptr;
    return coreEntry<Vec4TransformFunction>(mathCoreVec4Transform)(out, v, m);
}

D3DXMATRIX* WINAPI D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z) {
    if (out == nullptr) return nullptr;
    return builderEntry<MatrixTranslationFunction>(mathBuilderTranslation)(out, x, y, z);
}

D3DXMATRIX* WINAPI D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz) {
    if (out == nullptr) return nullptr;
    return builderEntry<MatrixScalingFunction>(mathBuilderScaling)(out, sx, sy, sz);
}

D3DXMATRIX* WINAPI D3DXMatrixRotationX(D3DXMATRIX* out, float angle) {
    if (out == nullptr) return nullptr;
    return builderEntry<MatrixRotationFunction>(mathBuilderRotationX)(out, angle);
}

D3DXMATRIX* WINAPI D3DXMatrixRotationY(D3DXMATRIX* out, float angle) {
    if (out == nullptr) return nullptr;
    return builderEntry<MatrixRotationFunction>(mathBuilderRotationY)(out, angle);
}

D3DXMATRIX* WINAPI D3DXMatrixRotationZ(D3DXMATRIX* out, float angle) {
    if (out == nullptr) return nullptr;
    return builderEntry<MatrixRotationFunction>(mathBuilderRotationZ)(out, angle);
}

D3DXMATRIX* WINAPI D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* out, float yaw, float pitch,
                                                  float roll) {
    if (out == nullptr) return nullptr;
    return builderEntry<MatrixYawPitchRollFunction>(mathBuilderRotationYawPitchRoll)(out, yaw,
                                                                                     pitch, roll);
}

D3DXMATRIX* WINAPI D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* m) {
    if (out == nullptr || m == nullptr) return nullptr;
    return builderEntry<MatrixInverseFunction>(mathBuilderInverse)(out, determinant, m);
}

D3DXQUATERNION* WINAPI D3DXQuaternionMultiply(D3DXQUATERNION* out, const D3DXQUATERNION* q1,
                                              const D3DXQUATERNION* q2) {
    if (out == nullptr || q1 == nullptr || q2 == nullptr) return nullptr;
    return builderEntry<QuaternionMultiplyFunction>(mathBuilderQuaternionMultiply)(out, q1, q2);
}

D3DXQUATERNION* WINAPI D3DXQuaternionRotationYawPitchRoll(D3DXQUATERNION* out, float yaw,
                                                          float pitch, float roll) {
    if (out == nullptr) return nullptr;
    return builderEntry<QuaternionYawPitchRollFunction>(mathBuilderQuaternionYawPitchRoll)(
        out, yaw, pitch, roll);
}

D3DXMATRIX* WINAPI D3DXMatrixRotationQuaternion(D3DXMATRIX* out, const D3DXQUATERNION* q) {
    if (out == nullptr || q == nullptr) return nullptr;
    return builderEntry<MatrixRotationQuaternionFunction>(mathBuilderRotationQuaternion)(out, q);
}
