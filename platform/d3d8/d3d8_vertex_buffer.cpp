#include "d3d8_vertex_buffer.h"

#include <algorithm>

#include "d3d8_device.h"
#include "d3d8_fvf.h"
#include "d3d8_stats.h"
#include "d3d8_wrap.h"

D3d8VertexBuffer::D3d8VertexBuffer(D3d8Device* owner, UINT bufferLength, DWORD bufferUsage, DWORD bufferFvf,
                                   D3DPOOL bufferPool)
    : device(owner), length(bufferLength), usage(bufferUsage), fvf(bufferFvf), pool(bufferPool),
      memory(bufferLength, 0) {
    device->makeCurrent();
    glGenBuffers(1, &glBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, glBuffer);
    glBufferData(GL_ARRAY_BUFFER, length, memory.data(), GL_DYNAMIC_DRAW);
    plainValid = true;
}

D3d8VertexBuffer::~D3d8VertexBuffer() { orphan(); }

void D3d8VertexBuffer::orphan() {
    if (device == nullptr) return;
    device->forgetVertexBuffer(this);
    device->makeCurrent();
    glDeleteBuffers(1, &glBuffer);
    if (glWrappedBuffer != 0) glDeleteBuffers(1, &glWrappedBuffer);
    glBuffer = 0;
    glWrappedBuffer = 0;
    device = nullptr;
}

D3DRESOURCETYPE D3d8VertexBuffer::GetType() { return D3DRTYPE_VERTEXBUFFER; }

// Locks nest (each Lock needs its Unlock); the GL copy is refreshed when the
// last one is undone. A size of 0 means the rest of the buffer.
HRESULT D3d8VertexBuffer::Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD) {
    if (data == nullptr) return D3DERR_INVALIDCALL;
    *data = nullptr;
    if (offsetToLock > length || sizeToLock > length - offsetToLock) return D3DERR_INVALIDCALL;
    ++lockCount;
    *data = memory.data() + offsetToLock;
    return D3D_OK;
}

HRESULT D3d8VertexBuffer::Unlock() {
    if (lockCount == 0) return D3DERR_INVALIDCALL;
    if (--lockCount > 0) return D3D_OK;
    // Each GL copy is made again when a draw first needs it: a buffer drawn
    // only wrapped (or not at all) before its next Lock is copied once (or never).
    plainValid = false;
    wrappedValid = false;
    return D3D_OK;
}

GLuint D3d8VertexBuffer::plainBuffer() {
    if (plainValid) return glBuffer;
    if (d3d8StatsEnabled) {
        ++d3d8Stats.uploads;
        d3d8Stats.uploadBytes += length;
    }
    glBindBuffer(GL_ARRAY_BUFFER, glBuffer);
    glBufferData(GL_ARRAY_BUFFER, length, memory.data(), GL_DYNAMIC_DRAW);
    plainValid = true;
    return glBuffer;
}

HRESULT D3d8VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
    if (desc == nullptr) return D3DERR_INVALIDCALL;
    desc->Format = D3DFMT_VERTEXDATA;
    desc->Type = D3DRTYPE_VERTEXBUFFER;
    desc->Usage = usage;
    desc->Pool = pool;
    desc->Size = length;
    desc->FVF = fvf;
    return D3D_OK;
}

GLuint D3d8VertexBuffer::wrappedBuffer(DWORD wrapBits, DWORD drawFvf, UINT stride, UINT verticesPerPrimitive,
                                       UINT firstVertex) {
    const DWORD key[5] = {wrapBits, drawFvf, stride, verticesPerPrimitive, firstVertex % verticesPerPrimitive};
    if (wrappedValid && std::equal(key, key + 5, wrappedKey)) return glWrappedBuffer;
    const D3d8FvfLayout layout = d3d8FvfLayout(drawFvf);
    if (d3d8StatsEnabled) {
        ++d3d8Stats.wrapCopies;
        ++d3d8Stats.uploads;
        d3d8Stats.uploadBytes += length;
    }
    wrapped.assign(memory.begin(), memory.end());
    d3d8WrapTexCoords(wrapped.data(), length / stride, stride, layout.texCoordOffset, wrapBits,
                      verticesPerPrimitive, firstVertex);
    if (glWrappedBuffer == 0) glGenBuffers(1, &glWrappedBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, glWrappedBuffer);
    glBufferData(GL_ARRAY_BUFFER, length, wrapped.data(), GL_DYNAMIC_DRAW);
    std::copy(key, key + 5, wrappedKey);
    wrappedValid = true;
    return glWrappedBuffer;
}
