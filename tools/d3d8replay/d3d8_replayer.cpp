#include "d3d8_replayer.h"

#include <cstring>
#include <ctime>

namespace {

typedef IDirect3D8*(WINAPI* CreateFunction)(UINT);

LRESULT CALLBACK replayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

template <typename Map>
typename Map::mapped_type find(const Map& map, uint32_t id) {
    const auto it = map.find(id);
    return it == map.end() ? nullptr : it->second;
}

RECT readRect(D3d8TraceFields& f) {
    RECT rect;
    rect.left = f.i32();
    rect.top = f.i32();
    rect.right = f.i32();
    rect.bottom = f.i32();
    return rect;
}

void copyRows(const D3DLOCKED_RECT& locked, const uint8_t* rows, uint32_t rowBytes, LONG rowCount) {
    for (LONG y = 0; y < rowCount; ++y) {
        std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch, rows + size_t(y) * rowBytes, rowBytes);
    }
}

std::string hex(HRESULT result) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(result));
    return text;
}

}  // namespace

D3d8Replayer::~D3d8Replayer() {
    for (auto& entry : surfaces) entry.second->Release();
    for (auto& entry : textures) entry.second->Release();
    for (auto& entry : vertexBuffers) entry.second->Release();
    if (device != nullptr) device->Release();
    if (direct3D != nullptr) direct3D->Release();
    if (window != nullptr) DestroyWindow(window);
}

IDirect3DSurface8* D3d8Replayer::surface(uint32_t id) const { return find(surfaces, id); }
IDirect3DTexture8* D3d8Replayer::texture(uint32_t id) const { return find(textures, id); }
IDirect3DVertexBuffer8* D3d8Replayer::vertexBuffer(uint32_t id) const { return find(vertexBuffers, id); }

void D3d8Replayer::forget(uint32_t id) {
    if (IDirect3DSurface8* s = surface(id)) s->Release();
    if (IDirect3DTexture8* t = texture(id)) t->Release();
    if (IDirect3DVertexBuffer8* b = vertexBuffer(id)) b->Release();
    surfaces.erase(id);
    textures.erase(id);
    vertexBuffers.erase(id);
}

bool D3d8Replayer::open(const std::string& tracePath, std::string* error) {
    if (!trace.load(tracePath, error)) return false;
    D3d8TraceRecord record;
    bool haveDevice = false;
    while (trace.next(&record, error)) {
        if (record.op == D3d8TraceOp::frameBegin) frameStarts.push_back(trace.position() - 5 - record.size);
        if (record.op == D3d8TraceOp::device && !haveDevice) {
            D3d8TraceFields f = record.fields();
            haveDevice = true;
            if (!createDevice(f, error)) return false;
        }
    }
    if (!error->empty()) return false;
    if (!haveDevice) {
        *error = "the trace has no device record";
        return false;
    }
    if (frameStarts.empty()) {
        *error = "the trace has no frame";
        return false;
    }
    return true;
}

