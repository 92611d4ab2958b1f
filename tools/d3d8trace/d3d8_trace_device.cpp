#include "d3d8_trace_device.h"

#include <cstring>

namespace {

RECT wholeOf(const D3DSURFACE_DESC& desc) {
    return RECT{0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
}

D3d8TraceSurface* traced(IDirect3DSurface8* surface) { return static_cast<D3d8TraceSurface*>(surface); }
D3d8TraceTexture* traced(IDirect3DBaseTexture8* texture) { return static_cast<D3d8TraceTexture*>(texture); }
D3d8TraceVertexBuffer* traced(IDirect3DVertexBuffer8* buffer) { return static_cast<D3d8TraceVertexBuffer*>(buffer); }
IDirect3DSurface8* realOf(IDirect3DSurface8* surface) { return surface != nullptr ? traced(surface)->real : nullptr; }
uint32_t idOf(const D3d8TraceSurface* surface) { return surface != nullptr ? surface->name.id : 0; }

UINT verticesOf(D3DPRIMITIVETYPE type, UINT primitives) {
    switch (type) {
        case D3DPT_POINTLIST: return primitives;
        case D3DPT_LINELIST: return primitives * 2;
        case D3DPT_LINESTRIP: return primitives + 1;
        case D3DPT_TRIANGLELIST: return primitives * 3;
        case D3DPT_TRIANGLESTRIP:
        case D3DPT_TRIANGLEFAN: return primitives + 2;
        default: return 0;
    }
}

}  // namespace

D3d8TraceDevice::D3d8TraceDevice(IDirect3D8* owner, IDirect3DDevice8* wrapped) : real(wrapped), direct3D(owner) {
    direct3D->AddRef();
    IDirect3DSurface8* surface = nullptr;
    if (SUCCEEDED(real->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface))) {
        backBuffer = new D3d8TraceSurface(this, surface, D3d8TraceSurfaceRole::backBuffer);
    }
    surface = nullptr;
    if (SUCCEEDED(real->GetDepthStencilSurface(&surface)) && surface != nullptr) {
        autoDepth = new D3d8TraceSurface(this, surface, D3d8TraceSurfaceRole::autoDepth);
    }
    bind(renderTarget, backBuffer);
    bind(depthStencil, autoDepth);
    real->GetViewport(&viewport);
}

D3d8TraceDevice::~D3d8TraceDevice() {
    std::string ignored;
    stopRecording(&ignored);
    for (auto& texture : textures) bind(texture, static_cast<D3d8TraceTexture*>(nullptr));
    bind(streamSource, static_cast<D3d8TraceVertexBuffer*>(nullptr));
    bind(renderTarget, static_cast<D3d8TraceSurface*>(nullptr));
    bind(depthStencil, static_cast<D3d8TraceSurface*>(nullptr));
    if (backBuffer != nullptr) backBuffer->Release();
    if (autoDepth != nullptr) autoDepth->Release();
    real->Release();
    direct3D->Release();
    d3d8TraceDeviceGone(this);
}

template <typename Object>
void D3d8TraceDevice::bind(Object*& slot, Object* object) {
    if (object != nullptr) object->AddRef();
    Object* old = slot;
    slot = object;
    if (old != nullptr) old->Release();
}

// --- recording ---

bool D3d8TraceDevice::startRecording(const std::string& path, std::string* error) {
    if (writer) {
        *error = "a recording is already open";
        return false;
    }
    if (backBuffer == nullptr) {
        *error = "the device has no back buffer";
        return false;
    }
    writer.reset(new D3d8TraceWriter());
    if (!writer->open(path, error)) {
        writer.reset();
        return false;
    }
    ++recordingNumber;
    writer->record(D3d8TraceOp::device, backBuffer->desc.Width, backBuffer->desc.Height, backBuffer->desc.Format,
                   autoDepth != nullptr ? 1 : 0, autoDepth != nullptr ? autoDepth->desc.Format : 0, backBuffer->name.id,
                   autoDepth != nullptr ? autoDepth->name.id : 0);
    backBuffer->name.declaredIn = recordingNumber;
    if (autoDepth != nullptr) autoDepth->name.declaredIn = recordingNumber;
    writeSurfaceContents(backBuffer);
    writeInheritedState();
    return true;
}

