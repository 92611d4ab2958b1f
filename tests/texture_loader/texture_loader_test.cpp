// D3DXCreateTextureFromFileExA on an in-memory device: texture format, size
// and level choices, how levels are filled, colour keys, and failures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "d3dx8tex.h"
#include "image_decoders.h"
#include "recording_device.h"
#include "resampling.h"
#include "image_writers.h"
#include "temp_folder.h"

namespace {

DWORD gradient(UINT x, UINT y) { return 0xFF000000u | ((x * 255 / 299) << 16) | ((y * 255 / 199) << 8) | 0x40; }

int channel(D3DCOLOR c, int shift) { return (int)((c >> shift) & 255); }

void expectColourNear(D3DCOLOR expected, D3DCOLOR actual, int tolerance) {
    for (int shift = 0; shift < 32; shift += 8)
        EXPECT_NEAR(channel(expected, shift), channel(actual, shift), tolerance)
            << std::hex << "expected " << expected << " got " << actual;
}

class TextureLoader : public ::testing::Test {
protected:
    RecordingDevice device;
    TempFolder folder{"texture-loader"};
    std::string dir = folder.path();

    std::string file(const std::string& name, const std::vector<BYTE>& bytes) {
        std::string path = dir + "/" + name;
        writeFileBytes(path, bytes);
        return path;
    }
    // The texture table's call: size, format and levels from the file, managed
    // pool, linear filters, no colour key.
    HRESULT loadAsTheTableDoes(const std::string& path, RecordingTexture** texture, D3DXIMAGE_INFO* info = nullptr) {
        IDirect3DTexture8* made = nullptr;
        HRESULT result = D3DXCreateTextureFromFileExA(&device, path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 0, 0,
                                                      D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_LINEAR,
                                                      D3DX_FILTER_LINEAR, 0, info, nullptr, &made);
        *texture = static_cast<RecordingTexture*>(made);
        return result;
    }
};

}  // namespace

TEST_F(TextureLoader, OddSizedJpegBecomesPowerOfTwoWithEveryLevelFromTheImage) {
    // Corners in four distinct colours show where each level was sampled from.
    auto corners = [](UINT x, UINT y) -> DWORD {
        if (x < 150) return y < 100 ? 0xFFFF0000u : 0xFF00FF00u;
        return y < 100 ? 0xFF0000FFu : 0xFFFFFFFFu;
    };
    std::string path = file("odd.jpg", encodeJpeg(300, 200, corners, 100));
    RecordingTexture* texture = nullptr;
    D3DXIMAGE_INFO info;
    ASSERT_EQ(S_OK, loadAsTheTableDoes(path, &texture, &info));
    EXPECT_EQ(300u, info.Width);
    EXPECT_EQ(200u, info.Height);
    EXPECT_EQ(D3DFMT_X8R8G8B8, info.Format);
    EXPECT_EQ(D3DXIFF_JPG, info.ImageFileFormat);
    EXPECT_EQ(1u, info.MipLevels);
    EXPECT_EQ(D3DFMT_X8R8G8B8, texture->format);
    ASSERT_EQ(10u, texture->levels.size());  // 512 has ten bits
    EXPECT_EQ(512u, texture->levels[0].width);
    EXPECT_EQ(256u, texture->levels[0].height);
    EXPECT_EQ(1u, texture->levels[9].width);
    EXPECT_EQ(1u, texture->levels[9].height);
    // Level 0 keeps the quadrants.
    expectColourNear(0xFFFF0000u, texture->pixel(0, 100, 60), 6);
    expectColourNear(0xFFFFFFFFu, texture->pixel(0, 400, 200), 6);
    // The 1 x 1 level is resampled straight from the 300 x 200 image: its
    // taps wrap to the four corner pixels, averaged equally.
    expectColourNear(0xFF808080u, texture->pixel(9, 0, 0), 6);
    texture->Release();
    EXPECT_EQ(0, device.liveTextures);
}

