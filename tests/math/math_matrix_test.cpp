// Matrix functions against hand-computed matrices, on the x87 reference code
// and on the implementation the processor gets: products and their aliasing,
// the builders, the camera matrices, the inverse, null pointers.
#include <cmath>

#include "math_test_support.h"

namespace {

const float pi = 3.14159265f;
const float tight = 1e-6f;

class MathMatrixTest : public testing::TestWithParam<MathChoice> {
protected:
    void SetUp() override { mathStartOver(GetParam()); }
};

// ---------------------------------------------------------------- multiply

// b scales x, y, z by 2, 3, 4 and then moves by (1, 2, 3).
D3DXMATRIX scaleThenMove() { return mathMatrix({2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 1, 2, 3, 1}); }

const D3DXMATRIX sampleTimesScaleThenMove =
    mathMatrix({6, 14, 24, 4, 18, 34, 52, 8, 30, 54, 80, 12, 42, 74, 108, 16});

TEST_P(MathMatrixTest, MultiplyFormsTheRowByColumnProductInOrder) {
    const D3DXMATRIX a = mathSampleMatrix();
    const D3DXMATRIX b = scaleThenMove();
    D3DXMATRIX out;
    EXPECT_EQ(D3DXMatrixMultiply(&out, &a, &b), &out);
    EXPECT_TRUE(mathMatrixNear(out, sampleTimesScaleThenMove, tight));

    // b * a: the rows of a scaled, then row 3 of a added to the last row
    D3DXMATRIX reversed;
    D3DXMatrixMultiply(&reversed, &b, &a);
    EXPECT_TRUE(mathMatrixNear(
        reversed, mathMatrix({2, 4, 6, 8, 15, 18, 21, 24, 36, 40, 44, 48, 51, 58, 65, 72}), tight));
}

TEST_P(MathMatrixTest, MultiplyIntoEitherInputGivesTheTrueProduct) {
    D3DXMATRIX a = mathSampleMatrix();
    const D3DXMATRIX b = scaleThenMove();
    EXPECT_EQ(D3DXMatrixMultiply(&a, &a, &b), &a);
    EXPECT_TRUE(mathMatrixNear(a, sampleTimesScaleThenMove, tight));

    const D3DXMATRIX first = mathSampleMatrix();
    D3DXMATRIX second = scaleThenMove();
    EXPECT_EQ(D3DXMatrixMultiply(&second, &first, &second), &second);
    EXPECT_TRUE(mathMatrixNear(second, sampleTimesScaleThenMove, tight));

    D3DXMATRIX square = mathSampleMatrix();
    D3DXMatrixMultiply(&square, &square, &square);
    EXPECT_TRUE(mathMatrixNear(square,
                               mathMatrix({90, 100, 110, 120, 202, 228, 254, 280, 314, 356, 398,
                                           440, 426, 484, 542, 600}),
                               tight));
}

TEST_P(MathMatrixTest, MultiplyReadsUnalignedMatrices) {
    // three matrices at addresses that are not multiples of 16
    alignas(16) float storage[3 * 16 + 1];
    D3DXMATRIX* a = reinterpret_cast<D3DXMATRIX*>(storage + 1);
    D3DXMATRIX* b = a + 1;
    D3DXMATRIX* out = a + 2;
    *a = mathSampleMatrix();
    *b = scaleThenMove();
    D3DXMatrixMultiply(out, a, b);
    EXPECT_TRUE(mathMatrixNear(*out, sampleTimesScaleThenMove, tight));
}

// ---------------------------------------------------------------- builders

TEST_P(MathMatrixTest, TranslationAndScalingBuildTheirMatrices) {
    D3DXMATRIX out;
    EXPECT_EQ(D3DXMatrixTranslation(&out, 1.5f, -2.0f, 3.25f), &out);
    EXPECT_TRUE(mathMatrixNear(out, mathMatrix({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1.5f, -2, 3.25f, 1}),
                               0.0f));
    EXPECT_EQ(D3DXMatrixScaling(&out, 2.0f, -3.0f, 0.5f), &out);
    EXPECT_TRUE(mathMatrixNear(out, mathMatrix({2, 0, 0, 0, 0, -3, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1}),
                               0.0f));
}

TEST_P(MathMatrixTest, AxisRotationsPlaceCosineAndSine) {
    const float c = 0.8660254f;  // cos 30 degrees
    const float s = 0.5f;
    D3DXMATRIX out;
    EXPECT_EQ(D3DXMatrixRotationX(&out, pi / 6), &out);
    EXPECT_TRUE(mathMatrixNear(out, mathMatrix({1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1}), tight));
    EXPECT_EQ(D3DXMatrixRotationY(&out, pi / 6), &out);
    EXPECT_TRUE(mathMatrixNear(out, mathMatrix({c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1}), tight));
    EXPECT_EQ(D3DXMatrixRotationZ(&out, pi / 6), &out);
    EXPECT_TRUE(mathMatrixNear(out, mathMatrix({c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}), tight));
}

TEST_P(MathMatrixTest, QuarterTurnsTurnAxesTheLeftHandedWay) {
    D3DXMATRIX rotation;
    D3DXVECTOR3 turned;
    const D3DXVECTOR3 xAxis(1, 0, 0);
    const D3DXVECTOR3 yAxis(0, 1, 0);

    D3DXMatrixRotationX(&rotation, pi / 2);
    D3DXVec3TransformNormal(&turned, &yAxis, &rotation);
    EXPECT_NEAR(turned.x, 0.0f, tight);
    EXPECT_NEAR(turned.y, 0.0f, tight);
    EXPECT_NEAR(turned.z, 1.0f, tight);

    D3DXMatrixRotationY(&rotation, pi / 2);
    D3DXVec3TransformNormal(&turned, &xAxis, &rotation);
    EXPECT_NEAR(turned.x, 0.0f, tight);
    EXPECT_NEAR(turned.z, -1.0f, tight);

    D3DXMatrixRotationZ(&rotation, pi / 2);
    D3DXVec3TransformNormal(&turned, &xAxis, &rotation);
    EXPECT_NEAR(turned.x, 0.0f, tight);
    EXPECT_NEAR(turned.y, 1.0f, tight);
}

TEST_P(MathMatrixTest, YawPitchRollEqualsRollThenPitchThenYaw) {
    const float angles[][3] = {{0.3f, -1.1f, 2.0f}, {pi / 2, 0, 0}, {-2.5f, 0.7f, -0.4f}, {1, 2, 3}};
    for (const auto& angle : angles) {
        D3DXMATRIX rollPitchYaw, pitch, yaw;
        D3DXMatrixRotationZ(&rollPitchYaw, angle[2]);
        D3DXMatrixRotationX(&pitch, angle[1]);
        D3DXMatrixRotationY(&yaw, angle[0]);
        D3DXMatrixMultiply(&rollPitchYaw, &rollPitchYaw, &pitch);
        D3DXMatrixMultiply(&rollPitchYaw, &rollPitchYaw, &yaw);

        D3DXMATRIX out;
        EXPECT_EQ(D3DXMatrixRotationYawPitchRoll(&out, angle[0], angle[1], angle[2]), &out);
        EXPECT_TRUE(mathMatrixNear(out, rollPitchYaw, 2e-6f))
            << "yaw " << angle[0] << " pitch " << angle[1] << " roll " << angle[2];
    }
}

TEST_P(MathMatrixTest, QuaternionProductRotatesFirstThenSecond) {
    D3DXQUATERNION yawPitchRoll;
    EXPECT_EQ(D3DXQuaternionRotationYawPitchRoll(&yawPitchRoll, 0.0f, pi / 2, 0.0f), &yawPitchRoll);
    // a quarter turn about X: (sin 45, 0, 0, cos 45)
    EXPECT_NEAR(yawPitchRoll.x, 0.70710678f, tight);
    EXPECT_NEAR(yawPitchRoll.y, 0.0f, tight);
    EXPECT_NEAR(yawPitchRoll.z, 0.0f, tight);
    EXPECT_NEAR(yawPitchRoll.w, 0.70710678f, tight);

    D3DXQUATERNION aboutX, aboutY, product;
    D3DXQuaternionRotationYawPitchRoll(&aboutX, 0.0f, 0.4f, 0.0f);
    D3DXQuaternionRotationYawPitchRoll(&aboutY, 0.9f, 0.0f, 0.0f);
    EXPECT_EQ(D3DXQuaternionMultiply(&product, &aboutX, &aboutY), &product);
    D3DXMATRIX fromProduct, expected, yaw;
    EXPECT_EQ(D3DXMatrixRotationQuaternion(&fromProduct, &product), &fromProduct);
    D3DXMatrixRotationX(&expected, 0.4f);
    D3DXMatrixRotationY(&yaw, 0.9f);
    D3DXMatrixMultiply(&expected, &expected, &yaw);
    EXPECT_TRUE(mathMatrixNear(fromProduct, expected, 2e-6f));

    // in place, with the output as either input
    D3DXQuaternionMultiply(&aboutX, &aboutX, &aboutY);
    EXPECT_NEAR(aboutX.x, product.x, tight);
    EXPECT_NEAR(aboutX.w, product.w, tight);
}

// ---------------------------------------------------------------- camera

TEST_P(MathMatrixTest, LookAtHoldsTheCameraAxesInItsColumns) {
    // looking down +x from (2, 0, 0): x axis = up x z = (0, 0, -1)
    const D3DXVECTOR3 eye(2, 0, 0), at(3, 0, 0), up(0, 1, 0);
    D3DXMATRIX view;
    EXPECT_EQ(D3DXMatrixLookAtLH(&view, &eye, &at, &up), &view);
    EXPECT_TRUE(mathMatrixNear(view, mathMatrix({0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, -2, 1}),
                               tight));

    // the standard camera of the show: on the z axis looking at the origin
    const D3DXVECTOR3 back(0, 0, 57.7f), origin(0, 0, 0);
    D3DXMatrixLookAtLH(&view, &back, &origin, &up);
    EXPECT_TRUE(mathMatrixNear(view, mathMatrix({-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 57.7f, 1}),
                               1e-5f));
}

TEST_P(MathMatrixTest, PerspectiveMapsNearAndFarPlanesToDepthZeroAndOne) {
    D3DXMATRIX projection;
    EXPECT_EQ(D3DXMatrixPerspectiveFovLH(&projection, pi / 2, 4.0f / 3.0f, 1.0f, 100.0f), &projection);
    EXPECT_TRUE(mathMatrixNear(
        projection,
        mathMatrix({0.75f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 100.0f / 99.0f, 1, 0, 0, -100.0f / 99.0f, 0}),
        1e-6f));

    // cot(30 degrees) for a 60 degree field of view
    D3DXMatrixPerspectiveFovLH(&projection, pi / 3, 1.0f, 0.5f, 10.0f);
    EXPECT_NEAR(projection.m[1][1], 1.7320508f, 1e-6f);
    EXPECT_NEAR(projection.m[0][0], 1.7320508f, 1e-6f);

    D3DXVECTOR3 nearPoint(0, 0, 0.5f), farPoint(0, 0, 10.0f);
    D3DXVec3TransformCoord(&nearPoint, &nearPoint, &projection);
    D3DXVec3TransformCoord(&farPoint, &farPoint, &projection);
    EXPECT_NEAR(nearPoint.z, 0.0f, 1e-6f);
    EXPECT_NEAR(farPoint.z, 1.0f, 1e-6f);
}

// ---------------------------------------------------------------- inverse

TEST_P(MathMatrixTest, InverseUndoesScaleAndMove) {
    const D3DXMATRIX m = mathMatrix({2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 8, 0, 1, 2, 3, 1});
    D3DXMATRIX out;
    float determinant = 0.0f;
    EXPECT_EQ(D3DXMatrixInverse(&out, &determinant, &m), &out);
    EXPECT_FLOAT_EQ(determinant, 64.0f);
    EXPECT_TRUE(mathMatrixNear(
        out, mathMatrix({0.5f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 0.125f, 0, -0.5f, -0.5f, -0.375f, 1}),
        tight));
}

TEST_P(MathMatrixTest, InverseTimesMatrixIsIdentityAlsoInPlace) {
    D3DXMATRIX m;
    D3DXMatrixRotationYawPitchRoll(&m, 0.4f, -1.2f, 2.2f);
    D3DXMATRIX scale;
    D3DXMatrixScaling(&scale, 3.0f, 0.5f, -2.0f);
    D3DXMatrixMultiply(&m, &scale, &m);
    m.m[3][0] = 5;
    m.m[3][1] = -7;
    m.m[3][2] = 11;
    m.m[0][3] = 0.25f;  // not affine: the full cofactor formula is needed

    D3DXMATRIX inverse = m;
    EXPECT_EQ(D3DXMatrixInverse(&inverse, nullptr, &inverse), &inverse);
    D3DXMATRIX product;
    D3DXMatrixMultiply(&product, &m, &inverse);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_TRUE(mathMatrixNear(product, identity, 1e-5f));
}

TEST_P(MathMatrixTest, SingularInverseReturnsNullAndLeavesOutputButWritesDeterminant) {
    const D3DXMATRIX singular = mathSampleMatrix();  // rows in arithmetic progression
    D3DXMATRIX out = scaleThenMove();
    float determinant = 99.0f;
    EXPECT_EQ(D3DXMatrixInverse(&out, &determinant, &singular), nullptr);
    EXPECT_EQ(determinant, 0.0f);
    EXPECT_TRUE(mathMatrixNear(out, scaleThenMove(), 0.0f));

    // a determinant so small that its reciprocal overflows
    D3DXMATRIX tiny;
    D3DXMatrixScaling(&tiny, 1e-13f, 1e-13f, 1e-13f);
    determinant = 99.0f;
    EXPECT_EQ(D3DXMatrixInverse(&out, &determinant, &tiny), nullptr);
    EXPECT_LT(determinant, 1e-38f);
    EXPECT_TRUE(mathMatrixNear(out, scaleThenMove(), 0.0f));
}

// ---------------------------------------------------------------- null pointers

TEST_P(MathMatrixTest, NullPointersReturnNullAndWriteNothing) {
    const D3DXMATRIX a = mathSampleMatrix();
    const D3DXMATRIX untouched = scaleThenMove();
    D3DXMATRIX out = untouched;
    const D3DXVECTOR3 v(1, 2, 3);
    const D3DXQUATERNION q = {0, 0, 0, 1};
    D3DXQUATERNION qOut = {9, 9, 9, 9};

    EXPECT_EQ(D3DXMatrixMultiply(nullptr, &a, &a), nullptr);
    EXPECT_EQ(D3DXMatrixMultiply(&out, nullptr, &a), nullptr);
    EXPECT_EQ(D3DXMatrixMultiply(&out, &a, nullptr), nullptr);
    EXPECT_EQ(D3DXMatrixTranslation(nullptr, 1, 2, 3), nullptr);
    EXPECT_EQ(D3DXMatrixScaling(nullptr, 1, 2, 3), nullptr);
    EXPECT_EQ(D3DXMatrixRotationX(nullptr, 1), nullptr);
    EXPECT_EQ(D3DXMatrixRotationY(nullptr, 1), nullptr);
    EXPECT_EQ(D3DXMatrixRotationZ(nullptr, 1), nullptr);
    EXPECT_EQ(D3DXMatrixRotationYawPitchRoll(nullptr, 1, 2, 3), nullptr);
    EXPECT_EQ(D3DXMatrixLookAtLH(nullptr, &v, &v, &v), nullptr);
    EXPECT_EQ(D3DXMatrixLookAtLH(&out, nullptr, &v, &v), nullptr);
    EXPECT_EQ(D3DXMatrixLookAtLH(&out, &v, nullptr, &v), nullptr);
    EXPECT_EQ(D3DXMatrixLookAtLH(&out, &v, &v, nullptr), nullptr);
    EXPECT_EQ(D3DXMatrixPerspectiveFovLH(nullptr, 1, 1, 1, 2), nullptr);
    EXPECT_EQ(D3DXMatrixInverse(nullptr, nullptr, &a), nullptr);
    EXPECT_EQ(D3DXMatrixInverse(&out, nullptr, nullptr), nullptr);
    EXPECT_EQ(D3DXMatrixRotationQuaternion(nullptr, &q), nullptr);
    EXPECT_EQ(D3DXMatrixRotationQuaternion(&out, nullptr), nullptr);
    EXPECT_EQ(D3DXQuaternionMultiply(nullptr, &q, &q), nullptr);
    EXPECT_EQ(D3DXQuaternionMultiply(&qOut, nullptr, &q), nullptr);
    EXPECT_EQ(D3DXQuaternionMultiply(&qOut, &q, nullptr), nullptr);
    EXPECT_EQ(D3DXQuaternionRotationYawPitchRoll(nullptr, 1, 2, 3), nullptr);
    EXPECT_EQ(D3DXMatrixIdentity(nullptr), nullptr);

    EXPECT_TRUE(mathMatrixNear(out, untouched, 0.0f));
    EXPECT_EQ(qOut.x, 9.0f);
    EXPECT_EQ(qOut.w, 9.0f);
}

INSTANTIATE_TEST_SUITE_P(BothImplementations, MathMatrixTest,
                         testing::Values(MathChoice::x87, MathChoice::processor), mathChoiceName);

}  // namespace
