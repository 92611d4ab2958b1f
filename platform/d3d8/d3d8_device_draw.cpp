// Scenes, Clear and drawing: the shadowed state is sent to GL once per draw.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "d3d8_report.h"
#include "d3d8_device.h"
#include "d3d8_format.h"
#include "d3d8_fvf.h"
#include "d3d8_stats.h"
#include "d3d8_texture.h"
#include "d3d8_unseen_draw.h"
#include "d3d8_vertex_buffer.h"
#include "d3d8_wrap.h"

namespace {

void multiply(const D3DMATRIX& a, const D3DMATRIX& b, D3DMATRIX* result) {
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            result->m[row][column] = a.m[row][0] * b.m[0][column] + a.m[row][1] * b.m[1][column] +
                                     a.m[row][2] * b.m[2][column] + a.m[row][3] * b.m[3][column];
        }
    }
}

GLenum compareFunction(DWORD func) {
    switch (func) {
        case D3DCMP_NEVER:
            return GL_NEVER;
        case D3DCMP_LESS:
            return GL_LESS;
        case D3DCMP_EQUAL:
            return GL_EQUAL;
        case D3DCMP_LESSEQUAL:
            return GL_LEQUAL;
        case D3DCMP_GREATER:
            return GL_GREATER;
        case D3DCMP_NOTEQUAL:
            return GL_NOTEQUAL;
        case D3DCMP_GREATEREQUAL:
            return GL_GEQUAL;
        default:
            return GL_ALWAYS;
    }
}

GLenum blendFactor(DWORD blend) {
    switch (blend) {
        case D3DBLEND_ZERO:
            return GL_ZERO;
        case D3DBLEND_SRCCOLOR:
            return GL_SRC_COLOR;
        case D3DBLEND_INVSRCCOLOR:
            return GL_ONE_MINUS_SRC_COLOR;
        case D3DBLEND_SRCALPHA:
        case D3DBLEND_BOTHSRCALPHA:
            return GL_SRC_ALPHA;
        case D3DBLEND_INVSRCALPHA:
        case D3DBLEND_BOTHINVSRCALPHA:
            return GL_ONE_MINUS_SRC_ALPHA;
        case D3DBLEND_DESTALPHA:
            return GL_DST_ALPHA;
        case D3DBLEND_INVDESTALPHA:
            return GL_ONE_MINUS_DST_ALPHA;
        case D3DBLEND_DESTCOLOR:
            return GL_DST_COLOR;
        case D3DBLEND_INVDESTCOLOR:
            return GL_ONE_MINUS_DST_COLOR;
        case D3DBLEND_SRCALPHASAT:
            return GL_SRC_ALPHA_SATURATE;
        default:
            return GL_ONE;
    }
}

GLenum blendEquation(DWORD op) {
    switch (op) {
        case D3DBLENDOP_SUBTRACT:
            return GL_FUNC_SUBTRACT;
        case D3DBLENDOP_REVSUBTRACT:
            return GL_FUNC_REVERSE_SUBTRACT;
        case D3DBLENDOP_MIN:
            return GL_MIN;
        case D3DBLENDOP_MAX:
            return GL_MAX;
        default:
            return GL_FUNC_ADD;
    }
}

GLint addressMode(DWORD address) {
    switch (address) {
        case D3DTADDRESS_MIRROR:
            return GL_MIRRORED_REPEAT;
        case D3DTADDRESS_CLAMP:
        case D3DTADDRESS_MIRRORONCE:
            return GL_CLAMP_TO_EDGE;
        case D3DTADDRESS_BORDER:
            return GL_CLAMP_TO_BORDER;
        default:
            return GL_REPEAT;
    }
}

// The operation reads its first / second argument.
bool readsArg1(DWORD op) { return op != D3DTOP_SELECTARG2; }
bool readsArg2(DWORD op) { return op != D3DTOP_SELECTARG1; }

bool readsTexture(DWORD op, DWORD arg1, DWORD arg2) {
    return op == D3DTOP_BLENDTEXTUREALPHA ||
           (readsArg1(op) && (arg1 & D3DTA_SELECTMASK) == D3DTA_TEXTURE) ||
           (readsArg2(op) && (arg2 & D3DTA_SELECTMASK) == D3DTA_TEXTURE);
}

