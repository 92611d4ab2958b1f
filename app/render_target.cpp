// Placeholder until the render target lands.
#include "render_target.h"

#include "demo_context.h"

void DemoContext::createRenderTarget(int, int) {}
void beginRenderTargetPass() {}
void endRenderTargetPass(bool) {}
