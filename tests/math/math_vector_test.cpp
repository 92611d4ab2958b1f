// Vector functions on the x87 reference code and on the implementation the
// processor gets: the transforms against hand-computed rows, in place, and
// the normalisation rules.
#include <cmath>
#include <cstring>
#include <random>

#include "math_test_support.h"

namespace {

class MathVectorTest : public testing::TestWithParam<MathChoice> {
protected:
    void SetUp() override { mathStartOver(GetParam()); }
    const D3DXMATRIX m = mathSampleMatrix();
};

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// ---------------------------------------------------------------- transforms

TEST_P(MathVectorTest, Vec3TransformKeepsAllFourComponents) {
    const D3DXVECTOR3 v(1, 2, 3);
    D3DXVECTOR4 out;
    EXPECT_EQ(D3DXVec3Transform(&out, &v, &m), &out);
    // (1, 2, 3, 1) * m, w not divided out
    EXPECT_FLOAT_EQ(out.x, 51);
    EXPECT_FLOAT_EQ(out.y, 58);
    EXPECT_FLOAT_EQ(out.z, 65);
    EXPECT_FLOAT_EQ(out.w, 72);
}

TEST_P(MathVectorTest, CoordAndNormalTransformsTreatWDifferently) {
    D3DXVECTOR3 point(1, 2, 3);
    EXPECT_EQ(D3DXVec3TransformCoord(&point, &point, &m), &point);
    EXPECT_FLOAT_EQ(point.x, 51.0f / 72.0f);
    EXPECT_FLOAT_EQ(point.y, 58.0f / 72.0f);
    EXPECT_FLOAT_EQ(point.z, 65.0f / 72.0f);

    D3DXVECTOR3 direction(1, 2, 3);
    EXPECT_EQ(D3DXVec3TransformNormal(&direction, &direction, &m), &direction);
    EXPECT_FLOAT_EQ(direction.x, 38);
    EXPECT_FLOAT_EQ(direction.y, 44);
    EXPECT_FLOAT_EQ(direction.z, 50);
}

TEST_P(MathVectorTest, TwoAndFourComponentTransforms) {
    const D3DXVECTOR2 flat = {1, 2};
    D3DXVECTOR4 out;
    EXPECT_EQ(D3DXVec2Transform(&out, &flat, &m), &out);
    EXPECT_FLOAT_EQ(out.x, 24);
    EXPECT_FLOAT_EQ(out.y, 28);
    EXPECT_FLOAT_EQ(out.z, 32);
    EXPECT_FLOAT_EQ(out.w, 36);

    D3DXVECTOR2 flatDirection = {1, 2};
    EXPECT_EQ(D3DXVec2TransformNormal(&flatDirection, &flatDirection, &m), &flatDirection);
    EXPECT_FLOAT_EQ(flatDirection.x, 11);
    EXPECT_FLOAT_EQ(flatDirection.y, 14);

    D3DXVECTOR4 full = {1, 2, 3, 4};
    EXPECT_EQ(D3DXVec4Transform(&full, &full, &m), &full);
    EXPECT_FLOAT_EQ(full.x, 90);
    EXPECT_FLOAT_EQ(full.y, 100);
    EXPECT_FLOAT_EQ(full.z, 110);
    EXPECT_FLOAT_EQ(full.w, 120);
}

TEST_P(MathVectorTest, CoordTransformOnTheEyePlaneStaysFinite) {
    // the projection gives w = 0 for a point at depth 0
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, 1.0f, 1.0f, 1.0f, 10.0f);
    D3DXVECTOR3 point(1, 1, 0);
    D3DXVec3TransformCoord(&point, &point, &projection);
    EXPECT_TRUE(std::isfinite(point.x) && std::isfinite(point.y) && std::isfinite(point.z));
}

TEST_P(MathVectorTest, VectorFunctionsTurnAwayNullPointers) {
    const D3DXVECTOR3 v(1, 2, 3);
    const D3DXVECTOR2 v2 = {1, 2};
    const D3DXVECTOR4 v4 = {1, 2, 3, 4};
    D3DXVECTOR3 out3(7, 7, 7);
    D3DXVECTOR4 out4 = {7, 7, 7, 7};
    D3DXVECTOR2 out2 = {7, 7};
    EXPECT_EQ(D3DXVec3Normalize(nullptr, &v), nullptr);
    EXPECT_EQ(D3DXVec3Normalize(&out3, nullptr), nullptr);
    EXPECT_EQ(D3DXVec3Transform(nullptr, &v, &m), nullptr);
    EXPECT_EQ(D3DXVec3Transform(&out4, nullptr, &m), nullptr);
    EXPECT_EQ(D3DXVec3Transform(&out4, &v, nullptr), nullptr);
    EXPECT_EQ(D3DXVec3TransformCoord(&out3, &v, nullptr), nullptr);
    EXPECT_EQ(D3DXVec3TransformNormal(&out3, nullptr, &m), nullptr);
    EXPECT_EQ(D3DXVec2Transform(&out4, &v2, nullptr), nullptr);
    EXPECT_EQ(D3DXVec2TransformNormal(nullptr, &v2, &m), nullptr);
    EXPECT_EQ(D3DXVec4Transform(&out4, &v4, nullptr), nullptr);
    EXPECT_EQ(out3.x, 7.0f);
    EXPECT_EQ(out4.w, 7.0f);
    EXPECT_EQ(out2.x, 7.0f);
}