UINT verticesFor(D3DPRIMITIVETYPE type, UINT primitives, GLenum* mode) {
    switch (type) {
        case D3DPT_POINTLIST:
            *mode = GL_POINTS;
            return primitives;
        case D3DPT_LINELIST:
            *mode = GL_LINES;
            return primitives * 2;
        case D3DPT_LINESTRIP:
            *mode = GL_LINE_STRIP;
            return primitives + 1;
        case D3DPT_TRIANGLELIST:
            *mode = GL_TRIANGLES;
            return primitives * 3;
        case D3DPT_TRIANGLESTRIP:
            *mode = GL_TRIANGLE_STRIP;
            return primitives + 2;
        case D3DPT_TRIANGLEFAN:
            *mode = GL_TRIANGLE_FAN;
            return primitives + 2;
        default:
            return 0;
    }
}

// WRAPn applies per primitive of the lists; other primitive types are drawn unwrapped.
UINT wrapRhythm(D3DPRIMITIVETYPE type) {
    return type == D3DPT_TRIANGLELIST ? 3 : type == D3DPT_LINELIST ? 2 : 0;
}

}  // namespace

HRESULT D3d8Device::BeginScene() {
    if (inScene) return D3DERR_INVALIDCALL;
    inScene = true;
    releaseSpareCopies();
    return D3D_OK;
}

HRESULT D3d8Device::EndScene() {
    if (!inScene) return D3DERR_INVALIDCALL;
    inScene = false;
    return D3D_OK;
}

GLuint D3d8Device::framebufferFor(D3d8Surface* color, D3d8Surface* depth) {
    const GLuint depthRenderbuffer = depth != nullptr ? depth->glRenderbuffer : 0;
    const GLint level = static_cast<GLint>(color->level);
    for (const FramebufferEntry& entry : framebuffers) {
        if (entry.colorTexture == color->glTexture && entry.colorLevel == level &&
            entry.depthRenderbuffer == depthRenderbuffer) {
            return entry.framebuffer;
        }
    }
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, color->glTexture, level);
    if (depthRenderbuffer != 0) {
        const GLenum attachment =
            depth->desc.Format == D3DFMT_D16 ? GL_DEPTH_ATTACHMENT : GL_DEPTH_STENCIL_ATTACHMENT;
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, depthRenderbuffer);
    }
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        d3d8Report("render target of format %d is not renderable (0x%x)", color->desc.Format,
                     status);
    }
    framebuffers.push_back({color->glTexture, level, depthRenderbuffer, framebuffer});
    boundFramebuffer = framebuffer;
    return framebuffer;
}

void D3d8Device::bindFramebuffer() {
    // Whatever binds the target is about to draw into it or clear it.
    if (renderTarget == backBuffer) backBufferWritten = true;
    const GLuint framebuffer = framebufferFor(renderTarget, depthStencil);
    if (framebuffer != boundFramebuffer) {
        if (d3d8StatsEnabled && framebuffer != passFramebuffer) ++d3d8Stats.targetPasses;
        passFramebuffer = framebuffer;
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        boundFramebuffer = framebuffer;
    }
    dirty &= ~kD3d8DirtyFramebuffer;
}

