// GLSL programs emulating the fixed-function pipeline, each specialised to one
// combination of the states that shape it (stage operations and arguments,
// which stages have textures and texture transforms, the vertex format's
// position kind, lighting, shading, alpha test). Stages that the cascade drops never reach the key.
#ifndef ZELVARO_PLATFORM_D3D8_SHADER_GEN_H
#define ZELVARO_PLATFORM_D3D8_SHADER_GEN_H

#include <d3d8.h>

#include <string>

#include "d3d8_caps.h"
#include "d3d8_gl.h"

struct D3d8StageKey {
    BYTE colorOp = D3DTOP_DISABLE;  // DISABLE ends the cascade here
    BYTE colorArg1 = 0;
    BYTE colorArg2 = 0;
    BYTE alphaOp = D3DTOP_DISABLE;  // DISABLE keeps the previous stage's alpha
    BYTE alphaArg1 = 0;
    BYTE alphaArg2 = 0;
    BYTE texCoordSet = 0;
    BYTE hasTexture = 0;
    // The texture transform (TEXTURETRANSFORMFLAGS): how many coordinates it
    // gives the rasterizer (0 = not applied) and whether they are divided by the last.
    BYTE transformCount = 0;
    BYTE transformProjected = 0;
};

struct D3d8ProgramKey {
    D3d8StageKey stages[kD3d8StageCount];
    BYTE stageCount = 0;      // stages before the cascade ends
    BYTE pretransformed = 0;  // D3DFVF_XYZRHW positions
    BYTE lighting = 0;
    BYTE flatShading = 0;
    BYTE alphaFunc = 0;       // 0 = no alpha test, else a D3DCMPFUNC

    std::string bytes() const;
};

struct D3d8Program {
    GLuint program = 0;
    GLint matrix = -1;         // world x view x projection, Direct3D rows as GLSL columns
    GLint pixelOffset = -1;    // Direct3D's pixel centres in clip space units
    GLint viewportRect = -1;   // x, y, width, height: for pre-transformed positions
    GLint textureFactor = -1;
    GLint alphaRef = -1;
    GLint textureMatrix[kD3d8StageCount] = {-1, -1, -1, -1};  // D3DTS_TEXTUREn, as uMatrix
    // The values last given to this program's uniforms (uniforms are per program).
    DWORD textureFactorValue = ~0u;
    DWORD alphaRefValue = ~0u;
    bool textureFactorSet = false;
};

// Builds and links the program of a key; returns false (with a message on
// debugger output) when the driver refuses it.
bool d3d8BuildProgram(const D3d8ProgramKey& key, D3d8Program* program);

// The GLSL source of a key, for tests and diagnostics.
std::string d3d8VertexShaderSource(const D3d8ProgramKey& key);
std::string d3d8FragmentShaderSource(const D3d8ProgramKey& key);

// Vertex attribute locations shared by every program.
constexpr GLuint kD3d8AttribPosition = 0;
constexpr GLuint kD3d8AttribDiffuse = 1;
constexpr GLuint kD3d8AttribTexCoord0 = 2;  // set n at 2 + n

#endif  // ZELVARO_PLATFORM_D3D8_SHADER_GEN_H
