// The dispatch table behind the D3DX math functions.
//
// Every dispatched function calls through one entry of this table. The
// entries start out at first-call stubs; whichever dispatched function runs
// first chooses the implementation for the processor (mathSelectImplementation)
// and the stub forwards its call to the entry just installed. The table is
// chosen once and never changes afterwards (mathResetSelection exists for
// tests only).
#ifndef ZELVARO_MATH_MATH_DISPATCH_H
#define ZELVARO_MATH_MATH_DISPATCH_H

#include "d3dx8math.h"

// Entries are stored untyped and converted back to their own signature at
// the call (mathEntry); each slot has exactly one signature.
typedef void (*MathFunction)();

// Slots of the first array. The first eight are replaced by the fast x87
// routines right after the reference code is installed.
enum MathCoreSlot {
    mathCoreMatrixMultiply = 0,
    mathCoreVec3Transform = 1,
    mathCoreVec3Normalize = 2,
    mathCoreVec3TransformCoord = 3,
    mathCoreVec3TransformNormal = 4,
    mathCoreVec2Transform = 5,
    mathCoreVec2TransformNormal = 6,
    mathCoreVec4Transform = 7,
    mathCoreSlotsUsed = 8,
    mathCoreFastSlots = 8,
    mathCoreSlotCount = 16
};

// Slots of the second array: matrix builders, inverse, quaternions.
enum MathBuilderSlot {
    mathBuilderTranslation = 0,
    mathBuilderScaling = 1,
    mathBuilderRotationX = 2,
    mathBuilderRotationY = 3,
    mathBuilderRotationZ = 4,
    mathBuilderRotationYawPitchRoll = 5,
    mathBuilderInverse = 6,
    mathBuilderQuaternionMultiply = 7,
    mathBuilderQuaternionYawPitchRoll = 8,
    mathBuilderRotationQuaternion = 9,
    mathBuilderSlotsUsed = 10,
    mathBuilderSlotCount = 41
};

// Values of mathImplementation.
enum MathImplementation {
    mathImplementationX87 = 0,
    mathImplementation3DNow = 1,
    mathImplementationSSE2 = 2,
    mathImplementationSSE = 3,
    mathImplementationUnchosen = 0xFFFF
};

// Slots past the ...SlotsUsed counts have no function in this system and
// stay null.
struct MathDispatchTable {
    MathFunction coreEntries[mathCoreSlotCount];
    MathFunction builderEntries[mathBuilderSlotCount];
    int mathImplementation;
};

extern MathDispatchTable mathDispatchTable;

template <typename Function>
inline Function mathEntry(MathFunction entry) {
    return reinterpret_cast<Function>(entry);
}

template <typename Function>
inline MathFunction mathUntyped(Function function) {
    return reinterpret_cast<MathFunction>(function);
}

// Chooses the implementation on the first call and returns
// mathImplementation (0 x87, 1 3DNow!, 2 SSE2, 3 SSE).
int mathSelectImplementation();

// For tests: puts every entry back at its first-call stub and
// mathImplementation at 0xFFFF, so that the next call chooses again (after a
// test changed the registry switches).
void mathResetSelection();

#endif  // ZELVARO_MATH_MATH_DISPATCH_H
