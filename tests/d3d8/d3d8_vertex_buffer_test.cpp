// Vertex buffers (the program's formats 0x242, 0x42, 0x142) and D3DRS_WRAP0.
#include <cstring>

#include "d3d8_test_scene.h"

namespace {

// FVF 0x242: XYZ | DIFFUSE | TEX2, 32 bytes.
struct MeshVertex {
    float x, y, z;
    D3DCOLOR diffuse;
    float u0, v0, u1, v1;
};
constexpr DWORD kMeshFvf = 0x242;
static_assert(sizeof(MeshVertex) == 32, "the program's textured vertex is 32 bytes");

// FVF 0x42: XYZ | DIFFUSE, 16 bytes.
struct FlatVertex {
    float x, y, z;
    D3DCOLOR diffuse;
};
constexpr DWORD kFlatFvf = 0x42;

class VertexBufferTest : public DevicePictureTest {
protected:
    void TearDown() override {
        device->SetStreamSource(0, nullptr, 0);
        device->SetTexture(0, nullptr);
        if (buffer != nullptr) buffer->Release();
        if (texture != nullptr) texture->Release();
        DevicePictureTest::TearDown();
    }
    template <typename Vertex>
    void fill(const Vertex* vertices, UINT count, DWORD fvf) {
        if (buffer == nullptr) {
            ASSERT_EQ(device->CreateVertexBuffer(count * sizeof(Vertex), D3DUSAGE_WRITEONLY, fvf, D3DPOOL_MANAGED, &buffer),
                      D3D_OK);
        }
        BYTE* data = nullptr;
        ASSERT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
        std::memcpy(data, vertices, count * sizeof(Vertex));
        ASSERT_EQ(buffer->Unlock(), D3D_OK);
        device->SetVertexShader(fvf);
        device->SetStreamSource(0, buffer, sizeof(Vertex));
    }
    // A full-screen quad of the program's textured format, u0 from uLeft to uRight.
    void meshQuad(float uLeft, float uRight, D3DCOLOR color = 0xFFFFFFFF) {
        const MeshVertex quad[6] = {{-1, 1, 0.5f, color, uLeft, 0.5f, 0, 0},  {1, 1, 0.5f, color, uRight, 0.5f, 0, 0},
                                    {-1, -1, 0.5f, color, uLeft, 0.5f, 0, 0}, {1, 1, 0.5f, color, uRight, 0.5f, 0, 0},
                                    {1, -1, 0.5f, color, uRight, 0.5f, 0, 0}, {-1, -1, 0.5f, color, uLeft, 0.5f, 0, 0}};
        fill(quad, 6, kMeshFvf);
    }
    // A 4 x 1 texture: red, green, blue, white from u = 0 to 1.
    void stripeTexture() {
        ASSERT_EQ(device->CreateTexture(4, 1, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
        D3DLOCKED_RECT locked{};
        texture->LockRect(0, &locked, nullptr, 0);
        const DWORD stripes[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
        std::memcpy(locked.pBits, stripes, sizeof(stripes));
        texture->UnlockRect(0);
        device->SetTexture(0, texture);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    }
    IDirect3DVertexBuffer8* buffer = nullptr;
    IDirect3DTexture8* texture = nullptr;
};

TEST_F(VertexBufferTest, FlatFormatDrawsItsColours) {
    const FlatVertex quad[6] = {{-1, 1, 0.5f, 0xFF102030}, {1, 1, 0.5f, 0xFF102030},  {-1, -1, 0.5f, 0xFF102030},
                                {1, 1, 0.5f, 0xFF102030},  {1, -1, 0.5f, 0xFF102030}, {-1, -1, 0.5f, 0xFF102030}};
    fill(quad, 6, kFlatFvf);
    ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x00102030, 0));
}

TEST_F(VertexBufferTest, EachUnlockReplacesTheDrawnContents) {
    meshQuad(0.1f, 0.1f, 0xFFFF0000);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x00FF0000, 0));
    meshQuad(0.1f, 0.1f, 0xFF00FF00);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x0000FF00, 0));
}

TEST_F(VertexBufferTest, StartVertexSelectsTheTriangles) {
    const FlatVertex triangles[6] = {{-1, 1, 0.5f, 0xFFFF0000}, {1, 1, 0.5f, 0xFFFF0000},  {-1, -1, 0.5f, 0xFFFF0000},
                                     {1, 1, 0.5f, 0xFF0000FF},  {1, -1, 0.5f, 0xFF0000FF}, {-1, -1, 0.5f, 0xFF0000FF}};
    fill(triangles, 6, kFlatFvf);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 3, 1), D3D_OK);
    const RgbaImage picture = present();
    EXPECT_TRUE(pixelNear(picture, 10, 10, 0, 0));
    EXPECT_TRUE(pixelNear(picture, 118, 118, 0x000000FF, 0));
}