bool D3d8Replayer::createDevice(D3d8TraceFields& f, std::string* error) {
    width = f.u32();
    height = f.u32();
    format = static_cast<D3DFORMAT>(f.u32());
    const bool autoDepth = f.u32() != 0;
    const D3DFORMAT depthFormat = static_cast<D3DFORMAT>(f.u32());
    if (f.failed || width == 0 || height == 0 || width > 8192 || height > 8192) {
        *error = "the trace's device record is damaged";
        return false;
    }
#ifdef _WIN32
    // No import library for d3d8.dll: the entry point is looked up.
    HMODULE library = LoadLibraryA("d3d8.dll");  // stays loaded while the program runs
    CreateFunction create =
        library != nullptr
            ? reinterpret_cast<CreateFunction>(reinterpret_cast<void*>(GetProcAddress(library, "Direct3DCreate8")))
            : nullptr;
    if (create == nullptr) {
        *error = "cannot load d3d8.dll";
        return false;
    }
    direct3D = create(D3D_SDK_VERSION);
#else
    direct3D = Direct3DCreate8(D3D_SDK_VERSION);
#endif
    if (direct3D == nullptr) {
        *error = "Direct3DCreate8 failed";
        return false;
    }
    WNDCLASSA windowClass;
    std::memset(&windowClass, 0, sizeof windowClass);
    windowClass.lpfnWndProc = replayWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "zelvaro-d3d8replay";
    RegisterClassA(&windowClass);
    window = CreateWindowExA(0, "zelvaro-d3d8replay", "zelvaro-d3d8replay", WS_POPUP | WS_VISIBLE, 0, 0,
                             static_cast<int>(width), static_cast<int>(height), nullptr, nullptr, windowClass.hInstance,
                             nullptr);
    if (window == nullptr) {
        *error = "cannot make a window";
        return false;
    }
    D3DPRESENT_PARAMETERS parameters;
    std::memset(&parameters, 0, sizeof parameters);
    parameters.BackBufferWidth = width;
    parameters.BackBufferHeight = height;
    parameters.BackBufferFormat = format;
    parameters.BackBufferCount = 1;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.hDeviceWindow = window;
    parameters.Windowed = TRUE;
    parameters.EnableAutoDepthStencil = autoDepth ? TRUE : FALSE;
    parameters.AutoDepthStencilFormat = depthFormat;
    parameters.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    const HRESULT result = direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                                  D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, &device);
    if (FAILED(result) || device == nullptr) {
        *error = "CreateDevice failed: " + hex(result);
        device = nullptr;
        return false;
    }
    const uint32_t backId = f.u32();
    const uint32_t depthId = f.u32();
    IDirect3DSurface8* back = nullptr;
    if (SUCCEEDED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back))) surfaces[backId] = back;
    IDirect3DSurface8* depth = nullptr;
    if (depthId != 0 && SUCCEEDED(device->GetDepthStencilSurface(&depth))) surfaces[depthId] = depth;
    return true;
}

// Puts rows into a surface: by a lock, or (render targets, surfaces that
// cannot be locked) through an image surface and CopyRects.
bool D3d8Replayer::upload(IDirect3DSurface8* target, D3d8TraceFields& f, bool viaCopy, std::string* error) {
    const RECT rect = readRect(f);
    const uint32_t rowBytes = f.u32();
    uint32_t count = 0;
    const uint8_t* rows = f.bytes(&count);
    const LONG rectWidth = rect.right - rect.left;
    const LONG rectHeight = rect.bottom - rect.top;
    if (f.failed || target == nullptr || rectWidth <= 0 || rectHeight <= 0 ||
        uint64_t(rowBytes) * uint64_t(rectHeight) != count) {
        *error = "a contents record is damaged or names an unknown object";
        return false;
    }
    D3DSURFACE_DESC desc;
    target->GetDesc(&desc);
    D3DLOCKED_RECT locked;
    if (!viaCopy && SUCCEEDED(target->LockRect(&locked, &rect, 0))) {
        copyRows(locked, rows, rowBytes, rectHeight);
        target->UnlockRect();
        return true;
    }
    IDirect3DSurface8* image = nullptr;
    if (FAILED(device->CreateImageSurface(UINT(rectWidth), UINT(rectHeight), desc.Format, &image))) return true;
    if (SUCCEEDED(image->LockRect(&locked, nullptr, 0))) {
        copyRows(locked, rows, rowBytes, rectHeight);
        image->UnlockRect();
        // A source rectangle with its point: Wine's CopyRects copies nothing
        // for destination points without source rectangles.
        RECT whole;
        whole.left = 0;
        whole.top = 0;
        whole.right = rectWidth;
        whole.bottom = rectHeight;
        POINT at;
        at.x = rect.left;
        at.y = rect.top;
        device->CopyRects(image, &whole, 1, target, &at);
    }
    image->Release();
    return true;
}

