// IDirect3DDevice8 over OpenGL 3.3 core. The device renders into its own
// framebuffer objects: the back buffer is a texture, and every colour target
// stores the picture's top row in GL row 0 (as Direct3D addresses it, v = 0 at
// the top), so textures drawn into and textures loaded from files are sampled
// the same way. Present shows the back buffer in the window, flipped and, on
// an emulated screen, scaled (d3d8_device_present.cpp).
//
// Every render, texture-stage and transform state is shadowed here; a change
// marks a group dirty, and the dirty groups are sent to GL once per draw.
#ifndef ZELVARO_PLATFORM_D3D8_DEVICE_H
#define ZELVARO_PLATFORM_D3D8_DEVICE_H

#include <d3d8.h>

#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "d3d8_caps.h"
#include "d3d8_gl.h"
#include "d3d8_heap.h"
#include "d3d8_shader_gen.h"
#include "d3d8_surface.h"

struct SDL_Window;
class D3d8Interface;
class D3d8Texture;
class D3d8VertexBuffer;

// Groups of state sent to GL together.
enum D3d8Dirty : unsigned {
    kD3d8DirtyProgram = 1u << 0,    // anything in the program key
    kD3d8DirtyMatrix = 1u << 1,     // world, view, projection, texture transforms
    kD3d8DirtyViewport = 1u << 2,   // viewport, depth range, pixel offset
    kD3d8DirtyDepth = 1u << 3,      // ZENABLE, ZWRITEENABLE, ZFUNC
    kD3d8DirtyBlend = 1u << 4,      // ALPHABLENDENABLE, SRCBLEND, DESTBLEND, COLORWRITEENABLE
    kD3d8DirtyRaster = 1u << 5,     // CULLMODE, FILLMODE
    kD3d8DirtyTextures = 1u << 6,   // bound textures and sampler states
    kD3d8DirtyConstants = 1u << 7,  // TEXTUREFACTOR, ALPHAREF
    kD3d8DirtyFramebuffer = 1u << 8,
    kD3d8DirtyAll = 0x1ffu,
};

class D3d8Device final : public IDirect3DDevice8 {
public:
    D3d8Device(D3d8Interface* direct3D, HWND focusWindow, DWORD behaviorFlags);
    D3d8Device(const D3d8Device&) = delete;
    D3d8Device& operator=(const D3d8Device&) = delete;

    // Creates the window (if needed), the GL context and the back buffer.
    HRESULT initialise(const D3DPRESENT_PARAMETERS& parameters);

