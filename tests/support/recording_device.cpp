// The tests' device: every call is appended to `calls` with a readable text
// while `recording` is on; resources live in memory.
#include "recording_device.h"

#include <algorithm>
#include <cstring>

#include "pixel_conversion.h"

namespace {

std::string numberText(DWORD value) { return std::to_string(value); }

std::string pointerText(const void* pointer) { return pointer == nullptr ? "null" : "object"; }

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i) {
        text += (i == 0 ? "" : ", ") + parts[i];
    }
    return text;
}

}  // namespace

// ---------------------------------------------------------------- names

std::string RecordingDevice::renderStateName(DWORD state) {
    switch (state) {
    case D3DRS_ZENABLE: return "D3DRS_ZENABLE";
    case D3DRS_FILLMODE: return "D3DRS_FILLMODE";
    case D3DRS_SHADEMODE: return "D3DRS_SHADEMODE";
    case D3DRS_ZWRITEENABLE: return "D3DRS_ZWRITEENABLE";
    case D3DRS_ALPHATESTENABLE: return "D3DRS_ALPHATESTENABLE";
    case D3DRS_SRCBLEND: return "D3DRS_SRCBLEND";
    case D3DRS_DESTBLEND: return "D3DRS_DESTBLEND";
    case D3DRS_CULLMODE: return "D3DRS_CULLMODE";
    case D3DRS_ZFUNC: return "D3DRS_ZFUNC";
    case D3DRS_ALPHAREF: return "D3DRS_ALPHAREF";
    case D3DRS_ALPHAFUNC: return "D3DRS_ALPHAFUNC";
    case D3DRS_DITHERENABLE: return "D3DRS_DITHERENABLE";
    case D3DRS_ALPHABLENDENABLE: return "D3DRS_ALPHABLENDENABLE";
    case D3DRS_FOGENABLE: return "D3DRS_FOGENABLE";
    case D3DRS_SPECULARENABLE: return "D3DRS_SPECULARENABLE";
    case D3DRS_TEXTUREFACTOR: return "D3DRS_TEXTUREFACTOR";
    case D3DRS_WRAP0: return "D3DRS_WRAP0";
    case D3DRS_WRAP1: return "D3DRS_WRAP1";
    case D3DRS_LIGHTING: return "D3DRS_LIGHTING";
    case D3DRS_AMBIENT: return "D3DRS_AMBIENT";
    case D3DRS_COLORVERTEX: return "D3DRS_COLORVERTEX";
    case D3DRS_BLENDOP: return "D3DRS_BLENDOP";
    default: return numberText(state);
    }
}

std::string RecordingDevice::stageStateName(DWORD type) {
    switch (type) {
    case D3DTSS_COLOROP: return "D3DTSS_COLOROP";
    case D3DTSS_COLORARG1: return "D3DTSS_COLORARG1";
    case D3DTSS_COLORARG2: return "D3DTSS_COLORARG2";
    case D3DTSS_ALPHAOP: return "D3DTSS_ALPHAOP";
    case D3DTSS_ALPHAARG1: return "D3DTSS_ALPHAARG1";
    case D3DTSS_ALPHAARG2: return "D3DTSS_ALPHAARG2";
    case D3DTSS_TEXCOORDINDEX: return "D3DTSS_TEXCOORDINDEX";
    case D3DTSS_ADDRESSU: return "D3DTSS_ADDRESSU";
    case D3DTSS_ADDRESSV: return "D3DTSS_ADDRESSV";
    case D3DTSS_MAGFILTER: return "D3DTSS_MAGFILTER";
    case D3DTSS_MINFILTER: return "D3DTSS_MINFILTER";
    case D3DTSS_MIPFILTER: return "D3DTSS_MIPFILTER";
    case D3DTSS_TEXTURETRANSFORMFLAGS: return "D3DTSS_TEXTURETRANSFORMFLAGS";
    default: return numberText(type);
    }
}

