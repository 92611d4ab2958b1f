// The per-frame CPU effects: warp lattice, environment map and skinning, as
// seen in the master arrays and in the textured buffer.
#include <algorithm>
#include <vector>

#include "mesh_test_support.h"

namespace {

const float eps = 1e-4f;

class ToolkitEffects : public RecordedGridTest {
protected:
    void expectBufferFollows(const Vertex* source) {
        for (int t = 0; t < mesh.triangleCount; ++t) {
            const int corners[3] = {mesh.triangles[t].i0, mesh.triangles[t].i1,
                                    mesh.triangles[t].i2};
            for (int k = 0; k < 3; ++k) {
                const TexturedBufferVertex& b = texturedAt(mesh.vertexBuffer, 3 * t + k);
                EXPECT_POSITION(b, source[corners[k]].x, source[corners[k]].y,
                                source[corners[k]].z, 0.0f);
            }
        }
    }
};

TEST_F(ToolkitEffects, RestLatticeKeepsEveryPosition) {
    const WarpLattice& lattice = mesh.warpLattice;
    EXPECT_POSITION(lattice.extent, 64.0f, 48.0f, 0.0f, eps);
    EXPECT_POSITION(lattice.controlPoints[6], 0.6666667f, 0.33333334f, 0.0f, 0.0f);
    EXPECT_EQ(lattice.indexTable[16 + 1], 4);
    EXPECT_EQ(lattice.indexTable[16 + 4], 1);
    EXPECT_EQ(lattice.indexTable[31], 15);
    ASSERT_NE(mesh.deformedVertices, nullptr);
    for (int i = 0; i < mesh.vertexCount; ++i) {
        EXPECT_POSITION(mesh.deformedVertices[i], mesh.vertices[i].x, mesh.vertices[i].y,
                        mesh.vertices[i].z, eps);
    }
    // a flat mesh has no depth: its positions stay finite all the same
    expectBufferFollows(mesh.deformedVertices);
    mesh.applyWarp();
    expectBufferFollows(mesh.deformedVertices);
}

TEST_F(ToolkitEffects, VariantFourAtAngleZeroDistortsTheMesh) {
    mesh.renderMode = 2;
    mesh.warpVariant = 4;
    mesh.render();
    const D3DVECTOR* p = mesh.warpLattice.controlPoints;
    EXPECT_NEAR(p[5].x, 0.0f, eps);
    EXPECT_NEAR(p[5].y, 0.5f, eps);
    EXPECT_NEAR(p[6].x, 0.5f, eps);
    EXPECT_NEAR(p[6].y, 0.0f, eps);
    // vertex 5 sits at s = 1/3, t = 2/3: only P5 and P6 moved, so
    // dX = B1(s) B1(t) (0 - 1/3) + B2(s) B1(t) (1/2 - 2/3) = -20/486 of the width
    EXPECT_NEAR(mesh.deformedVertices[5].x, -32.0f + 64.0f / 3.0f - 64.0f * 20.0f / 486.0f, eps);
    EXPECT_NEAR(mesh.deformedVertices[5].y, 8.0f, eps);
    // corners are pinned
    EXPECT_POSITION(mesh.deformedVertices[0], -32.0f, 24.0f, 0.0f, eps);
    EXPECT_POSITION(mesh.deformedVertices[15], 32.0f, -24.0f, 0.0f, eps);
    expectBufferFollows(mesh.deformedVertices);
    // texture coordinates and colours are left as built
    EXPECT_EQ(texturedAt(mesh.vertexBuffer, 0).tu0, mesh.vertices[1].u);
}

TEST_F(ToolkitEffects, VariantsMoveTheirNamedPointsInOrder) {
    D3DVECTOR* p = mesh.warpLattice.controlPoints;
    mesh.warpVariant = 1;
    mesh.animateWarpLattice();
    EXPECT_POSITION(p[0], 0.0f, -0.5f, 0.0f, eps);
    EXPECT_POSITION(p[1], 0.0f, -0.25f, 0.0f, eps);
    EXPECT_POSITION(p[2], 0.5f, 0.0f, 0.0f, eps);  // half of P3 before the update
    EXPECT_POSITION(p[3], 1.0f, -1.7f, 0.0f, eps);
    EXPECT_POSITION(p[13], -0.5f, 0.75f, 0.0f, eps);
    EXPECT_POSITION(p[14], 0.0f, 0.5f, 0.0f, eps);

    mesh.warpVariant = 5;
    mesh.warpAmplitude = 2.0f;
    mesh.animateWarpLattice();
    EXPECT_POSITION(p[5], 0.0f, 1.0f, 0.0f, eps);
    EXPECT_POSITION(p[6], 1.0f, 0.0f, 0.0f, eps);
    EXPECT_POSITION(p[9], 1.0f, 2.0f, 0.0f, eps);
    EXPECT_POSITION(p[10], 2.0f, 1.0f, 0.0f, eps);

    mesh.warpVariant = 0;
    mesh.warpAngle = 90.0f;
    mesh.animateWarpLattice();
    EXPECT_POSITION(p[0], 0.0f, -1.0f, 0.0f, eps);
    EXPECT_POSITION(p[15], 1.0f, 0.3f, 0.0f, eps);
    EXPECT_POSITION(p[10], 0.5f, 0.0f, 0.0f, eps);

    // an unknown variant changes nothing; variant 3 moves only y of P12
    D3DVECTOR before[16];
    std::copy(p, p + 16, before);
    mesh.warpVariant = 6;
    mesh.animateWarpLattice();
    for (int k = 0; k < 16; ++k) {
        EXPECT_POSITION(p[k], before[k].x, before[k].y, before[k].z, 0.0f);
    }
    mesh.warpVariant = 3;
    mesh.animateWarpLattice();
    EXPECT_EQ(p[12].x, before[12].x);
    EXPECT_NEAR(p[12].y, 1.0f, eps);
}

TEST_F(ToolkitEffects, EnvironmentMapUsesTheCentralHalfOfTheTexture) {
    MeshObject sphere;
    sphere.setDevice(&device);
    sphere.color = 0xFF445566;
    sphere.buildSphere(3.0f, 12, 9);
    sphere.color = 0xFFABCDEF;
    sphere.renderMode = 1;
    sphere.setWorldTransform(0, 0, 0, 30, 70, 10);
    sphere.render();
    for (int k = 0; k < 3 * sphere.triangleCount; ++k) {
        const TexturedBufferVertex& b = texturedAt(sphere.vertexBuffer, k);
        EXPECT_GE(b.tu1, 0.25f - eps);
        EXPECT_LE(b.tu1, 0.75f + eps);
        EXPECT_GE(b.tv1, 0.25f - eps);
        EXPECT_LE(b.tv1, 0.75f + eps);
        EXPECT_EQ(b.diffuse, 0xFFABCDEFu);  // the environment map writes `color`
    }
    // a flat grid faces -z everywhere inside: its normals map to the centre
    mesh.renderMode = 1;
    mesh.render();
    for (int t = 0; t < 18; ++t) {
        for (int k = 0; k < 3; ++k) {
            const TexturedBufferVertex& b = texturedAt(mesh.vertexBuffer, 3 * t + k);
            EXPECT_NEAR(b.tu1, 0.5f, eps);
            EXPECT_NEAR(b.tv1, 0.5f, eps);
        }
    }
}

TEST_F(ToolkitEffects, EnvironmentMapTurnsAgainstTheMeshAboutYOnly) {
    for (int i = 0; i < mesh.vertexCount; ++i) {
        mesh.vertices[i].nx = 0.0f;
        mesh.vertices[i].ny = 0.0f;
        mesh.vertices[i].nz = 0.5f;
    }
    mesh.renderMode = 1;
    mesh.setWorldTransform(0, 0, 0, 0, 90, 0);
    mesh.render();
    // turned by -90 about y, (0, 0, 0.5) points along -x
    EXPECT_NEAR(texturedAt(mesh.vertexBuffer, 0).tu1, 0.25f, eps);
    EXPECT_NEAR(texturedAt(mesh.vertexBuffer, 0).tv1, 0.5f, eps);
    mesh.setWorldTransform(0, 0, 0, 90, 0, 0);
    mesh.render();
    // turned by +90 about x, it points along -y
    EXPECT_NEAR(texturedAt(mesh.vertexBuffer, 0).tu1, 0.5f, eps);
    EXPECT_NEAR(texturedAt(mesh.vertexBuffer, 0).tv1, 0.25f, eps);
    // positions and stage-0 coordinates are not touched
    EXPECT_EQ(texturedAt(mesh.vertexBuffer, 0).x, mesh.vertices[1].x);
    EXPECT_EQ(texturedAt(mesh.vertexBuffer, 0).tu0, mesh.vertices[1].u);
}

TEST_F(ToolkitEffects, WarpWithEnvironmentMapRecomputesNormalsOfTheBentMesh) {
    mesh.renderMode = 3;
    mesh.warpVariant = 4;
    mesh.warpAngle = 35.0f;
    device.clearCalls();
    mesh.render();
    // once for positions, once for the environment coordinates
    EXPECT_EQ(device.count("Lock"), 2);
    // the bent grid is still flat in z: its recomputed normals still face -z
    EXPECT_NEAR(mesh.deformedVertices[5].nz, -0.5f, 1e-3f);
    EXPECT_NEAR(texturedAt(mesh.vertexBuffer, 10).tu1, 0.5f, eps);
    expectBufferFollows(mesh.deformedVertices);
}

TEST_F(ToolkitEffects, WarpNeedsALattice) {
    MeshObject ring;
    ring.setDevice(&device);
    ring.buildRing(1.0f, 2.0f, 8);
    ring.renderMode = 2;
    ring.render();
    EXPECT_EQ(ring.deformedVertices, nullptr);
    EXPECT_EQ(texturedAt(ring.vertexBuffer, 0).y, 2.0f);
}

TEST_F(ToolkitEffects, BoneChainAtRestReproducesTheMesh) {
    mesh.buildBoneChain(2);
    ASSERT_NE(mesh.skeleton, nullptr);
    EXPECT_EQ(mesh.skeleton->boneCount, 2);
    EXPECT_EQ(mesh.skeleton->firstBone->next, mesh.skeleton->lastBone);
    EXPECT_EQ(mesh.skeleton->lastBone->parent, mesh.skeleton->firstBone);
    EXPECT_EQ(mesh.skeleton->firstBone->parent, nullptr);
    mesh.renderMode = 4;
    mesh.render();
    for (int i = 0; i < mesh.vertexCount; ++i) {
        EXPECT_POSITION(mesh.deformedVertices[i], mesh.vertices[i].x, mesh.vertices[i].y,
                        mesh.vertices[i].z, eps);
    }
    // the cached flags are cleared for the next frame
    EXPECT_EQ(mesh.skeleton->firstBone->cached, 0);
    EXPECT_EQ(mesh.skeleton->lastBone->cached, 0);
}

TEST_F(ToolkitEffects, TurningTheUpperBoneBendsTheMeshAboutTheJoint) {
    mesh.buildBoneChain(2);  // joints at y = -24 and y = 0
    mesh.skeleton->lastBone->roll = 90.0f;
    mesh.renderMode = 4;
    mesh.render();
    // the top row belongs to the upper bone alone: turned 90 degrees about z
    EXPECT_POSITION(mesh.deformedVertices[0], -24.0f, -32.0f, 0.0f, eps);
    // row 2 (y = -8) is a third lower bone, two thirds upper bone
    EXPECT_POSITION(mesh.deformedVertices[8], -32.0f / 3.0f + 16.0f / 3.0f, -8.0f / 3.0f - 64.0f / 3.0f,
                    0.0f, eps);
    // the bottom row stays with the lower bone
    EXPECT_POSITION(mesh.deformedVertices[12], -32.0f, -24.0f, 0.0f, eps);
    expectBufferFollows(mesh.deformedVertices);
}

TEST_F(ToolkitEffects, SkinningWithEnvironmentMapAndWithoutASkeleton) {
    MeshObject sphere;
    sphere.setDevice(&device);
    sphere.buildSphere(2.0f, 8, 8);
    sphere.buildBoneChain(3);
    sphere.skeleton->firstBone->next->pitch = 40.0f;
    sphere.renderMode = 5;
    device.clearCalls();
    sphere.render();
    EXPECT_EQ(device.count("Lock"), 2);
    for (int k = 0; k < 3 * sphere.triangleCount; ++k) {
        EXPECT_GE(texturedAt(sphere.vertexBuffer, k).tu1, 0.25f - eps);
        EXPECT_LE(texturedAt(sphere.vertexBuffer, k).tu1, 0.75f + eps);
    }
    // without a skeleton the mesh draws as built
    mesh.renderMode = 4;
    device.clearCalls();
    mesh.render();
    EXPECT_EQ(device.count("Lock"), 0);
    EXPECT_EQ(device.count("DrawPrimitive"), 1);
}

}  // namespace