TEST_F(TextureLoader, PalettePngIsOpaqueWithoutTransparencyAndAlphaWithIt) {
    std::vector<DWORD> palette = {0xFF0000, 0x00FF00, 0x0000FF};
    auto index = [](UINT x, UINT) { return (BYTE)(x % 3); };
    RecordingTexture* opaque = nullptr;
    ASSERT_EQ(S_OK, loadAsTheTableDoes(file("opaque.png", encodePalettePng(4, 4, palette, {}, index)), &opaque));
    EXPECT_EQ(D3DFMT_X8R8G8B8, opaque->format);
    expectColourNear(0xFF00FF00u, opaque->pixel(0, 1, 0), 0);
    opaque->Release();

    RecordingTexture* translucent = nullptr;
    std::vector<BYTE> alpha = {255, 128};
    ASSERT_EQ(S_OK, loadAsTheTableDoes(file("alpha.png", encodePalettePng(4, 4, palette, alpha, index)), &translucent));
    EXPECT_EQ(D3DFMT_A8R8G8B8, translucent->format);
    expectColourNear(0x8000FF00u, translucent->pixel(0, 1, 0), 0);
    expectColourNear(0xFF0000FFu, translucent->pixel(0, 2, 0), 0);  // beyond tRNS: opaque
    translucent->Release();

    // An all-opaque tRNS chunk keeps the texture opaque.
    RecordingTexture* listedOpaque = nullptr;
    ASSERT_EQ(S_OK, loadAsTheTableDoes(file("listed.png", encodePalettePng(4, 4, palette, {255, 255, 255}, index)),
                                       &listedOpaque));
    EXPECT_EQ(D3DFMT_X8R8G8B8, listedOpaque->format);
    listedOpaque->Release();
}

TEST_F(TextureLoader, BottomUpTgaIsFlippedSoItsLastStoredRowIsOnTop) {
    // 1 x 2, 24-bit, descriptor bit 5 clear: stored red then blue.
    std::vector<BYTE> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 2, 0, 24, 0,
                             0, 0, 255,  // first stored: red
                             255, 0, 0};  // last stored: blue
    RecordingTexture* texture = nullptr;
    ASSERT_EQ(S_OK, loadAsTheTableDoes(file("rows.tga", tga), &texture));
    expectColourNear(0xFF0000FFu, texture->pixel(0, 0, 0), 0);
    expectColourNear(0xFFFF0000u, texture->pixel(0, 0, 1), 0);
    texture->Release();

    tga[17] = 0x20;  // top-down: as stored
    ASSERT_EQ(S_OK, loadAsTheTableDoes(file("rows-top.tga", tga), &texture));
    expectColourNear(0xFFFF0000u, texture->pixel(0, 0, 0), 0);
    texture->Release();
}

TEST_F(TextureLoader, FilesNoDecoderAcceptsFailAndLeaveNothingBehind) {
    std::vector<BYTE> noise;
    for (int i = 0; i < 500; i++) noise.push_back((BYTE)(i * 37 + 11));
    IDirect3DTexture8* texture = nullptr;
    HRESULT result = D3DXCreateTextureFromFileExA(&device, file("noise.bin", noise).c_str(), D3DX_DEFAULT,
                                                  D3DX_DEFAULT, 0, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, 3, 3, 0,
                                                  nullptr, nullptr, &texture);
    EXPECT_EQ(D3DXERR_INVALIDDATA, result);
    EXPECT_EQ(nullptr, texture);

    result = D3DXCreateTextureFromFileExA(&device, (dir + "/missing.png").c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                          0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, 3, 3, 0, nullptr, nullptr, &texture);
    EXPECT_TRUE(FAILED(result));
    result = D3DXCreateTextureFromFileExA(&device, nullptr, D3DX_DEFAULT, D3DX_DEFAULT, 0, 0, D3DFMT_UNKNOWN,
                                          D3DPOOL_MANAGED, 3, 3, 0, nullptr, nullptr, &texture);
    EXPECT_TRUE(FAILED(result));
    result = D3DXCreateTextureFromFileExA(&device, file("empty.png", {}).c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 0, 0,
                                          D3DFMT_UNKNOWN, D3DPOOL_MANAGED, 3, 3, 0, nullptr, nullptr, &texture);
    EXPECT_TRUE(FAILED(result));
    EXPECT_EQ(nullptr, texture);
    EXPECT_EQ(0, device.textureCreations);
}