bool D3d8Replayer::play(const D3d8TraceRecord& record, std::string* error) {
    D3d8TraceFields f = record.fields();
    switch (record.op) {
        case D3d8TraceOp::device:
        case D3d8TraceOp::frameBegin:
        case D3d8TraceOp::frameEnd:
        case D3d8TraceOp::present:  // the picture is read from the back buffer
            return true;
        case D3d8TraceOp::createTexture: {
            const uint32_t id = f.u32(), w = f.u32(), h = f.u32(), levels = f.u32(), usage = f.u32();
            const auto textureFormat = static_cast<D3DFORMAT>(f.u32());
            const auto pool = static_cast<D3DPOOL>(f.u32());
            forget(id);
            IDirect3DTexture8* made = nullptr;
            if (SUCCEEDED(device->CreateTexture(w, h, levels, usage, textureFormat, pool, &made))) textures[id] = made;
            textureUsage[id] = usage;
            break;
        }
        case D3d8TraceOp::createSurface: {
            const uint32_t id = f.u32(), kind = f.u32(), w = f.u32(), h = f.u32();
            const auto surfaceFormat = static_cast<D3DFORMAT>(f.u32());
            forget(id);
            IDirect3DSurface8* made = nullptr;
            HRESULT result = D3DERR_INVALIDCALL;
            switch (static_cast<D3d8TraceSurfaceKind>(kind)) {
                case D3d8TraceSurfaceKind::renderTarget:
                    result = device->CreateRenderTarget(w, h, surfaceFormat, D3DMULTISAMPLE_NONE, FALSE, &made);
                    break;
                case D3d8TraceSurfaceKind::depthStencil:
                    result = device->CreateDepthStencilSurface(w, h, surfaceFormat, D3DMULTISAMPLE_NONE, &made);
                    break;
                case D3d8TraceSurfaceKind::image:
                    result = device->CreateImageSurface(w, h, surfaceFormat, &made);
                    break;
            }
            if (SUCCEEDED(result) && made != nullptr) surfaces[id] = made;
            break;
        }
        case D3d8TraceOp::textureLevel: {
            const uint32_t id = f.u32(), textureId = f.u32(), level = f.u32();
            IDirect3DTexture8* owner = texture(textureId);
            IDirect3DSurface8* made = nullptr;
            forget(id);
            if (owner != nullptr && SUCCEEDED(owner->GetSurfaceLevel(level, &made))) surfaces[id] = made;
            break;
        }
        case D3d8TraceOp::createVertexBuffer: {
            const uint32_t id = f.u32(), length = f.u32(), usage = f.u32(), fvf = f.u32();
            const auto pool = static_cast<D3DPOOL>(f.u32());
            forget(id);
            IDirect3DVertexBuffer8* made = nullptr;
            if (SUCCEEDED(device->CreateVertexBuffer(length, usage, fvf, pool, &made))) vertexBuffers[id] = made;
            break;
        }
        case D3d8TraceOp::textureData: {
            const uint32_t id = f.u32(), level = f.u32();
            IDirect3DTexture8* owner = texture(id);
            IDirect3DSurface8* levelSurface = nullptr;
            if (owner == nullptr || FAILED(owner->GetSurfaceLevel(level, &levelSurface))) break;
            const bool ok = upload(levelSurface, f, (textureUsage[id] & D3DUSAGE_RENDERTARGET) != 0, error);
            levelSurface->Release();
            return ok;
        }
        case D3d8TraceOp::surfaceData: {
            IDirect3DSurface8* target = surface(f.u32());
            if (target == nullptr) break;
            D3DSURFACE_DESC desc;
            target->GetDesc(&desc);
            return upload(target, f, (desc.Usage & D3DUSAGE_RENDERTARGET) != 0 || desc.Pool == D3DPOOL_DEFAULT, error);
        }
        case D3d8TraceOp::vertexData: {
            IDirect3DVertexBuffer8* buffer = vertexBuffer(f.u32());
            const uint32_t offset = f.u32();
            uint32_t count = 0;
            const uint8_t* data = f.bytes(&count);
            BYTE* locked = nullptr;
            if (buffer == nullptr || f.failed || count == 0) break;
            if (SUCCEEDED(buffer->Lock(offset, count, &locked, 0))) {
                std::memcpy(locked, data, count);
                buffer->Unlock();
            }
            break;
        }
        case D3d8TraceOp::release: forget(f.u32()); break;
        case D3d8TraceOp::setRenderState: {
            const auto state = static_cast<D3DRENDERSTATETYPE>(f.u32());
            const DWORD value = f.u32();
            const auto forced = forcedStates.find(state);
            device->SetRenderState(state, forced != forcedStates.end() ? forced->second : value);
            break;
        }
        case D3d8TraceOp::setTextureStageState: {
            const DWORD stage = f.u32();
            const auto type = static_cast<D3DTEXTURESTAGESTATETYPE>(f.u32());
            device->SetTextureStageState(stage, type, f.u32());
            break;
        }
        case D3d8TraceOp::setTransform: {
            const auto state = static_cast<D3DTRANSFORMSTATETYPE>(f.u32());
            D3DMATRIX matrix;
            for (int row = 0; row < 4; ++row) {
                for (int column = 0; column < 4; ++column) matrix.m[row][column] = f.f32();
            }
            if (!f.failed) device->SetTransform(state, &matrix);
            break;
        }
        case D3d8TraceOp::setViewport: {
            D3DVIEWPORT8 viewport;
            viewport.X = f.u32();
            viewport.Y = f.u32();
            viewport.Width = f.u32();
            viewport.Height = f.u32();
            viewport.MinZ = f.f32();
            viewport.MaxZ = f.f32();
            if (!f.failed) device->SetViewport(&viewport);
            break;
        }
        case D3d8TraceOp::setTexture: {
            const DWORD stage = f.u32();
            device->SetTexture(stage, texture(f.u32()));
            break;
        }
        case D3d8TraceOp::setStreamSource: {
            const UINT stream = f.u32();
            IDirect3DVertexBuffer8* buffer = vertexBuffer(f.u32());
            device->SetStreamSource(stream, buffer, f.u32());
            break;
        }
        case D3d8TraceOp::setVertexShader: device->SetVertexShader(f.u32()); break;
        case D3d8TraceOp::setRenderTarget: {
            IDirect3DSurface8* color = surface(f.u32());
            IDirect3DSurface8* depth = surface(f.u32());
            device->SetRenderTarget(color, depth);
            break;
        }
        case D3d8TraceOp::clear: {
            const uint32_t count = f.u32();
            std::vector<D3DRECT> rects;
            for (uint32_t i = 0; i < count && !f.failed; ++i) {
                const RECT r = readRect(f);
                D3DRECT d;
                d.x1 = r.left;
                d.y1 = r.top;
                d.x2 = r.right;
                d.y2 = r.bottom;
                rects.push_back(d);
            }
            const DWORD flags = f.u32();
            const D3DCOLOR color = f.u32();
            const float z = f.f32();
            const DWORD stencil = f.u32();
            if (!f.failed) device->Clear(count, count > 0 ? rects.data() : nullptr, flags, color, z, stencil);
            break;
        }
        case D3d8TraceOp::beginScene: device->BeginScene(); break;
        case D3d8TraceOp::endScene: device->EndScene(); break;
        case D3d8TraceOp::drawPrimitive: {
            const auto type = static_cast<D3DPRIMITIVETYPE>(f.u32());
            const UINT start = f.u32();
            device->DrawPrimitive(type, start, f.u32());
            break;
        }
        case D3d8TraceOp::drawPrimitiveUP: {
            const auto type = static_cast<D3DPRIMITIVETYPE>(f.u32());
            const UINT primitives = f.u32(), stride = f.u32();
            uint32_t count = 0;
            const uint8_t* vertices = f.bytes(&count);
            if (!f.failed && count > 0) device->DrawPrimitiveUP(type, primitives, vertices, stride);
            break;
        }
        case D3d8TraceOp::copyRects: {
            IDirect3DSurface8* from = surface(f.u32());
            IDirect3DSurface8* to = surface(f.u32());
            const uint32_t count = f.u32();
            const bool hasPoints = f.u32() != 0;
            std::vector<RECT> rects;
            std::vector<POINT> points;
            for (uint32_t i = 0; i < count && !f.failed; ++i) rects.push_back(readRect(f));
            for (uint32_t i = 0; hasPoints && i < count && !f.failed; ++i) {
                POINT p;
                p.x = f.i32();
                p.y = f.i32();
                points.push_back(p);
            }
            if (!f.failed && from != nullptr && to != nullptr) {
                device->CopyRects(from, count > 0 ? rects.data() : nullptr, count, to,
                                  hasPoints ? points.data() : nullptr);
            }
            break;
        }
        case D3d8TraceOp::updateTexture: {
            IDirect3DTexture8* from = texture(f.u32());
            IDirect3DTexture8* to = texture(f.u32());
            if (from != nullptr && to != nullptr) device->UpdateTexture(from, to);
            break;
        }
        case D3d8TraceOp::setLOD: {
            IDirect3DTexture8* target = texture(f.u32());
            const DWORD lod = f.u32();
            if (target != nullptr) target->SetLOD(lod);
            break;
        }
    }
    if (f.failed) {
        *error = "a " + d3d8TraceOpName(record.op) + " record is cut short";
        return false;
    }
    return true;
}