TEST_F(VertexBufferTest, DrawingPastTheEndIsRefused) {
    meshQuad(0, 1);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 3), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 4, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0xFFFFFFF0u, 0x10000000u), D3DERR_INVALIDCALL);
    BYTE* data = nullptr;
    EXPECT_EQ(buffer->Lock(100, 200, &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(buffer->Unlock(), D3DERR_INVALIDCALL);
}

TEST_F(VertexBufferTest, DescribesItself) {
    meshQuad(0, 1);
    D3DVERTEXBUFFER_DESC desc{};
    ASSERT_EQ(buffer->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Size, 6 * sizeof(MeshVertex));
    EXPECT_EQ(desc.FVF, kMeshFvf);
    EXPECT_EQ(desc.Type, D3DRTYPE_VERTEXBUFFER);
    IDirect3DVertexBuffer8* stream = nullptr;
    UINT stride = 0;
    ASSERT_EQ(device->GetStreamSource(0, &stream, &stride), D3D_OK);
    EXPECT_EQ(stream, buffer);
    EXPECT_EQ(stride, sizeof(MeshVertex));
    stream->Release();
}

// u from 0.8 at the left to 0.1 at the right. Unwrapped the middle is at
// 0.45 (green); wrapped it runs 0.8 -> 1.1 and the middle is at 0.95 (white).
TEST_F(VertexBufferTest, Wrap0TakesTheShortWayRoundTheSeam) {
    stripeTexture();
    meshQuad(0.8f, 0.1f);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x0000FF00, 0));
    device->SetRenderState(D3DRS_WRAP0, D3DWRAP_U);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    RgbaImage picture = present();
    EXPECT_TRUE(pixelNear(picture, 64, 64, 0x00FFFFFF, 0));
    EXPECT_TRUE(pixelNear(picture, 120, 64, 0x00FF0000, 0));  // past the seam: u = 1.08
    // A new Unlock is wrapped anew.
    meshQuad(0.3f, 0.6f);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x0000FF00, 0));  // 0.3 -> 0.6 does not cross the seam
    device->SetRenderState(D3DRS_WRAP0, 0);
}

TEST_F(VertexBufferTest, Wrap0AppliesToVToo) {
    stripeTexture();
    // The stripes along v: swap the texture coordinates.
    const MeshVertex quad[6] = {{-1, 1, 0.5f, 0xFFFFFFFF, 0.5f, 0.8f, 0, 0},  {1, 1, 0.5f, 0xFFFFFFFF, 0.5f, 0.8f, 0, 0},
                                {-1, -1, 0.5f, 0xFFFFFFFF, 0.5f, 0.1f, 0, 0}, {1, 1, 0.5f, 0xFFFFFFFF, 0.5f, 0.8f, 0, 0},
                                {1, -1, 0.5f, 0xFFFFFFFF, 0.5f, 0.1f, 0, 0}, {-1, -1, 0.5f, 0xFFFFFFFF, 0.5f, 0.1f, 0, 0}};
    // A 1 x 4 texture is the 4 x 1 one turned: make it so.
    device->SetTexture(0, nullptr);
    texture->Release();
    ASSERT_EQ(device->CreateTexture(1, 4, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    D3DLOCKED_RECT locked{};
    texture->LockRect(0, &locked, nullptr, 0);
    const DWORD stripes[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    for (int y = 0; y < 4; ++y) std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch, &stripes[y], 4);
    texture->UnlockRect(0);
    device->SetTexture(0, texture);
    fill(quad, 6, kMeshFvf);
    device->SetRenderState(D3DRS_WRAP0, D3DWRAP_U);  // U only: v unwrapped
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x0000FF00, 0));
    device->SetRenderState(D3DRS_WRAP0, D3DWRAP_U | D3DWRAP_V);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x00FFFFFF, 0));
    device->SetRenderState(D3DRS_WRAP0, 0);
}

TEST_F(VertexBufferTest, Wrap0WorksForDrawPrimitiveUP) {
    stripeTexture();
    device->SetRenderState(D3DRS_WRAP0, D3DWRAP_U);
    const ScreenVertex quad[6] = {{0, 0, 0, 1, 0xFFFFFFFF, 0.8f, 0.5f},     {128, 0, 0, 1, 0xFFFFFFFF, 0.1f, 0.5f},
                                  {0, 128, 0, 1, 0xFFFFFFFF, 0.8f, 0.5f},   {128, 0, 0, 1, 0xFFFFFFFF, 0.1f, 0.5f},
                                  {128, 128, 0, 1, 0xFFFFFFFF, 0.1f, 0.5f}, {0, 128, 0, 1, 0xFFFFFFFF, 0.8f, 0.5f}};
    device->SetVertexShader(kScreenFvf);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad, sizeof(ScreenVertex));
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x00FFFFFF, 0));
    device->SetRenderState(D3DRS_WRAP0, 0);
}

// FVF 0x142 (XYZ | DIFFUSE | TEX1, 24 bytes) modulated with its texture.
TEST_F(VertexBufferTest, OneCoordinateSetFormatModulates) {
    struct Vertex {
        float x, y, z;
        D3DCOLOR diffuse;
        float u, v;
    };
    ASSERT_EQ(sizeof(Vertex), 24u);
    stripeTexture();
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    const Vertex quad[6] = {{-1, 1, 0.5f, 0xFF808080, 0.9f, 0.5f},  {1, 1, 0.5f, 0xFF808080, 0.9f, 0.5f},
                            {-1, -1, 0.5f, 0xFF808080, 0.9f, 0.5f}, {1, 1, 0.5f, 0xFF808080, 0.9f, 0.5f},
                            {1, -1, 0.5f, 0xFF808080, 0.9f, 0.5f},  {-1, -1, 0.5f, 0xFF808080, 0.9f, 0.5f}};
    fill(quad, 6, 0x142);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    EXPECT_TRUE(pixelNear(present(), 64, 64, 0x00808080, 1));
}

TEST_F(VertexBufferTest, BufferOutlivingTheDeviceCanStillBeReleased) {
    meshQuad(0, 1);
    device->SetStreamSource(0, nullptr, 0);
    IDirect3DVertexBuffer8* kept = buffer;
    buffer = nullptr;
    releaseTestDevice(&test);
    BYTE* data = nullptr;
    EXPECT_EQ(kept->Lock(0, 0, &data, 0), D3D_OK);
    EXPECT_EQ(kept->Unlock(), D3D_OK);
    EXPECT_EQ(kept->Release(), 0u);
    ASSERT_TRUE(createTestDevice(width, height, &test)) << test.error;  // for TearDown
    device = test.device;
}

}  // namespace