void D3d8TraceDevice::writeInheritedState() {
    for (const auto& [state, value] : renderStates) {
        writer->record(D3d8TraceOp::setRenderState, state, value);
    }
    for (const auto& [where, value] : stageStates) {
        writer->record(D3d8TraceOp::setTextureStageState, where.first, where.second, value);
    }
    for (const auto& [state, matrix] : transforms) SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(state), &matrix);
    if (vertexShaderSet) SetVertexShader(vertexShader);
    if (streamSource != nullptr) SetStreamSource(0, streamSource, streamStride);
    for (DWORD stage = 0; stage < kD3d8TraceStages; ++stage) {
        if (textures[stage] != nullptr) SetTexture(stage, textures[stage]);
    }
    // Through the calls themselves: they record, and set what they already hold.
    const D3DVIEWPORT8 inherited = viewport;
    SetRenderTarget(renderTarget, depthStencil);
    SetViewport(&inherited);
}

void D3d8TraceDevice::frameBegin(uint32_t frame, double musicTime) {
    if (!writer) return;
    writer->begin(D3d8TraceOp::frameBegin);
    writer->u32(frame);
    writer->f64(musicTime);
    writer->end();
}

void D3d8TraceDevice::frameEnd(uint32_t frame) {
    if (!writer) return;
    writer->record(D3d8TraceOp::frameEnd, frame);
}

bool D3d8TraceDevice::stopRecording(std::string* error) {
    if (!writer) return true;
    const bool ok = writer->close(error);
    writer.reset();
    return ok;
}

// The head of a contents record: a texture level by its texture, other
// surfaces by themselves, then the rectangle.
void D3d8TraceDevice::beginContents(D3d8TraceSurface* surface, const RECT& rect) {
    if (surface->texture != nullptr) {
        writer->begin(D3d8TraceOp::textureData);
        writer->u32(surface->texture->name.id);
        writer->u32(surface->level);
    } else {
        writer->begin(D3d8TraceOp::surfaceData);
        writer->u32(surface->name.id);
    }
    writeRect(rect);
}

void D3d8TraceDevice::writeRect(const RECT& rect) {
    writer->i32(rect.left);
    writer->i32(rect.top);
    writer->i32(rect.right);
    writer->i32(rect.bottom);
}

namespace {

// Reads a surface's whole contents: image surfaces and texture levels by a
// read-only lock, render targets through a copy into an image surface.
// Calls `use` with the locked rows; false when they cannot be read.
template <typename Use>
bool readContents(IDirect3DDevice8* device, IDirect3DSurface8* surface, const D3DSURFACE_DESC& desc, bool renderTarget,
                  Use use) {
    IDirect3DSurface8* source = surface;
    IDirect3DSurface8* copy = nullptr;
    if (renderTarget) {
        if (FAILED(device->CreateImageSurface(desc.Width, desc.Height, desc.Format, &copy))) return false;
        if (FAILED(device->CopyRects(surface, nullptr, 0, copy, nullptr))) {
            copy->Release();
            return false;
        }
        source = copy;
    }
    D3DLOCKED_RECT locked{};
    const bool ok = SUCCEEDED(source->LockRect(&locked, nullptr, D3DLOCK_READONLY));
    if (ok) {
        use(locked);
        source->UnlockRect();
    }
    if (copy != nullptr) copy->Release();
    return ok;
}

}  // namespace