TEST_F(TextureLoader, InvalidRequestsAreRefused) {
    std::string path = file("small.png", encodePng(8, 8, [](UINT, UINT) { return 0xFF102030u; }, false));
    IDirect3DTexture8* texture = nullptr;
    EXPECT_EQ(D3DERR_INVALIDCALL,
              D3DXCreateTextureFromFileExA(&device, path.c_str(), 0, 0, 0, 0x10 /* software processing */,
                                           D3DFMT_UNKNOWN, D3DPOOL_MANAGED, 3, 3, 0, nullptr, nullptr, &texture));
    EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateTextureFromFileExA(&device, path.c_str(), 0, 0, 0, 0, D3DFMT_UNKNOWN,
                                                               (D3DPOOL)4, 3, 3, 0, nullptr, nullptr, &texture));
    EXPECT_TRUE(FAILED(D3DXCreateTextureFromFileExA(nullptr, path.c_str(), 0, 0, 0, 0, D3DFMT_UNKNOWN,
                                                    D3DPOOL_MANAGED, 3, 3, 0, nullptr, nullptr, &texture)));
    EXPECT_TRUE(FAILED(D3DXCreateTextureFromFileExA(&device, path.c_str(), 0, 0, 0, 0, D3DFMT_UNKNOWN,
                                                    D3DPOOL_MANAGED, 9, 3, 0, nullptr, nullptr, &texture)));
    // A format the device cannot make and has no substitute for.
    device.acceptedFormats = {D3DFMT_L8};
    EXPECT_TRUE(FAILED(D3DXCreateTextureFromFileExA(&device, path.c_str(), 0, 0, 0, 0, D3DFMT_UNKNOWN,
                                                    D3DPOOL_MANAGED, 3, 3, 0, nullptr, nullptr, &texture)));
    EXPECT_EQ(nullptr, texture);
    EXPECT_EQ(0, device.liveTextures);
}

TEST_F(TextureLoader, DefaultPoolTexturesAreFilledThroughSystemMemory) {
    std::string path = file("gradient.png", encodePng(64, 32, [](UINT x, UINT y) { return gradient(x * 4, y * 6); }, false));
    IDirect3DTexture8* made = nullptr;
    ASSERT_EQ(S_OK, D3DXCreateTextureFromFileExA(&device, path.c_str(), 0, 0, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_DEFAULT,
                                                 D3DX_FILTER_POINT, D3DX_FILTER_POINT, 0, nullptr, nullptr, &made));
    RecordingTexture* texture = static_cast<RecordingTexture*>(made);
    EXPECT_EQ(D3DPOOL_DEFAULT, texture->pool);
    EXPECT_EQ(1u, texture->levels.size());
    EXPECT_EQ(1, device.updateTextureCalls);
    EXPECT_EQ(1, device.liveTextures);  // the staging copy is gone
    expectColourNear(gradient(40, 60), texture->pixel(0, 10, 10), 0);
    texture->Release();
}

// The levels below the first are made on a second thread while the texture
// is created: each must hold the bytes it gets made alone from the image.
TEST_F(TextureLoader, LevelsMadeAlongsideTheTextureMatchThoseMadeAlone) {
    auto noise = [](UINT x, UINT y) -> DWORD {
        DWORD v = (x * 2654435761u) ^ (y * 40503u + 12345u);
        v ^= v >> 13;
        return v * 2246822519u;
    };
    const std::vector<BYTE> bytes = encodePng(96, 40, noise, true);  // padded to 128 x 64
    std::string path = file("noise.png", bytes);
    RecordingTexture* texture = nullptr;
    ASSERT_EQ(S_OK, loadAsTheTableDoes(path, &texture));
    ASSERT_EQ(8u, texture->levels.size());
    DecodedImage image;
    ASSERT_EQ(S_OK, decodeImageFile(bytes.data(), (UINT)bytes.size(), &image));
    for (UINT level = 0; level < texture->levels.size(); ++level) {
        const RecordingTexture::Level& made = texture->levels[level];
        std::vector<BYTE> alone((size_t)made.width * made.height * 4);
        ASSERT_EQ(S_OK, loadLevelFromImage(alone.data(), made.width * 4, texture->format, nullptr, made.width,
                                           made.height, &image, D3DX_FILTER_LINEAR, 0));
        for (UINT y = 0; y < made.height; ++y)
            ASSERT_EQ(0, std::memcmp(made.bytes.data() + (size_t)y * made.pitch, alone.data() + (size_t)y * made.width * 4,
                                     (size_t)made.width * 4))
                << "level " << level << " row " << y;
    }
    texture->Release();
    EXPECT_EQ(0, device.liveTextures);
}