// Clear covers the viewport (or the rectangles' parts inside it, if given)
// whatever the write masks say.
HRESULT D3d8Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) {
    if ((flags & (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) == 0) return D3DERR_INVALIDCALL;
    if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && depthStencil == nullptr) return D3DERR_INVALIDCALL;
    // No rectangles (a null array, whatever the count) means the whole
    // viewport; a count of 0 with an array clears nothing.
    if (rects == nullptr) count = 0;
    else if (count == 0) return D3D_OK;
    const D3d8CpuScope timed;
    makeCurrent();
    bindFramebuffer();
    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET) {
        mask |= GL_COLOR_BUFFER_BIT;
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        colorWriteMask = 0xf;
        glClearColor(static_cast<float>((color >> 16) & 0xff) / 255.0f,
                     static_cast<float>((color >> 8) & 0xff) / 255.0f, static_cast<float>(color & 0xff) / 255.0f,
                     static_cast<float>(color >> 24) / 255.0f);
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        mask |= GL_DEPTH_BUFFER_BIT;
        glDepthMask(GL_TRUE);
        glClearDepth(std::clamp(z, 0.0f, 1.0f));
    }
    if (flags & D3DCLEAR_STENCIL) {
        mask |= GL_STENCIL_BUFFER_BIT;
        glStencilMask(0xff);
        glClearStencil(static_cast<GLint>(stencil & 0xff));
    }
    glEnable(GL_SCISSOR_TEST);
    const LONG left = static_cast<LONG>(viewport.X);
    const LONG top = static_cast<LONG>(viewport.Y);
    const LONG right = left + static_cast<LONG>(viewport.Width);
    const LONG bottom = top + static_cast<LONG>(viewport.Height);
    const D3DRECT whole{left, top, right, bottom};
    const DWORD rectCount = count == 0 ? 1 : count;
    for (DWORD i = 0; i < rectCount; ++i) {
        const D3DRECT& rect = count == 0 ? whole : rects[i];
        const LONG x1 = std::max(rect.x1, left);
        const LONG y1 = std::max(rect.y1, top);
        const LONG x2 = std::min(rect.x2, right);
        const LONG y2 = std::min(rect.y2, bottom);
        if (x1 >= x2 || y1 >= y2) continue;
        // GL row y is the picture's row y: no flip.
        glScissor(x1, y1, x2 - x1, y2 - y1);
        glClear(mask);
        if (d3d8StatsEnabled) {
            ++d3d8Stats.clears;
            d3d8Stats.clearPixels += static_cast<uint64_t>(x2 - x1) * static_cast<uint64_t>(y2 - y1);
        }
    }
    glDisable(GL_SCISSOR_TEST);
    dirty |= kD3d8DirtyBlend | kD3d8DirtyDepth;
    return D3D_OK;
}

void D3d8Device::computeProgramKey(DWORD fvf, D3d8ProgramKey* key) const {
    *key = D3d8ProgramKey{};
    const D3d8FvfLayout layout = d3d8FvfLayout(fvf);
    for (DWORD i = 0; i < kD3d8StageCount; ++i) {
        const DWORD* states = stageStates[i];
        const DWORD colorOp = states[D3DTSS_COLOROP];
        if (colorOp == D3DTOP_DISABLE) break;
        const bool hasTexture = textures[i] != nullptr;
        // A stage whose colour reads a missing texture ends the cascade before it.
        if (!hasTexture && readsTexture(colorOp, states[D3DTSS_COLORARG1], states[D3DTSS_COLORARG2])) break;
        D3d8StageKey& stage = key->stages[i];
        stage.colorOp = static_cast<BYTE>(colorOp);
        stage.colorArg1 = static_cast<BYTE>(readsArg1(colorOp) ? states[D3DTSS_COLORARG1] : 0);
        stage.colorArg2 = static_cast<BYTE>(readsArg2(colorOp) ? states[D3DTSS_COLORARG2] : 0);
        DWORD alphaOp = states[D3DTSS_ALPHAOP];
        // Chosen: an alpha operation that reads a missing texture keeps the
        // alpha so far, as a missing texture leaves the colour so far.
        if (!hasTexture && readsTexture(alphaOp, states[D3DTSS_ALPHAARG1], states[D3DTSS_ALPHAARG2])) {
            alphaOp = D3DTOP_DISABLE;
        }
        stage.alphaOp = static_cast<BYTE>(alphaOp);
        if (alphaOp != D3DTOP_DISABLE) {
            stage.alphaArg1 = static_cast<BYTE>(readsArg1(alphaOp) ? states[D3DTSS_ALPHAARG1] : 0);
            stage.alphaArg2 = static_cast<BYTE>(readsArg2(alphaOp) ? states[D3DTSS_ALPHAARG2] : 0);
        }
        const DWORD set = states[D3DTSS_TEXCOORDINDEX] & 0xffff;
        stage.texCoordSet = static_cast<BYTE>(set < kD3d8TexCoordSets ? set : 0xff);
        stage.hasTexture = hasTexture ? 1 : 0;
        // Chosen: pre-transformed vertices bypass the texture transforms, as
        // they bypass the other transforms.
        const DWORD transform = states[D3DTSS_TEXTURETRANSFORMFLAGS];
        const DWORD transformCount = transform & ~static_cast<DWORD>(D3DTTFF_PROJECTED);
        if (hasTexture && !layout.pretransformed && transformCount >= D3DTTFF_COUNT1 &&
            transformCount <= D3DTTFF_COUNT4) {
            stage.transformCount = static_cast<BYTE>(transformCount);
            stage.transformProjected = (transform & D3DTTFF_PROJECTED) != 0 ? 1 : 0;
        }
        key->stageCount = static_cast<BYTE>(i + 1);
    }
    key->pretransformed = layout.pretransformed ? 1 : 0;
    key->lighting = (!layout.pretransformed && renderStates[D3DRS_LIGHTING]) ? 1 : 0;
    key->flatShading = renderStates[D3DRS_SHADEMODE] == D3DSHADE_FLAT ? 1 : 0;
    const DWORD alphaFunc = renderStates[D3DRS_ALPHAFUNC];
    key->alphaFunc =
        static_cast<BYTE>(renderStates[D3DRS_ALPHATESTENABLE] && alphaFunc != D3DCMP_ALWAYS ? alphaFunc : 0);
}