void D3d8TraceDevice::writeSurfaceContents(D3d8TraceSurface* surface) {
    const D3DSURFACE_DESC& desc = surface->desc;
    const uint32_t pixelBytes = d3d8TraceBytesPerPixel(desc.Format);
    if (pixelBytes == 0 || surface->lock.open) return;
    const bool target = (desc.Usage & D3DUSAGE_RENDERTARGET) != 0 ||
                        surface->role == D3d8TraceSurfaceRole::backBuffer ||
                        surface->role == D3d8TraceSurfaceRole::renderTarget;
    if (!target && desc.Pool == D3DPOOL_DEFAULT) return;
    readContents(real, surface->real, desc, target, [&](const D3DLOCKED_RECT& locked) {
        beginContents(surface, wholeOf(desc));
        writer->u32(desc.Width * pixelBytes);
        writer->rows(locked.pBits, desc.Width * pixelBytes, desc.Height, locked.Pitch);
        writer->end();
    });
}

void D3d8TraceDevice::declare(D3d8TraceTexture* texture) {
    if (!writer || texture->name.declaredIn == recordingNumber) return;
    texture->name.declaredIn = recordingNumber;
    writer->record(D3d8TraceOp::createTexture, texture->name.id, texture->desc.Width, texture->desc.Height,
                   texture->levelCount, texture->desc.Usage, texture->desc.Format, texture->desc.Pool);
    for (UINT level = 0; level < texture->levelCount; ++level) {
        IDirect3DSurface8* surface = nullptr;
        if (FAILED(texture->GetSurfaceLevel(level, &surface))) continue;
        writeSurfaceContents(traced(surface));
        surface->Release();
    }
}

void D3d8TraceDevice::declare(D3d8TraceSurface* surface) {
    if (!writer || surface->name.declaredIn == recordingNumber) return;
    if (surface->texture != nullptr) {
        declare(surface->texture);
        surface->name.declaredIn = recordingNumber;
        writer->record(D3d8TraceOp::textureLevel, surface->name.id, surface->texture->name.id, surface->level);
        return;
    }
    surface->name.declaredIn = recordingNumber;
    D3d8TraceSurfaceKind kind = D3d8TraceSurfaceKind::image;
    switch (surface->role) {
        case D3d8TraceSurfaceRole::renderTarget: kind = D3d8TraceSurfaceKind::renderTarget; break;
        case D3d8TraceSurfaceRole::depthStencil: kind = D3d8TraceSurfaceKind::depthStencil; break;
        default: break;
    }
    writer->record(D3d8TraceOp::createSurface, surface->name.id, static_cast<uint32_t>(kind), surface->desc.Width,
                   surface->desc.Height, surface->desc.Format);
    if (kind != D3d8TraceSurfaceKind::depthStencil) writeSurfaceContents(surface);
}

void D3d8TraceDevice::declare(D3d8TraceVertexBuffer* buffer) {
    if (!writer || buffer->name.declaredIn == recordingNumber) return;
    buffer->name.declaredIn = recordingNumber;
    writer->record(D3d8TraceOp::createVertexBuffer, buffer->name.id, buffer->desc.Size, buffer->desc.Usage,
                   buffer->desc.FVF, buffer->desc.Pool);
    BYTE* data = nullptr;
    if (buffer->locked || FAILED(buffer->real->Lock(0, 0, &data, D3DLOCK_READONLY))) return;
    writer->begin(D3d8TraceOp::vertexData);
    writer->u32(buffer->name.id);
    writer->u32(0);
    writer->bytes(data, buffer->desc.Size);
    writer->end();
    buffer->real->Unlock();
}

void D3d8TraceDevice::recordLock(D3d8TraceSurface* surface) {
    const D3d8TraceLock& lock = surface->lock;
    const uint32_t pixelBytes = d3d8TraceBytesPerPixel(surface->desc.Format);
    if ((lock.flags & D3DLOCK_READONLY) != 0 || pixelBytes == 0) return;
    declare(surface);
    beginContents(surface, lock.rect);
    const auto rowBytes = static_cast<uint32_t>(lock.rect.right - lock.rect.left) * pixelBytes;
    writer->u32(rowBytes);
    writer->rows(lock.locked.pBits, rowBytes, static_cast<uint32_t>(lock.rect.bottom - lock.rect.top),
                 lock.locked.Pitch);
    writer->end();
}