TEST_F(TextureLoader, SizesAndLevelsFollowTheDeviceCaps) {
    std::string path = file("wide.png", encodePng(300, 20, [](UINT, UINT) { return 0xFF808080u; }, false));
    auto load = [&](UINT levels) {
        IDirect3DTexture8* made = nullptr;
        EXPECT_EQ(S_OK, D3DXCreateTextureFromFileExA(&device, path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, levels, 0,
                                                     D3DFMT_UNKNOWN, D3DPOOL_MANAGED, 3, 3, 0, nullptr, nullptr,
                                                     &made));
        return static_cast<RecordingTexture*>(made);
    };
    RecordingTexture* texture = load(0);
    EXPECT_EQ(512u, texture->levels[0].width);
    EXPECT_EQ(32u, texture->levels[0].height);
    EXPECT_EQ(10u, texture->levels.size());
    texture->Release();

    texture = load(3);  // a requested count limits the chain
    EXPECT_EQ(3u, texture->levels.size());
    texture->Release();

    device.caps.MaxTextureWidth = 256;
    device.caps.MaxTextureAspectRatio = 4;
    texture = load(0);
    EXPECT_EQ(128u, texture->levels[0].width);  // 256 by the maximum, 4 x 32 by the aspect limit, then pow2
    EXPECT_EQ(32u, texture->levels[0].height);
    texture->Release();

    device.caps.TextureCaps |= D3DPTEXTURECAPS_SQUAREONLY;
    texture = load(0);
    EXPECT_EQ(32u, texture->levels[0].width);
    EXPECT_EQ(32u, texture->levels[0].height);
    texture->Release();

    device.caps = RecordingDevice().caps;
    device.caps.TextureCaps |= D3DPTEXTURECAPS_NONPOW2CONDITIONAL;  // sizes kept, then no mip chain
    texture = load(0);
    EXPECT_EQ(300u, texture->levels[0].width);
    EXPECT_EQ(20u, texture->levels[0].height);
    EXPECT_EQ(1u, texture->levels.size());
    texture->Release();

    device.caps.TextureCaps = 0;  // no power-of-two rule, no mip-mapping
    texture = load(0);
    EXPECT_EQ(300u, texture->levels[0].width);
    EXPECT_EQ(1u, texture->levels.size());
    texture->Release();
    EXPECT_EQ(0, device.liveTextures);
}

TEST_F(TextureLoader, BoxMipFilterBuildsEachLevelFromTheOneAbove) {
    // 4 x 4 in four 2 x 2 quadrants of 0, 64, 128, 255 grey.
    auto quadrants = [](UINT x, UINT y) -> DWORD {
        static const DWORD grey[4] = {0x00, 0x40, 0x80, 0xFF};
        DWORD g = grey[(y / 2) * 2 + x / 2];
        return 0xFF000000u | g << 16 | g << 8 | g;
    };
    std::string path = file("quadrants.png", encodePng(4, 4, quadrants, false));
    IDirect3DTexture8* made = nullptr;
    ASSERT_EQ(S_OK, D3DXCreateTextureFromFileExA(&device, path.c_str(), 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                                 D3DX_FILTER_NONE, D3DX_FILTER_BOX, 0, nullptr, nullptr, &made));
    RecordingTexture* texture = static_cast<RecordingTexture*>(made);
    ASSERT_EQ(3u, texture->levels.size());
    expectColourNear(0xFF404040u, texture->pixel(1, 1, 0), 0);
    expectColourNear(0xFFFFFFFFu, texture->pixel(1, 1, 1), 0);
    expectColourNear(0xFF6F6F6Fu, texture->pixel(2, 0, 0), 1);  // (0 + 64 + 128 + 255) / 4
    texture->Release();
}

TEST_F(TextureLoader, ColourKeyMakesMatchingPixelsTransparentBlack) {
    auto stripes = [](UINT x, UINT) -> DWORD { return x % 2 ? 0xFFFF00FFu : 0xFF00FF00u; };
    std::string path = file("keyed.tga", encodeTga(4, 2, stripes, true));
    IDirect3DTexture8* made = nullptr;
    ASSERT_EQ(S_OK, D3DXCreateTextureFromFileExA(&device, path.c_str(), 0, 0, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                                 D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0xFFFF00FFu, nullptr, nullptr,
                                                 &made));
    RecordingTexture* texture = static_cast<RecordingTexture*>(made);
    EXPECT_EQ(D3DFMT_A8R8G8B8, texture->format);
    EXPECT_EQ(0u, texture->pixel(0, 1, 0));
    expectColourNear(0xFF00FF00u, texture->pixel(0, 0, 0), 0);
    texture->Release();

    // Palette images are keyed through their palette.
    std::vector<DWORD> palette = {0x000000, 0xFF00FF, 0x00FF00};
    path = file("keyed.png", encodePalettePng(4, 1, palette, {}, [](UINT x, UINT) { return (BYTE)(x % 3); }));
    PALETTEENTRY entries[256];
    ASSERT_EQ(S_OK, D3DXCreateTextureFromFileExA(&device, path.c_str(), 0, 0, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                                 D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0xFFFF00FFu, nullptr, entries,
                                                 &made));
    texture = static_cast<RecordingTexture*>(made);
    EXPECT_EQ(0, entries[1].peFlags);
    EXPECT_EQ(255, entries[2].peFlags);
    EXPECT_EQ(D3DFMT_A8R8G8B8, texture->format);  // the keyed entry needs alpha
    EXPECT_EQ(0u, texture->pixel(0, 1, 0));
    expectColourNear(0xFF00FF00u, texture->pixel(0, 2, 0), 0);
    texture->Release();
}

