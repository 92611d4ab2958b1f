// The demo's start-up and shutdown sequences, run for real: a device on a
// window of the Win32 layer (SDL offscreen), the data set's textures, the
// soundtrack on SDL's dummy audio driver and all fourteen scenes. The test
// program is linked with --wrap for every step the two sequences call, so
// each step is seen in the order it runs and can look at what the steps
// before it left behind; every wrapper then runs the real step.
#include <bass.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <windows.h>

#include <string>
#include <vector>

#include "demo_context.h"
#include "demo_frame.h"
#include "music_clock.h"
#include "scene_dispatch.h"
#include "scene_registry.h"
#include "texture_table.h"

namespace {

std::vector<std::string> steps;
HWND testWindow = nullptr;

// What each step found when it began.
bool contextFreshAtCreateDevice = false;
bool windowKeptAtCreateDevice = false;
DWORD lightingAtTextureLoad = TRUE;
bool emptyRecordAtTextureLoad = false;
size_t texturesAtMusicStart = 0;
bool noSceneAtMusicStart = false;
bool musicStoppedAtDisplayRestore = false;
DWORD restoredWidth = 0;
DWORD restoredHeight = 0;
DWORD restoredBits = 0;
bool texturesGoneAtSceneDestruction = false;

}  // namespace

// The real steps, and the wrappers the linker sends the calls to.
extern "C" {
HRESULT __real__ZN11DemoContext12createDeviceEP6HWND__(DemoContext* self, HWND window);
void __real__ZN11DemoContext17setupRenderStatesEv(DemoContext* self);
void __real__ZN12TextureTable7prepareEv(TextureTable* self);
void __real__Z12loadTexturesv();
void __real__Z12createScenesv();
void __real__Z9initMusicP6HWND__(HWND window);
void __real__ZN12TextureTable5clearEv(TextureTable* self);
void __real__Z9freeMusicv();
LONG __real__Z22ChangeDisplaySettingsAP12_devicemodeAj(DEVMODEA* mode, DWORD flags);
void __real__Z13destroyScenesv();

HRESULT __wrap__ZN11DemoContext12createDeviceEP6HWND__(DemoContext* self, HWND window) {
    steps.push_back("createDevice");
    contextFreshAtCreateDevice = self == demoContext && self->direct3D == nullptr &&
                                 self->device == nullptr && self->sceneNumber == 0;
    windowKeptAtCreateDevice = demoWindow == testWindow && window == testWindow;
    return __real__ZN11DemoContext12createDeviceEP6HWND__(self, window);
}

void __wrap__ZN11DemoContext17setupRenderStatesEv(DemoContext* self) {
    steps.push_back("setupRenderStates");
    __real__ZN11DemoContext17setupRenderStatesEv(self);
}

void __wrap__ZN12TextureTable7prepareEv(TextureTable* self) {
    steps.push_back("prepare");
    __real__ZN12TextureTable7prepareEv(self);
}

void __wrap__Z12loadTexturesv() {
    steps.push_back("loadTextures");
    demoContext->device->GetRenderState(D3DRS_LIGHTING, &lightingAtTextureLoad);
    emptyRecordAtTextureLoad = textureTable.emptyRecord != nullptr;
    __real__Z12loadTexturesv();
}

void __wrap__Z12createScenesv() {
    steps.push_back("createScenes");
    __real__Z12createScenesv();
}

void __wrap__Z9initMusicP6HWND__(HWND window) {
    steps.push_back("initMusic");
    texturesAtMusicStart = textureTable.records.size();
    noSceneAtMusicStart = sceneRegistry.scene1 == nullptr && sceneRegistry.scene14 == nullptr;
    __real__Z9initMusicP6HWND__(window);
}

void __wrap__ZN12TextureTable5clearEv(TextureTable* self) {
    steps.push_back("clearTextures");
    __real__ZN12TextureTable5clearEv(self);
}

void __wrap__Z9freeMusicv() {
    steps.push_back("freeMusic");
    __real__Z9freeMusicv();
}

LONG __wrap__Z22ChangeDisplaySettingsAP12_devicemodeAj(DEVMODEA* mode, DWORD flags) {
    steps.push_back("restoreDisplay");
    // The audio library is free: initialising it again succeeds.
    musicStoppedAtDisplayRestore = BASS_Init(-1, 44100, 0, nullptr) != FALSE;
    if (musicStoppedAtDisplayRestore) BASS_Free();
    if (mode != nullptr) {
        restoredWidth = mode->dmPelsWidth;
        restoredHeight = mode->dmPelsHeight;
        restoredBits = mode->dmBitsPerPel;
    }
    EXPECT_EQ(flags, static_cast<DWORD>(CDS_FULLSCREEN));
    return __real__Z22ChangeDisplaySettingsAP12_devicemodeAj(mode, flags);
}

void __wrap__Z13destroyScenesv() {
    steps.push_back("destroyScenes");
    texturesGoneAtSceneDestruction = textureTable.records.empty();
    __real__Z13destroyScenesv();
}
}  // extern "C"

