// IDirect3DVertexBuffer8: a system-memory copy handed out by Lock and copied
// into a GL buffer by the first draw after each Unlock. For D3DRS_WRAPn the
// buffer also keeps a second GL copy whose texture coordinates are moved the
// short way round the seam per primitive, made on first use after each Unlock.
#ifndef ZELVARO_PLATFORM_D3D8_VERTEX_BUFFER_H
#define ZELVARO_PLATFORM_D3D8_VERTEX_BUFFER_H

#include <d3d8.h>

#include <vector>

#include "d3d8_gl.h"
#include "d3d8_resource.h"

class D3d8Device;

class D3d8VertexBuffer final : public D3d8Resource<IDirect3DVertexBuffer8, D3d8VertexBuffer> {
public:
    D3d8VertexBuffer(D3d8Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
    D3d8VertexBuffer(const D3d8VertexBuffer&) = delete;
    D3d8VertexBuffer& operator=(const D3d8VertexBuffer&) = delete;

    D3DRESOURCETYPE GetType() override;
    HRESULT Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

    // The GL buffer holding the contents as they are, brought up to date.
    GLuint plainBuffer();
    // The GL buffer holding the contents wrapped for these settings (see d3d8_wrap.h).
    GLuint wrappedBuffer(DWORD wrapBits, DWORD fvf, UINT stride, UINT verticesPerPrimitive,
                         UINT firstVertex);
    void orphan();

    D3d8Device* device;
    UINT length;
    DWORD usage;
    DWORD fvf;
    D3DPOOL pool;
    std::vector<BYTE> memory;
    GLuint glBuffer = 0;
    GLuint glWrappedBuffer = 0;
    unsigned lockCount = 0;

private:
    friend class D3d8Resource<IDirect3DVertexBuffer8, D3d8VertexBuffer>;
    ~D3d8VertexBuffer();
    bool plainValid = false;
    bool wrappedValid = false;
    std::vector<BYTE> wrapped;  // the contents with wrapped coordinates, kept for the next time
    DWORD wrappedKey[5] = {};
};

#endif  // ZELVARO_PLATFORM_D3D8_VERTEX_BUFFER_H