TEST_F(TextureLoader, ImageInformationDescribesTheFile) {
    std::string path = file("rgb.png", encodePng(10, 6, [](UINT, UINT) { return 0xFF112233u; }, false));
    RecordingTexture* texture = nullptr;
    D3DXIMAGE_INFO info;
    ASSERT_EQ(S_OK, loadAsTheTableDoes(path, &texture, &info));
    EXPECT_EQ(10u, info.Width);
    EXPECT_EQ(6u, info.Height);
    EXPECT_EQ(1u, info.Depth);
    EXPECT_EQ(D3DFMT_R8G8B8, info.Format);
    EXPECT_EQ(D3DRTYPE_TEXTURE, info.ResourceType);
    EXPECT_EQ(D3DXIFF_PNG, info.ImageFileFormat);
    EXPECT_EQ(D3DFMT_X8R8G8B8, texture->format);  // R8G8B8 becomes X8R8G8B8
    texture->Release();
}

TEST_F(TextureLoader, FailuresAreReportedToTheDebuggerOutput) {
    setenv("ZELVARO_DEBUG_OUTPUT", "1", 1);  // the debugger output goes to standard error
    auto messagesFor = [&](const std::string& name, const std::vector<BYTE>& bytes) {
        IDirect3DTexture8* texture = nullptr;
        testing::internal::CaptureStderr();
        HRESULT result = D3DXCreateTextureFromFileExA(&device, file(name, bytes).c_str(), 0, 0, 0, 0, D3DFMT_UNKNOWN,
                                                      D3DPOOL_MANAGED, 3, 3, 0, nullptr, nullptr, &texture);
        std::string text = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(FAILED(result)) << name;
        EXPECT_EQ(nullptr, texture);
        return text;
    };
    EXPECT_NE(std::string::npos, messagesFor("noise.bin", std::vector<BYTE>(64, 0x42)).find("D3DX: Unsupported file format"));

    std::vector<BYTE> png = encodePng(4, 4, [](UINT, UINT) { return 0xFF000000u; }, false);
    png[png.size() - 20] ^= 0xFF;  // IDAT data no longer matches its CRC
    EXPECT_NE(std::string::npos, messagesFor("broken.png", png).find("D3DX: LoadPNG: "));

    std::vector<BYTE> jpeg = encodeJpeg(16, 16, [](UINT, UINT) { return 0xFF808080u; });
    jpeg[3] = 0x02;  // the first marker segment now claims a length too short to be valid
    jpeg[4] = 0x00;
    jpeg[5] = 0x01;
    EXPECT_NE(std::string::npos, messagesFor("broken.jpg", jpeg).find("D3DX: LoadJPG: "));

    // A cube map with one face missing (the +X face flag is clear).
    std::vector<BYTE> dds(128 + 6 * 16, 0);
    auto put = [&](size_t at, DWORD v) { memcpy(&dds[at], &v, 4); };
    memcpy(dds.data(), "DDS ", 4);
    put(4, 124);
    put(8, 0x1007);
    put(12, 2);
    put(16, 2);
    put(76, 32);
    put(80, 0x41);
    put(88, 32);
    put(92, 0xFF0000);
    put(96, 0xFF00);
    put(100, 0xFF);
    put(104, 0xFF000000);
    put(112, 0x200 | 0xF800);
    EXPECT_NE(std::string::npos, messagesFor("partial.dds", dds).find("D3DX: LoadDDS: Partial cubemaps not supported."));
    put(80, 0x4);
    put(84, MAKEFOURCC('B', 'C', '7', 'X'));
    put(112, 0);
    EXPECT_NE(std::string::npos, messagesFor("unknown.dds", dds).find("D3DX: Unrecognized pixel format in DDS file."));
    unsetenv("ZELVARO_DEBUG_OUTPUT");
}