GLuint D3d8Device::samplerFor(DWORD stage) {
    const DWORD* states = stageStates[stage];
    const unsigned key = (states[D3DTSS_MINFILTER] & 7) | (states[D3DTSS_MAGFILTER] & 7) << 3 |
                         (states[D3DTSS_MIPFILTER] & 7) << 6 | (states[D3DTSS_ADDRESSU] & 7) << 9 |
                         (states[D3DTSS_ADDRESSV] & 7) << 12 | (std::min<DWORD>(states[D3DTSS_MAXMIPLEVEL], 15)) << 15;
    // The stage's sampler as the last draw bound it: no look-up.
    if (key == unitSamplerKeys[stage] && unitSamplers[stage] != 0) return unitSamplers[stage];
    unitSamplerKeys[stage] = key;
    auto found = samplers.find(key);
    if (found != samplers.end()) return found->second;
    GLuint sampler = 0;
    glGenSamplers(1, &sampler);
    const bool linearMin = states[D3DTSS_MINFILTER] >= D3DTEXF_LINEAR;
    GLint minFilter = linearMin ? GL_LINEAR : GL_NEAREST;
    // MIPFILTER NONE samples level 0 only.
    if (states[D3DTSS_MIPFILTER] == D3DTEXF_POINT) {
        minFilter = linearMin ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    } else if (states[D3DTSS_MIPFILTER] >= D3DTEXF_LINEAR) {
        minFilter = linearMin ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    }
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, minFilter);
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, states[D3DTSS_MAGFILTER] >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, addressMode(states[D3DTSS_ADDRESSU]));
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, addressMode(states[D3DTSS_ADDRESSV]));
    glSamplerParameterf(sampler, GL_TEXTURE_MIN_LOD, static_cast<float>(std::min<DWORD>(states[D3DTSS_MAXMIPLEVEL], 15)));
    samplers.emplace(key, sampler);
    return sampler;
}