    // IUnknown
    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    // d3d8_device.cpp: device, back buffer, copies
    HRESULT TestCooperativeLevel() override;
    UINT GetAvailableTextureMem() override;
    HRESULT GetDirect3D(IDirect3D8** direct3D) override;
    HRESULT GetDeviceCaps(D3DCAPS8* caps) override;
    HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) override;
    HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) override;
    HRESULT Reset(D3DPRESENT_PARAMETERS* presentationParameters) override;
    HRESULT GetBackBuffer(UINT backBuffer, D3DBACKBUFFER_TYPE type,
                          IDirect3DSurface8** backBufferSurface) override;
    HRESULT CopyRects(IDirect3DSurface8* sourceSurface, const RECT* sourceRects, UINT rectCount,
                      IDirect3DSurface8* destinationSurface, const POINT* destPoints) override;

    // d3d8_device_present.cpp: presentation, the front buffer
    HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                    const void* dirtyRegion) override;
    HRESULT GetFrontBuffer(IDirect3DSurface8* destSurface) override;

    // d3d8_device_resources.cpp: creation of resources, targets
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, IDirect3DTexture8** texture) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer8** vertexBuffer) override;
    HRESULT CreateRenderTarget(UINT width, UINT height, D3DFORMAT format,
                               D3DMULTISAMPLE_TYPE multiSample, BOOL lockable,
                               IDirect3DSurface8** surface) override;
    HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                      D3DMULTISAMPLE_TYPE multiSample,
                                      IDirect3DSurface8** surface) override;
    HRESULT CreateImageSurface(UINT width, UINT height, D3DFORMAT format,
                               IDirect3DSurface8** surface) override;
    HRESULT UpdateTexture(IDirect3DBaseTexture8* sourceTexture,
                          IDirect3DBaseTexture8* destinationTexture) override;
    HRESULT SetRenderTarget(IDirect3DSurface8* renderTarget, IDirect3DSurface8* newZStencil) override;
    HRESULT GetRenderTarget(IDirect3DSurface8** renderTarget) override;
    HRESULT GetDepthStencilSurface(IDirect3DSurface8** zStencilSurface) override;

    // d3d8_device_state.cpp: states, transforms, viewport, bindings
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT SetViewport(const D3DVIEWPORT8* viewport) override;
    HRESULT GetViewport(D3DVIEWPORT8* viewport) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) override;
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT SetVertexShader(DWORD handle) override;
    HRESULT GetVertexShader(DWORD* handle) override;
    HRESULT SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8* streamData, UINT stride) override;
    HRESULT GetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8** streamData, UINT* stride) override;

    // d3d8_device_draw.cpp: scenes, clearing, drawing
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                  DWORD stencil) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE primitiveType, UINT startVertex,
                          UINT primitiveCount) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE primitiveType, UINT primitiveCount,
                            const void* vertexStreamZeroData, UINT vertexStreamZeroStride) override;

    // Internal operations used by the resources.
    void makeCurrent();
    // Binds a texture for creation, upload or copy on a unit no stage uses,
    // so that the stages' bindings stay as flushState left them.
    void bindScratchTexture(GLuint texture);
    void forgetTexture(D3d8Texture* texture);
    // Managed texture levels whose system-memory copy GL now holds too give
    // it back at the next sweep: when a texture is made and when a scene
    // begins. Their memory then serves the next texture, and textures take
    // half the memory they would.
    void noteSpareCopies(D3d8Texture* texture) { texturesWithSpareCopies.insert(texture); }
    void releaseSpareCopies();
    void forgetSurface(D3d8Surface* surface);
    void forgetVertexBuffer(D3d8VertexBuffer* buffer);
    // A new surface with its GL storage (colour texture, depth renderbuffer) or its memory.
    D3d8Surface* newSurface(D3d8SurfaceKind kind, UINT width, UINT height, D3DFORMAT format,
                            DWORD usage, D3DPOOL pool);
    // Reads a rectangle of a colour target into memory laid out in the target's format (top row first).
    void readTarget(GLuint texture, GLint level, const RECT& rect, D3DFORMAT format, BYTE* destination,
                    UINT pitch);

    // ---- shadow state
    DWORD renderStates[256] = {};
    DWORD stageStates[kD3d8StageCount][32] = {};
    D3DMATRIX world{};
    D3DMATRIX view{};
    D3DMATRIX projection{};
    D3DMATRIX textureTransforms[kD3d8StageCount] = {};
    D3DVIEWPORT8 viewport{};
    D3d8Texture* textures[kD3d8StageCount] = {};
    D3d8VertexBuffer* streamSource = nullptr;
    UINT streamStride = 0;
    DWORD vertexShader = 0;
    D3d8Surface* renderTarget = nullptr;
    D3d8Surface* depthStencil = nullptr;
    unsigned dirty = kD3d8DirtyAll;
    bool inScene = false;

    // ---- objects
    D3d8Interface* direct3D;
    HWND focusWindow;
    DWORD behaviorFlags;
    D3DPRESENT_PARAMETERS presentParameters{};
    SDL_Window* window = nullptr;
    bool ownsWindow = false;
    void* glContext = nullptr;
    D3d8HeapWarmup heapWarmup;
    D3d8Surface* backBuffer = nullptr;
    D3d8Surface* autoDepthStencil = nullptr;
    GLuint frontTexture = 0;  // the last presented picture
    HWND presentWindow = nullptr;  // the window Present shows the picture in
    // Something was drawn into, cleared in or copied into the back buffer
    // since the last Present.
    bool backBufferWritten = false;
    int shownDrawableWidth = 0;  // the window's drawable when it was last shown to
    int shownDrawableHeight = 0;
    GLuint readFramebuffer = 0;  // scratch framebuffer for read-back and copies
    GLuint vertexArray = 0;
    GLuint upBuffer = 0;  // streaming buffer of DrawPrimitiveUP
    std::vector<BYTE> upVertices;  // DrawPrimitiveUP's vertices with wrapped coordinates