// ---------------------------------------------------------------- normalize

TEST_P(MathVectorTest, NormalizeOfZeroIsZero) {
    D3DXVECTOR3 zero(0, 0, 0);
    EXPECT_EQ(D3DXVec3Normalize(&zero, &zero), &zero);
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);
    EXPECT_EQ(zero.z, 0.0f);

    // squares that round to 0 count as 0
    D3DXVECTOR3 vanishing(1e-30f, 0, 0);
    D3DXVec3Normalize(&vanishing, &vanishing);
    EXPECT_EQ(vanishing.x, 0.0f);
}

TEST_P(MathVectorTest, NormalizeCopiesAlmostUnitVectorsUnchanged) {
    // 1.000004^2 is within 1e-5 of 1: copied bit for bit
    const D3DXVECTOR3 almost(1.000004f, 0, 0);
    D3DXVECTOR3 out;
    D3DXVec3Normalize(&out, &almost);
    EXPECT_TRUE(sameBits(out.x, almost.x));

    const D3DXVECTOR3 almostBelow(0.6f, 0.79999f, 0.0f);  // squared length 0.999984
    D3DXVec3Normalize(&out, &almostBelow);
    EXPECT_FALSE(sameBits(out.y, almostBelow.y)) << "0.999984 is more than 1e-5 from 1";

    const D3DXVECTOR3 justInside(0.6f, 0.799996f, 0.0f);  // squared length 0.9999936
    D3DXVec3Normalize(&out, &justInside);
    EXPECT_TRUE(sameBits(out.y, justInside.y));

    // 1.00001^2 is 2e-5 away: scaled to unit length
    const D3DXVECTOR3 outside(1.00001f, 0, 0);
    D3DXVec3Normalize(&out, &outside);
    EXPECT_NEAR(out.x, 1.0f, 2e-6f);
    EXPECT_FALSE(sameBits(out.x, outside.x));
}

TEST_P(MathVectorTest, NormalizeScalesToUnitLengthInPlace) {
    D3DXVECTOR3 v(3, 4, 0);
    EXPECT_EQ(D3DXVec3Normalize(&v, &v), &v);
    EXPECT_NEAR(v.x, 0.6f, 2e-6f);
    EXPECT_NEAR(v.y, 0.8f, 2e-6f);
    EXPECT_EQ(v.z, 0.0f);

    // the smallest vectors whose squared length is still a (denormal) float
    D3DXVECTOR3 tiny(1e-20f, 0, 0);
    D3DXVec3Normalize(&tiny, &tiny);
    EXPECT_NEAR(tiny.x, 1.0f, 1e-5f);
}

TEST_P(MathVectorTest, NormalizeKeepsDirectionOverManyMagnitudes) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> component(-1.0f, 1.0f);
    std::uniform_int_distribution<int> exponent(-15, 15);
    for (int i = 0; i < 5000; ++i) {
        const float scale = std::pow(10.0f, float(exponent(random)));
        const D3DXVECTOR3 v(component(random) * scale, component(random) * scale,
                            component(random) * scale);
        D3DXVECTOR3 unit;
        D3DXVec3Normalize(&unit, &v);
        const double length =
            std::sqrt(double(unit.x) * unit.x + double(unit.y) * unit.y + double(unit.z) * unit.z);
        ASSERT_NEAR(length, 1.0, 1e-5) << v.x << ", " << v.y << ", " << v.z;
        // same direction: the cross product vanishes
        const double crossX = double(v.y) * unit.z - double(v.z) * unit.y;
        ASSERT_NEAR(crossX / scale, 0.0, 1e-5);
    }
}

INSTANTIATE_TEST_SUITE_P(BothImplementations, MathVectorTest,
                         testing::Values(MathChoice::x87, MathChoice::processor), mathChoiceName);

}  // namespace
