// The device's life (creation, GL context, destruction), the back buffer and
// copies between surfaces.
#include "d3d8_report.h"
#include "d3d8_device.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "../win32/win32_sdl.h"
#include "d3d8_format.h"
#include "d3d8_heap.h"
#include "d3d8_interface.h"
#include "d3d8_stats.h"
#include "d3d8_texture.h"
#include "d3d8_vertex_buffer.h"

namespace {

// The device whose GL context is current on this (the only) thread.
D3d8Device* currentDevice = nullptr;

}  // namespace

HRESULT d3d8CreateDevice(D3d8Interface* direct3D, HWND focusWindow, DWORD behaviorFlags,
                         D3DPRESENT_PARAMETERS* parameters, D3d8Device** device) {
    D3d8Device* created = new D3d8Device(direct3D, focusWindow, behaviorFlags);
    const HRESULT result = created->initialise(*parameters);
    if (FAILED(result)) {
        created->Release();
        return result;
    }
    parameters->BackBufferWidth = created->presentParameters.BackBufferWidth;
    parameters->BackBufferHeight = created->presentParameters.BackBufferHeight;
    parameters->BackBufferFormat = created->presentParameters.BackBufferFormat;
    *device = created;
    return D3D_OK;
}

D3d8Device::D3d8Device(D3d8Interface* direct3DInterface, HWND focus, DWORD flags)
    : direct3D(direct3DInterface), focusWindow(focus), behaviorFlags(flags) {
    direct3D->AddRef();
}

