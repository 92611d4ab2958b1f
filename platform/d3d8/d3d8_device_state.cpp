// The shadow copies of render states, texture-stage states, transforms,
// viewport and bindings. Setters only record the value and mark what must be
// sent to GL at the next draw.
#include <cstring>

#include "d3d8_device.h"
#include "d3d8_fvf.h"
#include "d3d8_texture.h"
#include "d3d8_vertex_buffer.h"

namespace {

D3DMATRIX identity() {
    D3DMATRIX matrix{};
    matrix._11 = matrix._22 = matrix._33 = matrix._44 = 1.0f;
    return matrix;
}

DWORD floatBits(float value) {
    DWORD bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

// Which group of GL state a render state belongs to.
unsigned renderStateGroup(DWORD state) {
    switch (state) {
        case D3DRS_ZENABLE:
        case D3DRS_ZWRITEENABLE:
        case D3DRS_ZFUNC:
            return kD3d8DirtyDepth;
        case D3DRS_ALPHABLENDENABLE:
        case D3DRS_SRCBLEND:
        case D3DRS_DESTBLEND:
        case D3DRS_COLORWRITEENABLE:
        case D3DRS_BLENDOP:
            return kD3d8DirtyBlend;
        case D3DRS_CULLMODE:
        case D3DRS_FILLMODE:
            return kD3d8DirtyRaster;
        case D3DRS_LIGHTING:
        case D3DRS_SHADEMODE:
        case D3DRS_ALPHATESTENABLE:
        case D3DRS_ALPHAFUNC:
            return kD3d8DirtyProgram;
        case D3DRS_TEXTUREFACTOR:
        case D3DRS_ALPHAREF:
            return kD3d8DirtyConstants;
        default:
            return 0;  // kept, but no effect on drawing (WRAPn and LASTPIXEL are read per draw)
    }
}

// D3DTS_TEXTUREn of a stage the device has.
bool isTextureTransform(D3DTRANSFORMSTATETYPE state) {
    const DWORD value = static_cast<DWORD>(state);
    return value >= D3DTS_TEXTURE0 && value < D3DTS_TEXTURE0 + kD3d8StageCount;
}

unsigned stageStateGroup(DWORD type) {
    switch (type) {
        case D3DTSS_COLOROP:
        case D3DTSS_COLORARG1:
        case D3DTSS_COLORARG2:
        case D3DTSS_ALPHAOP:
        case D3DTSS_ALPHAARG1:
        case D3DTSS_ALPHAARG2:
        case D3DTSS_TEXCOORDINDEX:
        case D3DTSS_TEXTURETRANSFORMFLAGS:
            return kD3d8DirtyProgram;
        case D3DTSS_ADDRESSU:
        case D3DTSS_ADDRESSV:
        case D3DTSS_MAGFILTER:
        case D3DTSS_MINFILTER:
        case D3DTSS_MIPFILTER:
        case D3DTSS_MAXMIPLEVEL:
            return kD3d8DirtyTextures;
        default:
            return 0;
    }
}

}  // namespace

// Direct3D 8's documented state of a new device.
void D3d8Device::setDefaultStates() {
    std::memset(renderStates, 0, sizeof(renderStates));
    renderStates[D3DRS_ZENABLE] = depthStencil != nullptr ? D3DZB_TRUE : D3DZB_FALSE;
    renderStates[D3DRS_FILLMODE] = D3DFILL_SOLID;
    renderStates[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    renderStates[D3DRS_ZWRITEENABLE] = TRUE;
    renderStates[D3DRS_ALPHATESTENABLE] = FALSE;
    renderStates[D3DRS_LASTPIXEL] = TRUE;
    renderStates[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    renderStates[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    renderStates[D3DRS_CULLMODE] = D3DCULL_CCW;
    renderStates[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    renderStates[D3DRS_ALPHAREF] = 0;
    renderStates[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    renderStates[D3DRS_DITHERENABLE] = FALSE;
    renderStates[D3DRS_ALPHABLENDENABLE] = FALSE;
    renderStates[D3DRS_FOGENABLE] = FALSE;
    renderStates[D3DRS_FOGSTART] = floatBits(0.0f);
    renderStates[D3DRS_FOGEND] = floatBits(1.0f);
    renderStates[D3DRS_FOGDENSITY] = floatBits(1.0f);
    renderStates[D3DRS_STENCILFAIL] = 1;  // D3DSTENCILOP_KEEP
    renderStates[D3DRS_STENCILZFAIL] = 1;
    renderStates[D3DRS_STENCILPASS] = 1;
    renderStates[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    renderStates[D3DRS_STENCILMASK] = 0xffffffffu;
    renderStates[D3DRS_STENCILWRITEMASK] = 0xffffffffu;
    renderStates[D3DRS_TEXTUREFACTOR] = 0xffffffffu;
    renderStates[D3DRS_CLIPPING] = TRUE;
    renderStates[D3DRS_LIGHTING] = TRUE;
    renderStates[D3DRS_AMBIENT] = 0;
    renderStates[D3DRS_COLORVERTEX] = TRUE;
    renderStates[D3DRS_LOCALVIEWER] = TRUE;
    renderStates[D3DRS_DIFFUSEMATERIALSOURCE] = 1;   // D3DMCS_COLOR1
    renderStates[D3DRS_SPECULARMATERIALSOURCE] = 2;  // D3DMCS_COLOR2
    renderStates[D3DRS_POINTSIZE] = floatBits(1.0f);
    renderStates[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
    renderStates[D3DRS_MULTISAMPLEMASK] = 0xffffffffu;
    renderStates[D3DRS_COLORWRITEENABLE] = 0xf;
    renderStates[D3DRS_BLENDOP] = D3DBLENDOP_ADD;

    std::memset(stageStates, 0, sizeof(stageStates));
    for (DWORD stage = 0; stage < kD3d8StageCount; ++stage) {
        DWORD* states = stageStates[stage];
        states[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        states[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        states[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        states[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        states[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        states[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        states[D3DTSS_TEXCOORDINDEX] = stage;
        states[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
        states[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
        states[D3DTSS_ADDRESSW] = D3DTADDRESS_WRAP;
        states[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
        states[D3DTSS_MINFILTER] = D3DTEXF_POINT;
        states[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
        states[D3DTSS_MAXMIPLEVEL] = 0;
        states[D3DTSS_MAXANISOTROPY] = 1;
        states[D3DTSS_COLORARG0] = D3DTA_CURRENT;
        states[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
        states[D3DTSS_RESULTARG] = D3DTA_CURRENT;
    }
    world = view = projection = identity();
    for (D3DMATRIX& matrix : textureTransforms) matrix = identity();
    viewport = D3DVIEWPORT8{0, 0, renderTarget->desc.Width, renderTarget->desc.Height, 0.0f, 1.0f};
    dirty = kD3d8DirtyAll;
}

HRESULT D3d8Device::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    if (matrix == nullptr) return D3DERR_INVALIDCALL;
    switch (static_cast<DWORD>(state)) {
        case D3DTS_WORLD:
            world = *matrix;
            break;
        case D3DTS_VIEW:
            view = *matrix;
            break;
        case D3DTS_PROJECTION:
            projection = *matrix;
            break;
        default:
            // A stage's texture transform, applied while its TEXTURETRANSFORMFLAGS say so.
            if (!isTextureTransform(state)) return D3DERR_INVALIDCALL;
            textureTransforms[state - D3DTS_TEXTURE0] = *matrix;
            break;
    }
    dirty |= kD3d8DirtyMatrix;
    return D3D_OK;
}

HRESULT D3d8Device::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    if (matrix == nullptr) return D3DERR_INVALIDCALL;
    switch (static_cast<DWORD>(state)) {
        case D3DTS_WORLD:
            *matrix = world;
            return D3D_OK;
        case D3DTS_VIEW:
            *matrix = view;
            return D3D_OK;
        case D3DTS_PROJECTION:
            *matrix = projection;
            return D3D_OK;
        default:
            if (!isTextureTransform(state)) return D3DERR_INVALIDCALL;
            *matrix = textureTransforms[state - D3DTS_TEXTURE0];
            return D3D_OK;
    }
}

HRESULT D3d8Device::SetViewport(const D3DVIEWPORT8* newViewport) {
    if (newViewport == nullptr || newViewport->Width == 0 || newViewport->Height == 0 ||
        newViewport->X + newViewport->Width > renderTarget->desc.Width ||
        newViewport->Y + newViewport->Height > renderTarget->desc.Height || newViewport->MinZ < 0.0f ||
        newViewport->MinZ > newViewport->MaxZ) {
        return D3DERR_INVALIDCALL;
    }
    viewport = *newViewport;
    dirty |= kD3d8DirtyViewport;
    return D3D_OK;
}

HRESULT D3d8Device::GetViewport(D3DVIEWPORT8* result) {
    if (result == nullptr) return D3DERR_INVALIDCALL;
    *result = viewport;
    return D3D_OK;
}

HRESULT D3d8Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (static_cast<DWORD>(state) >= 256) return D3DERR_INVALIDCALL;
    if (renderStates[state] == value) return D3D_OK;
    renderStates[state] = value;
    dirty |= renderStateGroup(state);
    return D3D_OK;
}

HRESULT D3d8Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
    if (static_cast<DWORD>(state) >= 256 || value == nullptr) return D3DERR_INVALIDCALL;
    *value = renderStates[state];
    return D3D_OK;
}

HRESULT D3d8Device::GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) {
    if (stage >= kD3d8StageCount || texture == nullptr) return D3DERR_INVALIDCALL;
    *texture = textures[stage];
    if (textures[stage] != nullptr) textures[stage]->AddRef();
    return D3D_OK;
}

// The device holds a reference to every bound texture.
HRESULT D3d8Device::SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) {
    if (stage >= kD3d8StageCount) return D3DERR_INVALIDCALL;
    auto* newTexture = static_cast<D3d8Texture*>(texture);
    if (newTexture == textures[stage]) return D3D_OK;
    if (newTexture != nullptr && (newTexture->device != this || newTexture->pool == D3DPOOL_SYSTEMMEM)) {
        return D3DERR_INVALIDCALL;
    }
    // Whether a stage has a texture at all changes the program (the cascade).
    if ((newTexture == nullptr) != (textures[stage] == nullptr)) dirty |= kD3d8DirtyProgram;
    if (newTexture != nullptr) newTexture->AddRef();
    if (textures[stage] != nullptr) textures[stage]->Release();
    textures[stage] = newTexture;
    dirty |= kD3d8DirtyTextures;
    return D3D_OK;
}

HRESULT D3d8Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
    if (stage >= kD3d8StageCount || static_cast<DWORD>(type) >= 32 || value == nullptr) return D3DERR_INVALIDCALL;
    *value = stageStates[stage][type];
    return D3D_OK;
}

HRESULT D3d8Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    if (stage >= kD3d8StageCount || static_cast<DWORD>(type) >= 32) return D3DERR_INVALIDCALL;
    if (stageStates[stage][type] == value) return D3D_OK;
    stageStates[stage][type] = value;
    dirty |= stageStateGroup(type);
    return D3D_OK;
}

// Only fixed-function vertex formats: the handle is an FVF.
HRESULT D3d8Device::SetVertexShader(DWORD handle) {
    if (!d3d8FvfLayout(handle).valid) return D3DERR_INVALIDCALL;
    if (handle == vertexShader) return D3D_OK;
    vertexShader = handle;
    dirty |= kD3d8DirtyProgram;
    return D3D_OK;
}

HRESULT D3d8Device::GetVertexShader(DWORD* handle) {
    if (handle == nullptr) return D3DERR_INVALIDCALL;
    *handle = vertexShader;
    return D3D_OK;
}

HRESULT D3d8Device::SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8* streamData, UINT stride) {
    if (streamNumber != 0) return D3DERR_INVALIDCALL;
    auto* buffer = static_cast<D3d8VertexBuffer*>(streamData);
    if (buffer != nullptr && buffer->device != this) return D3DERR_INVALIDCALL;
    if (buffer != nullptr) buffer->AddRef();
    if (streamSource != nullptr) streamSource->Release();
    streamSource = buffer;
    streamStride = stride;
    return D3D_OK;
}

HRESULT D3d8Device::GetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8** streamData, UINT* stride) {
    if (streamNumber != 0 || streamData == nullptr || stride == nullptr) return D3DERR_INVALIDCALL;
    *streamData = streamSource;
    *stride = streamStride;
    if (streamSource != nullptr) streamSource->AddRef();
    return D3D_OK;
}
