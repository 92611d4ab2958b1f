// The render-to-texture pass into the shared 1024 x 1024 render target.
#ifndef ZELVARO_APP_RENDER_TARGET_H
#define ZELVARO_APP_RENDER_TARGET_H

// SetRenderTarget to the shared target, BeginScene, Clear to black (alpha 0).
void beginRenderTargetPass();
// EndScene, Present when asked, then back to the back buffer and its depth.
void endRenderTargetPass(bool present);

#endif  // ZELVARO_APP_RENDER_TARGET_H