std::string RecordingDevice::transformName(DWORD type) {
    switch (type) {
    case D3DTS_VIEW: return "D3DTS_VIEW";
    case D3DTS_PROJECTION: return "D3DTS_PROJECTION";
    case D3DTS_WORLD: return "D3DTS_WORLD";
    case D3DTS_TEXTURE0: return "D3DTS_TEXTURE0";
    case D3DTS_TEXTURE1: return "D3DTS_TEXTURE1";
    default: return numberText(type);
    }
}

// ---------------------------------------------------------------- device bookkeeping

RecordingDevice::RecordingDevice() {
    caps = D3DCAPS8{};
    caps.DeviceType = D3DDEVTYPE_HAL;
    caps.TextureCaps = D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_MIPMAP | D3DPTEXTURECAPS_ALPHA;
    caps.MaxTextureWidth = 2048;
    caps.MaxTextureHeight = 2048;
    caps.MaxTextureBlendStages = 8;
    caps.MaxSimultaneousTextures = 8;
    caps.MaxPrimitiveCount = 0xFFFFF;
    caps.MaxVertexIndex = 0xFFFFF;
    caps.MaxStreams = 1;
    caps.MaxStreamStride = 256;
    acceptedFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5,
                       D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_L8,       D3DFMT_A8L8};
}

RecordingDevice::~RecordingDevice() {
    for (RecordingVertexBuffer* buffer : buffers) {
        buffer->owner = nullptr;
    }
    for (RecordingTexture* texture : textures) {
        texture->owner = nullptr;
    }
}

void RecordingDevice::record(const std::string& name, std::vector<DWORD> args,
                             const void* object, const std::string& text) {
    RecordedCall call;
    call.name = name;
    call.args = std::move(args);
    call.object = object;
    call.text = text;
    calls.push_back(std::move(call));
}

void RecordingDevice::forget(RecordingVertexBuffer* buffer) {
    buffers.erase(std::remove(buffers.begin(), buffers.end(), buffer), buffers.end());
    --liveVertexBuffers;
}

void RecordingDevice::forget(RecordingTexture* texture) {
    textures.erase(std::remove(textures.begin(), textures.end(), texture), textures.end());
    --liveTextures;
}

std::vector<std::string> RecordingDevice::callTexts() const {
    std::vector<std::string> texts;
    for (const RecordedCall& call : calls) {
        texts.push_back(call.text);
    }
    return texts;
}

std::vector<std::string> RecordingDevice::callTexts(const std::vector<std::string>& names) const {
    std::vector<std::string> texts;
    for (const RecordedCall& call : calls) {
        if (std::find(names.begin(), names.end(), call.name) != names.end()) {
            texts.push_back(call.text);
        }
    }
    return texts;
}

int RecordingDevice::count(const std::string& name) const {
    return static_cast<int>(std::count_if(calls.begin(), calls.end(),
                                          [&](const RecordedCall& c) { return c.name == name; }));
}

const RecordedCall* RecordingDevice::last(const std::string& name) const {
    for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
        if (it->name == name) {
            return &*it;
        }
    }
    return nullptr;
}

RecordingVertexBuffer* RecordingDevice::bufferOf(IDirect3DVertexBuffer8* buffer) {
    return static_cast<RecordingVertexBuffer*>(buffer);
}

RecordingTexture* RecordingDevice::makeTexture(UINT width, UINT height) {
    IDirect3DTexture8* texture = nullptr;
    const bool failing = failTextureCreation;
    failTextureCreation = false;
    CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture);
    failTextureCreation = failing;
    --textureCreations;
    if (recording) calls.pop_back();  // a test's own set-up is not part of what it checks
    return static_cast<RecordingTexture*>(texture);
}

DWORD DeviceState::renderState(D3DRENDERSTATETYPE state) const {
    auto found = renderStates.find(state);
    return found != renderStates.end() ? found->second : 0;
}

DWORD DeviceState::stageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const {
    auto found = stageStates.find({stage, static_cast<DWORD>(type)});
    return found != stageStates.end() ? found->second : 0;
}

