// Meshes drawn by the real device (OpenGL, headless) and read back: a
// textured grid, the environment map, the warp and a line burst. Expected
// pictures are computed from the mesh data with the show's standard camera.
#include "d3dx8math.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "d3d_test_device.h"
#include "mesh_object.h"
#include "texture_table.h"

namespace {

const UINT pictureWidth = 128;
const UINT pictureHeight = 96;
const float cameraDistance = 57.7f;  // a 64 x 48 plane at the origin fills the screen

struct ScreenPoint {
    float x, y;
};

class ToolkitPictures : public ::testing::Test {
protected:
    TestDevice test;
    IDirect3DDevice8* device = nullptr;
    D3DXMATRIX projection;

    void SetUp() override {
        ASSERT_TRUE(createTestDevice(pictureWidth, pictureHeight, &test)) << test.error;
        device = test.device;
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, 1.33333f, 0.01f, 100000.0f);
        device->SetTransform(D3DTS_PROJECTION, &projection);
    }
    void TearDown() override { releaseTestDevice(&test); }

    void beginFrame() { beginTestFrame(device); }
    RgbaImage endFrame(const char* name) { return endTestFrame(device, name); }

    // Where a point of the z = 0 plane (world = identity) lands on screen.
    ScreenPoint project(float x, float y, float z = 0.0f) const {
        const D3DXVECTOR3 view(x, y, z + cameraDistance);
        D3DXVECTOR4 clip;
        D3DXVec3Transform(&clip, &view, &projection);
        return {(clip.x / clip.w + 1.0f) * 0.5f * pictureWidth,
                (1.0f - clip.y / clip.w) * 0.5f * pictureHeight};
    }

    // A pictureWidth x pictureHeight texture painted by `paint(u, v)`.
    IDirect3DTexture8* paintedTexture(const std::function<D3DCOLOR(float, float)>& paint,
                                      UINT size = 64) {
        IDirect3DTexture8* texture = nullptr;
        EXPECT_EQ(device->CreateTexture(size, size, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                        &texture),
                  D3D_OK);
        if (texture == nullptr) {
            return nullptr;
        }
        D3DLOCKED_RECT locked{};
        texture->LockRect(0, &locked, nullptr, 0);
        for (UINT y = 0; y < size; ++y) {
            BYTE* row = static_cast<BYTE*>(locked.pBits) + y * locked.Pitch;
            for (UINT x = 0; x < size; ++x) {
                const D3DCOLOR color = paint((x + 0.5f) / size, (y + 0.5f) / size);
                std::memcpy(row + x * 4, &color, 4);
            }
        }
        texture->UnlockRect(0);
        return texture;
    }
};

TEST_F(ToolkitPictures, TexturedGridFillsTheScreenWithItsPictureUpright) {
    IDirect3DTexture8* quadrants = paintedTexture([](float u, float v) -> D3DCOLOR {
        if (v < 0.5f) return u < 0.5f ? 0xFFFF0000 : 0xFF00FF00;
        return u < 0.5f ? 0xFF0000FF : 0xFFFFFFFF;
    });
    ASSERT_NE(quadrants, nullptr);
    TextureRecord record{1, 0, D3DBLEND_ONE, D3DBLEND_ZERO, quadrants};
    MeshObject grid;
    grid.setDevice(device);
    grid.buildGrid(64.0f, 48.0f, 4, 4);
    grid.texture0 = &record;

    beginFrame();
    grid.setViewTransform(0, 0, cameraDistance, 0, 0, 0);
    grid.setWorldTransform(0, 0, 0, 0, 0, 0);
    grid.render();
    const RgbaImage picture = endFrame("toolkit_textured_grid");

    EXPECT_TRUE(pixelNear(picture, 30, 22, 0xFFFF0000, 8));
    EXPECT_TRUE(pixelNear(picture, 98, 22, 0xFF00FF00, 8));
    EXPECT_TRUE(pixelNear(picture, 30, 74, 0xFF0000FF, 8));
    EXPECT_TRUE(pixelNear(picture, 98, 74, 0xFFFFFFFF, 8));
    // the plane reaches the screen edges
    EXPECT_TRUE(pixelNear(picture, 1, 1, 0xFFFF0000, 8));
    EXPECT_TRUE(pixelNear(picture, 126, 94, 0xFFFFFFFF, 8));

    // turned half way about y it shows its back: culled with the default mode
    beginFrame();
    grid.setWorldTransform(0, 0, 0, 0, 180, 0);
    grid.render();
    const RgbaImage back = endFrame("toolkit_textured_grid_back");
    EXPECT_TRUE(pixelNear(back, 64, 48, 0xFF000000, 2));
    quadrants->Release();
}

