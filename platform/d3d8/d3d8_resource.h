// The IUnknown and IDirect3DResource8 part that textures and vertex buffers
// share: a reference count (the last Release deletes the object), GetDevice
// answering the creating device (`Self::device`, null once orphaned), and a
// priority that is kept but changes nothing. Instantiated in d3d8_resource.cpp.
#ifndef ZELVARO_PLATFORM_D3D8_RESOURCE_H
#define ZELVARO_PLATFORM_D3D8_RESOURCE_H

#include <d3d8.h>

template <typename Interface, typename Self>
class D3d8Resource : public Interface {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice8** device) override;
    DWORD SetPriority(DWORD priority) override;
    DWORD GetPriority() override;
    void PreLoad() override;

protected:
    D3d8Resource() = default;
    ~D3d8Resource() = default;

private:
    ULONG refCount = 1;
    DWORD priority = 0;
};

class D3d8Texture;
class D3d8VertexBuffer;
extern template class D3d8Resource<IDirect3DTexture8, D3d8Texture>;
extern template class D3d8Resource<IDirect3DVertexBuffer8, D3d8VertexBuffer>;

#endif  // ZELVARO_PLATFORM_D3D8_RESOURCE_H
