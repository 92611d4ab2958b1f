// ShatterPanel and TextStrip: the grid and its triangle slots, the break
// (rigid pieces flying along their scatter vectors, alpha falling to 0 in
// 2.5 s) and the strips' scrolling texture coordinates.
#include "shatter_panel.h"

#include <cmath>

#include "scene_test_fixture.h"
#include "text_strip.h"

namespace {

class ShatterPanelTest : public SceneFixture {
protected:
    const PanelBufferVertex& out(const ShatterPanel& panel, int index) {
        return RecordingDevice::bufferOf(panel.vertexBuffer)->vertexAt<PanelBufferVertex>(index);
    }
    static float distance(const PanelBufferVertex& a, const PanelBufferVertex& b) {
        return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) +
                         (a.z - b.z) * (a.z - b.z));
    }
};

TEST_F(ShatterPanelTest, GridHasTwoSlotsPerQuadAndOneEmptySlotPerHalfRow) {
    ShatterPanel panel;
    panel.build(&device, 20.0f, 10.0f, 24, 12, -20.0f);
    EXPECT_EQ(panel.vertexCount, 24 * 12);
    EXPECT_EQ(panel.triangleCount, 2 * 24 * 11);
    EXPECT_EQ(RecordingDevice::bufferOf(panel.vertexBuffer)->bytes.size(), 528u * 72u);
    EXPECT_EQ(panel.triangles[0], 0);
    EXPECT_EQ(panel.triangles[1], 1);
    EXPECT_EQ(panel.triangles[2], 24);
    const int upper = 24;  // slot 2ck + c + l for k = 0, l = 0
    EXPECT_EQ(panel.triangles[3 * upper], 1);
    EXPECT_EQ(panel.triangles[3 * upper + 1], 25);
    EXPECT_EQ(panel.triangles[3 * upper + 2], 24);
    for (int slot : {23, 47, 2 * 24 * 10 + 23}) {
        EXPECT_EQ(panel.triangles[3 * slot], 0);
        EXPECT_EQ(panel.triangles[3 * slot + 2], 0);
    }
    // Row 0 is the bottom edge with v = 1.
    EXPECT_FLOAT_EQ(panel.vertices[0].x, -10.0f);
    EXPECT_FLOAT_EQ(panel.vertices[0].y, -5.0f);
    EXPECT_FLOAT_EQ(panel.vertices[0].v, 1.0f);
    EXPECT_FLOAT_EQ(panel.vertices[24 * 12 - 1].x, 10.0f);
    EXPECT_FLOAT_EQ(panel.vertices[24 * 12 - 1].y, 5.0f);
    EXPECT_FLOAT_EQ(panel.vertices[24 * 12 - 1].u, 1.0f);
    // Built intact, at alpha 136.
    for (int t = 0; t < panel.triangleCount; t += 37) {
        for (int k = 0; k < 3; ++k) {
            const PanelVertex& grid = panel.vertices[panel.triangles[3 * t + k]];
            const PanelBufferVertex& v = out(panel, 3 * t + k);
            EXPECT_NEAR(v.x, grid.x, 1e-4f);
            EXPECT_NEAR(v.y, grid.y, 1e-4f);
            EXPECT_NEAR(v.z, grid.z, 1e-4f);
            EXPECT_EQ(v.u, grid.u);
            EXPECT_EQ(v.diffuse, 0x88FFFFFFu);
        }
    }
}