IDirect3DBaseTexture8* DeviceState::texture(DWORD stage) const {
    auto found = textures.find(stage);
    return found != textures.end() ? found->second : nullptr;
}

// ---------------------------------------------------------------- IUnknown

HRESULT RecordingDevice::QueryInterface(REFIID, void** object) {
    if (object != nullptr) {
        *object = nullptr;
    }
    return E_NOINTERFACE;
}

// The device belongs to the test that made it; references are only counted.
ULONG RecordingDevice::AddRef() { return ++references; }
ULONG RecordingDevice::Release() { return references > 0 ? --references : 0; }

// ---------------------------------------------------------------- IDirect3D8

UINT RecordingDevice::GetAdapterCount() { return 1; }
UINT RecordingDevice::GetAdapterModeCount(UINT) { return 1; }

HRESULT RecordingDevice::EnumAdapterModes(UINT, UINT mode, D3DDISPLAYMODE* out) {
    if (mode != 0) {
        return D3DERR_INVALIDCALL;
    }
    return GetDisplayMode(out);
}

HRESULT RecordingDevice::GetAdapterDisplayMode(UINT, D3DDISPLAYMODE* mode) { return GetDisplayMode(mode); }

HRESULT RecordingDevice::CheckDeviceType(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, BOOL) { return D3D_OK; }