bool D3d8Device::flushState(DWORD fvf) {
    if (d3d8StatsEnabled) {
        ++d3d8Stats.draws;
        d3d8Stats.stateChanges += static_cast<uint64_t>(__builtin_popcount(dirty & kD3d8DirtyAll));
    }
    if (dirty & kD3d8DirtyFramebuffer) bindFramebuffer();
    bool programChanged = false;
    if ((dirty & kD3d8DirtyProgram) || fvf != programFvf) {
        D3d8ProgramKey key;
        computeProgramKey(fvf, &key);
        // Most changes of the states that shape the program leave its key as
        // it was: then the current program stays, without a look-up.
        if (currentProgram == nullptr || std::memcmp(&key, &programKey, sizeof key) != 0) {
            const std::string bytes = key.bytes();
            auto found = programs.find(bytes);
            if (found == programs.end()) {
                D3d8Program program;
                const double start = d3d8StatsEnabled ? d3d8WallSeconds() : 0;
                if (!d3d8BuildProgram(key, &program)) return false;
                if (d3d8StatsEnabled) {
                    ++d3d8Stats.programBuilds;
                    d3d8Stats.buildSeconds += d3d8WallSeconds() - start;
                }
                found = programs.emplace(bytes, program).first;
            }
            programKey = key;
            if (currentProgram != &found->second) {
                currentProgram = &found->second;
                glUseProgram(currentProgram->program);
                programChanged = true;
                if (d3d8StatsEnabled) ++d3d8Stats.programSwitches;
            }
        }
        programFvf = fvf;
        dirty = (dirty & ~kD3d8DirtyProgram) | kD3d8DirtyTextures;
        // Pre-transformed vertices are not clipped in depth (the device does
        // not offer D3DPMISCCAPS_CLIPTLVERTS): their depth is clamped instead.
        const bool clampDepth = programKey.pretransformed != 0;
        if (clampDepth != depthClampEnabled) {
            if (clampDepth) {
                glEnable(GL_DEPTH_CLAMP);
            } else {
                glDisable(GL_DEPTH_CLAMP);
            }
            depthClampEnabled = clampDepth;
        }
    }
    if ((dirty & kD3d8DirtyMatrix) || programChanged) {
        D3DMATRIX worldView;
        D3DMATRIX combined;
        multiply(world, view, &worldView);
        multiply(worldView, projection, &combined);
        // Direct3D's rows become GLSL's columns: uMatrix * p is p * M.
        glUniformMatrix4fv(currentProgram->matrix, 1, GL_FALSE, &combined.m[0][0]);
        for (DWORD i = 0; i < programKey.stageCount; ++i) {
            if (currentProgram->textureMatrix[i] >= 0) {
                glUniformMatrix4fv(currentProgram->textureMatrix[i], 1, GL_FALSE, &textureTransforms[i].m[0][0]);
            }
        }
    }
    if ((dirty & kD3d8DirtyViewport) || programChanged) {
        if (dirty & kD3d8DirtyViewport) {
            glViewport(static_cast<GLint>(viewport.X), static_cast<GLint>(viewport.Y),
                       static_cast<GLsizei>(viewport.Width), static_cast<GLsizei>(viewport.Height));
            // A MaxZ above 1 is accepted; depth values stay within 0..1.
            glDepthRange(std::min(viewport.MinZ, 1.0f), std::min(viewport.MaxZ, 1.0f));
        }
        const float shift = 2.0f * 0.4921875f;
        glUniform2f(currentProgram->pixelOffset, shift / static_cast<float>(viewport.Width),
                    shift / static_cast<float>(viewport.Height));
        glUniform4f(currentProgram->viewportRect, static_cast<float>(viewport.X), static_cast<float>(viewport.Y),
                    static_cast<float>(viewport.Width), static_cast<float>(viewport.Height));
    }
    if ((dirty & kD3d8DirtyConstants) || programChanged) {
        D3d8Program& program = *currentProgram;
        const DWORD factor = renderStates[D3DRS_TEXTUREFACTOR];
        if (!program.textureFactorSet || factor != program.textureFactorValue) {
            glUniform4f(program.textureFactor, static_cast<float>((factor >> 16) & 0xff) / 255.0f,
                        static_cast<float>((factor >> 8) & 0xff) / 255.0f, static_cast<float>(factor & 0xff) / 255.0f,
                        static_cast<float>(factor >> 24) / 255.0f);
            program.textureFactorValue = factor;
            program.textureFactorSet = true;
        }
        const DWORD alphaRef = renderStates[D3DRS_ALPHAREF] & 0xff;
        if (alphaRef != program.alphaRefValue) {
            glUniform1f(program.alphaRef, static_cast<float>(alphaRef) / 255.0f);
            program.alphaRefValue = alphaRef;
        }
    }
    if (dirty & kD3d8DirtyDepth) {
        if (renderStates[D3DRS_ZENABLE] != D3DZB_FALSE && depthStencil != nullptr) {
            glEnable(GL_DEPTH_TEST);
            glDepthFunc(compareFunction(renderStates[D3DRS_ZFUNC]));
            glDepthMask(renderStates[D3DRS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);
        } else {
            glDisable(GL_DEPTH_TEST);
        }
    }
    if (dirty & kD3d8DirtyBlend) {
        // One set of factors for colour and alpha. A target without alpha
        // (X8R8G8B8 is stored as RGB8) reads its alpha as 1.
        const bool enable = renderStates[D3DRS_ALPHABLENDENABLE] != 0;
        if (enable != blendEnabled) {
            if (enable) {
                glEnable(GL_BLEND);
            } else {
                glDisable(GL_BLEND);
            }
            blendEnabled = enable;
        }
        if (enable) {
            const GLenum source = blendFactor(renderStates[D3DRS_SRCBLEND]);
            GLenum destination = blendFactor(renderStates[D3DRS_DESTBLEND]);
            if (renderStates[D3DRS_SRCBLEND] == D3DBLEND_BOTHSRCALPHA) destination = GL_ONE_MINUS_SRC_ALPHA;
            if (renderStates[D3DRS_SRCBLEND] == D3DBLEND_BOTHINVSRCALPHA) destination = GL_SRC_ALPHA;
            if (source != blendSource || destination != blendDestination) {
                glBlendFunc(source, destination);
                blendSource = source;
                blendDestination = destination;
            }
            const GLenum operation = blendEquation(renderStates[D3DRS_BLENDOP]);
            if (operation != blendOperation) {
                glBlendEquation(operation);
                blendOperation = operation;
            }
        }
        const DWORD writes = renderStates[D3DRS_COLORWRITEENABLE] & 0xf;
        if (writes != colorWriteMask) {
            glColorMask((writes & 1) != 0, (writes & 2) != 0, (writes & 4) != 0, (writes & 8) != 0);
            colorWriteMask = writes;
        }
    }
    if (dirty & kD3d8DirtyRaster) {
        // GL row y is Direct3D's row y, so a triangle clockwise on screen
        // has positive area in GL's window coordinates: GL's counter-clockwise.
        glFrontFace(GL_CCW);
        switch (renderStates[D3DRS_CULLMODE]) {
            case D3DCULL_CW:
                glEnable(GL_CULL_FACE);
                glCullFace(GL_FRONT);
                break;
            case D3DCULL_CCW:
                glEnable(GL_CULL_FACE);
                glCullFace(GL_BACK);
                break;
            default:
                glDisable(GL_CULL_FACE);
                break;
        }
        const DWORD fill = renderStates[D3DRS_FILLMODE];
        glPolygonMode(GL_FRONT_AND_BACK, fill == D3DFILL_POINT ? GL_POINT : fill == D3DFILL_WIREFRAME ? GL_LINE : GL_FILL);
        glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);  // flat shading takes the first vertex's colour
    }
    if (dirty & kD3d8DirtyTextures) {
        for (DWORD i = 0; i < programKey.stageCount; ++i) {
            if (!programKey.stages[i].hasTexture) continue;
            if (textures[i]->staleLevels != 0) textures[i]->uploadStaleLevels();
            const GLuint texture = textures[i]->glTexture;
            if (texture != unitTextures[i]) {
                glActiveTexture(GL_TEXTURE0 + i);
                glBindTexture(GL_TEXTURE_2D, texture);
                unitTextures[i] = texture;
            }
            const GLuint sampler = samplerFor(i);
            if (sampler != unitSamplers[i]) {
                glBindSampler(i, sampler);
                unitSamplers[i] = sampler;
            }
        }
    }
    dirty = 0;
    return true;
}

