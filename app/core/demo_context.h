// The one application object: Direct3D interface and device, projection,
// current scene number and the shared render target.
#ifndef ZELVARO_CORE_DEMO_CONTEXT_H
#define ZELVARO_CORE_DEMO_CONTEXT_H

#include <d3d8.h>

#include "d3dx8math.h"

struct TextureRecord;

class DemoContext {
public:
    IDirect3D8* direct3D;
    IDirect3DDevice8* device;
    D3DXMATRIX projection;
    int sceneNumber;  // 1..14 once the scenes exist, 0 before
    TextureRecord* renderTarget;
    IDirect3DSurface8* targetSurface;
    IDirect3DSurface8* targetDepthSurface;
    IDirect3DSurface8* savedBackBuffer;
    IDirect3DSurface8* savedDepthSurface;

    DemoContext();

    HRESULT createDevice(HWND window);      // demo_context.cpp
    void setupRenderStates();               // demo_context.cpp
    // The three below drive the scenes: they are defined on top of the scenes,
    // in the application (app/demo_frame.cpp and app/scene_dispatch.cpp).
    void renderFrame();
    void runPreRender();
    void renderScene();
    void createRenderTarget(int width, int height);  // render_target.cpp
};

extern DemoContext* demoContext;  // null until initDemo, never reset

// The main window, kept by initDemo for the audio start.
extern HWND demoWindow;

// The desktop size read before the display mode changes (createMainWindow);
// shutdownDemo (app/demo_frame.h) sets it back.
extern int savedScreenWidth;
extern int savedScreenHeight;

// A start-up step the demo cannot run without failed (the window, the device,
// the audio output): one line "zelvaro: cannot <what>: <reason>" on standard
// error, then the process ends with exit code 1.
[[noreturn]] void exitWithStartupError(const char* what, const char* reason);

#endif  // ZELVARO_CORE_DEMO_CONTEXT_H
