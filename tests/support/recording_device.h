// The tests' one Direct3D 8 device: it draws nothing, keeps its resources in
// memory and records every call it receives, for tests that check states,
// buffer contents, textures or call order without a GPU or a window. With
// `recording` false it records nothing and costs next to nothing (the
// benchmarks time the program's own work on it).
//
//   RecordingDevice device;                 // lives on the stack; Release never frees it
//   mesh.setDevice(&device);
//   mesh.buildGrid(64, 48, 4, 4);
//   device.clearCalls();
//   mesh.render();
//   device.state.renderState(D3DRS_CULLMODE)   // the state the calls left
//   device.draws[0].state.texture(0)        // the state a draw drew with
//   device.callTexts();                     // {"SetRenderState(D3DRS_ZENABLE, 1)", ...}
//   RecordingDevice::bufferOf(mesh.vertexBuffer)->bytes   // what was written
//
// Every call becomes one RecordedCall: its method name, its numeric arguments
// in order, the pointer argument (texture, vertex buffer, matrix) and a
// readable text in which render states, texture-stage states and transform
// types are spelled with their Direct3D names. Lock and Unlock of the vertex
// buffers it creates are recorded in the same list as "Lock(offset, size,
// flags)" and "Unlock()" with the buffer as pointer argument.
//
// CreateVertexBuffer gives an in-memory buffer (RecordingVertexBuffer) whose
// bytes are zero at creation; CreateTexture an in-memory texture with every
// level as tightly packed bytes of its format (0xCD until written), for the
// formats in `acceptedFormats` (any format in the system-memory and scratch
// pools); UpdateTexture copies the levels. The device is its own IDirect3D8
// too (GetDirect3D), answering `caps` and `acceptedFormats`, so the texture
// loader can run on it. Set failVertexBufferCreation (or failTextureCreation)
// to make creation fail with D3DERR_OUTOFVIDEOMEMORY. The device keeps the
// last value of every render state, texture-stage state, transform and
// texture, so the Get methods answer as a real device would. Create the device
// before, and destroy it after, the objects that use it; resources still alive
// when it goes stop recording but stay valid.
#ifndef ZELVARO_TESTS_SUPPORT_RECORDING_DEVICE_H
#define ZELVARO_TESTS_SUPPORT_RECORDING_DEVICE_H

#include <d3d8.h>

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

struct RecordedCall {
    std::string name;           // method name, e.g. "SetRenderState"
    std::vector<DWORD> args;    // numeric arguments in call order
    const void* object = nullptr;  // texture, buffer or matrix argument
    D3DMATRIX matrix{};         // SetTransform: a copy of the matrix
    std::string text;           // e.g. "SetRenderState(D3DRS_ZENABLE, 1)"
};

// What the Set calls have left on the device: the values its Get calls answer.
struct DeviceState {
    std::map<DWORD, DWORD> renderStates;
    std::map<std::pair<DWORD, DWORD>, DWORD> stageStates;
    std::map<DWORD, IDirect3DBaseTexture8*> textures;
    std::map<DWORD, D3DMATRIX> transforms;
    DWORD vertexShader = 0;
    IDirect3DVertexBuffer8* streamSource = nullptr;
    UINT streamStride = 0;

    // 0 (null) for what was never set.
    DWORD renderState(D3DRENDERSTATETYPE state) const;
    DWORD stageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const;
    IDirect3DBaseTexture8* texture(DWORD stage) const;
};

// One DrawPrimitive, DrawPrimitiveUP and the state it drew with.
struct RecordedDraw {
    D3DPRIMITIVETYPE primitiveType;
    UINT startVertex;     // 0 for DrawPrimitiveUP
    UINT primitiveCount;
    const void* userVertices;  // DrawPrimitiveUP's data, else null
    DeviceState state;
};

class RecordingDevice;

// The IUnknown and IDirect3DResource8 part of the resources the device makes:
// reference counting (the last Release tells the owner and frees `Self`),
// GetDevice answering the owner, and priorities that are not kept.
template <typename Interface, typename Self>
class RecordingResource : public Interface {
public:
    RecordingDevice* owner = nullptr;  // null once the device is gone

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice8** device) override;
    DWORD STDMETHODCALLTYPE SetPriority(DWORD priority) override;
    DWORD STDMETHODCALLTYPE GetPriority() override;
    void STDMETHODCALLTYPE PreLoad() override;

protected:
    RecordingResource() = default;
    ~RecordingResource() = default;

private:
    ULONG references = 1;
};

class RecordingVertexBuffer final
    : public RecordingResource<IDirect3DVertexBuffer8, RecordingVertexBuffer> {
public:
    std::vector<BYTE> bytes;
    DWORD usage = 0;
    DWORD fvf = 0;
    D3DPOOL pool = D3DPOOL_DEFAULT;
    int lockCount = 0;  // completed and open locks so far
    bool locked = false;

    // Buffer vertex `index`, reading the buffer as an array of T (whose size
    // is the stride); throws std::out_of_range past the end of the buffer.
    template <typename T>
    const T& vertexAt(size_t index) const {
        if ((index + 1) * sizeof(T) > bytes.size()) {
            throw std::out_of_range("buffer vertex beyond the end of the vertex buffer");
        }
        return *reinterpret_cast<const T*>(bytes.data() + index * sizeof(T));
    }

    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override;
    HRESULT STDMETHODCALLTYPE Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data,
                                   DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Unlock() override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

private:
    friend class RecordingDevice;
    friend class RecordingResource<IDirect3DVertexBuffer8, RecordingVertexBuffer>;
    RecordingVertexBuffer() = default;
    ~RecordingVertexBuffer() = default;
};