TEST_F(ToolkitPictures, EnvironmentMapTurnsAgainstTheMeshAboutY) {
    // left half red, right half blue; the reflection samples only the centre half
    IDirect3DTexture8* halves = paintedTexture(
        [](float u, float) -> D3DCOLOR { return u < 0.5f ? 0xFFFF0000 : 0xFF0000FF; });
    ASSERT_NE(halves, nullptr);
    TextureRecord record{2, 0, D3DBLEND_ONE, D3DBLEND_ZERO, halves};
    MeshObject grid;
    grid.setDevice(device);
    grid.buildGrid(40.0f, 30.0f, 5, 5);
    for (int i = 0; i < grid.vertexCount; ++i) {
        grid.vertices[i].nx = 0.0f;
        grid.vertices[i].ny = 0.0f;
        grid.vertices[i].nz = 0.5f;
    }
    grid.texture1 = &record;
    grid.renderMode = 1;
    grid.cullMode = 2;
    grid.stageSetup0 = new TextureStageSetup();
    grid.stageSetup0->colorOp = D3DTOP_SELECTARG2;  // the diffuse colour
    grid.stageSetup0->alphaOp = D3DTOP_SELECTARG2;
    grid.stageSetup1 = new TextureStageSetup();
    grid.stageSetup1->stage = 1;
    grid.stageSetup1->colorArg2 = D3DTA_CURRENT;
    grid.stageSetup1->alphaOp = D3DTOP_SELECTARG2;
    grid.stageSetup1->alphaArg2 = D3DTA_CURRENT;

    beginFrame();
    grid.setViewTransform(0, 0, cameraDistance, 0, 0, 0);
    grid.setWorldTransform(0, 0, 0, 0, 30, 0);
    grid.render();
    const RgbaImage turnedLeft = endFrame("toolkit_environment_map_30");
    EXPECT_TRUE(pixelNear(turnedLeft, 64, 48, 0xFFFF0000, 8));

    beginFrame();
    grid.setWorldTransform(0, 0, 0, 0, -30, 0);
    grid.render();
    const RgbaImage turnedRight = endFrame("toolkit_environment_map_-30");
    EXPECT_TRUE(pixelNear(turnedRight, 64, 48, 0xFF0000FF, 8));
    halves->Release();
}

TEST_F(ToolkitPictures, EnvironmentMapOfASphereShowsOnlyTheCentralHalf) {
    IDirect3DTexture8* framed = paintedTexture([](float u, float v) -> D3DCOLOR {
        const bool centre = u > 0.24f && u < 0.76f && v > 0.24f && v < 0.76f;
        if (!centre) return 0xFFFF0000;
        return u < 0.5f ? 0xFF00FF00 : 0xFF0000FF;
    });
    ASSERT_NE(framed, nullptr);
    TextureRecord record{3, 0, D3DBLEND_ONE, D3DBLEND_ZERO, framed};
    MeshObject sphere;
    sphere.setDevice(device);
    sphere.buildSphere(18.0f, 24, 16);
    sphere.texture1 = &record;
    sphere.renderMode = 1;
    sphere.cullMode = 2;
    sphere.stageSetup0 = new TextureStageSetup();
    sphere.stageSetup0->colorOp = D3DTOP_SELECTARG2;
    sphere.stageSetup1 = new TextureStageSetup();
    sphere.stageSetup1->stage = 1;
    sphere.stageSetup1->colorArg2 = D3DTA_CURRENT;

    beginFrame();
    sphere.setViewTransform(0, 0, cameraDistance, 0, 0, 0);
    sphere.setWorldTransform(0, 0, 0, 20, 40, 0);
    sphere.render();
    const RgbaImage picture = endFrame("toolkit_environment_sphere");
    int green = 0;
    int blue = 0;
    int red = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t c = picture.argb(x, y);
            green += ((c >> 8) & 0xFF) > 128 ? 1 : 0;
            blue += (c & 0xFF) > 128 ? 1 : 0;
            red += ((c >> 16) & 0xFF) > 128 ? 1 : 0;
        }
    }
    // the normals sweep across the centre half: both of its colours show, the frame never
    EXPECT_GT(green, 300);
    EXPECT_GT(blue, 300);
    EXPECT_GT(green + blue, 2500);
    EXPECT_EQ(red, 0);
    framed->Release();
}

// Whether p lies inside triangle (a, b, c), and how far it is from its edges.
float signedEdgeDistance(ScreenPoint p, ScreenPoint a, ScreenPoint b, ScreenPoint c) {
    const ScreenPoint corners[3] = {a, b, c};
    const float area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    if (std::fabs(area) < 1e-6f) {
        return -1e9f;
    }
    float nearest = 1e9f;
    for (int k = 0; k < 3; ++k) {
        const ScreenPoint& from = corners[k];
        const ScreenPoint& to = corners[(k + 1) % 3];
        const float length = std::hypot(to.x - from.x, to.y - from.y);
        float side = ((to.x - from.x) * (p.y - from.y) - (to.y - from.y) * (p.x - from.x)) / length;
        if (area < 0.0f) side = -side;
        nearest = std::min(nearest, side);
    }
    return nearest;  // positive inside
}