HRESULT D3d8Device::initialise(const D3DPRESENT_PARAMETERS& parameters) {
    presentParameters = parameters;
    if (!parameters.Windowed) {
        // The program runs windowed on a window covering the screen; exclusive
        // full-screen is not offered.
        d3d8Report("CreateDevice: only windowed devices are supported");
        return D3DERR_INVALIDCALL;
    }
    D3DFORMAT format = parameters.BackBufferFormat;
    if (format == D3DFMT_UNKNOWN) format = D3DFMT_X8R8G8B8;
    if (format != D3DFMT_X8R8G8B8 && format != D3DFMT_A8R8G8B8 && format != D3DFMT_R5G6B5) {
        d3d8Report("CreateDevice: back buffer format %d is not supported", format);
        return D3DERR_INVALIDCALL;
    }
    if (parameters.EnableAutoDepthStencil &&
        d3d8CheckFormat(D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, parameters.AutoDepthStencilFormat) != D3D_OK) {
        d3d8Report("CreateDevice: depth-stencil format %d is not supported",
                     parameters.AutoDepthStencilFormat);
        return D3DERR_INVALIDCALL;
    }

    HWND deviceWindow = parameters.hDeviceWindow != nullptr ? parameters.hDeviceWindow : focusWindow;
    window = deviceWindow != nullptr ? win32GetSdlWindow(deviceWindow) : nullptr;
    int width = static_cast<int>(parameters.BackBufferWidth);
    int height = static_cast<int>(parameters.BackBufferHeight);
    if (window == nullptr) {
        // No window of ours (tests, tools): a hidden window carries the context.
        if (width <= 0) width = 640;
        if (height <= 0) height = 480;
        window = SDL_CreateWindow("zelvaro", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width,
                                  height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (window == nullptr) {
            d3d8Report("CreateDevice: cannot create a window (%s)", SDL_GetError());
            return D3DERR_NOTAVAILABLE;
        }
        ownsWindow = true;
    } else if (width <= 0 || height <= 0) {
        // The window's client size, as the program asked for it: it may reach
        // past the screen's edges, and then so does the back buffer.
        RECT client = {0, 0, 0, 0};
        if (!GetClientRect(deviceWindow, &client)) {
            int clientWidth = 0;
            int clientHeight = 0;
            SDL_GetWindowSize(window, &clientWidth, &clientHeight);
            client.right = clientWidth;
            client.bottom = clientHeight;
        }
        if (width <= 0) width = client.right - client.left;
        if (height <= 0) height = client.bottom - client.top;
    }
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192) {
        d3d8Report("CreateDevice: back buffer size %d x %d is not usable", width, height);
        return D3DERR_INVALIDCALL;
    }

    d3d8KeepHeapForDrawing();
    // Programs load their textures right after they make the device; half the
    // texture memory the device reports is made ready for them meanwhile.
    heapWarmup.start(GetAvailableTextureMem() / 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    glContext = SDL_GL_CreateContext(window);
    if (glContext == nullptr) {
        d3d8Report("CreateDevice: no OpenGL 3.3 core context (%s)", SDL_GetError());
        return D3DERR_NOTAVAILABLE;
    }
    currentDevice = nullptr;
    makeCurrent();
    // A windowed Direct3D 8 device presents without waiting for the display.
    SDL_GL_SetSwapInterval(0);

    presentParameters.BackBufferWidth = static_cast<UINT>(width);
    presentParameters.BackBufferHeight = static_cast<UINT>(height);
    presentParameters.BackBufferFormat = format;
    presentParameters.BackBufferCount = 1;

    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glGenBuffers(1, &upBuffer);
    // What a vertex format without a colour or coordinates reads: white, (0, 0).
    glVertexAttrib4f(kD3d8AttribDiffuse, 1.0f, 1.0f, 1.0f, 1.0f);
    for (GLuint set = 0; set < kD3d8TexCoordSets; ++set) glVertexAttrib4f(kD3d8AttribTexCoord0 + set, 0, 0, 0, 1);
    glGenFramebuffers(1, &readFramebuffer);

    backBuffer = newSurface(D3d8SurfaceKind::colorTarget, presentParameters.BackBufferWidth,
                            presentParameters.BackBufferHeight, format, D3DUSAGE_RENDERTARGET,
                            D3DPOOL_DEFAULT);
    if (parameters.EnableAutoDepthStencil) {
        autoDepthStencil = newSurface(D3d8SurfaceKind::depthStencil, presentParameters.BackBufferWidth,
                                      presentParameters.BackBufferHeight,
                                      parameters.AutoDepthStencilFormat, D3DUSAGE_DEPTHSTENCIL,
                                      D3DPOOL_DEFAULT);
    }
    const D3d8FormatInfo* info = d3d8FindFormat(format);
    glGenTextures(1, &frontTexture);
    bindScratchTexture(frontTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(info->internalFormat), width, height, 0,
                 info->uploadFormat, info->uploadType, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, readFramebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, frontTexture, 0);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    presentWindow = deviceWindow;
    if (!ownsWindow) setPresentationInterval();

    renderTarget = backBuffer;
    renderTarget->AddRef();
    depthStencil = autoDepthStencil;
    if (depthStencil != nullptr) depthStencil->AddRef();
    setDefaultStates();

    // The back buffer starts black, its depth at the far plane.
    bindFramebuffer();
    glDisable(GL_SCISSOR_TEST);
    glClearDepth(1.0);
    glClearStencil(0);
    glDepthMask(GL_TRUE);
    glStencilMask(0xff);
    glClear(GL_COLOR_BUFFER_BIT | (depthStencil != nullptr ? GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT : 0));
    dirty = kD3d8DirtyAll;
    backBufferWritten = false;  // both buffers are black
    if (glGetError() != GL_NO_ERROR) {
        d3d8Report("CreateDevice: OpenGL refused the device's buffers");
        return D3DERR_NOTAVAILABLE;
    }
    return D3D_OK;
}

D3d8Device::~D3d8Device() {
    if (glContext != nullptr) {
        makeCurrent();
        for (D3d8Texture*& texture : textures) {
            if (texture != nullptr) texture->Release();
            texture = nullptr;
        }
        if (streamSource != nullptr) streamSource->Release();
        streamSource = nullptr;
        if (renderTarget != nullptr) renderTarget->Release();
        if (depthStencil != nullptr) depthStencil->Release();
        renderTarget = nullptr;
        depthStencil = nullptr;
        if (backBuffer != nullptr) backBuffer->Release();
        if (autoDepthStencil != nullptr) autoDepthStencil->Release();
        // Whatever the program still holds loses its GL objects now, while
        // the context exists; the objects themselves stay valid to release.
        std::vector<D3d8Texture*> leftTextures(liveTextures.begin(), liveTextures.end());
        std::vector<D3d8Surface*> leftSurfaces(liveSurfaces.begin(), liveSurfaces.end());
        std::vector<D3d8VertexBuffer*> leftBuffers(liveVertexBuffers.begin(), liveVertexBuffers.end());
        liveTextures.clear();
        liveSurfaces.clear();
        liveVertexBuffers.clear();
        for (D3d8Texture* texture : leftTextures) texture->orphan();
        for (D3d8Surface* surface : leftSurfaces) surface->orphan();
        for (D3d8VertexBuffer* buffer : leftBuffers) buffer->orphan();
        for (auto& entry : programs) glDeleteProgram(entry.second.program);
        for (auto& entry : samplers) glDeleteSamplers(1, &entry.second);
        for (FramebufferEntry& entry : framebuffers) glDeleteFramebuffers(1, &entry.framebuffer);
        glDeleteFramebuffers(1, &readFramebuffer);
        glDeleteTextures(1, &frontTexture);
        glDeleteBuffers(1, &upBuffer);
        glDeleteVertexArrays(1, &vertexArray);
        SDL_GL_MakeCurrent(window, nullptr);
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(glContext));
    }
    if (currentDevice == this) currentDevice = nullptr;
    if (ownsWindow && window != nullptr) SDL_DestroyWindow(window);
    direct3D->Release();
}