void D3d8TraceDevice::recordLock(D3d8TraceVertexBuffer* buffer) {
    if ((buffer->lockFlags & D3DLOCK_READONLY) != 0) return;
    declare(buffer);
    writer->begin(D3d8TraceOp::vertexData);
    writer->u32(buffer->name.id);
    writer->u32(buffer->lockOffset);
    writer->bytes(buffer->lockData, buffer->lockSize);
    writer->end();
}

void D3d8TraceDevice::forget(D3d8TraceName& name) {
    if (!writer || name.declaredIn != recordingNumber) return;
    writer->record(D3d8TraceOp::release, name.id);
    name.declaredIn = 0;
}

// --- IUnknown ---

HRESULT D3d8TraceDevice::QueryInterface(REFIID, void** object) {
    if (object != nullptr) *object = nullptr;
    return E_NOINTERFACE;
}

ULONG D3d8TraceDevice::AddRef() { return ++refCount; }

ULONG D3d8TraceDevice::Release() {
    const ULONG count = --refCount;
    if (count == 0) delete this;
    return count;
}

// --- calls passed on as they are ---

HRESULT D3d8TraceDevice::TestCooperativeLevel() { return real->TestCooperativeLevel(); }
UINT D3d8TraceDevice::GetAvailableTextureMem() { return real->GetAvailableTextureMem(); }
HRESULT D3d8TraceDevice::GetDirect3D(IDirect3D8** result) {
    if (result == nullptr) return D3DERR_INVALIDCALL;
    direct3D->AddRef();
    *result = direct3D;
    return D3D_OK;
}
HRESULT D3d8TraceDevice::GetDeviceCaps(D3DCAPS8* caps) { return real->GetDeviceCaps(caps); }
HRESULT D3d8TraceDevice::GetDisplayMode(D3DDISPLAYMODE* mode) { return real->GetDisplayMode(mode); }
HRESULT D3d8TraceDevice::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) {
    return real->GetCreationParameters(parameters);
}
// The recorder keeps surfaces of the device it was made with.
HRESULT D3d8TraceDevice::Reset(D3DPRESENT_PARAMETERS*) { return D3DERR_INVALIDCALL; }
HRESULT D3d8TraceDevice::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    return real->GetTransform(state, matrix);
}
HRESULT D3d8TraceDevice::GetViewport(D3DVIEWPORT8* result) { return real->GetViewport(result); }
HRESULT D3d8TraceDevice::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
    return real->GetRenderState(state, value);
}
HRESULT D3d8TraceDevice::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
    return real->GetTextureStageState(stage, type, value);
}
HRESULT D3d8TraceDevice::GetVertexShader(DWORD* handle) { return real->GetVertexShader(handle); }
HRESULT D3d8TraceDevice::GetFrontBuffer(IDirect3DSurface8* destSurface) {
    return real->GetFrontBuffer(realOf(destSurface));
}

// --- objects handed out ---

HRESULT D3d8TraceDevice::GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE, IDirect3DSurface8** result) {
    if (result == nullptr) return D3DERR_INVALIDCALL;
    *result = nullptr;
    if (index != 0 || backBuffer == nullptr) return D3DERR_INVALIDCALL;
    backBuffer->AddRef();
    *result = backBuffer;
    return D3D_OK;
}

HRESULT D3d8TraceDevice::GetRenderTarget(IDirect3DSurface8** result) {
    if (result == nullptr) return D3DERR_INVALIDCALL;
    *result = renderTarget;
    if (renderTarget == nullptr) return D3DERR_NOTFOUND;
    renderTarget->AddRef();
    return D3D_OK;
}

HRESULT D3d8TraceDevice::GetDepthStencilSurface(IDirect3DSurface8** result) {
    if (result == nullptr) return D3DERR_INVALIDCALL;
    *result = depthStencil;
    if (depthStencil == nullptr) return D3DERR_NOTFOUND;
    depthStencil->AddRef();
    return D3D_OK;
}