D3d8Device::UnseenDraw D3d8Device::unseenDraw(const BYTE* vertices, UINT count, UINT stride, DWORD fvf) const {
    // The target's format matters only to a destination-alpha factor.
    bool targetHasAlpha = true;
    if (renderStates[D3DRS_DESTBLEND] == D3DBLEND_DESTALPHA) {
        const D3d8FormatInfo* target = d3d8FindFormat(renderTarget->desc.Format);
        targetHasAlpha = target == nullptr || target->swizzle[3] != GL_ONE;
    }
    if (!d3d8BlendKeepsTargetAtZeroAlpha(renderStates, targetHasAlpha)) return UnseenDraw::no;
    if (!d3d8DiffuseAlphaAllZero(vertices, count, stride, d3d8FvfLayout(fvf))) return UnseenDraw::no;
    D3d8ProgramKey key;
    computeProgramKey(fvf, &key);
    if (!d3d8AlphaIsZeroWithZeroDiffuse(key, renderStates[D3DRS_TEXTUREFACTOR])) return UnseenDraw::no;
    return d3d8DrawWritesDepth(renderStates, depthStencil != nullptr) ? UnseenDraw::depthOnly : UnseenDraw::leftOut;
}

void D3d8Device::maskColorWrites(bool masked) {
    const DWORD writes = masked ? 0 : colorWriteMask;
    glColorMask((writes & 1) != 0, (writes & 2) != 0, (writes & 4) != 0, (writes & 8) != 0);
}

