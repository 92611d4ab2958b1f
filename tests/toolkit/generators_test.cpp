// The plane, cube, ring and ring-based surface generators: counts, positions,
// texture coordinates and triangle order against hand-computed values.
#include "mesh_test_support.h"

namespace {

const float eps = 1e-4f;
const float root2 = 0.70710678f;

class ToolkitGenerators : public ::testing::Test {
protected:
    RecordingDevice device;
    MeshObject mesh;
    void SetUp() override { mesh.setDevice(&device); }
};

TEST_F(ToolkitGenerators, GridOfFourByFourSpansThePlaneAndLeavesTheLastRowOfTrianglesEmpty) {
    mesh.buildGrid(64.0f, 48.0f, 4, 4);
    ASSERT_EQ(mesh.vertexCount, 16);
    ASSERT_EQ(mesh.triangleCount, 24);
    EXPECT_EQ(mesh.segments, 4);
    EXPECT_EQ(mesh.rings, 4);
    EXPECT_POSITION(mesh.vertices[0], -32.0f, 24.0f, 0.0f, eps);
    EXPECT_POSITION(mesh.vertices[15], 32.0f, -24.0f, 0.0f, eps);
    EXPECT_POSITION(mesh.vertices[5], -32.0f + 64.0f / 3.0f, 8.0f, 0.0f, eps);
    EXPECT_NEAR(mesh.vertices[5].u, 1.0f / 3.0f, eps);
    EXPECT_NEAR(mesh.vertices[5].v, 1.0f / 3.0f, eps);
    EXPECT_NEAR(mesh.vertices[15].u, 1.0f, eps);
    EXPECT_NEAR(mesh.vertices[15].v, 1.0f, eps);

    EXPECT_TRIANGLE(mesh.triangles[0], 1, 0, 4);
    EXPECT_TRIANGLE(mesh.triangles[1], 2, 1, 5);
    EXPECT_TRIANGLE(mesh.triangles[2], 3, 2, 6);
    EXPECT_TRIANGLE(mesh.triangles[3], 1, 4, 5);
    EXPECT_TRIANGLE(mesh.triangles[5], 3, 6, 7);
    EXPECT_TRIANGLE(mesh.triangles[6], 5, 4, 8);
    EXPECT_TRIANGLE(mesh.triangles[17], 11, 14, 15);
    EXPECT_EQ(realTriangles(mesh, 24), 18);
    EXPECT_EQ(mesh.buildCursor, 18);
    for (int t = 18; t < 24; ++t) {
        EXPECT_TRIANGLE(mesh.triangles[t], 0, 0, 0);
    }
}

TEST_F(ToolkitGenerators, GridBoundsAndHalfLengthNormalsFacingMinusZ) {
    mesh.buildGrid(64.0f, 48.0f, 4, 4);
    EXPECT_POSITION(mesh.boundsMin, -32.0f, -24.0f, 0.0f, eps);
    EXPECT_POSITION(mesh.boundsMax, 32.0f, 24.0f, 0.0f, eps);
    // an inner vertex: the mean of unit normals (0, 0, -1), halved
    EXPECT_NEAR(mesh.vertices[5].nz, -0.5f, eps);
    EXPECT_NEAR(mesh.faceNormals[0].z, -1.0f, eps);
    // vertex 0 also counts the six empty (0, 0, 0) triangles, three times each
    EXPECT_EQ(mesh.vertexFaceCounts[0], 19);
    EXPECT_NEAR(mesh.vertices[0].nz, -0.5f / 19.0f, eps);
    EXPECT_NEAR(mesh.faceNormals[20].x, 0.0f, 0.0f);
}

TEST_F(ToolkitGenerators, InvalidArgumentsBuildNothing) {
    MeshObject noColumns, noHeight, noSize, noRadius, sameRadii, twoSegments;
    for (MeshObject* m : {&noColumns, &noHeight, &noSize, &noRadius, &sameRadii, &twoSegments}) {
        m->setDevice(&device);
    }
    noColumns.buildGrid(10.0f, 10.0f, 0, 4);
    noHeight.buildGrid(10.0f, 0.0f, 4, 4);
    noSize.buildCube(3, 3, 0.0f);
    noRadius.buildSphere(0.0f, 8, 8);
    sameRadii.buildSupertoroid(2.0f, 2.0f, 2.0f, 1.0f, 1.0f, 8, 8);
    twoSegments.buildSupertoroid(3.0f, 1.0f, 3.0f, 1.0f, 1.0f, 2, 8);
    for (MeshObject* m : {&noColumns, &noHeight, &noSize, &noRadius, &sameRadii, &twoSegments}) {
        EXPECT_EQ(m->vertexCount, 0);
        EXPECT_EQ(m->vertices, nullptr);
        EXPECT_EQ(m->vertexBuffer, nullptr);
    }
    EXPECT_EQ(device.count("CreateVertexBuffer"), 0);
}

TEST_F(ToolkitGenerators, CubeBuildsSixGridFacesInOrder) {
    mesh.buildCube(2, 2, 2.0f);
    ASSERT_EQ(mesh.vertexCount, 24);
    ASSERT_EQ(mesh.triangleCount, 24);
    EXPECT_POSITION(mesh.vertices[0], -1.0f, 1.0f, 1.0f, eps);   // face 1: z = +d
    EXPECT_POSITION(mesh.vertices[4], -1.0f, 1.0f, -1.0f, eps);  // face 2: z = -d
    EXPECT_POSITION(mesh.vertices[8], -1.0f, -1.0f, 1.0f, eps);  // face 3: y = -d, z = p
    EXPECT_POSITION(mesh.vertices[12], -1.0f, 1.0f, 1.0f, eps);  // face 4: y = +d
    EXPECT_POSITION(mesh.vertices[19], -1.0f, -1.0f, 1.0f, eps); // face 5: x = -d, z = q
    EXPECT_POSITION(mesh.vertices[21], 1.0f, 1.0f, 1.0f, eps);   // face 6: x = +d
    EXPECT_NEAR(mesh.vertices[23].u, 1.0f, eps);
    EXPECT_NEAR(mesh.vertices[23].v, 1.0f, eps);
    EXPECT_TRIANGLE(mesh.triangles[0], 1, 0, 2);
    EXPECT_TRIANGLE(mesh.triangles[1], 1, 2, 3);
    EXPECT_TRIANGLE(mesh.triangles[2], 5, 4, 6);
    EXPECT_TRIANGLE(mesh.triangles[11], 21, 22, 23);
    EXPECT_EQ(realTriangles(mesh, 24), 12);
    EXPECT_POSITION(mesh.boundsMin, -1.0f, -1.0f, -1.0f, eps);
    EXPECT_POSITION(mesh.boundsMax, 1.0f, 1.0f, 1.0f, eps);
}

TEST_F(ToolkitGenerators, RingJoinsInnerAndOuterCirclesAndTurnsWrappingOff) {
    mesh.buildRing(1.0f, 2.0f, 4);
    ASSERT_EQ(mesh.vertexCount, 8);
    ASSERT_EQ(mesh.triangleCount, 8);
    EXPECT_FALSE(mesh.textureWrap);
    EXPECT_POSITION(mesh.vertices[0], 0.0f, 1.0f, 0.0f, eps);
    EXPECT_POSITION(mesh.vertices[1], 1.0f, 0.0f, 0.0f, eps);
    EXPECT_POSITION(mesh.vertices[6], 0.0f, -2.0f, 0.0f, eps);
    EXPECT_NEAR(mesh.vertices[1].u, 0.25f, eps);
    EXPECT_NEAR(mesh.vertices[1].v, 0.0f, eps);
    EXPECT_NEAR(mesh.vertices[5].v, 1.0f, eps);
    EXPECT_TRIANGLE(mesh.triangles[0], 4, 5, 0);
    EXPECT_TRIANGLE(mesh.triangles[3], 7, 4, 3);
    EXPECT_TRIANGLE(mesh.triangles[4], 5, 1, 0);
    EXPECT_TRIANGLE(mesh.triangles[7], 4, 0, 3);
    // no normals and no lattice for the ring
    EXPECT_EQ(mesh.warpLattice.controlPoints, nullptr);
    EXPECT_EQ(mesh.vertices[0].nx, 0.0f);
    ASSERT_NE(mesh.vertexBuffer, nullptr);
    EXPECT_EQ(texturedAt(mesh.vertexBuffer, 0).y, 2.0f);
}

TEST_F(ToolkitGenerators, SphereOfTenByTenRunsFromPoleToPole) {
    mesh.buildSphere(2.0f, 10, 10);
    ASSERT_EQ(mesh.vertexCount, 110);
    ASSERT_EQ(mesh.triangleCount, 180);
    EXPECT_EQ(mesh.buildCursor, 180);
    EXPECT_FLOAT_EQ(mesh.radius, 2.0f);
    for (int j = 0; j < 10; ++j) {
        EXPECT_NEAR(mesh.vertices[j].y, -2.0f, eps);
        EXPECT_NEAR(mesh.vertices[100 + j].y, 2.0f, eps);
    }
    EXPECT_POSITION(mesh.vertices[50], 0.0f, 0.0f, 2.0f, eps);  // ring 5: equator, theta 0
    EXPECT_NEAR(mesh.vertices[50].u, 0.0f, eps);
    EXPECT_NEAR(mesh.vertices[50].v, 1.0f - root2, eps);
    EXPECT_NEAR(mesh.vertices[55].u, root2, eps);  // theta 180
    EXPECT_TRIANGLE(mesh.triangles[0], 10, 11, 0);
    EXPECT_TRIANGLE(mesh.triangles[9], 19, 10, 0);
    EXPECT_TRIANGLE(mesh.triangles[10], 20, 21, 10);
    EXPECT_TRIANGLE(mesh.triangles[20], 21, 11, 10);
    EXPECT_TRIANGLE(mesh.triangles[179], 90, 99, 100);
    for (int i = 0; i < 110; ++i) {
        EXPECT_NEAR(lengthOf(mesh.vertices[i].x, mesh.vertices[i].y, mesh.vertices[i].z), 2.0f,
                    eps);
        EXPECT_LE(lengthOf(mesh.vertices[i].nx, mesh.vertices[i].ny, mesh.vertices[i].nz),
                  0.5f + eps);
    }
}

TEST_F(ToolkitGenerators, SphereWithOneRingHasNoTrianglesAndWritesNoneOutOfBounds) {
    mesh.buildSphere(1.0f, 6, 1);
    EXPECT_EQ(mesh.vertexCount, 12);
    EXPECT_EQ(mesh.triangleCount, 0);
    EXPECT_EQ(mesh.buildCursor, 0);
    EXPECT_EQ(mesh.vertexBuffer, nullptr);
}

TEST_F(ToolkitGenerators, SuperellipsoidWithUnitExponentsIsASphere) {
    mesh.buildSuperellipsoid(1.0f, 1.0f, 1.0f, 4, 2);
    ASSERT_EQ(mesh.vertexCount, 12);
    EXPECT_NEAR(mesh.vertices[0].y, -1.0f, eps);  // ring 0: the pole at -radius
    EXPECT_POSITION(mesh.vertices[4], -1.0f, 0.0f, 0.0f, eps);  // phi 0, theta -180
    EXPECT_POSITION(mesh.vertices[5], 0.0f, 0.0f, -1.0f, eps);  // theta -90
    EXPECT_POSITION(mesh.vertices[6], 1.0f, 0.0f, 0.0f, eps);   // theta 0
    EXPECT_NEAR(mesh.vertices[4].u, 0.0f, eps);
    EXPECT_NEAR(mesh.vertices[6].u, root2, eps);
    EXPECT_NEAR(mesh.vertices[4].v, 1.0f - root2, eps);
    EXPECT_NEAR(mesh.vertices[8].y, 1.0f, eps);
    EXPECT_TRIANGLE(mesh.triangles[0], 4, 5, 0);
    EXPECT_TRIANGLE(mesh.triangles[4], 5, 4, 8);
}

TEST_F(ToolkitGenerators, SuperellipsoidExponentsPinchOrInflate) {
    MeshObject star, box;
    star.setDevice(&device);
    box.setDevice(&device);
    star.buildSuperellipsoid(1.0f, 1.0f, 3.0f, 8, 2);
    box.buildSuperellipsoid(1.0f, 1.0f, 0.3f, 8, 2);
    // segment 1 on the equator lies at theta -135, between the axes
    const Vertex& pinched = star.vertices[8 + 1];
    const Vertex& swollen = box.vertices[8 + 1];
    EXPECT_LT(lengthOf(pinched.x, pinched.y, pinched.z), 0.8f);
    EXPECT_GT(lengthOf(swollen.x, swollen.y, swollen.z), 1.2f);
    EXPECT_NEAR(lengthOf(star.vertices[8].x, star.vertices[8].y, star.vertices[8].z), 1.0f, eps);
}

TEST_F(ToolkitGenerators, DropComesToAPointOnTopAndIsWidestAt120Degrees) {
    mesh.buildDrop(1.0f, 4, 6, 1.0f);
    ASSERT_EQ(mesh.vertexCount, 28);
    ASSERT_EQ(mesh.triangleCount, 40);
    EXPECT_POSITION(mesh.vertices[0], 0.0f, 1.0f, 0.0f, eps);
    // ring 3: phi 90, width sin 90 (1 - cos 90) = 1
    EXPECT_POSITION(mesh.vertices[12], 1.0f, 0.0f, 0.0f, eps);
    EXPECT_POSITION(mesh.vertices[13], 0.0f, 0.0f, 1.0f, eps);
    // ring 4: phi 120, the widest ring
    const float widest = 0.8660254f * 1.5f;
    EXPECT_POSITION(mesh.vertices[16], widest, -0.5f, 0.0f, eps);
    EXPECT_NEAR(mesh.vertices[24].y, -1.0f, eps);
    EXPECT_NEAR(mesh.vertices[13].u, std::sin(90.0f * 0.004363323f), eps);
    EXPECT_NEAR(mesh.vertices[13].v, 1.0f - root2, eps);
    EXPECT_NEAR(mesh.boundsMax.x, widest, eps);
}

TEST_F(ToolkitGenerators, SupertoroidWithUnitExponentsIsATorus) {
    mesh.buildSupertoroid(3.0f, 1.0f, 3.0f, 1.0f, 1.0f, 4, 4);
    ASSERT_EQ(mesh.vertexCount, 20);
    ASSERT_EQ(mesh.triangleCount, 32);
    EXPECT_EQ(mesh.buildCursor, 32);
    EXPECT_POSITION(mesh.vertices[0], 0.0f, 0.0f, 4.0f, eps);   // phi 0, theta 90
    EXPECT_POSITION(mesh.vertices[5], -3.0f, 1.0f, 0.0f, eps);  // phi 90, theta 180
    EXPECT_POSITION(mesh.vertices[3], 4.0f, 0.0f, 0.0f, eps);   // theta 360
    for (int j = 0; j < 4; ++j) {
        EXPECT_POSITION(mesh.vertices[16 + j], mesh.vertices[j].x, mesh.vertices[j].y,
                        mesh.vertices[j].z, eps);
    }
    EXPECT_NEAR(mesh.vertices[0].u, std::sin(90.0f * 0.004363323f), eps);
    EXPECT_NEAR(mesh.vertices[4].v, 1.0f - root2, eps);
    EXPECT_TRIANGLE(mesh.triangles[0], 4, 5, 0);
    EXPECT_TRIANGLE(mesh.triangles[4], 5, 1, 0);
    EXPECT_TRIANGLE(mesh.triangles[31], 16, 12, 15);
}

TEST_F(ToolkitGenerators, SupertoroidWithSmallerXRadiusIsSqueezedAlongX) {
    mesh.buildSupertoroid(3.0f, 1.0f, 2.0f, 1.0f, 1.0f, 8, 8);
    EXPECT_NEAR(mesh.boundsMax.x, 3.0f, eps);
    EXPECT_NEAR(mesh.boundsMax.z, 4.0f, eps);
    EXPECT_NEAR(mesh.boundsMax.y, 1.0f, eps);
}

TEST_F(ToolkitGenerators, GeneratorsFillTheTexturedBufferCornerByCorner) {
    mesh.color = 0xFF336699;
    mesh.buildGrid(64.0f, 48.0f, 4, 4);
    ASSERT_NE(mesh.vertexBuffer, nullptr);
    RecordingVertexBuffer* buffer = RecordingDevice::bufferOf(mesh.vertexBuffer);
    EXPECT_EQ(buffer->fvf, 0x242u);
    EXPECT_EQ(buffer->usage, static_cast<DWORD>(D3DUSAGE_WRITEONLY));
    EXPECT_EQ(buffer->pool, D3DPOOL_DEFAULT);
    EXPECT_EQ(bufferSize(mesh.vertexBuffer), 96u * 24u);
    EXPECT_FALSE(buffer->locked);
    for (int t = 0; t < mesh.triangleCount; ++t) {
        const int corners[3] = {mesh.triangles[t].i0, mesh.triangles[t].i1, mesh.triangles[t].i2};
        for (int k = 0; k < 3; ++k) {
            const TexturedBufferVertex& b = texturedAt(mesh.vertexBuffer, 3 * t + k);
            const Vertex& v = mesh.vertices[corners[k]];
            // positions went through the rest lattice once: equal up to float error
            EXPECT_NEAR(b.x, v.x, 1e-4f);
            EXPECT_NEAR(b.y, v.y, 1e-4f);
            EXPECT_EQ(b.tu0, v.u);
            EXPECT_EQ(b.tv0, v.v);
            EXPECT_EQ(b.diffuse, 0xFF336699u);
        }
    }
}

}  // namespace
