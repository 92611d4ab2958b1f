#include "d3d8_resource.h"

#include "d3d8_device.h"
#include "d3d8_texture.h"
#include "d3d8_vertex_buffer.h"

template <typename Interface, typename Self>
HRESULT D3d8Resource<Interface, Self>::QueryInterface(REFIID, void** object) {
    if (object != nullptr) *object = nullptr;
    return E_NOINTERFACE;
}

template <typename Interface, typename Self>
ULONG D3d8Resource<Interface, Self>::AddRef() {
    return ++refCount;
}

template <typename Interface, typename Self>
ULONG D3d8Resource<Interface, Self>::Release() {
    const ULONG count = --refCount;
    if (count == 0) delete static_cast<Self*>(this);
    return count;
}

template <typename Interface, typename Self>
HRESULT D3d8Resource<Interface, Self>::GetDevice(IDirect3DDevice8** result) {
    D3d8Device* device = static_cast<Self*>(this)->device;
    if (result == nullptr || device == nullptr) return D3DERR_INVALIDCALL;
    device->AddRef();
    *result = device;
    return D3D_OK;
}

template <typename Interface, typename Self>
DWORD D3d8Resource<Interface, Self>::SetPriority(DWORD newPriority) {
    const DWORD old = priority;
    priority = newPriority;
    return old;
}

template <typename Interface, typename Self>
DWORD D3d8Resource<Interface, Self>::GetPriority() {
    return priority;
}

template <typename Interface, typename Self>
void D3d8Resource<Interface, Self>::PreLoad() {}

template class D3d8Resource<IDirect3DTexture8, D3d8Texture>;
template class D3d8Resource<IDirect3DVertexBuffer8, D3d8VertexBuffer>;