private:
    ~D3d8Device();
    friend HRESULT d3d8CreateDevice(D3d8Interface*, HWND, DWORD, D3DPRESENT_PARAMETERS*, D3d8Device**);

    // d3d8_device_present.cpp
    void setPresentationInterval();
    void takeFrontFromBackBuffer();
    void showFront(int drawableWidth, int drawableHeight);
    // d3d8_device_state.cpp
    void setDefaultStates();
    // d3d8_device_draw.cpp
    bool flushState(DWORD fvf);
    void bindFramebuffer();
    void applyVertexLayout(GLuint buffer, DWORD fvf, UINT stride, UINT baseOffset);
    void drawArrays(D3DPRIMITIVETYPE primitiveType, UINT firstVertex, UINT primitiveCount,
                    DWORD fvf, UINT stride, GLuint buffer, UINT baseOffset);
    GLuint framebufferFor(D3d8Surface* color, D3d8Surface* depth);
    GLuint samplerFor(DWORD stage);
    void computeProgramKey(DWORD fvf, D3d8ProgramKey* key) const;
    // What a draw of these vertices does to the colour target (d3d8_unseen_draw.h).
    enum class UnseenDraw { no, leftOut, depthOnly };
    UnseenDraw unseenDraw(const BYTE* vertices, UINT count, UINT stride, DWORD fvf) const;
    // Turns colour writes off for a depth-only draw, or back to the state's mask.
    void maskColorWrites(bool masked);

    ULONG refCount = 1;
    std::unordered_set<D3d8Texture*> liveTextures;
    std::unordered_set<D3d8Texture*> texturesWithSpareCopies;
    std::unordered_set<D3d8Surface*> liveSurfaces;
    std::unordered_set<D3d8VertexBuffer*> liveVertexBuffers;

    struct FramebufferEntry {
        GLuint colorTexture;
        GLint colorLevel;
        GLuint depthRenderbuffer;
        GLuint framebuffer;
    };
    std::vector<FramebufferEntry> framebuffers;
    std::unordered_map<std::string, D3d8Program> programs;
    std::unordered_map<unsigned, GLuint> samplers;

    // What GL currently has, so that flushState sends only what changed.
    D3d8Program* currentProgram = nullptr;
    DWORD programFvf = ~0u;
    GLuint boundFramebuffer = ~0u;
    GLuint passFramebuffer = ~0u;  // the framebuffer drawn into last (for the profiler's passes)
    GLuint layoutBuffer = ~0u;
    DWORD layoutFvf = ~0u;
    UINT layoutStride = 0;
    UINT layoutOffset = 0;
    D3d8ProgramKey programKey{};
    GLuint unitTextures[kD3d8StageCount] = {};
    GLuint unitSamplers[kD3d8StageCount] = {};
    unsigned unitSamplerKeys[kD3d8StageCount] = {};  // the sampler states behind unitSamplers
    bool blendEnabled = false;
    bool depthClampEnabled = false;
    GLenum blendSource = GL_ONE;
    GLenum blendDestination = GL_ZERO;
    GLenum blendOperation = GL_FUNC_ADD;
    DWORD colorWriteMask = 0xf;
};

HRESULT d3d8CreateDevice(D3d8Interface* direct3D, HWND focusWindow, DWORD behaviorFlags,
                         D3DPRESENT_PARAMETERS* parameters, D3d8Device** device);

#endif  // ZELVARO_PLATFORM_D3D8_DEVICE_H
