// The shared 1024 x 1024 render target and the render-to-texture pass that
// scenes run in their preRender (DemoContext::createRenderTarget makes it).
#ifndef ZELVARO_CORE_RENDER_TARGET_H
#define ZELVARO_CORE_RENDER_TARGET_H

// SetRenderTarget to the shared target and its depth surface, BeginScene,
// Clear to black with alpha 0 (depth 1, stencil 0). Returns false when the
// target does not exist: the scene still has a BeginScene, but draws into
// the back buffer, which the frame's own Clear wipes afterwards.
bool beginRenderTargetPass();
// EndScene, Present when asked (every pass but scene 2's), then back to the
// back buffer and its depth surface.
void endRenderTargetPass(bool present);

#endif  // ZELVARO_CORE_RENDER_TARGET_H