HRESULT D3d8TraceDevice::GetTexture(DWORD stage, IDirect3DBaseTexture8** result) {
    if (result == nullptr || stage >= kD3d8TraceStages) return D3DERR_INVALIDCALL;
    *result = textures[stage];
    if (textures[stage] != nullptr) textures[stage]->AddRef();
    return D3D_OK;
}

HRESULT D3d8TraceDevice::GetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8** result, UINT* stride) {
    if (result == nullptr || stride == nullptr || streamNumber != 0) return D3DERR_INVALIDCALL;
    *result = streamSource;
    *stride = streamStride;
    if (streamSource != nullptr) streamSource->AddRef();
    return D3D_OK;
}

HRESULT D3d8TraceDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                       D3DPOOL pool, IDirect3DTexture8** result) {
    if (result == nullptr) return D3DERR_INVALIDCALL;
    IDirect3DTexture8* made = nullptr;
    const HRESULT status = real->CreateTexture(width, height, levels, usage, format, pool, &made);
    *result = nullptr;
    if (FAILED(status) || made == nullptr) return status;
    auto* texture = new D3d8TraceTexture(this, made);
    declare(texture);
    *result = texture;
    return status;
}

HRESULT D3d8TraceDevice::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                            IDirect3DVertexBuffer8** result) {
    if (result == nullptr) return D3DERR_INVALIDCALL;
    IDirect3DVertexBuffer8* made = nullptr;
    const HRESULT status = real->CreateVertexBuffer(length, usage, fvf, pool, &made);
    *result = nullptr;
    if (FAILED(status) || made == nullptr) return status;
    auto* buffer = new D3d8TraceVertexBuffer(this, made);
    declare(buffer);
    *result = buffer;
    return status;
}

namespace {

template <typename Make>
HRESULT makeSurface(D3d8TraceDevice* device, D3d8TraceSurfaceRole role, IDirect3DSurface8** result, Make make) {
    if (result == nullptr) return D3DERR_INVALIDCALL;
    IDirect3DSurface8* made = nullptr;
    const HRESULT status = make(&made);
    *result = nullptr;
    if (FAILED(status) || made == nullptr) return status;
    auto* surface = new D3d8TraceSurface(device, made, role);
    device->declare(surface);
    *result = surface;
    return status;
}

}  // namespace

HRESULT D3d8TraceDevice::CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                            BOOL lockable, IDirect3DSurface8** result) {
    return makeSurface(this, D3d8TraceSurfaceRole::renderTarget, result, [&](IDirect3DSurface8** made) {
        return real->CreateRenderTarget(width, height, format, multiSample, lockable, made);
    });
}

HRESULT D3d8TraceDevice::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                                   D3DMULTISAMPLE_TYPE multiSample, IDirect3DSurface8** result) {
    return makeSurface(this, D3d8TraceSurfaceRole::depthStencil, result, [&](IDirect3DSurface8** made) {
        return real->CreateDepthStencilSurface(width, height, format, multiSample, made);
    });
}

HRESULT D3d8TraceDevice::CreateImageSurface(UINT width, UINT height, D3DFORMAT format, IDirect3DSurface8** result) {
    return makeSurface(this, D3d8TraceSurfaceRole::image, result,
                       [&](IDirect3DSurface8** made) { return real->CreateImageSurface(width, height, format, made); });
}

// --- calls that are recorded ---

HRESULT D3d8TraceDevice::Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                                 const void* dirtyRegion) {
    if (writer) writer->record(D3d8TraceOp::present);
    return real->Present(sourceRect, destRect, destWindowOverride, dirtyRegion);
}