TEST_F(ShatterPanelTest, BrokenPiecesKeepTheirShapeAndFlyAlongTheirScatter) {
    ShatterPanel panel;
    panel.build(&device, 64.0f, 48.0f, 40, 25, 0.0f);
    TextureRecord record{};
    panel.texture = &record;
    panel.progress = 1.0f;
    panel.update();
    EXPECT_EQ(record.alphaBlend, 1) << "a breaking panel blends";
    for (int t = 0; t < panel.triangleCount; t += 53) {
        const int* i = panel.triangles + 3 * t;
        const PanelVertex& a = panel.vertices[i[0]];
        const PanelVertex& b = panel.vertices[i[1]];
        const PanelBufferVertex& p = out(panel, 3 * t);
        const PanelBufferVertex& q = out(panel, 3 * t + 1);
        const float before = std::hypot(a.x - b.x, a.y - b.y);
        EXPECT_NEAR(distance(p, q), before, 1e-3f);
        // The centre moves by exactly the scatter vector times the progress.
        float cx = 0.0f, gx = 0.0f;
        for (int k = 0; k < 3; ++k) {
            cx += out(panel, 3 * t + k).x;
            gx += panel.vertices[i[k]].x;
        }
        EXPECT_NEAR(cx / 3.0f - gx / 3.0f, panel.scatter[t].x, 1e-3f);
    }
}

TEST_F(ShatterPanelTest, AlphaFallsToZeroAtTwoAndAHalfSecondsThenThePanelIsSpent) {
    ShatterPanel panel;
    panel.build(&device, 20.0f, 10.0f, 4, 4, 0.0f);
    panel.live = true;
    panel.progress = 1.25f;
    panel.update();
    EXPECT_EQ(panel.color, 0x44FFFFFFu);
    EXPECT_EQ(out(panel, 0).diffuse, 0x44FFFFFFu);
    panel.progress = 2.5f;
    panel.update();
    EXPECT_EQ(panel.color, 0x00FFFFFFu);
    EXPECT_TRUE(panel.live);
    panel.progress = 2.52f;
    panel.update();
    EXPECT_FALSE(panel.live);
    EXPECT_EQ(panel.color, 0x00FFFFFFu);
}

TEST_F(ShatterPanelTest, PanelWithoutBufferOrGridDrawsNothing) {
    device.failVertexBufferCreation = true;
    ShatterPanel panel;
    panel.build(&device, 20.0f, 10.0f, 4, 4, 0.0f);
    ShatterPanel flat;
    flat.build(&device, 20.0f, 10.0f, 1, 4, 0.0f);  // one column: no grid
    EXPECT_EQ(flat.triangleCount, 0);
    device.clearCalls();
    panel.update();
    panel.draw();
    flat.update();
    flat.draw();
    EXPECT_EQ(device.count("DrawPrimitive"), 0);
}

TEST_F(ShatterPanelTest, StripScrollsItsTextureAlongTheStripAndDrawsWithoutDepthTest) {
    TextStrip strip;
    strip.color = 0x55FFFFFF;
    strip.build(&device, 15.0f, -60.0f, 1);
    const PanelBufferVertex* v =
        &RecordingDevice::bufferOf(strip.vertexBuffer)->vertexAt<PanelBufferVertex>(0);
    // Corner 0 along y: (o + 0.5, -100, e).
    EXPECT_FLOAT_EQ(v[0].x, 15.5f);
    EXPECT_FLOAT_EQ(v[0].y, -100.0f);
    EXPECT_FLOAT_EQ(v[0].z, -60.0f);
    EXPECT_EQ(v[0].diffuse, 0x55FFFFFFu);
    strip.fill(0.25f);
    v = &RecordingDevice::bufferOf(strip.vertexBuffer)->vertexAt<PanelBufferVertex>(0);
    const float corner[6] = {0.0f, 1.0f, 1.0f, 0.0f, 1.0f, 0.0f};  // corners 0, 1, 2, 0, 2, 3
    for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(v[i].u, 0.25f + corner[i]);

    device.clearCalls();
    strip.draw();
    ASSERT_EQ(device.draws.size(), 1u);
    EXPECT_EQ(device.draws[0].state.renderState(D3DRS_ZENABLE), DWORD(FALSE));
    EXPECT_EQ(device.draws[0].primitiveCount, 2u);
    EXPECT_EQ(device.state.renderState(D3DRS_FILLMODE), DWORD(D3DFILL_SOLID)) << "left solid";
}

}  // namespace