void D3d8Device::makeCurrent() {
    if (currentDevice == this) return;
    SDL_GL_MakeCurrent(window, static_cast<SDL_GLContext>(glContext));
    currentDevice = this;
}

void D3d8Device::bindScratchTexture(GLuint texture) {
    makeCurrent();
    glActiveTexture(GL_TEXTURE0 + kD3d8StageCount);
    glBindTexture(GL_TEXTURE_2D, texture);
}

void D3d8Device::releaseSpareCopies() {
    for (D3d8Texture* texture : texturesWithSpareCopies) {
        for (UINT level = 0; level < texture->levels.size(); ++level) {
            if (texture->spareLevels & (1u << level)) texture->releaseLevelMemory(level);
        }
        texture->spareLevels = 0;
    }
    texturesWithSpareCopies.clear();
}

void D3d8Device::forgetTexture(D3d8Texture* texture) {
    liveTextures.erase(texture);
    texturesWithSpareCopies.erase(texture);
    // GL unbinds a deleted texture; its name may come back for another one.
    for (GLuint& bound : unitTextures) {
        if (bound == texture->glTexture) bound = 0;
    }
    for (D3d8Texture*& bound : textures) {
        if (bound == texture) bound = nullptr;  // cannot happen while bound: the binding holds a reference
    }
}

void D3d8Device::forgetSurface(D3d8Surface* surface) {
    liveSurfaces.erase(surface);
    const GLuint texture = surface->glTexture;
    for (GLuint& bound : unitTextures) {
        if (texture != 0 && bound == texture) bound = 0;
    }
    const GLuint renderbuffer = surface->glRenderbuffer;
    auto uses = [&](const FramebufferEntry& entry) {
        return (texture != 0 && entry.colorTexture == texture &&
                entry.colorLevel == static_cast<GLint>(surface->level)) ||
               (renderbuffer != 0 && entry.depthRenderbuffer == renderbuffer);
    };
    for (FramebufferEntry& entry : framebuffers) {
        if (uses(entry)) {
            makeCurrent();
            glDeleteFramebuffers(1, &entry.framebuffer);
            if (boundFramebuffer == entry.framebuffer) boundFramebuffer = ~0u;
        }
    }
    framebuffers.erase(std::remove_if(framebuffers.begin(), framebuffers.end(), uses), framebuffers.end());
}