namespace {

// Start-up runs every step in order, each on what the one before left:
// the context before the device, the device's states before the first
// texture, every texture before the audio, the audio before the first scene.
// Shutdown frees the textures, then the audio, then gives the desktop its
// size back, and destroys the scenes last.
TEST(DemoStartupAndShutdown, StepsRunInTheirOrderOnWhatTheStepBeforeLeft) {
    ASSERT_EQ(chdir(ZELVARO_BINARY_DIR "/data"), 0) << "the data set is built into the build folder";
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "startup_order_test";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    testWindow = CreateWindowExA(0, "startup_order_test", "", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(testWindow, nullptr);
    savedScreenWidth = 1280;
    savedScreenHeight = 1024;

    initDemo(testWindow);
    const std::vector<std::string> startup = {"createDevice", "setupRenderStates", "prepare",
                                              "loadTextures", "createScenes", "initMusic"};
    EXPECT_EQ(steps, startup);
    EXPECT_TRUE(contextFreshAtCreateDevice) << "the context exists, as created, before the device";
    EXPECT_TRUE(windowKeptAtCreateDevice) << "the window is kept for the audio before the device";
    EXPECT_EQ(lightingAtTextureLoad, static_cast<DWORD>(FALSE)) << "render states are set before textures load";
    EXPECT_TRUE(emptyRecordAtTextureLoad) << "the empty record exists before textures load";
    EXPECT_GT(texturesAtMusicStart, 20u) << "every texture is loaded before the audio starts";
    EXPECT_TRUE(noSceneAtMusicStart) << "the audio starts before the first scene is created";
    ASSERT_NE(demoContext, nullptr);
    EXPECT_NE(demoContext->device, nullptr);
    EXPECT_EQ(demoContext->sceneNumber, 14);
    EXPECT_NE(sceneRegistry.scene1, nullptr);
    EXPECT_NE(sceneRegistry.scene14, nullptr);

    steps.clear();
    shutdownDemo();
    const std::vector<std::string> shutdown = {"clearTextures", "freeMusic", "restoreDisplay", "destroyScenes"};
    EXPECT_EQ(steps, shutdown);
    EXPECT_TRUE(musicStoppedAtDisplayRestore) << "the audio is stopped before the desktop is restored";
    EXPECT_EQ(restoredWidth, 1280u);
    EXPECT_EQ(restoredHeight, 1024u);
    EXPECT_EQ(restoredBits, 32u);
    EXPECT_TRUE(texturesGoneAtSceneDestruction) << "the textures are freed before the scenes";
    EXPECT_EQ(demoContext->sceneNumber, 14) << "the context is never reset";

    // The device, its interface and the context live until the process ends.
    DestroyWindow(testWindow);
}

}  // namespace