// An in-memory texture; LockRect gives a level's bytes.
class RecordingTexture final : public RecordingResource<IDirect3DTexture8, RecordingTexture> {
public:
    struct Level {
        UINT width;
        UINT height;
        UINT pitch;
        std::vector<BYTE> bytes;
        bool locked = false;
    };
    D3DFORMAT format = D3DFMT_UNKNOWN;
    DWORD usage = 0;
    D3DPOOL pool = D3DPOOL_MANAGED;
    std::vector<Level> levels;

    // The pixel at (x, y) of a level as an A8R8G8B8 value.
    D3DCOLOR pixel(UINT level, UINT x, UINT y) const;

    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override;
    DWORD STDMETHODCALLTYPE SetLOD(DWORD lodNew) override;
    DWORD STDMETHODCALLTYPE GetLOD() override;
    DWORD STDMETHODCALLTYPE GetLevelCount() override;
    HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT STDMETHODCALLTYPE GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) override;
    HRESULT STDMETHODCALLTYPE LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect,
                                       DWORD flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect(UINT level) override;
    HRESULT STDMETHODCALLTYPE AddDirtyRect(const RECT* dirtyRect) override;

private:
    friend class RecordingDevice;
    friend class RecordingResource<IDirect3DTexture8, RecordingTexture>;
    RecordingTexture() = default;
    ~RecordingTexture() = default;
};

// Both instantiations live in recording_device.cpp.
extern template class RecordingResource<IDirect3DVertexBuffer8, RecordingVertexBuffer>;
extern template class RecordingResource<IDirect3DTexture8, RecordingTexture>;

class RecordingDevice final : public IDirect3DDevice8, public IDirect3D8 {
public:
    bool recording = true;  // false: no calls or draws are kept
    std::vector<RecordedCall> calls;
    std::vector<RecordedDraw> draws;
    DeviceState state;  // as the calls so far left it
    bool failVertexBufferCreation = false;
    bool failTextureCreation = false;
    int liveVertexBuffers = 0;  // created and not yet released to zero
    int liveTextures = 0;
    int textureCreations = 0;
    int updateTextureCalls = 0;
    D3DCAPS8 caps;                        // POW2 and MIPMAP caps, 2048 at most
    std::set<D3DFORMAT> acceptedFormats;  // what CheckDeviceFormat and CreateTexture accept

    RecordingDevice();
    ~RecordingDevice();
    RecordingDevice(const RecordingDevice&) = delete;
    RecordingDevice& operator=(const RecordingDevice&) = delete;

    void clearCalls() {
        calls.clear();
        draws.clear();
    }
    // The readable texts of all calls, or of the calls with one of `names`.
    std::vector<std::string> callTexts() const;
    std::vector<std::string> callTexts(const std::vector<std::string>& names) const;
    int count(const std::string& name) const;
    // The last call of that name, or null.
    const RecordedCall* last(const std::string& name) const;
    // The buffer behind a pointer this device created (null for null).
    static RecordingVertexBuffer* bufferOf(IDirect3DVertexBuffer8* buffer);
    // A texture made by this device, for tests that only need a texture pointer.
    RecordingTexture* makeTexture(UINT width, UINT height);

