// The Direct3D 8 call trace: a compact binary record of the device calls of
// chosen frames, with everything those frames inherit, so that one frame can
// be replayed on its own by any Direct3D 8 (ours, or another one).
//
// Shared by the recorder, the text printer and the replayer; plain C++ with no
// headers beyond the standard library, so that every build can read it.
//
// File layout (all numbers little-endian):
//
//   magic   4 bytes  "ZD8T"
//   version u32      kD3d8TraceVersion
//   records          until the end of the file
//
// Every record is
//
//   op      u8       one of D3d8TraceOp
//   length  u32      bytes of the payload that follows
//   payload length bytes, laid out as the comment of each op says
//
// A reader skips ops it does not know (the length says how far).
//
// Objects (textures, surfaces, vertex buffers) are named by ids: u32 numbers,
// never 0, unique within a file; 0 stands for "no object". An object is
// declared (its creation record, then its contents where they matter) before
// the first record that names it. The records before the first frameBegin are
// the state the first frame inherits: the device, the render and stage states
// that were ever set, the transforms, the vertex shader, the stream source,
// the textures of every stage, the render target and the viewport. Render
// target contents are recorded (read back when first named); depth-stencil
// contents are not: every pass of the show clears depth before it draws.
//
// Types in the payloads: u32 and i32 are 4 bytes, f32 an IEEE single, f64 an
// IEEE double; rect is i32 left, top, right, bottom; "bytes" is a u32 count
// followed by that many bytes.
#ifndef ZELVARO_TOOLS_D3D8TRACE_FORMAT_H
#define ZELVARO_TOOLS_D3D8TRACE_FORMAT_H

#include <cstdint>

constexpr char kD3d8TraceMagic[4] = {'Z', 'D', '8', 'T'};
constexpr uint32_t kD3d8TraceVersion = 1;

enum class D3d8TraceOp : uint8_t {
    // u32 back buffer width, height, format; u32 auto depth-stencil (0/1),
    // its format; u32 id of the back buffer, id of the auto depth surface (0: none).
    device = 1,
    // u32 id, width, height, levels, usage, format, pool.
    createTexture = 2,
    // u32 id, kind (D3d8TraceSurfaceKind), width, height, format.
    // Back buffer and auto depth surface come with the device record instead.
    createSurface = 3,
    // u32 surface id, texture id, level: level `level` of a texture, as an object.
    textureLevel = 4,
    // u32 id, length, usage, fvf, pool.
    createVertexBuffer = 5,
    // u32 texture id, level; rect; u32 bytes per row; bytes: the rows, top to
    // bottom, each exactly "bytes per row" long. Written when a lock is
    // released, and for the contents an object has when it is declared.
    textureData = 6,
    // u32 surface id; rect; u32 bytes per row; bytes: as textureData. For image
    // surfaces and render targets (whose contents are read back).
    surfaceData = 7,
    // u32 vertex buffer id, offset; bytes.
    vertexData = 8,
    // u32 id: the program released its last reference to the object.
    release = 9,
    // u32 frame number; f64 music time in seconds.
    frameBegin = 10,
    // u32 frame number.
    frameEnd = 11,

    // The device calls, their arguments in the order of the call.
    setRenderState = 20,        // u32 state, value
    setTextureStageState = 21,  // u32 stage, type, value
    setTransform = 22,          // u32 state; f32 x 16, row by row
    setViewport = 23,           // u32 x, y, width, height; f32 minZ, maxZ
    setTexture = 24,            // u32 stage, texture id
    setStreamSource = 25,       // u32 stream, vertex buffer id, stride
    setVertexShader = 26,       // u32 handle (an FVF code)
    setRenderTarget = 27,       // u32 colour surface id (0: keep), depth surface id (0: none)
    clear = 28,                 // u32 count; rect x count; u32 flags, colour; f32 z; u32 stencil
    beginScene = 29,            // nothing
    endScene = 30,              // nothing
    present = 31,               // nothing (the show presents with four null arguments)
    drawPrimitive = 32,         // u32 type, start vertex, primitive count
    drawPrimitiveUP = 33,       // u32 type, primitive count, stride; bytes: the vertices
    copyRects = 34,             // u32 source id, destination id, count, has points;
                                // rect x count; then i32 x, y x count when it has points
    updateTexture = 35,         // u32 source texture id, destination texture id
    setLOD = 36,                // u32 texture id, level of detail
};

enum class D3d8TraceSurfaceKind : uint32_t {
    renderTarget = 1,  // CreateRenderTarget
    depthStencil = 2,  // CreateDepthStencilSurface
    image = 3,         // CreateImageSurface
};

// Bytes per pixel of the formats a trace carries contents of; 0 for others.
// The numbers are the Direct3D 8 format codes.
inline uint32_t d3d8TraceBytesPerPixel(uint32_t format) {
    switch (format) {
        case 21:
        case 22: return 4;  // A8R8G8B8, X8R8G8B8
        case 23:
        case 24:
        case 25:
        case 26:
        case 51:  // R5G6B5, X1R5G5B5, A1R5G5B5, A4R4G4B4, A8L8
            return 2;
        case 28:
        case 50: return 1;  // A8, L8
        default: return 0;
    }
}

#endif  // ZELVARO_TOOLS_D3D8TRACE_FORMAT_H
