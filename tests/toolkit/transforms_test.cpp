// The transform operations, checked as the matrices handed to the device, and
// the cached world matrices of bone nodes.
#include "mesh_test_support.h"

namespace {

const float eps = 1e-4f;

// p * M with the row-vector convention.
D3DVECTOR transformed(const D3DMATRIX& m, float x, float y, float z) {
    return {x * m._11 + y * m._21 + z * m._31 + m._41, x * m._12 + y * m._22 + z * m._32 + m._42,
            x * m._13 + y * m._23 + z * m._33 + m._43};
}

class ToolkitTransforms : public ::testing::Test {
protected:
    RecordingDevice device;
    MeshObject mesh;
    void SetUp() override { mesh.setDevice(&device); }
    const RecordedCall& onlyTransformCall() {
        EXPECT_EQ(device.count("SetTransform"), 1);
        return *device.last("SetTransform");
    }
};

TEST_F(ToolkitTransforms, WorldWithAllZeroArgumentsIsTheIdentity) {
    mesh.rotation = {5.0f, 6.0f, 7.0f};
    mesh.setWorldTransform(0, 0, 0, 0, 0, 0);
    const RecordedCall& call = onlyTransformCall();
    EXPECT_EQ(call.args[0], static_cast<DWORD>(D3DTS_WORLD));
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(call.matrix.m[r][c], r == c ? 1.0f : 0.0f, 1e-6f) << r << "," << c;
        }
    }
    EXPECT_POSITION(mesh.rotation, 0.0f, 0.0f, 0.0f, 0.0f);
}

TEST_F(ToolkitTransforms, WorldTurnsAboutTheOwnAxesThenMoves) {
    mesh.setWorldTransform(10, 0, 0, 0, 90, 0);
    const D3DMATRIX& m = onlyTransformCall().matrix;
    EXPECT_POSITION(transformed(m, 0, 0, 0), 10.0f, 0.0f, 0.0f, eps);
    EXPECT_POSITION(transformed(m, 1, 0, 0), 10.0f, 0.0f, -1.0f, eps);
    EXPECT_POSITION(mesh.rotation, 0.0f, 90.0f, 0.0f, 0.0f);

    // y first, then x: (0, 0, 1) goes to (1, 0, 0), not to (0, -1, 0)
    device.clearCalls();
    mesh.setWorldTransform(0, 0, 0, 90, 90, 0);
    EXPECT_POSITION(transformed(onlyTransformCall().matrix, 0, 0, 1), 1.0f, 0.0f, 0.0f, eps);
    // then z: (1, 0, 0) turned 90 degrees about z lands on +y
    device.clearCalls();
    mesh.setWorldTransform(0, 0, 0, 0, 0, 90);
    EXPECT_POSITION(transformed(onlyTransformCall().matrix, 1, 0, 0), 0.0f, 1.0f, 0.0f, eps);
}

TEST_F(ToolkitTransforms, DoubleTurnsTheMovedMeshAboutTheWorldOrigin) {
    mesh.setWorldTransformDouble(10, 0, 0, 0, 0, 0, 0, 90, 0);
    const D3DMATRIX& m = onlyTransformCall().matrix;
    EXPECT_POSITION(transformed(m, 0, 0, 0), 0.0f, 0.0f, -10.0f, eps);
    // only the first set of angles is stored
    EXPECT_POSITION(mesh.rotation, 0.0f, 0.0f, 0.0f, 0.0f);
    device.clearCalls();
    mesh.setWorldTransformDouble(0, 0, 0, 1, 2, 3, 40, 50, 60);
    EXPECT_POSITION(mesh.rotation, 1.0f, 2.0f, 3.0f, 0.0f);
}