void D3d8Device::applyVertexLayout(GLuint buffer, DWORD fvf, UINT stride, UINT baseOffset) {
    if (buffer == layoutBuffer && fvf == layoutFvf && stride == layoutStride && baseOffset == layoutOffset) return;
    const D3d8FvfLayout layout = d3d8FvfLayout(fvf);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    auto at = [baseOffset](UINT offset) { return reinterpret_cast<const void*>(static_cast<uintptr_t>(baseOffset + offset)); };
    glEnableVertexAttribArray(kD3d8AttribPosition);
    glVertexAttribPointer(kD3d8AttribPosition, static_cast<GLint>(layout.positionSize), GL_FLOAT, GL_FALSE,
                          static_cast<GLsizei>(stride), at(0));
    if (layout.diffuseOffset >= 0) {
        // D3DCOLOR bytes are B, G, R, A.
        glEnableVertexAttribArray(kD3d8AttribDiffuse);
        glVertexAttribPointer(kD3d8AttribDiffuse, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, static_cast<GLsizei>(stride),
                              at(static_cast<UINT>(layout.diffuseOffset)));
    } else {
        glDisableVertexAttribArray(kD3d8AttribDiffuse);  // reads the constant white
    }
    for (UINT set = 0; set < kD3d8TexCoordSets; ++set) {
        if (set < layout.texCoordCount) {
            glEnableVertexAttribArray(kD3d8AttribTexCoord0 + set);
            glVertexAttribPointer(kD3d8AttribTexCoord0 + set, 2, GL_FLOAT, GL_FALSE, static_cast<GLsizei>(stride),
                                  at(layout.texCoordOffset + set * 8));
        } else {
            glDisableVertexAttribArray(kD3d8AttribTexCoord0 + set);  // reads the constant (0, 0)
        }
    }
    layoutBuffer = buffer;
    layoutFvf = fvf;
    layoutStride = stride;
    layoutOffset = baseOffset;
}

void D3d8Device::drawArrays(D3DPRIMITIVETYPE primitiveType, UINT firstVertex, UINT primitiveCount, DWORD fvf,
                            UINT stride, GLuint buffer, UINT baseOffset) {
    GLenum mode = GL_POINTS;
    const UINT vertexCount = verticesFor(primitiveType, primitiveCount, &mode);
    applyVertexLayout(buffer, fvf, stride, baseOffset);
    glDrawArrays(mode, static_cast<GLint>(firstVertex), static_cast<GLsizei>(vertexCount));
    if (!renderStates[D3DRS_LASTPIXEL]) return;
    // OpenGL leaves out a line's last pixel; Direct3D draws it (LASTPIXEL TRUE).
    if (primitiveType == D3DPT_LINELIST) {
        applyVertexLayout(buffer, fvf, stride * 2, baseOffset + (firstVertex + 1) * stride);
        glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(primitiveCount));
    } else if (primitiveType == D3DPT_LINESTRIP) {
        glDrawArrays(GL_POINTS, static_cast<GLint>(firstVertex + vertexCount - 1), 1);
    }
}