HRESULT RecordingDevice::CheckDeviceFormat(UINT, D3DDEVTYPE, D3DFORMAT, DWORD, D3DRESOURCETYPE,
                                           D3DFORMAT checkFormat) {
    return acceptedFormats.count(checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT RecordingDevice::CheckDepthStencilMatch(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT) {
    return D3D_OK;
}

HRESULT RecordingDevice::GetDeviceCaps(UINT, D3DDEVTYPE, D3DCAPS8* out) { return GetDeviceCaps(out); }

HRESULT RecordingDevice::CreateDevice(UINT, D3DDEVTYPE, HWND, DWORD, D3DPRESENT_PARAMETERS*,
                                      IDirect3DDevice8** device) {
    if (device != nullptr) {
        *device = nullptr;
    }
    return D3DERR_NOTAVAILABLE;
}

// ---------------------------------------------------------------- device calls

HRESULT RecordingDevice::TestCooperativeLevel() {
    if (recording) record("TestCooperativeLevel", {}, nullptr, "TestCooperativeLevel()");
    return D3D_OK;
}

UINT RecordingDevice::GetAvailableTextureMem() { return 256u << 20; }

HRESULT RecordingDevice::GetDirect3D(IDirect3D8** direct3D) {
    if (direct3D == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *direct3D = this;
    AddRef();
    return D3D_OK;
}

HRESULT RecordingDevice::GetDeviceCaps(D3DCAPS8* out) {
    if (out == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *out = caps;
    return D3D_OK;
}

HRESULT RecordingDevice::GetDisplayMode(D3DDISPLAYMODE* mode) {
    if (mode == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *mode = {viewport.Width, viewport.Height, 60, D3DFMT_X8R8G8B8};
    return D3D_OK;
}

HRESULT RecordingDevice::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) {
    if (parameters == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *parameters = {D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                   D3DCREATE_SOFTWARE_VERTEXPROCESSING};
    return D3D_OK;
}

HRESULT RecordingDevice::Reset(D3DPRESENT_PARAMETERS*) {
    if (recording) record("Reset", {}, nullptr, "Reset()");
    return D3D_OK;
}

HRESULT RecordingDevice::Present(const RECT*, const RECT*, HWND, const void*) {
    if (recording) record("Present", {}, nullptr, "Present()");
    return D3D_OK;
}

HRESULT RecordingDevice::GetBackBuffer(UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface8** surface) {
    if (surface != nullptr) {
        *surface = nullptr;
    }
    return D3DERR_NOTAVAILABLE;
}

HRESULT RecordingDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                       D3DFORMAT format, D3DPOOL pool,
                                       IDirect3DTexture8** texture) {
    if (recording) record("CreateTexture", {width, height, levels, usage, static_cast<DWORD>(format),
                             static_cast<DWORD>(pool)},
           nullptr,
           "CreateTexture(" + joined({numberText(width), numberText(height), numberText(levels),
                                      numberText(usage), numberText(format), numberText(pool)}) +
               ")");
    const UINT bytesPerPixel = pixelFormatBytes(format);
    if (texture == nullptr || width == 0 || height == 0 || bytesPerPixel == 0) {
        return D3DERR_INVALIDCALL;
    }
    *texture = nullptr;
    if (pool != D3DPOOL_SYSTEMMEM && pool != D3DPOOL_SCRATCH && !acceptedFormats.count(format)) {
        return D3DERR_INVALIDCALL;
    }
    if (failTextureCreation) {
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    RecordingTexture* made = new RecordingTexture();
    made->format = format;
    made->usage = usage;
    made->pool = pool;
    // Levels 0 means the whole chain down to 1 x 1.
    for (UINT w = width, h = height;; w = w > 1 ? w / 2 : 1, h = h > 1 ? h / 2 : 1) {
        RecordingTexture::Level level;
        level.width = w;
        level.height = h;
        level.pitch = w * bytesPerPixel;
        level.bytes.assign(static_cast<size_t>(level.pitch) * h, 0xCD);  // never-written marker
        made->levels.push_back(std::move(level));
        if (made->levels.size() == levels || (levels == 0 && w == 1 && h == 1)) {
            break;
        }
    }
    made->owner = this;
    textures.push_back(made);
    ++liveTextures;
    ++textureCreations;
    *texture = made;
    return D3D_OK;
}

HRESULT RecordingDevice::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                            IDirect3DVertexBuffer8** vertexBuffer) {
    if (recording) record("CreateVertexBuffer", {length, usage, fvf, static_cast<DWORD>(pool)}, nullptr,
           "CreateVertexBuffer(" + joined({numberText(length), numberText(usage),
                                           numberText(fvf), numberText(pool)}) +
               ")");
    if (vertexBuffer == nullptr || length == 0) {
        return D3DERR_INVALIDCALL;
    }
    *vertexBuffer = nullptr;
    if (failVertexBufferCreation) {
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    RecordingVertexBuffer* made = new RecordingVertexBuffer();
    made->bytes.assign(length, 0);
    made->usage = usage;
    made->fvf = fvf;
    made->pool = pool;
    made->owner = this;
    buffers.push_back(made);
    ++liveVertexBuffers;
    *vertexBuffer = made;
    return D3D_OK;
}

HRESULT RecordingDevice::CreateRenderTarget(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, BOOL,
                                            IDirect3DSurface8** surface) {
    if (surface != nullptr) {
        *surface = nullptr;
    }
    return D3DERR_NOTAVAILABLE;
}

HRESULT RecordingDevice::CreateDepthStencilSurface(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE,
                                                   IDirect3DSurface8** surface) {
    if (surface != nullptr) {
        *surface = nullptr;
    }
    return D3DERR_NOTAVAILABLE;
}

HRESULT RecordingDevice::CreateImageSurface(UINT, UINT, D3DFORMAT, IDirect3DSurface8** surface) {
    if (surface != nullptr) {
        *surface = nullptr;
    }
    return D3DERR_NOTAVAILABLE;
}

HRESULT RecordingDevice::CopyRects(IDirect3DSurface8* source, const RECT*, UINT rectCount,
                                   IDirect3DSurface8* destination, const POINT*) {
    if (recording) record("CopyRects", {rectCount}, destination,
           "CopyRects(" + joined({pointerText(source), numberText(rectCount),
                                  pointerText(destination)}) +
               ")");
    return D3D_OK;
}

HRESULT RecordingDevice::UpdateTexture(IDirect3DBaseTexture8* source, IDirect3DBaseTexture8* destination) {
    if (recording) record("UpdateTexture", {}, destination, "UpdateTexture(" + joined({pointerText(source), pointerText(destination)}) + ")");
    auto* from = static_cast<RecordingTexture*>(source);
    auto* to = static_cast<RecordingTexture*>(destination);
    if (from == nullptr || to == nullptr || from->levels.size() != to->levels.size()) {
        return D3DERR_INVALIDCALL;
    }
    for (size_t i = 0; i < from->levels.size(); ++i) {
        to->levels[i].bytes = from->levels[i].bytes;
    }
    ++updateTextureCalls;
    return D3D_OK;
}

HRESULT RecordingDevice::GetFrontBuffer(IDirect3DSurface8*) { return D3DERR_NOTAVAILABLE; }

HRESULT RecordingDevice::SetRenderTarget(IDirect3DSurface8* renderTarget,
                                         IDirect3DSurface8* newZStencil) {
    if (recording) record("SetRenderTarget", {}, renderTarget,
           "SetRenderTarget(" + joined({pointerText(renderTarget), pointerText(newZStencil)}) +
               ")");
    return D3D_OK;
}

HRESULT RecordingDevice::GetRenderTarget(IDirect3DSurface8** renderTarget) {
    if (renderTarget != nullptr) {
        *renderTarget = nullptr;
    }
    return D3DERR_NOTAVAILABLE;
}

HRESULT RecordingDevice::GetDepthStencilSurface(IDirect3DSurface8** surface) {
    if (surface != nullptr) {
        *surface = nullptr;
    }
    return D3DERR_NOTAVAILABLE;
}

HRESULT RecordingDevice::BeginScene() {
    if (recording) record("BeginScene", {}, nullptr, "BeginScene()");
    return D3D_OK;
}

HRESULT RecordingDevice::EndScene() {
    if (recording) record("EndScene", {}, nullptr, "EndScene()");
    return D3D_OK;
}

HRESULT RecordingDevice::Clear(DWORD count, const D3DRECT*, DWORD flags, D3DCOLOR color, float z,
                               DWORD stencil) {
    DWORD zBits = 0;
    std::memcpy(&zBits, &z, sizeof zBits);
    if (recording) record("Clear", {count, flags, color, zBits, stencil}, nullptr,
           "Clear(" + joined({numberText(count), numberText(flags), numberText(color),
                              std::to_string(z), numberText(stencil)}) +
               ")");
    return D3D_OK;
}

HRESULT RecordingDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    if (recording) record("SetTransform", {static_cast<DWORD>(state)}, matrix,
           "SetTransform(" + transformName(state) + ")");
    if (matrix == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (recording) calls.back().matrix = *matrix;
    this->state.transforms[state] = *matrix;
    return D3D_OK;
}

HRESULT RecordingDevice::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    if (matrix == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    auto found = this->state.transforms.find(state);
    if (found != this->state.transforms.end()) {
        *matrix = found->second;
    } else {
        *matrix = D3DMATRIX{};
        matrix->_11 = matrix->_22 = matrix->_33 = matrix->_44 = 1.0f;
    }
    return D3D_OK;
}

HRESULT RecordingDevice::SetViewport(const D3DVIEWPORT8* newViewport) {
    if (recording) record("SetViewport", {}, newViewport, "SetViewport()");
    if (newViewport == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    viewport = *newViewport;
    return D3D_OK;
}

HRESULT RecordingDevice::GetViewport(D3DVIEWPORT8* out) {
    if (out == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *out = viewport;
    return D3D_OK;
}

HRESULT RecordingDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (recording) record("SetRenderState", {static_cast<DWORD>(state), value}, nullptr,
           "SetRenderState(" + renderStateName(state) + ", " + numberText(value) + ")");
    this->state.renderStates[state] = value;
    return D3D_OK;
}

HRESULT RecordingDevice::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
    if (value == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *value = this->state.renderState(state);
    return D3D_OK;
}

HRESULT RecordingDevice::GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) {
    if (texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *texture = state.texture(stage);
    if (*texture != nullptr) {
        (*texture)->AddRef();
    }
    return D3D_OK;
}

HRESULT RecordingDevice::SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) {
    if (recording) record("SetTexture", {stage}, texture,
           "SetTexture(" + numberText(stage) + ", " + pointerText(texture) + ")");
    state.textures[stage] = texture;
    return D3D_OK;
}

HRESULT RecordingDevice::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                              DWORD* value) {
    if (value == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *value = state.stageState(stage, type);
    return D3D_OK;
}

HRESULT RecordingDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                              DWORD value) {
    if (recording) record("SetTextureStageState", {stage, static_cast<DWORD>(type), value}, nullptr,
           "SetTextureStageState(" +
               joined({numberText(stage), stageStateName(type), numberText(value)}) + ")");
    state.stageStates[{stage, static_cast<DWORD>(type)}] = value;
    return D3D_OK;
}

HRESULT RecordingDevice::DrawPrimitive(D3DPRIMITIVETYPE primitiveType, UINT startVertex,
                                       UINT primitiveCount) {
    if (recording) record("DrawPrimitive", {static_cast<DWORD>(primitiveType), startVertex, primitiveCount},
           state.streamSource,
           "DrawPrimitive(" + joined({numberText(primitiveType), numberText(startVertex),
                                      numberText(primitiveCount)}) +
               ")");
    if (recording) draws.push_back({primitiveType, startVertex, primitiveCount, nullptr, state});
    return D3D_OK;
}

HRESULT RecordingDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE primitiveType, UINT primitiveCount,
                                         const void* data, UINT stride) {
    if (recording) record("DrawPrimitiveUP", {static_cast<DWORD>(primitiveType), primitiveCount, stride}, data,
           "DrawPrimitiveUP(" + joined({numberText(primitiveType), numberText(primitiveCount),
                                        numberText(stride)}) +
               ")");
    if (recording) draws.push_back({primitiveType, 0, primitiveCount, data, state});
    return D3D_OK;
}

HRESULT RecordingDevice::SetVertexShader(DWORD handle) {
    if (recording) record("SetVertexShader", {handle}, nullptr, "SetVertexShader(" + numberText(handle) + ")");
    state.vertexShader = handle;
    return D3D_OK;
}

HRESULT RecordingDevice::GetVertexShader(DWORD* handle) {
    if (handle == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *handle = state.vertexShader;
    return D3D_OK;
}

HRESULT RecordingDevice::SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8* streamData,
                                         UINT stride) {
    if (recording) record("SetStreamSource", {streamNumber, stride}, streamData,
           "SetStreamSource(" + joined({numberText(streamNumber), pointerText(streamData),
                                        numberText(stride)}) +
               ")");
    state.streamSource = streamData;
    state.streamStride = stride;
    return D3D_OK;
}

HRESULT RecordingDevice::GetStreamSource(UINT, IDirect3DVertexBuffer8** streamData, UINT* stride) {
    if (streamData == nullptr || stride == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *streamData = state.streamSource;
    *stride = state.streamStride;
    if (state.streamSource != nullptr) {
        state.streamSource->AddRef();
    }
    return D3D_OK;
}

// ---------------------------------------------------------------- resources

template <typename Interface, typename Self>
HRESULT RecordingResource<Interface, Self>::QueryInterface(REFIID, void** object) {
    if (object != nullptr) {
        *object = nullptr;
    }
    return E_NOINTERFACE;
}

template <typename Interface, typename Self>
ULONG RecordingResource<Interface, Self>::AddRef() {
    return ++references;
}

template <typename Interface, typename Self>
ULONG RecordingResource<Interface, Self>::Release() {
    const ULONG left = --references;
    if (left == 0) {
        Self* self = static_cast<Self*>(this);
        if (owner != nullptr) {
            owner->forget(self);
        }
        delete self;
    }
    return left;
}

template <typename Interface, typename Self>
HRESULT RecordingResource<Interface, Self>::GetDevice(IDirect3DDevice8** device) {
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *device = owner;
    if (owner != nullptr) {
        owner->AddRef();
    }
    return D3D_OK;
}

template <typename Interface, typename Self>
DWORD RecordingResource<Interface, Self>::SetPriority(DWORD) {
    return 0;
}

template <typename Interface, typename Self>
DWORD RecordingResource<Interface, Self>::GetPriority() {
    return 0;
}

template <typename Interface, typename Self>
void RecordingResource<Interface, Self>::PreLoad() {}

template class RecordingResource<IDirect3DVertexBuffer8, RecordingVertexBuffer>;
template class RecordingResource<IDirect3DTexture8, RecordingTexture>;

// ---------------------------------------------------------------- vertex buffer

D3DRESOURCETYPE RecordingVertexBuffer::GetType() { return D3DRTYPE_VERTEXBUFFER; }

HRESULT RecordingVertexBuffer::Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data,
                                    DWORD flags) {
    if (owner != nullptr && owner->recording) {
        owner->record("Lock", {offsetToLock, sizeToLock, flags}, this,
                      "Lock(" + joined({numberText(offsetToLock), numberText(sizeToLock),
                                        numberText(flags)}) +
                          ")");
    }
    if (data == nullptr || locked || offsetToLock > bytes.size()) {
        return D3DERR_INVALIDCALL;
    }
    locked = true;
    ++lockCount;
    *data = bytes.data() + offsetToLock;
    return D3D_OK;
}

HRESULT RecordingVertexBuffer::Unlock() {
    if (owner != nullptr && owner->recording) {
        owner->record("Unlock", {}, this, "Unlock()");
    }
    if (!locked) {
        return D3DERR_INVALIDCALL;
    }
    locked = false;
    return D3D_OK;
}

HRESULT RecordingVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
    if (desc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *desc = {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage, pool,
             static_cast<UINT>(bytes.size()), fvf};
    return D3D_OK;
}

// ---------------------------------------------------------------- texture

D3DRESOURCETYPE RecordingTexture::GetType() { return D3DRTYPE_TEXTURE; }
DWORD RecordingTexture::SetLOD(DWORD) { return 0; }
DWORD RecordingTexture::GetLOD() { return 0; }
DWORD RecordingTexture::GetLevelCount() { return static_cast<DWORD>(levels.size()); }

HRESULT RecordingTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    if (desc == nullptr || level >= levels.size()) {
        return D3DERR_INVALIDCALL;
    }
    *desc = {format, D3DRTYPE_SURFACE, usage, pool, static_cast<UINT>(levels[level].bytes.size()),
             D3DMULTISAMPLE_NONE, levels[level].width, levels[level].height};
    return D3D_OK;
}

HRESULT RecordingTexture::GetSurfaceLevel(UINT, IDirect3DSurface8** surface) {
    if (surface != nullptr) {
        *surface = nullptr;
    }
    return D3DERR_NOTAVAILABLE;
}

HRESULT RecordingTexture::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT*, DWORD) {
    if (lockedRect == nullptr || level >= levels.size() || levels[level].locked) {
        return D3DERR_INVALIDCALL;
    }
    levels[level].locked = true;
    lockedRect->Pitch = static_cast<INT>(levels[level].pitch);
    lockedRect->pBits = levels[level].bytes.data();
    return D3D_OK;
}

HRESULT RecordingTexture::UnlockRect(UINT level) {
    if (level >= levels.size() || !levels[level].locked) {
        return D3DERR_INVALIDCALL;
    }
    levels[level].locked = false;
    return D3D_OK;
}

HRESULT RecordingTexture::AddDirtyRect(const RECT*) { return D3D_OK; }

D3DCOLOR RecordingTexture::pixel(UINT level, UINT x, UINT y) const {
    const Level& at = levels[level];
    FloatPixel value;
    readPixels(format, at.bytes.data() + static_cast<size_t>(y) * at.pitch + static_cast<size_t>(x) * pixelFormatBytes(format),
               1, nullptr, &value);
    return pixelToColour(value);
}