TEST_F(ToolkitTransforms, ScaledScalesAboutTheOwnOriginFirst) {
    mesh.setWorldTransformScaled(2, 3, 4, 1, 0, 0, 0, 0, 0);
    const D3DMATRIX& m = onlyTransformCall().matrix;
    EXPECT_POSITION(transformed(m, 1, 1, 1), 3.0f, 3.0f, 4.0f, eps);
    device.clearCalls();
    mesh.setWorldTransformScaled(2, 1, 1, 0, 0, 0, 0, 90, 0);
    // scaled along x, then turned: (1, 0, 0) -> (2, 0, 0) -> (0, 0, -2)
    EXPECT_POSITION(transformed(onlyTransformCall().matrix, 1, 0, 0), 0.0f, 0.0f, -2.0f, eps);
    EXPECT_POSITION(mesh.rotation, 0.0f, 90.0f, 0.0f, 0.0f);
}

TEST_F(ToolkitTransforms, ViewAtDistanceIsAPureTranslation) {
    mesh.setViewTransform(0, 0, 150, 0, 0, 0);
    const RecordedCall& call = onlyTransformCall();
    EXPECT_EQ(call.args[0], static_cast<DWORD>(D3DTS_VIEW));
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            const float expected = (r == 3 && c == 2) ? 150.0f : (r == c ? 1.0f : 0.0f);
            EXPECT_NEAR(call.matrix.m[r][c], expected, 1e-5f) << r << "," << c;
        }
    }
    // the view moves first, then turns: the origin ends up below the camera axis
    device.clearCalls();
    mesh.setViewTransform(0, 0, 10, 90, 0, 0);
    EXPECT_POSITION(transformed(onlyTransformCall().matrix, 0, 0, 0), 0.0f, -10.0f, 0.0f, eps);
    EXPECT_POSITION(mesh.rotation, 0.0f, 0.0f, 0.0f, 0.0f);  // the view stores nothing
}

TEST(ToolkitTransformNode, ChainsComposeWithTheParentAndCacheTheResult) {
    TransformNode root;
    TransformNode child;
    child.parent = &root;
    root.position[0] = 5.0f;
    child.position[1] = 2.0f;
    child.roll = 90.0f;
    child.update();
    EXPECT_EQ(root.cached, 1);
    EXPECT_EQ(child.cached, 1);
    // child: turned about z, moved up by 2, then moved by the root's 5 along x
    EXPECT_POSITION(transformed(child.world, 1, 0, 0), 5.0f, 3.0f, 0.0f, eps);

    // a cached node is not recomputed even though its position changed
    child.position[1] = 100.0f;
    root.position[0] = 100.0f;
    child.update();
    EXPECT_POSITION(transformed(child.world, 0, 0, 0), 5.0f, 2.0f, 0.0f, eps);
    child.cached = 0;
    child.update();  // the root is still cached: only the child's own change shows
    EXPECT_POSITION(transformed(child.world, 0, 0, 0), 5.0f, 100.0f, 0.0f, eps);
}

TEST(ToolkitTransformNode, YawPitchRollFollowsRollThenPitchThenYaw) {
    TransformNode node;
    node.yaw = 90.0f;
    node.pitch = 90.0f;
    node.update();
    // pitch first turns +y onto +z, then yaw turns +z onto +x
    EXPECT_POSITION(transformed(node.world, 0, 1, 0), 1.0f, 0.0f, 0.0f, eps);
}

TEST(ToolkitTransformNode, SkeletonUpdateRefreshesTheWholeChainFromTheLastBone) {
    TransformNode first, middle, last;
    middle.parent = &first;
    last.parent = &middle;
    first.next = &middle;
    middle.next = &last;
    first.position[0] = 1.0f;
    middle.position[0] = 1.0f;
    last.position[0] = 1.0f;
    Skeleton skeleton;
    skeleton.update();  // no last bone yet: nothing happens
    EXPECT_EQ(first.cached, 0);
    skeleton.firstBone = &first;
    skeleton.lastBone = &last;
    skeleton.boneCount = 3;
    skeleton.update();
    EXPECT_EQ(first.cached, 1);
    EXPECT_EQ(middle.cached, 1);
    EXPECT_NEAR(last.world._41, 3.0f, eps);
}

}  // namespace