HRESULT D3d8TraceDevice::CopyRects(IDirect3DSurface8* sourceSurface, const RECT* sourceRects, UINT rectCount,
                                   IDirect3DSurface8* destinationSurface, const POINT* destPoints) {
    if (writer && sourceSurface != nullptr && destinationSurface != nullptr) {
        declare(traced(sourceSurface));
        declare(traced(destinationSurface));
        const UINT count = sourceRects == nullptr ? 0 : rectCount;
        writer->begin(D3d8TraceOp::copyRects);
        writer->u32(idOf(traced(sourceSurface)));
        writer->u32(idOf(traced(destinationSurface)));
        writer->u32(count);
        writer->u32(destPoints != nullptr ? 1 : 0);
        for (UINT i = 0; i < count; ++i) writeRect(sourceRects[i]);
        for (UINT i = 0; destPoints != nullptr && i < count; ++i) {
            writer->i32(destPoints[i].x);
            writer->i32(destPoints[i].y);
        }
        writer->end();
    }
    return real->CopyRects(realOf(sourceSurface), sourceRects, rectCount, realOf(destinationSurface), destPoints);
}

HRESULT D3d8TraceDevice::UpdateTexture(IDirect3DBaseTexture8* sourceTexture,
                                       IDirect3DBaseTexture8* destinationTexture) {
    if (sourceTexture == nullptr || destinationTexture == nullptr) return D3DERR_INVALIDCALL;
    if (writer) {
        declare(traced(sourceTexture));
        declare(traced(destinationTexture));
        writer->record(D3d8TraceOp::updateTexture, traced(sourceTexture)->name.id, traced(destinationTexture)->name.id);
    }
    return real->UpdateTexture(traced(sourceTexture)->real, traced(destinationTexture)->real);
}

HRESULT D3d8TraceDevice::SetRenderTarget(IDirect3DSurface8* newTarget, IDirect3DSurface8* newZStencil) {
    if (writer) {
        if (newTarget != nullptr) declare(traced(newTarget));
        if (newZStencil != nullptr) declare(traced(newZStencil));
        writer->record(D3d8TraceOp::setRenderTarget, idOf(traced(newTarget)), idOf(traced(newZStencil)));
    }
    const HRESULT status = real->SetRenderTarget(realOf(newTarget), realOf(newZStencil));
    if (SUCCEEDED(status)) {
        if (newTarget != nullptr) bind(renderTarget, traced(newTarget));
        bind(depthStencil, traced(newZStencil));
        real->GetViewport(&viewport);
    }
    return status;
}

HRESULT D3d8TraceDevice::BeginScene() {
    if (writer) writer->record(D3d8TraceOp::beginScene);
    return real->BeginScene();
}

HRESULT D3d8TraceDevice::EndScene() {
    if (writer) writer->record(D3d8TraceOp::endScene);
    return real->EndScene();
}

HRESULT D3d8TraceDevice::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) {
    if (writer) {
        const DWORD recorded = rects == nullptr ? 0 : count;
        writer->begin(D3d8TraceOp::clear);
        writer->u32(recorded);
        for (DWORD i = 0; i < recorded; ++i) {
            writer->i32(rects[i].x1);
            writer->i32(rects[i].y1);
            writer->i32(rects[i].x2);
            writer->i32(rects[i].y2);
        }
        writer->u32(flags);
        writer->u32(color);
        writer->f32(z);
        writer->u32(stencil);
        writer->end();
    }
    return real->Clear(count, rects, flags, color, z, stencil);
}

HRESULT D3d8TraceDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    if (matrix == nullptr) return real->SetTransform(state, matrix);
    if (writer) {
        writer->begin(D3d8TraceOp::setTransform);
        writer->u32(state);
        for (int row = 0; row < 4; ++row) {
            for (int column = 0; column < 4; ++column) writer->f32(matrix->m[row][column]);
        }
        writer->end();
    }
    const HRESULT status = real->SetTransform(state, matrix);
    if (SUCCEEDED(status)) transforms[state] = *matrix;
    return status;
}