void D3d8Device::forgetVertexBuffer(D3d8VertexBuffer* buffer) {
    liveVertexBuffers.erase(buffer);
    if (layoutBuffer == buffer->glBuffer || layoutBuffer == buffer->glWrappedBuffer) layoutBuffer = ~0u;
}

HRESULT D3d8Device::QueryInterface(REFIID, void** object) {
    if (object != nullptr) *object = nullptr;
    return E_NOINTERFACE;
}

ULONG D3d8Device::AddRef() { return ++refCount; }

ULONG D3d8Device::Release() {
    const ULONG count = --refCount;
    if (count == 0) delete this;
    return count;
}

HRESULT D3d8Device::TestCooperativeLevel() { return D3D_OK; }

UINT D3d8Device::GetAvailableTextureMem() { return 256u * 1024u * 1024u; }

HRESULT D3d8Device::GetDirect3D(IDirect3D8** result) {
    if (result == nullptr) return D3DERR_INVALIDCALL;
    direct3D->AddRef();
    *result = direct3D;
    return D3D_OK;
}

HRESULT D3d8Device::GetDeviceCaps(D3DCAPS8* caps) {
    if (caps == nullptr) return D3DERR_INVALIDCALL;
    d3d8FillCaps(caps);
    return D3D_OK;
}

HRESULT D3d8Device::GetDisplayMode(D3DDISPLAYMODE* mode) {
    return direct3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, mode);
}

HRESULT D3d8Device::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) {
    if (parameters == nullptr) return D3DERR_INVALIDCALL;
    parameters->AdapterOrdinal = D3DADAPTER_DEFAULT;
    parameters->DeviceType = D3DDEVTYPE_HAL;
    parameters->hFocusWindow = focusWindow;
    parameters->BehaviorFlags = behaviorFlags;
    return D3D_OK;
}

HRESULT D3d8Device::Reset(D3DPRESENT_PARAMETERS*) {
    // The device is never lost, so the program never needs to reset it.
    return D3DERR_INVALIDCALL;
}

HRESULT D3d8Device::GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE, IDirect3DSurface8** surface) {
    if (surface == nullptr) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (index != 0) return D3DERR_INVALIDCALL;
    backBuffer->AddRef();
    *surface = backBuffer;
    return D3D_OK;
}

void D3d8Device::readTarget(GLuint texture, GLint level, const RECT& rect, D3DFORMAT format,
                            BYTE* destination, UINT pitch) {
    const D3d8FormatInfo* info = d3d8FindFormat(format);
    makeCurrent();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, readFramebuffer);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, level);
    glPixelStorei(GL_PACK_ROW_LENGTH, static_cast<GLint>(pitch / info->bytesPerPixel));
    glReadPixels(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, info->uploadFormat,
                 info->uploadType, destination);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    boundFramebuffer = ~0u;
    dirty |= kD3d8DirtyFramebuffer;
}

