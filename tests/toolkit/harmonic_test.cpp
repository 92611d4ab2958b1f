// The harmonic shapes and the ray burst: counts, positions, texture
// coordinates, triangle and line order, and the line buffer.
#include "mesh_test_support.h"

namespace {

const float eps = 1e-4f;

class ToolkitHarmonic : public ::testing::Test {
protected:
    RecordingDevice device;
    MeshObject mesh;
    void SetUp() override { mesh.setDevice(&device); }
    void setParams(std::initializer_list<int> values) {
        int k = 0;
        for (int value : values) {
            mesh.harmonicParams[k++] = value;
        }
    }
};

TEST_F(ToolkitHarmonic, AllParametersZeroGiveASphereOfFourTimesTheRadius) {
    setParams({0, 0, 0, 0, 0, 0, 0, 0});
    mesh.buildHarmonicSphere(1.5f, 8, 6);
    ASSERT_EQ(mesh.vertexCount, 56);
    ASSERT_EQ(mesh.triangleCount, 80);
    for (int i = 0; i < mesh.vertexCount; ++i) {
        const Vertex& v = mesh.vertices[i];
        EXPECT_NEAR(lengthOf(v.x, v.y, v.z), 6.0f, eps);
    }
    EXPECT_POSITION(mesh.vertices[0], 0.0f, 6.0f, 0.0f, eps);  // ring 0: the pole on +y
    EXPECT_NEAR(mesh.boundsMax.y, 6.0f, eps);
    EXPECT_NE(mesh.warpLattice.controlPoints, nullptr);
}

TEST_F(ToolkitHarmonic, SphereRadiusFollowsThePolarTermsOnly) {
    // rho = radius * (sin(phi)^1 + cos(0 phi)^0 + sin(0)^1 + cos(0)^0) = radius * (sin phi + 2)
    setParams({1, 1, 0, 0, 7, 1, 5, 3});
    mesh.buildHarmonicSphere(1.0f, 4, 2);
    EXPECT_POSITION(mesh.vertices[0], 0.0f, 2.0f, 0.0f, eps);
    EXPECT_POSITION(mesh.vertices[4], 3.0f, 0.0f, 0.0f, eps);  // phi 90, theta 0
    EXPECT_POSITION(mesh.vertices[5], 0.0f, 0.0f, 3.0f, eps);  // theta 90
    EXPECT_POSITION(mesh.vertices[8], 0.0f, -2.0f, 0.0f, eps);
    EXPECT_NEAR(mesh.vertices[5].u, std::sin(90.0f * 0.004363323f), eps);
    EXPECT_NEAR(mesh.vertices[5].v, 1.0f - 0.70710678f, eps);
    EXPECT_TRIANGLE(mesh.triangles[0], 4, 5, 0);
    EXPECT_TRIANGLE(mesh.triangles[4], 5, 4, 8);
}

TEST_F(ToolkitHarmonic, HarmonicPointUsesAllFourTermsAndKeepsTheSignOfOddPowers) {
    setParams({1, 3, 0, 0, 0, 0, 0, 0});
    D3DVECTOR point;
    // r = sin(-30)^3 + 1 + 0^0 + 1 = 2.875
    mesh.harmonicPoint(&point, 0.0f, -30.0f);
    EXPECT_POSITION(point, 2.875f * -0.5f, 2.875f * 0.8660254f, 0.0f, eps);
    setParams({0, 0, 0, 0, 1, 1, 2, 1});
    // r = 1 + 1 + sin(90) + cos(180) = 2
    mesh.harmonicPoint(&point, 90.0f, 90.0f);
    EXPECT_POSITION(point, 0.0f, 0.0f, 2.0f, eps);
}

TEST_F(ToolkitHarmonic, QuadsOfTwoByTwoHaveFourVerticesEachAndEmptyTrailingRecords) {
    setParams({0, 0, 0, 0, 0, 0, 0, 0});
    mesh.buildHarmonicSphereQuads(1.0f, 2, 2);
    ASSERT_EQ(mesh.vertexCount, 24);
    ASSERT_EQ(mesh.triangleCount, 12);
    EXPECT_EQ(realTriangles(mesh, 12), 8);
    // the first quad spans theta 0..180 and phi 0..90
    EXPECT_POSITION(mesh.vertices[0], 0.0f, 4.0f, 0.0f, eps);
    EXPECT_POSITION(mesh.vertices[2], -4.0f, 0.0f, 0.0f, eps);  // H(180, 90)
    EXPECT_POSITION(mesh.vertices[3], 4.0f, 0.0f, 0.0f, eps);   // H(0, 90)
    // u follows the polar angle, v the azimuth
    EXPECT_NEAR(mesh.vertices[2].u, std::sin(90.0f * 0.004363323f), eps);
    EXPECT_NEAR(mesh.vertices[2].v, 0.0f, eps);
    EXPECT_NEAR(mesh.vertices[3].v, 1.0f, eps);
    EXPECT_TRIANGLE(mesh.triangles[0], 0, 1, 2);
    EXPECT_TRIANGLE(mesh.triangles[1], 0, 2, 3);
    EXPECT_TRIANGLE(mesh.triangles[2], 4, 5, 6);
    EXPECT_TRIANGLE(mesh.triangles[7], 12, 14, 15);
    ASSERT_NE(mesh.vertexBuffer, nullptr);
    EXPECT_EQ(texturedAt(mesh.vertexBuffer, 2).x, mesh.vertices[2].x);
    // no normals, bounds or lattice
    EXPECT_EQ(mesh.warpLattice.controlPoints, nullptr);
}

TEST_F(ToolkitHarmonic, QuadsOfTwoShapesCorrespondVertexByVertex) {
    MeshObject other;
    other.setDevice(&device);
    setParams({2, 1, 3, 2, 0, 0, 0, 0});
    for (int k = 0; k < 8; ++k) {
        other.harmonicParams[k] = 0;
    }
    mesh.buildHarmonicSphereQuads(1.0f, 6, 5);
    other.buildHarmonicSphereQuads(1.0f, 6, 5);
    ASSERT_EQ(mesh.vertexCount, other.vertexCount);
    for (int t = 0; t < mesh.triangleCount; ++t) {
        EXPECT_TRIANGLE(mesh.triangles[t], other.triangles[t].i0, other.triangles[t].i1,
                        other.triangles[t].i2);
    }
}

// Neighbouring quads meet: a corner two quads share has the same position,
// bit for bit, in both; and the corners are the surface at their angles.
TEST_F(ToolkitHarmonic, QuadsShareTheirCornersExactly) {
    setParams({3, 2, 2, 3, 4, 1, 5, 2});
    const int segments = 7;
    const int rings = 5;
    mesh.buildHarmonicSphereQuads(1.5f, segments, rings);
    ASSERT_EQ(mesh.vertexCount, 4 * segments * (rings + 1));
    auto corner = [&](int j, int i, int c) -> const Vertex& { return mesh.vertices[4 * (j * rings + i) + c]; };
    auto same = [](const Vertex& a, const Vertex& b) { return a.x == b.x && a.y == b.y && a.z == b.z; };
    for (int j = 0; j < segments; ++j) {
        for (int i = 0; i < rings; ++i) {
            // corners: 0 (theta0, phi0), 1 (theta1, phi0), 2 (theta1, phi1), 3 (theta0, phi1)
            if (j + 1 < segments) {
                EXPECT_TRUE(same(corner(j, i, 1), corner(j + 1, i, 0))) << "quad " << j << ", " << i;
                EXPECT_TRUE(same(corner(j, i, 2), corner(j + 1, i, 3))) << "quad " << j << ", " << i;
            }
            if (i + 1 < rings) {
                EXPECT_TRUE(same(corner(j, i, 3), corner(j, i + 1, 0))) << "quad " << j << ", " << i;
                EXPECT_TRUE(same(corner(j, i, 2), corner(j, i + 1, 1))) << "quad " << j << ", " << i;
            }
        }
    }
    // The first quad's corners, at theta 0 and 360 / 7, phi 0 and 36.
    const float thetas[4] = {0.0f, 360.0f / 7.0f, 360.0f / 7.0f, 0.0f};
    const float phis[4] = {0.0f, 0.0f, 36.0f, 36.0f};
    for (int c = 0; c < 4; ++c) {
        D3DVECTOR point;
        mesh.harmonicPoint(&point, thetas[c], phis[c]);
        EXPECT_EQ(corner(0, 0, c).x, 1.5f * point.x) << "corner " << c;
        EXPECT_EQ(corner(0, 0, c).y, 1.5f * point.y) << "corner " << c;
        EXPECT_EQ(corner(0, 0, c).z, 1.5f * point.z) << "corner " << c;
    }
}

TEST_F(ToolkitHarmonic, QuadsBuildNoVerticesWhenTheBufferCannotBeCreated) {
    device.failVertexBufferCreation = true;
    setParams({0, 0, 0, 0, 0, 0, 0, 0});
    mesh.buildHarmonicSphereQuads(1.0f, 2, 2);
    EXPECT_EQ(mesh.vertexBuffer, nullptr);
    EXPECT_EQ(realTriangles(mesh, mesh.triangleCount), 0);
    mesh.render();  // draws nothing, fails nothing
    EXPECT_EQ(device.count("DrawPrimitive"), 0);
}

TEST_F(ToolkitHarmonic, SpikedShellOfTwelveFillsOneHundredTwentyOfTwoHundredEightyEight) {
    setParams({0, 0, 0, 0, 0, 0, 0, 0});
    mesh.color = 0xFF00FF00;
    mesh.firstVertexColor = 0x80FF0000;
    mesh.buildHarmonicSphereSpiked(1.0f, 12, 12);
    ASSERT_EQ(mesh.vertexCount, 156);
    ASSERT_EQ(mesh.triangleCount, 288);
    EXPECT_EQ(mesh.buildCursor, 120);
    EXPECT_EQ(realTriangles(mesh, 288), 120);
    EXPECT_POSITION(mesh.vertices[0], 0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(mesh.vertices[0].color, 0x80FF0000u);
    EXPECT_EQ(mesh.vertices[1].color, 0xFF00FF00u);
    EXPECT_EQ(mesh.vertices[155].color, 0xFF00FF00u);
    // the first shard: ring 1 (A = 12) and ring 2 (B = 24)
    EXPECT_TRIANGLE(mesh.triangles[0], 24, 25, 12);
    EXPECT_TRIANGLE(mesh.triangles[1], 0, 24, 25);
    EXPECT_TRIANGLE(mesh.triangles[2], 0, 24, 12);
    EXPECT_TRIANGLE(mesh.triangles[3], 0, 12, 25);
    EXPECT_TRIANGLE(mesh.triangles[4], 26, 27, 14);
    EXPECT_TRIANGLE(mesh.triangles[24], 48, 49, 36);  // second band: rings 3 and 4
    // the buffer is created but left to the caller
    ASSERT_NE(mesh.vertexBuffer, nullptr);
    EXPECT_EQ(bufferSize(mesh.vertexBuffer), 96u * 288u);
    EXPECT_EQ(texturedAt(mesh.vertexBuffer, 0).diffuse, 0u);
    mesh.fillVertexBufferVertexColors();
    EXPECT_EQ(texturedAt(mesh.vertexBuffer, 0).diffuse, 0xFF00FF00u);
    EXPECT_EQ(texturedAt(mesh.vertexBuffer, 3).diffuse, 0x80FF0000u);
}

TEST_F(ToolkitHarmonic, SpikedShellWithTwoRingsFillsNothing) {
    setParams({0, 0, 0, 0, 0, 0, 0, 0});
    mesh.buildHarmonicSphereSpiked(1.0f, 8, 2);
    EXPECT_EQ(mesh.triangleCount, 32);
    EXPECT_EQ(mesh.buildCursor, 0);
}

TEST_F(ToolkitHarmonic, RayBurstOfFifteenByTwentyFive) {
    mesh.buildRayBurst(2.0f, 15, 25, 0.5f);
    EXPECT_EQ(mesh.vertexCount, 225 * 25 + 1);
    EXPECT_EQ(mesh.lineCount, 5400);
    EXPECT_EQ(mesh.pointsPerLevel, 225);
    EXPECT_EQ(mesh.levelCount, 25);
    EXPECT_EQ(mesh.rings, 25);
    EXPECT_EQ(mesh.segments, 15);
    EXPECT_EQ(mesh.levelMatrices[24]._11, 1.0f);
    EXPECT_EQ(mesh.levelMatrices[24]._12, 0.0f);
    ASSERT_NE(mesh.vertexBuffer, nullptr);
    RecordingVertexBuffer* buffer = RecordingDevice::bufferOf(mesh.vertexBuffer);
    EXPECT_EQ(buffer->fvf, 0x42u);
    EXPECT_EQ(buffer->bytes.size(), 32u * 5400u);
    // 5401 vertices are used: the centre and 24 shells; the last shell's slots stay empty
    int highest = 0;
    for (int l = 0; l < mesh.lineCount; ++l) {
        highest = std::max(highest, std::max(mesh.triangles[l].i0, mesh.triangles[l].i1));
    }
    EXPECT_EQ(highest, 5400);
}

TEST_F(ToolkitHarmonic, RayBurstLinesAreRadialSegmentsBetweenShells) {
    mesh.color = 0xFF112233;
    mesh.buildRayBurst(1.0f, 2, 3, 1.0f);
    ASSERT_EQ(mesh.vertexCount, 13);
    ASSERT_EQ(mesh.lineCount, 8);
    EXPECT_POSITION(mesh.vertices[1], 0.0f, 0.0f, 1.0f, eps);   // phi 90, theta 0
    EXPECT_POSITION(mesh.vertices[2], 0.0f, 0.0f, -1.0f, eps);  // theta 180
    EXPECT_NEAR(mesh.vertices[3].y, 1.0f, eps);                 // phi 180: the top
    EXPECT_POSITION(mesh.vertices[5], 0.0f, 0.0f, 2.0f, eps);   // shell 2: radius + step
    EXPECT_EQ(mesh.vertices[5].color, 0xFF112233u);
    const int expected[8][2] = {{0, 1}, {0, 2}, {0, 3}, {0, 4}, {1, 5}, {2, 6}, {3, 7}, {4, 8}};
    for (int l = 0; l < 8; ++l) {
        EXPECT_TRIANGLE(mesh.triangles[l], expected[l][0], expected[l][1], 0);
        const FlatBufferVertex& from = flatAt(mesh.vertexBuffer, 2 * l);
        const FlatBufferVertex& to = flatAt(mesh.vertexBuffer, 2 * l + 1);
        EXPECT_POSITION(from, mesh.vertices[expected[l][0]].x, mesh.vertices[expected[l][0]].y,
                        mesh.vertices[expected[l][0]].z, 0.0f);
        EXPECT_POSITION(to, mesh.vertices[expected[l][1]].x, mesh.vertices[expected[l][1]].y,
                        mesh.vertices[expected[l][1]].z, 0.0f);
        EXPECT_EQ(to.diffuse, 0xFF112233u);
    }
}

TEST_F(ToolkitHarmonic, RayBurstTurnsEveryRowTenDegreesFurther) {
    mesh.buildRayBurst(1.0f, 3, 2, 1.0f);
    // row 1 (phi 120) starts at theta 10, row 2 (phi 180 would be the pole) at 20
    const Vertex& rowOne = mesh.vertices[1 + 3];
    EXPECT_NEAR(std::atan2(rowOne.x, rowOne.z) * 57.29578f, 10.0f, 1e-2f);
    EXPECT_NEAR(rowOne.y, 0.5f, eps);
    const Vertex& rowOneNext = mesh.vertices[1 + 3 + 1];
    EXPECT_NEAR(std::atan2(rowOneNext.x, rowOneNext.z) * 57.29578f, 130.0f, 1e-2f);
}

TEST_F(ToolkitHarmonic, RayBurstWithOneLevelIsOnlyTheCentre) {
    mesh.buildRayBurst(1.0f, 4, 1, 1.0f);
    EXPECT_EQ(mesh.lineCount, 0);
    EXPECT_EQ(mesh.vertexCount, 17);
    EXPECT_EQ(mesh.vertexBuffer, nullptr);
    EXPECT_EQ(device.count("CreateVertexBuffer"), 0);
    mesh.renderLines();
    EXPECT_EQ(device.count("DrawPrimitive"), 0);
}

}  // namespace