bool D3d8Replayer::replay(int last, D3d8ReplayPicture* picture, std::string* error) {
    if (last < 0) last = frameCount() - 1;
    if (last >= frameCount()) {
        *error = "the trace has " + std::to_string(frameCount()) + " frames";
        return false;
    }
    trace.rewind();
    for (const auto& [state, value] : forcedStates)
        device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(state), value);
    D3d8TraceRecord record;
    int frame = -1;
    while (trace.next(&record, error)) {
        if (record.op == D3d8TraceOp::frameBegin) {
            ++frame;
            replayedFrom = trace.position() - 5 - record.size;
        }
        if (!play(record, error)) return false;
        if (record.op == D3d8TraceOp::frameEnd && frame == last) {
            replayedTo = trace.position();
            return readBack(picture, error);
        }
    }
    if (error->empty()) *error = "the trace ends inside its last frame";
    return false;
}

bool D3d8Replayer::repeat(int times, double* millisecondsPerFrame, double* processorMilliseconds,
                          std::string* error) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const std::clock_t processorStart = std::clock();
    D3d8TraceRecord record;
    for (int i = 0; i < times; ++i) {
        trace.seek(replayedFrom);
        bool declaring = false;
        while (trace.position() < replayedTo && trace.next(&record, error)) {
            // Objects the frame named first were declared inside it: they
            // exist from the first replay, so their creation, the contents
            // that come with it and their release are left out.
            switch (record.op) {
                case D3d8TraceOp::createTexture:
                case D3d8TraceOp::createSurface:
                case D3d8TraceOp::createVertexBuffer:
                case D3d8TraceOp::textureLevel:
                case D3d8TraceOp::release: declaring = record.op != D3d8TraceOp::release; continue;
                case D3d8TraceOp::textureData:
                case D3d8TraceOp::surfaceData:
                case D3d8TraceOp::vertexData:
                    if (declaring) continue;
                    break;
                default: declaring = false; break;
            }
            if (!play(record, error)) return false;
        }
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }
    D3d8ReplayPicture picture;
    if (!readBack(&picture, error)) return false;
    QueryPerformanceCounter(&end);
    *processorMilliseconds = 1000.0 * double(std::clock() - processorStart) / CLOCKS_PER_SEC / times;
    *millisecondsPerFrame = 1000.0 * double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart) / times;
    return true;
}