TEST_F(ToolkitPictures, WarpedGridCoversExactlyItsDeformedTriangles) {
    MeshObject grid;
    grid.setDevice(device);
    grid.buildGrid(48.0f, 36.0f, 8, 8);
    grid.cullMode = 2;
    grid.renderMode = 2;
    grid.warpVariant = 0;
    grid.warpAngle = 60.0f;

    beginFrame();
    grid.setViewTransform(0, 0, cameraDistance, 0, 0, 0);
    grid.setWorldTransform(0, 0, 0, 0, 0, 0);
    grid.render();
    const RgbaImage picture = endFrame("toolkit_warp");

    int checkedInside = 0;
    int checkedOutside = 0;
    int wrong = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const ScreenPoint centre{x + 0.5f, y + 0.5f};
            float best = -1e9f;
            for (int t = 0; t < grid.triangleCount; ++t) {
                const Triangle& tri = grid.triangles[t];
                const Vertex* d = grid.deformedVertices;
                best = std::max(best, signedEdgeDistance(centre, project(d[tri.i0].x, d[tri.i0].y),
                                                         project(d[tri.i1].x, d[tri.i1].y),
                                                         project(d[tri.i2].x, d[tri.i2].y)));
            }
            const bool lit = (picture.argb(x, y) & 0xFF) > 128;
            if (best > 1.5f) {
                ++checkedInside;
                wrong += lit ? 0 : 1;
            } else if (best < -1.5f) {
                ++checkedOutside;
                wrong += lit ? 1 : 0;
            }
        }
    }
    EXPECT_GT(checkedInside, 1500);
    EXPECT_GT(checkedOutside, 1500);  // the warp has pulled the grid well off its rest outline
    EXPECT_EQ(wrong, 0);
}

TEST_F(ToolkitPictures, LineBurstLightsItsRaysAndNothingElse) {
    MeshObject burst;
    burst.setDevice(device);
    burst.color = 0xFFFFFFFF;
    burst.buildRayBurst(6.0f, 4, 3, 8.0f);

    beginFrame();
    burst.setViewTransform(0, 0, cameraDistance, 0, 0, 0);
    burst.setWorldTransform(0, 0, 0, 0, 0, 0);
    burst.renderLines();
    const RgbaImage picture = endFrame("toolkit_line_burst");

    // the segments on screen
    std::vector<std::pair<ScreenPoint, ScreenPoint>> segments;
    for (int l = 0; l < burst.lineCount; ++l) {
        const Vertex& a = burst.vertices[burst.triangles[l].i0];
        const Vertex& b = burst.vertices[burst.triangles[l].i1];
        segments.push_back({project(a.x, a.y, a.z), project(b.x, b.y, b.z)});
    }
    auto brightNear = [&](ScreenPoint p) {
        int brightest = 0;
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                const int x = static_cast<int>(p.x) + dx;
                const int y = static_cast<int>(p.y) + dy;
                if (x >= 0 && y >= 0 && x < picture.width && y < picture.height) {
                    brightest = std::max(brightest, static_cast<int>(picture.argb(x, y) & 0xFF));
                }
            }
        }
        return brightest;
    };
    int litMidpoints = 0;
    for (const auto& segment : segments) {
        const float length = std::hypot(segment.second.x - segment.first.x,
                                        segment.second.y - segment.first.y);
        if (length < 4.0f) {
            continue;  // rays pointing at the camera are dots
        }
        const ScreenPoint middle{(segment.first.x + segment.second.x) / 2,
                                 (segment.first.y + segment.second.y) / 2};
        EXPECT_GT(brightNear(middle), 200) << middle.x << "," << middle.y;
        ++litMidpoints;
    }
    EXPECT_GT(litMidpoints, 10);

    // pixels away from every segment stay black
    int darkChecked = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const ScreenPoint p{x + 0.5f, y + 0.5f};
            float nearest = 1e9f;
            for (const auto& s : segments) {
                const float vx = s.second.x - s.first.x, vy = s.second.y - s.first.y;
                const float lengthSquared = vx * vx + vy * vy;
                float t = lengthSquared > 0 ? ((p.x - s.first.x) * vx + (p.y - s.first.y) * vy) /
                                                  lengthSquared
                                            : 0.0f;
                t = std::max(0.0f, std::min(1.0f, t));
                nearest = std::min(nearest, std::hypot(p.x - (s.first.x + t * vx),
                                                       p.y - (s.first.y + t * vy)));
            }
            if (nearest > 3.0f) {
                ++darkChecked;
                EXPECT_LT(picture.argb(x, y) & 0xFF, 16u) << x << "," << y;
            }
        }
    }
    EXPECT_GT(darkChecked, 5000);
}

}  // namespace
