// What the math tests share: choosing the implementation the next call will
// select, and comparing matrices and vectors with a tolerance.
#ifndef ZELVARO_TESTS_MATH_MATH_TEST_SUPPORT_H
#define ZELVARO_TESTS_MATH_MATH_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <string>

#include "d3dx8math.h"
#include "math_dispatch.h"

// Which implementation the tests run on: the x87 reference code (forced with
// the registry switch) or whatever the processor gets.
enum class MathChoice { x87, processor };

inline std::string mathChoiceName(const testing::TestParamInfo<MathChoice>& info) {
    return info.param == MathChoice::x87 ? "x87" : "processor";
}

// Clears the registry and profile stand-ins and forgets the choice made so
// far; with x87 the reference code is forced.
inline void mathStartOver(MathChoice choice) {
    unsetenv("ZELVARO_REG_DisablePSGP");
    unsetenv("ZELVARO_REG_DisableD3DXPSGP");
    unsetenv("ZELVARO_PROFILE_Direct3D_debug");
    unsetenv("ZELVARO_DEBUG_OUTPUT");
    if (choice == MathChoice::x87) setenv("ZELVARO_REG_DisableD3DXPSGP", "1", 1);
    mathResetSelection();
}

inline D3DXMATRIX mathMatrix(std::initializer_list<float> rowMajor) {
    D3DXMATRIX m;
    int i = 0;
    for (float value : rowMajor) {
        m.m[i / 4][i % 4] = value;
        ++i;
    }
    return m;
}

inline testing::AssertionResult mathMatrixNear(const D3DXMATRIX& actual, const D3DXMATRIX& expected,
                                               float tolerance) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            const float difference = actual.m[r][c] - expected.m[r][c];
            if (!(difference <= tolerance && difference >= -tolerance)) {
                return testing::AssertionFailure()
                       << "m[" << r << "][" << c << "] is " << actual.m[r][c] << ", expected "
                       << expected.m[r][c];
            }
        }
    }
    return testing::AssertionSuccess();
}

inline D3DXMATRIX mathSampleMatrix() {
    return mathMatrix({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
}

#endif  // ZELVARO_TESTS_MATH_MATH_TEST_SUPPORT_H
