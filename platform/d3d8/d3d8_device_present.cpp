// Presentation: the back buffer shown in the window, and the front buffer
// (the picture last shown) read back.
//
// Present of a back buffer that nothing was drawn into since the last Present
// (the render-to-texture passes present in the middle of a frame, before the
// frame's own drawing) shows the same picture again: it costs no copy and no
// swap, so it never waits for a second display refresh. Otherwise the back
// buffer becomes the front buffer without a copy (with the discarding swap
// effect the two textures trade places; the back buffer's contents are
// undefined after Present, as in Direct3D), and the front buffer goes to the
// window in one pass, flipped and, on an emulated screen, scaled (only where
// a person can see the window).
#include "d3d8_device.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "../win32/win32_sdl.h"
#include "d3d8_stats.h"

namespace {

// Drivers that show nothing to a person have no display refresh to wait for.
bool visibleVideoDriver() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
}

// Where the shown part of the back buffer goes in the drawable, in the
// drawable's pixels from its top-left corner.
struct ShownRect {
    GLint sourceWidth;
    GLint sourceHeight;
    GLint x;
    GLint y;
    GLint width;
    GLint height;
};

ShownRect placePicture(const Win32Presentation& presentation, GLint backWidth, GLint backHeight,
                       GLint drawableWidth, GLint drawableHeight) {
    if (!presentation.scaled || presentation.screenWidth <= 0 || presentation.screenHeight <= 0) {
        // Pixel for pixel from the top-left corner, as far as both reach.
        const GLint width = std::min(backWidth, drawableWidth);
        const GLint height = std::min(backHeight, drawableHeight);
        return ShownRect{width, height, 0, 0, width, height};
    }
    // The largest rectangle of the screen's shape, centred.
    const long long screenWidth = presentation.screenWidth;
    const long long screenHeight = presentation.screenHeight;
    long long width = drawableWidth;
    long long height = drawableHeight;
    if (drawableWidth * screenHeight > drawableHeight * screenWidth) {
        width = (drawableHeight * screenWidth + screenHeight / 2) / screenHeight;
    } else {
        height = (drawableWidth * screenHeight + screenWidth / 2) / screenWidth;
    }
    const GLint x = GLint((drawableWidth - width) / 2);
    const GLint y = GLint((drawableHeight - height) / 2);
    // A back buffer smaller than the screen fills only its top-left part.
    const GLint sourceWidth = GLint(std::min<long long>(backWidth, screenWidth));
    const GLint sourceHeight = GLint(std::min<long long>(backHeight, screenHeight));
    return ShownRect{sourceWidth,
                     sourceHeight,
                     x,
                     y,
                     GLint((width * sourceWidth + screenWidth / 2) / screenWidth),
                     GLint((height * sourceHeight + screenHeight / 2) / screenHeight)};
}

}  // namespace

// Presentation waits for the display's refresh (adaptive where the driver
// offers it: a late frame is shown at once instead of a refresh later).
// ZELVARO_VSYNC=0 turns the wait off for measurements.
void D3d8Device::setPresentationInterval() {
    if (!visibleVideoDriver()) return;
    const char* setting = std::getenv("ZELVARO_VSYNC");
    if (setting != nullptr && std::strcmp(setting, "0") == 0) {
        SDL_GL_SetSwapInterval(0);
        return;
    }
    if (SDL_GL_SetSwapInterval(-1) != 0) SDL_GL_SetSwapInterval(1);
}

void D3d8Device::takeFrontFromBackBuffer() {
    if (presentParameters.SwapEffect == D3DSWAPEFFECT_DISCARD) {
        // The framebuffers made for the back buffer name its texture; the
        // ones for the other texture are made (and kept) on first use.
        std::swap(backBuffer->glTexture, frontTexture);
        boundFramebuffer = ~0u;
        dirty |= kD3d8DirtyFramebuffer;
        return;
    }
    // The other swap effects keep the back buffer: one copy.
    const GLint width = static_cast<GLint>(presentParameters.BackBufferWidth);
    const GLint height = static_cast<GLint>(presentParameters.BackBufferHeight);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebufferFor(backBuffer, nullptr));
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, readFramebuffer);
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, frontTexture, 0);
    glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    boundFramebuffer = ~0u;
    dirty |= kD3d8DirtyFramebuffer;
}