    // Readable names: "D3DRS_ZENABLE", "D3DTSS_COLOROP", "D3DTS_WORLD", or the number.
    static std::string renderStateName(DWORD state);
    static std::string stageStateName(DWORD type);
    static std::string transformName(DWORD type);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDirect3D8
    UINT STDMETHODCALLTYPE GetAdapterCount() override;
    UINT STDMETHODCALLTYPE GetAdapterModeCount(UINT adapter) override;
    HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* out) override;
    HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                                              D3DFORMAT backBufferFormat, BOOL windowed) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                                DWORD usage, D3DRESOURCETYPE resourceType,
                                                D3DFORMAT checkFormat) override;
    HRESULT STDMETHODCALLTYPE CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type,
                                                     D3DFORMAT adapterFormat,
                                                     D3DFORMAT renderTargetFormat,
                                                     D3DFORMAT depthStencilFormat) override;
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* out) override;
    HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow,
                                           DWORD behaviorFlags, D3DPRESENT_PARAMETERS* parameters,
                                           IDirect3DDevice8** device) override;
    // IDirect3DDevice8
    HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override;
    UINT STDMETHODCALLTYPE GetAvailableTextureMem() override;
    HRESULT STDMETHODCALLTYPE GetDirect3D(IDirect3D8** direct3D) override;
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(D3DCAPS8* caps) override;
    HRESULT STDMETHODCALLTYPE GetDisplayMode(D3DDISPLAYMODE* mode) override;
    HRESULT STDMETHODCALLTYPE GetCreationParameters(
        D3DDEVICE_CREATION_PARAMETERS* parameters) override;
    HRESULT STDMETHODCALLTYPE Reset(D3DPRESENT_PARAMETERS* presentationParameters) override;
    HRESULT STDMETHODCALLTYPE Present(const RECT* sourceRect, const RECT* destRect,
                                      HWND destWindowOverride, const void* dirtyRegion) override;
    HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT backBuffer, D3DBACKBUFFER_TYPE type,
                                            IDirect3DSurface8** backBufferSurface) override;
    HRESULT STDMETHODCALLTYPE CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                            D3DFORMAT format, D3DPOOL pool,
                                            IDirect3DTexture8** texture) override;
    HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf,
                                                 D3DPOOL pool,
                                                 IDirect3DVertexBuffer8** vertexBuffer) override;
    HRESULT STDMETHODCALLTYPE CreateRenderTarget(UINT width, UINT height, D3DFORMAT format,
                                                 D3DMULTISAMPLE_TYPE multiSample, BOOL lockable,
                                                 IDirect3DSurface8** surface) override;
    HRESULT STDMETHODCALLTYPE CreateDepthStencilSurface(UINT width, UINT height,
                                                        D3DFORMAT format,
                                                        D3DMULTISAMPLE_TYPE multiSample,
                                                        IDirect3DSurface8** surface) override;
    HRESULT STDMETHODCALLTYPE CreateImageSurface(UINT width, UINT height, D3DFORMAT format,
                                                 IDirect3DSurface8** surface) override;
    HRESULT STDMETHODCALLTYPE CopyRects(IDirect3DSurface8* sourceSurface,
                                        const RECT* sourceRects, UINT rectCount,
                                        IDirect3DSurface8* destinationSurface,
                                        const POINT* destPoints) override;
    HRESULT STDMETHODCALLTYPE UpdateTexture(IDirect3DBaseTexture8* sourceTexture,
                                            IDirect3DBaseTexture8* destinationTexture) override;
    HRESULT STDMETHODCALLTYPE GetFrontBuffer(IDirect3DSurface8* destSurface) override;
    HRESULT STDMETHODCALLTYPE SetRenderTarget(IDirect3DSurface8* renderTarget,
                                              IDirect3DSurface8* newZStencil) override;
    HRESULT STDMETHODCALLTYPE GetRenderTarget(IDirect3DSurface8** renderTarget) override;
    HRESULT STDMETHODCALLTYPE GetDepthStencilSurface(IDirect3DSurface8** zStencilSurface) override;
    HRESULT STDMETHODCALLTYPE BeginScene() override;
    HRESULT STDMETHODCALLTYPE EndScene() override;
    HRESULT STDMETHODCALLTYPE Clear(DWORD count, const D3DRECT* rects, DWORD flags,
                                    D3DCOLOR color, float z, DWORD stencil) override;
    HRESULT STDMETHODCALLTYPE SetTransform(D3DTRANSFORMSTATETYPE state,
                                           const D3DMATRIX* matrix) override;
    HRESULT STDMETHODCALLTYPE GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT8* viewport) override;
    HRESULT STDMETHODCALLTYPE GetViewport(D3DVIEWPORT8* viewport) override;
    HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT STDMETHODCALLTYPE GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) override;
    HRESULT STDMETHODCALLTYPE SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) override;
    HRESULT STDMETHODCALLTYPE GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                                   DWORD* value) override;
    HRESULT STDMETHODCALLTYPE SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                                   DWORD value) override;
    HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE primitiveType, UINT startVertex,
                                            UINT primitiveCount) override;
    HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE primitiveType,
                                              UINT primitiveCount,
                                              const void* vertexStreamZeroData,
                                              UINT vertexStreamZeroStride) override;
    HRESULT STDMETHODCALLTYPE SetVertexShader(DWORD handle) override;
    HRESULT STDMETHODCALLTYPE GetVertexShader(DWORD* handle) override;
    HRESULT STDMETHODCALLTYPE SetStreamSource(UINT streamNumber,
                                              IDirect3DVertexBuffer8* streamData,
                                              UINT stride) override;
    HRESULT STDMETHODCALLTYPE GetStreamSource(UINT streamNumber,
                                              IDirect3DVertexBuffer8** streamData,
                                              UINT* stride) override;

private:
    friend class RecordingVertexBuffer;
    friend class RecordingResource<IDirect3DVertexBuffer8, RecordingVertexBuffer>;
    friend class RecordingResource<IDirect3DTexture8, RecordingTexture>;
    void record(const std::string& name, std::vector<DWORD> args, const void* object,
                const std::string& text);
    void forget(RecordingVertexBuffer* buffer);
    void forget(RecordingTexture* texture);

    std::vector<RecordingVertexBuffer*> buffers;
    std::vector<RecordingTexture*> textures;
    D3DVIEWPORT8 viewport{0, 0, 640, 480, 0.0f, 1.0f};
    ULONG references = 1;
};

#endif  // ZELVARO_TESTS_SUPPORT_RECORDING_DEVICE_H