namespace {

// The rest lattice: point k at column k % 4, row k / 4, in thirds.
D3DVECTOR restPoint(int k) { return D3DVECTOR{float(k % 4) / 3.0f, float(k / 4) / 3.0f, 0.0f}; }

struct PlanePoint {
    int index;
    float x, y;
};

// Every one of the 16 points: the named ones where the variant puts them,
// the others still at rest.
void expectLattice(const D3DVECTOR* p, const std::vector<PlanePoint>& moved) {
    for (int k = 0; k < 16; ++k) {
        D3DVECTOR want = restPoint(k);
        for (const PlanePoint& point : moved) {
            if (point.index == k) want = D3DVECTOR{point.x, point.y, 0.0f};
        }
        EXPECT_NEAR(p[k].x, want.x, eps) << "point " << k;
        EXPECT_NEAR(p[k].y, want.y, eps) << "point " << k;
    }
}

}  // namespace

TEST_F(ToolkitEffects, VariantTwoMovesTheInnerPointsOfTheOuterColumns) {
    mesh.warpVariant = 2;
    mesh.warpAngle = 30.0f;  // S = 0.5, C = 0.8660254
    mesh.animateWarpLattice();
    const float s = 0.5f, c = 0.8660254f;
    expectLattice(mesh.warpLattice.controlPoints,
                  {{0, s - 1, 0.5f * c - 1}, {3, 1 - c, -1 - 0.7f * s}, {4, 0.5f * s, 0.5f * c},
                   {7, 0.5f * c, 0.5f * s}, {9, 0.5f * c, 0.5f * s}, {10, 0.5f * s, 0.5f * c},
                   {12, s - 1, 0.5f * c + 1}, {15, 1 - c, 1 - 0.7f * s}});
}

