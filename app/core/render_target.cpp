// The one off-screen target that scenes draw into and then show on meshes.
#include "render_target.h"

#include "demo_context.h"
#include "texture_table.h"

namespace {

// True between a pass that switched to the target and its end.
bool passOnTarget = false;

}  // namespace

void DemoContext::createRenderTarget(int width, int height) {
    renderTarget = new TextureRecord();
    renderTarget->alphaBlend = 1;
    renderTarget->srcBlend = D3DBLEND_SRCALPHA;
    renderTarget->destBlend = D3DBLEND_DESTALPHA;
    if (!device) return;
    device->CreateTexture((UINT)width, (UINT)height, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                          &renderTarget->texture);
    if (renderTarget->texture) renderTarget->texture->GetSurfaceLevel(0, &targetSurface);
    device->CreateDepthStencilSurface((UINT)width, (UINT)height, D3DFMT_D24S8, D3DMULTISAMPLE_NONE,
                                      &targetDepthSurface);
    // Still outside any pass: these are the back buffer and the automatic depth surface.
    device->GetRenderTarget(&savedBackBuffer);
    device->GetDepthStencilSurface(&savedDepthSurface);
}

bool beginRenderTargetPass() {
    passOnTarget = false;
    if (!demoContext || !demoContext->device) return false;
    IDirect3DDevice8* device = demoContext->device;
    bool haveTarget = demoContext->targetSurface && demoContext->targetDepthSurface &&
                      demoContext->savedBackBuffer && demoContext->savedDepthSurface;
    if (haveTarget) {
        // Direct3D 8 resets the viewport to the whole target here.
        device->SetRenderTarget(demoContext->targetSurface, demoContext->targetDepthSurface);
        passOnTarget = true;
    }
    device->BeginScene();
    if (haveTarget) device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00000000, 1.0f, 0);
    return haveTarget;
}

void endRenderTargetPass(bool present) {
    if (!demoContext || !demoContext->device) return;
    IDirect3DDevice8* device = demoContext->device;
    device->EndScene();
    if (!passOnTarget) return;
    if (present) device->Present(nullptr, nullptr, nullptr, nullptr);
    device->SetRenderTarget(demoContext->savedBackBuffer, demoContext->savedDepthSurface);
    passOnTarget = false;
}
