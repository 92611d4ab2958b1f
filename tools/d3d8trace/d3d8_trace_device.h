// A Direct3D 8 device that records: it forwards every call to the real device
// and, while a recording is open, writes the calls of the frames and every
// object they name (with its contents) into a trace. It keeps the state the
// program set, so that a recording can begin with what its first frame inherits.
#ifndef ZELVARO_TOOLS_D3D8TRACE_DEVICE_H
#define ZELVARO_TOOLS_D3D8TRACE_DEVICE_H

#include <d3d8.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "d3d8_trace_objects.h"
#include "d3d8_trace_writer.h"

constexpr DWORD kD3d8TraceStages = 8;

class D3d8TraceDevice final : public IDirect3DDevice8 {
public:
    D3d8TraceDevice(IDirect3D8* direct3D, IDirect3DDevice8* real);
    ~D3d8TraceDevice();

    // Recording: the file gets the device and the inherited state at once,
    // then the calls of each frame between frameBegin and frameEnd.
    bool startRecording(const std::string& path, std::string* error);
    void frameBegin(uint32_t frame, double musicTime);
    void frameEnd(uint32_t frame);
    bool stopRecording(std::string* error);

    // For the objects: the open recording or null; declarations; lock contents.
    D3d8TraceWriter* recording() { return writer.get(); }
    void declare(D3d8TraceTexture* texture);
    void declare(D3d8TraceSurface* surface);
    void declare(D3d8TraceVertexBuffer* buffer);
    void recordLock(D3d8TraceSurface* surface);
    void recordLock(D3d8TraceVertexBuffer* buffer);
    void forget(D3d8TraceName& name);  // an object is gone
    uint32_t nextId() { return ++lastId; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override;
    UINT STDMETHODCALLTYPE GetAvailableTextureMem() override;
    HRESULT STDMETHODCALLTYPE GetDirect3D(IDirect3D8** direct3D) override;
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(D3DCAPS8* caps) override;
    HRESULT STDMETHODCALLTYPE GetDisplayMode(D3DDISPLAYMODE* mode) override;
    HRESULT STDMETHODCALLTYPE GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) override;
    HRESULT STDMETHODCALLTYPE Reset(D3DPRESENT_PARAMETERS* presentationParameters) override;
    HRESULT STDMETHODCALLTYPE Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                                      const void* dirtyRegion) override;
    HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT backBuffer, D3DBACKBUFFER_TYPE type,
                                            IDirect3DSurface8** backBufferSurface) override;
    HRESULT STDMETHODCALLTYPE CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                            D3DPOOL pool, IDirect3DTexture8** texture) override;
    HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                                 IDirect3DVertexBuffer8** vertexBuffer) override;
    HRESULT STDMETHODCALLTYPE CreateRenderTarget(UINT width, UINT height, D3DFORMAT format,
                                                 D3DMULTISAMPLE_TYPE multiSample, BOOL lockable,
                                                 IDirect3DSurface8** surface) override;
    HRESULT STDMETHODCALLTYPE CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                                        D3DMULTISAMPLE_TYPE multiSample,
                                                        IDirect3DSurface8** surface) override;
    HRESULT STDMETHODCALLTYPE CreateImageSurface(UINT width, UINT height, D3DFORMAT format,
                                                 IDirect3DSurface8** surface) override;
    HRESULT STDMETHODCALLTYPE CopyRects(IDirect3DSurface8* sourceSurface, const RECT* sourceRects, UINT rectCount,
                                        IDirect3DSurface8* destinationSurface, const POINT* destPoints) override;
    HRESULT STDMETHODCALLTYPE UpdateTexture(IDirect3DBaseTexture8* sourceTexture,
                                            IDirect3DBaseTexture8* destinationTexture) override;
    HRESULT STDMETHODCALLTYPE GetFrontBuffer(IDirect3DSurface8* destSurface) override;
    HRESULT STDMETHODCALLTYPE SetRenderTarget(IDirect3DSurface8* renderTarget, IDirect3DSurface8* newZStencil) override;
    HRESULT STDMETHODCALLTYPE GetRenderTarget(IDirect3DSurface8** renderTarget) override;
    HRESULT STDMETHODCALLTYPE GetDepthStencilSurface(IDirect3DSurface8** zStencilSurface) override;
    HRESULT STDMETHODCALLTYPE BeginScene() override;
    HRESULT STDMETHODCALLTYPE EndScene() override;
    HRESULT STDMETHODCALLTYPE Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                                    DWORD stencil) override;
    HRESULT STDMETHODCALLTYPE SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT STDMETHODCALLTYPE GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT8* viewport) override;
    HRESULT STDMETHODCALLTYPE GetViewport(D3DVIEWPORT8* viewport) override;
    HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT STDMETHODCALLTYPE GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) override;
    HRESULT STDMETHODCALLTYPE SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) override;
    HRESULT STDMETHODCALLTYPE GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    HRESULT STDMETHODCALLTYPE SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE primitiveType, UINT startVertex,
                                            UINT primitiveCount) override;
    HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE primitiveType, UINT primitiveCount,
                                              const void* vertexStreamZeroData, UINT vertexStreamZeroStride) override;
    HRESULT STDMETHODCALLTYPE SetVertexShader(DWORD handle) override;
    HRESULT STDMETHODCALLTYPE GetVertexShader(DWORD* handle) override;
    HRESULT STDMETHODCALLTYPE SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8* streamData,
                                              UINT stride) override;
    HRESULT STDMETHODCALLTYPE GetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8** streamData,
                                              UINT* stride) override;

    IDirect3DDevice8* real;

private:
    template <typename Object>
    void bind(Object*& slot, Object* object);  // keeps a reference to what is bound
    void writeInheritedState();
    void writeSurfaceContents(D3d8TraceSurface* surface);
    void beginContents(D3d8TraceSurface* surface, const RECT& rect);
    void writeRect(const RECT& rect);

    IDirect3D8* direct3D;
    ULONG refCount = 1;
    uint32_t lastId = 0;
    uint32_t recordingNumber = 0;
    std::unique_ptr<D3d8TraceWriter> writer;

    // What the program set, for the start of a recording.
    std::map<DWORD, DWORD> renderStates;
    std::map<std::pair<DWORD, DWORD>, DWORD> stageStates;
    std::map<DWORD, D3DMATRIX> transforms;
    bool vertexShaderSet = false;
    DWORD vertexShader = 0;
    D3DVIEWPORT8 viewport{};
    D3d8TraceTexture* textures[kD3d8TraceStages] = {};
    D3d8TraceVertexBuffer* streamSource = nullptr;
    UINT streamStride = 0;
    D3d8TraceSurface* backBuffer = nullptr;
    D3d8TraceSurface* autoDepth = nullptr;
    D3d8TraceSurface* renderTarget = nullptr;
    D3d8TraceSurface* depthStencil = nullptr;
};

// Called by a device as it goes, so that nothing records through it afterwards.
void d3d8TraceDeviceGone(D3d8TraceDevice* device);

#endif  // ZELVARO_TOOLS_D3D8TRACE_DEVICE_H