HRESULT D3d8Device::DrawPrimitive(D3DPRIMITIVETYPE primitiveType, UINT startVertex, UINT primitiveCount) {
    if (streamSource == nullptr || streamStride == 0 || streamSource->device == nullptr) return D3DERR_INVALIDCALL;
    const D3d8FvfLayout layout = d3d8FvfLayout(vertexShader);
    GLenum mode = GL_POINTS;
    const UINT vertexCount = verticesFor(primitiveType, primitiveCount, &mode);
    if (!layout.valid || layout.size > streamStride || vertexCount == 0) return D3DERR_INVALIDCALL;
    // Never read past the end of the buffer.
    const UINT available = streamSource->length / streamStride;
    if (startVertex > available || vertexCount > available - startVertex) return D3DERR_INVALIDCALL;
    const D3d8CpuScope timed;
    const UnseenDraw unseen = unseenDraw(
        streamSource->memory.data() + static_cast<size_t>(startVertex) * streamStride, vertexCount, streamStride,
        vertexShader);
    if (unseen != UnseenDraw::no && d3d8StatsEnabled) ++d3d8Stats.unseenDraws;
    if (unseen == UnseenDraw::leftOut) return D3D_OK;
    makeCurrent();
    if (!flushState(vertexShader)) return D3DERR_DRIVERINTERNALERROR;
    const DWORD wrap = renderStates[D3DRS_WRAP0] & (D3DWRAP_U | D3DWRAP_V);
    const UINT rhythm = wrapRhythm(primitiveType);
    const GLuint buffer = wrap != 0 && layout.texCoordCount > 0 && rhythm != 0
                              ? streamSource->wrappedBuffer(wrap, vertexShader, streamStride, rhythm, startVertex)
                              : streamSource->plainBuffer();
    const bool depthOnly = unseen == UnseenDraw::depthOnly;
    if (depthOnly) maskColorWrites(true);
    drawArrays(primitiveType, startVertex, primitiveCount, vertexShader, streamStride, buffer, 0);
    if (depthOnly) maskColorWrites(false);
    return D3D_OK;
}

HRESULT D3d8Device::DrawPrimitiveUP(D3DPRIMITIVETYPE primitiveType, UINT primitiveCount,
                                    const void* vertexStreamZeroData, UINT vertexStreamZeroStride) {
    const D3d8FvfLayout layout = d3d8FvfLayout(vertexShader);
    GLenum mode = GL_POINTS;
    const UINT vertexCount = verticesFor(primitiveType, primitiveCount, &mode);
    if (vertexStreamZeroData == nullptr || !layout.valid || vertexStreamZeroStride < layout.size || vertexCount == 0) {
        return D3DERR_INVALIDCALL;
    }
    const D3d8CpuScope timed;
    const auto* bytes = static_cast<const BYTE*>(vertexStreamZeroData);
    const size_t size = static_cast<size_t>(vertexCount) * vertexStreamZeroStride;
    const UnseenDraw unseen = unseenDraw(bytes, vertexCount, vertexStreamZeroStride, vertexShader);
    if (unseen != UnseenDraw::no && d3d8StatsEnabled) ++d3d8Stats.unseenDraws;
    if (unseen != UnseenDraw::leftOut) {
        makeCurrent();
        if (!flushState(vertexShader)) return D3DERR_DRIVERINTERNALERROR;
        const DWORD wrap = renderStates[D3DRS_WRAP0] & (D3DWRAP_U | D3DWRAP_V);
        const UINT rhythm = wrapRhythm(primitiveType);
        if (wrap != 0 && layout.texCoordCount > 0 && rhythm != 0) {
            // The caller's vertices stay as they are: the wrapping works on a copy.
            upVertices.assign(bytes, bytes + size);
            d3d8WrapTexCoords(upVertices.data(), vertexCount, vertexStreamZeroStride, layout.texCoordOffset, wrap,
                              rhythm, 0);
            bytes = upVertices.data();
        }
        if (d3d8StatsEnabled) {
            ++d3d8Stats.uploads;
            d3d8Stats.uploadBytes += size;
        }
        glBindBuffer(GL_ARRAY_BUFFER, upBuffer);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(size), bytes, GL_STREAM_DRAW);
        const bool depthOnly = unseen == UnseenDraw::depthOnly;
        if (depthOnly) maskColorWrites(true);
        drawArrays(primitiveType, 0, primitiveCount, vertexShader, vertexStreamZeroStride, upBuffer, 0);
        if (depthOnly) maskColorWrites(false);
    }
    // As in Direct3D 8, the stream source is unset afterwards.
    if (streamSource != nullptr) streamSource->Release();
    streamSource = nullptr;
    streamStride = 0;
    return D3D_OK;
}
