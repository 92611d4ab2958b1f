// A real Direct3D 8 device for picture tests, without a Win32 window: it
// draws with OpenGL into a hidden window (headless under
// SDL_VIDEODRIVER=offscreen). Pictures are read back the Direct3D 8 way
// (GetFrontBuffer / CopyRects into a lockable image surface).
//
//   TestDevice test;
//   ASSERT_TRUE(createTestDevice(256, 256, &test)) << test.error;
//   ... draw with test.device, Present ...
//   RgbaImage picture = readFrontBuffer(test.device);
//   EXPECT_TRUE(pixelNear(picture, 10, 10, 0x00FF0000, 2));
//   releaseTestDevice(&test);
#ifndef ZELVARO_TESTS_SUPPORT_D3D_TEST_DEVICE_H
#define ZELVARO_TESTS_SUPPORT_D3D_TEST_DEVICE_H

#include <d3d8.h>

#include <string>

#include "image_compare.h"

struct TestDevice {
    IDirect3D8* direct3D = nullptr;
    IDirect3DDevice8* device = nullptr;
    UINT width = 0;
    UINT height = 0;
    std::string error;  // why creation failed
};

// A windowed device with an automatic D24S8 depth buffer and a back buffer of
// the given size and format. Returns false (and fills error) when there is no
// display or no OpenGL 3.3.
bool createTestDevice(UINT width, UINT height, TestDevice* test, D3DFORMAT backBufferFormat = D3DFMT_X8R8G8B8);

// Releases the device and the interface; every resource should be released before.
void releaseTestDevice(TestDevice* test);

// The last presented picture (GetFrontBuffer), top row first.
RgbaImage readFrontBuffer(IDirect3DDevice8* device);

// The current content of a colour surface: the back buffer, a render target or
// a texture level (CopyRects into an image surface of its format, which must
// be A8R8G8B8 or X8R8G8B8; X8R8G8B8 pixels read with alpha 0xFF).
RgbaImage readSurface(IDirect3DDevice8* device, IDirect3DSurface8* surface);

// Level 0 of a render-target texture.
RgbaImage readTexture(IDirect3DDevice8* device, IDirect3DTexture8* texture);

// One picture-test frame: beginTestFrame clears the colour (to opaque black)
// and the depth and begins the scene; endTestFrame ends it, presents it and
// reads it back, saving it as `name` when the running test has failed so far.
void beginTestFrame(IDirect3DDevice8* device);
RgbaImage endTestFrame(IDirect3DDevice8* device, const char* name);

// Writes the image to test-pictures/<name>.png under the current directory (the
// test's build folder under ctest) for a look at a
// failure; returns the path.
std::string saveTestPicture(const RgbaImage& image, const std::string& name);

#endif  // ZELVARO_TESTS_SUPPORT_D3D_TEST_DEVICE_H