void D3d8Device::showFront(int drawableWidth, int drawableHeight) {
    const Win32Presentation presentation =
        ownsWindow ? Win32Presentation{} : win32PresentationOf(presentWindow);
    const ShownRect shown =
        placePicture(presentation, static_cast<GLint>(presentParameters.BackBufferWidth),
                     static_cast<GLint>(presentParameters.BackBufferHeight), drawableWidth, drawableHeight);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, readFramebuffer);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, frontTexture, 0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // Setting the viewport is what makes GL drivers look at the window's size
    // again: without it a resized window keeps a framebuffer of the old size.
    glViewport(0, 0, drawableWidth, drawableHeight);
    dirty |= kD3d8DirtyViewport;
    if (shown.x > 0 || shown.y > 0 || shown.width < drawableWidth || shown.height < drawableHeight) {
        // The bars are black.
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    // Window row 0 is the bottom: the copy turns the picture over.
    const bool sameSize = shown.width == shown.sourceWidth && shown.height == shown.sourceHeight;
    glBlitFramebuffer(0, 0, shown.sourceWidth, shown.sourceHeight, shown.x, drawableHeight - shown.y,
                      shown.x + shown.width, drawableHeight - shown.y - shown.height, GL_COLOR_BUFFER_BIT,
                      sameSize ? GL_NEAREST : GL_LINEAR);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
}

// The source, destination and region arguments are not supported. Present
// always shows the back buffer, also while a texture is the render target.
HRESULT D3d8Device::Present(const RECT*, const RECT*, HWND, const void*) {
    const D3d8CpuScope timed;
    makeCurrent();
    // The profiler times the frame's drawing and Present's own copies apart.
    if (d3d8StatsEnabled) d3d8Stats.finishSeconds += d3d8FinishSeconds();
    const double start = d3d8StatsEnabled ? d3d8WallSeconds() : 0;
    int drawableWidth = 0;
    int drawableHeight = 0;
    SDL_GL_GetDrawableSize(window, &drawableWidth, &drawableHeight);
    const bool resized = drawableWidth != shownDrawableWidth || drawableHeight != shownDrawableHeight;
    if (!backBufferWritten && !resized) return D3D_OK;  // the same picture again
    glDisable(GL_SCISSOR_TEST);
    if (backBufferWritten) takeFrontFromBackBuffer();
    backBufferWritten = false;
    // A window nobody can see (the offscreen and dummy drivers of the capture
    // programs and the tests) gets no copy: the front buffer is the picture.
    if (drawableWidth > 0 && drawableHeight > 0 && visibleVideoDriver()) {
        showFront(drawableWidth, drawableHeight);
        SDL_GL_SwapWindow(window);
    }
    if (d3d8StatsEnabled) {
        d3d8FinishSeconds();
        d3d8Stats.presentSeconds += d3d8WallSeconds() - start;
    }
    shownDrawableWidth = drawableWidth;
    shownDrawableHeight = drawableHeight;
    boundFramebuffer = ~0u;
    dirty |= kD3d8DirtyFramebuffer;
    return D3D_OK;
}

// The front buffer is the last presented back buffer (there is no desktop to
// copy around it): its top-left part goes to the top-left of the surface.
HRESULT D3d8Device::GetFrontBuffer(IDirect3DSurface8* destSurface) {
    auto* destination = static_cast<D3d8Surface*>(destSurface);
    if (destination == nullptr || destination->kind != D3d8SurfaceKind::image ||
        destination->desc.Format != D3DFMT_A8R8G8B8 || destination->locked) {
        return D3DERR_INVALIDCALL;
    }
    RECT rect{0, 0,
              static_cast<LONG>(std::min(destination->desc.Width, presentParameters.BackBufferWidth)),
              static_cast<LONG>(std::min(destination->desc.Height, presentParameters.BackBufferHeight))};
    readTarget(frontTexture, 0, rect, D3DFMT_A8R8G8B8, destination->memory.data(), destination->pitch);
    if (backBuffer->desc.Format != D3DFMT_A8R8G8B8) {
        // The front buffer has no alpha of its own: it reads as opaque.
        for (LONG y = 0; y < rect.bottom; ++y) {
            BYTE* row = destination->memory.data() + static_cast<size_t>(y) * destination->pitch;
            for (LONG x = 0; x < rect.right; ++x) row[x * 4 + 3] = 0xff;
        }
    }
    return D3D_OK;
}