HRESULT D3d8TraceDevice::SetViewport(const D3DVIEWPORT8* newViewport) {
    if (newViewport == nullptr) return real->SetViewport(newViewport);
    if (writer) {
        writer->begin(D3d8TraceOp::setViewport);
        writer->u32(newViewport->X);
        writer->u32(newViewport->Y);
        writer->u32(newViewport->Width);
        writer->u32(newViewport->Height);
        writer->f32(newViewport->MinZ);
        writer->f32(newViewport->MaxZ);
        writer->end();
    }
    const HRESULT status = real->SetViewport(newViewport);
    if (SUCCEEDED(status)) viewport = *newViewport;
    return status;
}

HRESULT D3d8TraceDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (writer) writer->record(D3d8TraceOp::setRenderState, state, value);
    const HRESULT status = real->SetRenderState(state, value);
    if (SUCCEEDED(status)) renderStates[state] = value;
    return status;
}

HRESULT D3d8TraceDevice::SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) {
    if (stage >= kD3d8TraceStages) return real->SetTexture(stage, texture != nullptr ? traced(texture)->real : nullptr);
    if (writer) {
        if (texture != nullptr) declare(traced(texture));
        writer->record(D3d8TraceOp::setTexture, stage, texture != nullptr ? traced(texture)->name.id : 0);
    }
    const HRESULT status = real->SetTexture(stage, texture != nullptr ? traced(texture)->real : nullptr);
    if (SUCCEEDED(status)) bind(textures[stage], traced(texture));
    return status;
}

HRESULT D3d8TraceDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    if (writer) writer->record(D3d8TraceOp::setTextureStageState, stage, type, value);
    const HRESULT status = real->SetTextureStageState(stage, type, value);
    if (SUCCEEDED(status)) stageStates[{stage, static_cast<DWORD>(type)}] = value;
    return status;
}

HRESULT D3d8TraceDevice::DrawPrimitive(D3DPRIMITIVETYPE primitiveType, UINT startVertex, UINT primitiveCount) {
    if (writer) writer->record(D3d8TraceOp::drawPrimitive, primitiveType, startVertex, primitiveCount);
    return real->DrawPrimitive(primitiveType, startVertex, primitiveCount);
}

HRESULT D3d8TraceDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE primitiveType, UINT primitiveCount,
                                         const void* vertexStreamZeroData, UINT vertexStreamZeroStride) {
    if (writer && vertexStreamZeroData != nullptr) {
        writer->begin(D3d8TraceOp::drawPrimitiveUP);
        writer->u32(primitiveType);
        writer->u32(primitiveCount);
        writer->u32(vertexStreamZeroStride);
        writer->bytes(vertexStreamZeroData, verticesOf(primitiveType, primitiveCount) * vertexStreamZeroStride);
        writer->end();
    }
    return real->DrawPrimitiveUP(primitiveType, primitiveCount, vertexStreamZeroData, vertexStreamZeroStride);
}

HRESULT D3d8TraceDevice::SetVertexShader(DWORD handle) {
    if (writer) writer->record(D3d8TraceOp::setVertexShader, handle);
    const HRESULT status = real->SetVertexShader(handle);
    if (SUCCEEDED(status)) {
        vertexShaderSet = true;
        vertexShader = handle;
    }
    return status;
}

HRESULT D3d8TraceDevice::SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8* streamData, UINT stride) {
    IDirect3DVertexBuffer8* realBuffer = streamData != nullptr ? traced(streamData)->real : nullptr;
    if (streamNumber != 0) return real->SetStreamSource(streamNumber, realBuffer, stride);
    if (writer) {
        if (streamData != nullptr) declare(traced(streamData));
        writer->record(D3d8TraceOp::setStreamSource, streamNumber,
                       streamData != nullptr ? traced(streamData)->name.id : 0, stride);
    }
    const HRESULT status = real->SetStreamSource(streamNumber, realBuffer, stride);
    if (SUCCEEDED(status)) {
        bind(streamSource, traced(streamData));
        streamStride = stride;
    }
    return status;
}