TEST_F(ToolkitEffects, VariantThreeMovesTheTopRowAndOnlyYOfTheBottomCorners) {
    mesh.warpVariant = 3;
    mesh.warpAngle = 30.0f;
    mesh.animateWarpLattice();
    const float s = 0.5f, c = 0.8660254f;
    expectLattice(mesh.warpLattice.controlPoints,
                  {{0, s - 1, 0.5f * c - 1}, {1, 0.5f * s, 0.5f * c}, {3, 1 - c, -1 - 0.7f * s},
                   {5, 0.5f * s, 0.5f * c}, {6, 0.5f * c, 0.5f * s}, {12, 0.0f, 0.5f * c + 1},
                   {15, 1.0f, 1 - 0.7f * s}});
    // the bent grid follows the moved lattice: vertex 5 (s = 1/3, t = 2/3 of
    // the box) is no longer where it was built
    mesh.applyWarp();
    EXPECT_GT(std::fabs(mesh.deformedVertices[5].x - mesh.vertices[5].x) +
                  std::fabs(mesh.deformedVertices[5].y - mesh.vertices[5].y),
              0.5f);
}

namespace {

// v · R for the row-vector rotations of the math library, angle in degrees.
D3DVECTOR turnAboutX(D3DVECTOR v, float degrees) {
    const float a = degrees * 0.017453292f, c = std::cos(a), s = std::sin(a);
    return D3DVECTOR{v.x, v.y * c - v.z * s, v.y * s + v.z * c};
}
D3DVECTOR turnAboutY(D3DVECTOR v, float degrees) {
    const float a = degrees * 0.017453292f, c = std::cos(a), s = std::sin(a);
    return D3DVECTOR{v.x * c + v.z * s, v.y, -v.x * s + v.z * c};
}
D3DVECTOR turnAboutZ(D3DVECTOR v, float degrees) {
    const float a = degrees * 0.017453292f, c = std::cos(a), s = std::sin(a);
    return D3DVECTOR{v.x * c - v.y * s, v.x * s + v.y * c, v.z};
}

}  // namespace