// The back buffer by a lock where the device allows it (a lockable back
// buffer), otherwise through a copy into an image surface.
bool D3d8Replayer::readBack(D3d8ReplayPicture* picture, std::string* error) {
    IDirect3DSurface8* back = nullptr;
    if (FAILED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back))) {
        *error = "GetBackBuffer failed";
        return false;
    }
    D3DSURFACE_DESC desc;
    back->GetDesc(&desc);
    IDirect3DSurface8* source = back;
    IDirect3DSurface8* copy = nullptr;
    D3DLOCKED_RECT locked;
    bool ok = SUCCEEDED(back->LockRect(&locked, nullptr, D3DLOCK_READONLY));
    if (!ok && SUCCEEDED(device->CreateImageSurface(desc.Width, desc.Height, desc.Format, &copy))) {
        source = copy;
        ok = SUCCEEDED(device->CopyRects(back, nullptr, 0, copy, nullptr)) &&
             SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY));
    }
    if (ok) {
        const bool fourBytes = desc.Format == D3DFMT_X8R8G8B8 || desc.Format == D3DFMT_A8R8G8B8;
        picture->width = desc.Width;
        picture->height = desc.Height;
        picture->rgb.assign(size_t(desc.Width) * desc.Height * 3, 0);
        for (UINT y = 0; y < desc.Height; ++y) {
            const uint8_t* row = static_cast<const uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch;
            for (UINT x = 0; x < desc.Width; ++x) {
                uint8_t* out = &picture->rgb[(size_t(y) * desc.Width + x) * 3];
                if (fourBytes) {
                    out[0] = row[x * 4 + 2];
                    out[1] = row[x * 4 + 1];
                    out[2] = row[x * 4 + 0];
                } else {  // R5G6B5
                    const unsigned v = row[x * 2] | unsigned(row[x * 2 + 1]) << 8;
                    out[0] = uint8_t(((v >> 11) & 31) * 255 / 31);
                    out[1] = uint8_t(((v >> 5) & 63) * 255 / 63);
                    out[2] = uint8_t((v & 31) * 255 / 31);
                }
            }
        }
        source->UnlockRect();
    } else {
        *error = "cannot read the back buffer";
    }
    if (copy != nullptr) copy->Release();
    back->Release();
    return ok;
}