HRESULT D3d8Device::CopyRects(IDirect3DSurface8* sourceSurface, const RECT* sourceRects, UINT rectCount,
                              IDirect3DSurface8* destinationSurface, const POINT* destPoints) {
    auto* source = static_cast<D3d8Surface*>(sourceSurface);
    auto* destination = static_cast<D3d8Surface*>(destinationSurface);
    if (source == nullptr || destination == nullptr || source == destination ||
        source->desc.Format != destination->desc.Format || source->locked || destination->locked) {
        return D3DERR_INVALIDCALL;
    }
    const D3d8FormatInfo* info = d3d8FindFormat(source->desc.Format);
    if (info == nullptr || info->depthStencil) return D3DERR_INVALIDCALL;
    const D3d8CpuScope timed;
    // Levels whose copy is in GL take part with their bytes in memory again.
    source->restoreMemory();
    destination->restoreMemory();
    const bool sourceInMemory = !source->memory.empty();
    const bool destinationInMemory = !destination->memory.empty();
    if (!sourceInMemory && source->glTexture == 0) return D3DERR_INVALIDCALL;
    if (!destinationInMemory && destination->glTexture == 0) return D3DERR_INVALIDCALL;
    const RECT whole{0, 0, static_cast<LONG>(source->desc.Width), static_cast<LONG>(source->desc.Height)};
    const UINT count = sourceRects == nullptr ? 1 : rectCount;
    // Check every rectangle before copying any.
    for (UINT i = 0; i < count; ++i) {
        const RECT& rect = sourceRects == nullptr ? whole : sourceRects[i];
        const POINT at = destPoints == nullptr ? POINT{rect.left, rect.top} : destPoints[i];
        if (rect.left < 0 || rect.top < 0 || rect.right > whole.right || rect.bottom > whole.bottom ||
            rect.left >= rect.right || rect.top >= rect.bottom || at.x < 0 || at.y < 0 ||
            at.x + (rect.right - rect.left) > static_cast<LONG>(destination->desc.Width) ||
            at.y + (rect.bottom - rect.top) > static_cast<LONG>(destination->desc.Height)) {
            return D3DERR_INVALIDCALL;
        }
    }
    if (destination == backBuffer) backBufferWritten = true;
    for (UINT i = 0; i < count; ++i) {
        const RECT& rect = sourceRects == nullptr ? whole : sourceRects[i];
        const POINT at = destPoints == nullptr ? POINT{rect.left, rect.top} : destPoints[i];
        const LONG width = rect.right - rect.left;
        const LONG height = rect.bottom - rect.top;
        if (destinationInMemory) {
            BYTE* target = destination->memory.data() + static_cast<size_t>(at.y) * destination->pitch +
                           static_cast<size_t>(at.x) * info->bytesPerPixel;
            if (sourceInMemory) {
                for (LONG y = 0; y < height; ++y) {
                    std::memcpy(target + static_cast<size_t>(y) * destination->pitch,
                                source->memory.data() + static_cast<size_t>(rect.top + y) * source->pitch +
                                    static_cast<size_t>(rect.left) * info->bytesPerPixel,
                                static_cast<size_t>(width) * info->bytesPerPixel);
                }
            } else {
                readTarget(source->glTexture, static_cast<GLint>(source->level), rect, source->desc.Format,
                           target, destination->pitch);
            }
            if (destination->texture != nullptr) destination->texture->uploadLevel(destination->level);
        } else if (sourceInMemory) {
            bindScratchTexture(destination->glTexture);
            glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(source->pitch / info->bytesPerPixel));
            glTexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(destination->level), at.x, at.y, width, height,
                            info->uploadFormat, info->uploadType,
                            source->memory.data() + static_cast<size_t>(rect.top) * source->pitch +
                                static_cast<size_t>(rect.left) * info->bytesPerPixel);
            glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        } else {
            makeCurrent();
            glDisable(GL_SCISSOR_TEST);
            glBindFramebuffer(GL_READ_FRAMEBUFFER, framebufferFor(source, nullptr));
            glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebufferFor(destination, nullptr));
            glBlitFramebuffer(rect.left, rect.top, rect.right, rect.bottom, at.x, at.y, at.x + width,
                              at.y + height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
            boundFramebuffer = ~0u;
            dirty |= kD3d8DirtyFramebuffer;
        }
    }
    // The source was only read: its copy can go back at the next sweep.
    if (source->texture != nullptr) source->texture->markSpare(source->level);
    return D3D_OK;
}