TEST_F(ToolkitEffects, EnvironmentMapTurnsAboutYThenXThenZ) {
    const D3DVECTOR normal{0.1f, 0.2f, 0.4f};
    for (int i = 0; i < mesh.vertexCount; ++i) {
        mesh.vertices[i].nx = normal.x;
        mesh.vertices[i].ny = normal.y;
        mesh.vertices[i].nz = normal.z;
    }
    mesh.renderMode = 1;
    mesh.setWorldTransform(0, 0, 0, 40, 25, 65);
    mesh.render();
    // first about y by the negated angle, then about x, then about z
    const D3DVECTOR turned = turnAboutZ(turnAboutX(turnAboutY(normal, -25.0f), 40.0f), 65.0f);
    for (int k = 0; k < 3 * mesh.triangleCount; ++k) {
        EXPECT_NEAR(texturedAt(mesh.vertexBuffer, k).tu1, (turned.x + 1.0f) * 0.5f, eps) << k;
        EXPECT_NEAR(texturedAt(mesh.vertexBuffer, k).tv1, (turned.y + 1.0f) * 0.5f, eps) << k;
    }
}

TEST_F(ToolkitEffects, EnvironmentMapFollowsTheSignsOfATiltedPlane) {
    // The grid tilted into z = 0.25 x + 0.5 y: every face has the same normal.
    for (int i = 0; i < mesh.vertexCount; ++i)
        mesh.vertices[i].z = 0.25f * mesh.vertices[i].x + 0.5f * mesh.vertices[i].y;
    mesh.computeNormals(mesh.vertices);
    // The face normal of the first triangle, from its corners: with u = P0 - P1
    // and w = P0 - P2, n = (u.y w.z - w.y u.z, u.x w.z - w.x u.z, w.x u.y - u.x w.y).
    const Vertex& p0 = mesh.vertices[mesh.triangles[0].i0];
    const Vertex& p1 = mesh.vertices[mesh.triangles[0].i1];
    const Vertex& p2 = mesh.vertices[mesh.triangles[0].i2];
    const D3DVECTOR u{p0.x - p1.x, p0.y - p1.y, p0.z - p1.z};
    const D3DVECTOR w{p0.x - p2.x, p0.y - p2.y, p0.z - p2.z};
    D3DVECTOR n{u.y * w.z - w.y * u.z, u.x * w.z - w.x * u.z, w.x * u.y - u.x * w.y};
    const float half = 0.5f / lengthOf(n.x, n.y, n.z);
    n = D3DVECTOR{n.x * half, n.y * half, n.z * half};
    // the plane rises along x and y, so neither component is zero
    ASSERT_GT(std::fabs(n.x), 0.05f);
    ASSERT_GT(std::fabs(n.y), 0.05f);
    mesh.renderMode = 1;
    mesh.setWorldTransform(0, 0, 0, 0, 0, 0);
    mesh.render();
    // the corners of the real triangles; vertex 0 also counts the (0, 0, 0)
    // filler records, which shorten its normal
    const int corners = 3 * realTriangles(mesh, mesh.triangleCount);
    for (int k = 0; k < corners; ++k) {
        const Triangle& triangle = mesh.triangles[k / 3];
        const int vertex = k % 3 == 0 ? triangle.i0 : k % 3 == 1 ? triangle.i1 : triangle.i2;
        if (vertex == 0) continue;
        EXPECT_NEAR(texturedAt(mesh.vertexBuffer, k).tu1, (n.x + 1.0f) * 0.5f, 1e-3f) << k;
        EXPECT_NEAR(texturedAt(mesh.vertexBuffer, k).tv1, (n.y + 1.0f) * 0.5f, 1e-3f) << k;
    }
}
