// Texture transforms (D3DTS_TEXTUREn with D3DTSS_TEXTURETRANSFORMFLAGS): the
// coordinates (u, v) enter as the row vector (u, v, 1, 0), so the matrix's
// third row translates them; COUNTn says how many results the rasterizer
// gets, PROJECTED divides by the last of them.
#include "d3d8_test_scene.h"

#include <vector>

namespace {

class TextureTransformTest : public DevicePictureTest {
protected:
    void SetUp() override {
        DevicePictureTest::SetUp();
        // 2 x 2 texels: red, green on the top row; blue, white below.
        ASSERT_EQ(device->CreateTexture(2, 2, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
        D3DLOCKED_RECT locked{};
        texture->LockRect(0, &locked, nullptr, 0);
        auto row = [&](int y) { return reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch); };
        row(0)[0] = 0xFFFF0000;
        row(0)[1] = 0xFF00FF00;
        row(1)[0] = 0xFF0000FF;
        row(1)[1] = 0xFFFFFFFF;
        texture->UnlockRect(0);
        device->SetTexture(0, texture);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    }
    void TearDown() override {
        device->SetTexture(0, nullptr);
        if (texture != nullptr) texture->Release();
        DevicePictureTest::TearDown();
    }
    static D3DMATRIX identity() {
        D3DMATRIX m{};
        m._11 = m._22 = m._33 = m._44 = 1.0f;
        return m;
    }
    // The whole target with coordinates 0..1, through the transforms, and the
    // colours at the centres of its four quarters: top left, top right, bottom
    // left, bottom right.
    std::vector<uint32_t> quarters() {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        drawClipRect(-1, -1, 1, 1, 0xFFFFFFFF);
        const RgbaImage picture = present();
        std::vector<uint32_t> colours;
        for (const POINT at : {POINT{32, 32}, POINT{96, 32}, POINT{32, 96}, POINT{96, 96}}) {
            colours.push_back(picture.argb(at.x, at.y) & 0x00FFFFFFu);
        }
        return colours;
    }

    IDirect3DTexture8* texture = nullptr;
};

const std::vector<uint32_t> untransformed = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};

TEST_F(TextureTransformTest, WithoutFlagsTheMatrixIsIgnored) {
    D3DMATRIX shift = identity();
    shift._31 = 0.5f;
    ASSERT_EQ(device->SetTransform(D3DTS_TEXTURE0, &shift), D3D_OK);
    EXPECT_EQ(quarters(), untransformed);
}

TEST_F(TextureTransformTest, CountTwoAppliesTheMatrixWithTheThirdRowAsTranslation) {
    device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    D3DMATRIX matrix = identity();
    EXPECT_EQ(device->SetTransform(D3DTS_TEXTURE0, &matrix), D3D_OK);
    EXPECT_EQ(quarters(), untransformed);
    // u + 0.5, wrapping: the columns change places.
    matrix._31 = 0.5f;
    device->SetTransform(D3DTS_TEXTURE0, &matrix);
    EXPECT_EQ(quarters(), (std::vector<uint32_t>{0x00FF00, 0xFF0000, 0xFFFFFF, 0x0000FF}));
    // u' = v, v' = u: the picture is mirrored about its diagonal.
    matrix = identity();
    matrix._11 = matrix._22 = 0.0f;
    matrix._12 = matrix._21 = 1.0f;
    device->SetTransform(D3DTS_TEXTURE0, &matrix);
    EXPECT_EQ(quarters(), (std::vector<uint32_t>{0xFF0000, 0x0000FF, 0x00FF00, 0xFFFFFF}));
    // u' = 0.5 v + 0.5 (row vector times matrix: the second row feeds u').
    matrix = identity();
    matrix._11 = 0.0f;
    matrix._21 = 0.5f;
    matrix._31 = 0.5f;
    device->SetTransform(D3DTS_TEXTURE0, &matrix);
    EXPECT_EQ(quarters(), (std::vector<uint32_t>{0x00FF00, 0x00FF00, 0xFFFFFF, 0xFFFFFF}));
}

TEST_F(TextureTransformTest, ProjectedDividesByTheLastCoordinate) {
    D3DCAPS8 caps{};
    device->GetDeviceCaps(&caps);
    EXPECT_TRUE(caps.TextureCaps & D3DPTEXTURECAPS_PROJECTED);
    // The third result is 1 * 2: u and v are halved, so the top-left texel fills everything.
    D3DMATRIX matrix = identity();
    matrix._33 = 2.0f;
    device->SetTransform(D3DTS_TEXTURE0, &matrix);
    device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT3);
    EXPECT_EQ(quarters(), untransformed) << "not projected: the third result is not used";
    device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT3 | D3DTTFF_PROJECTED);
    EXPECT_EQ(quarters(), (std::vector<uint32_t>{0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000}));
    // The same through the fourth result.
    matrix = identity();
    matrix._34 = 2.0f;
    device->SetTransform(D3DTS_TEXTURE0, &matrix);
    device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT4 | D3DTTFF_PROJECTED);
    EXPECT_EQ(quarters(), (std::vector<uint32_t>{0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000}));
}

TEST_F(TextureTransformTest, EachStageHasItsOwnTransform) {
    device->SetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    D3DMATRIX shift = identity();
    shift._31 = 0.5f;
    ASSERT_EQ(device->SetTransform(D3DTS_TEXTURE1, &shift), D3D_OK);
    EXPECT_EQ(quarters(), untransformed) << "stage 0 has no transform";
    D3DMATRIX back{};
    ASSERT_EQ(device->GetTransform(D3DTS_TEXTURE1, &back), D3D_OK);
    EXPECT_EQ(back._31, 0.5f);
    ASSERT_EQ(device->SetTransform(D3DTS_TEXTURE3, &shift), D3D_OK) << "one per stage the device has";
    EXPECT_EQ(device->SetTransform(D3DTS_TEXTURE4, &shift), D3DERR_INVALIDCALL);
}

// Chosen: screen-space vertices bypass the texture transforms as they bypass
// the other transforms.
TEST_F(TextureTransformTest, ScreenSpaceVerticesAreNotTransformed) {
    device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    D3DMATRIX shift = identity();
    shift._31 = 0.5f;
    device->SetTransform(D3DTS_TEXTURE0, &shift);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    drawRect(0, 0, 128, 128, 0xFFFFFFFF);
    const RgbaImage picture = present();
    EXPECT_TRUE(pixelNear(picture, 32, 32, 0x00FF0000, 0));
    EXPECT_TRUE(pixelNear(picture, 96, 96, 0x00FFFFFF, 0));
}

}  // namespace
