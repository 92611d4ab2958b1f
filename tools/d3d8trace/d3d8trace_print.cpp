// zelvaro-d3d8trace TRACE: prints a Direct3D 8 call trace as text, one record
// per line, with the arguments by name (contents as their sizes only).
#include <cstdio>
#include <string>

#include "d3d8_trace_reader.h"

namespace {

void printRect(D3d8TraceFields& f) {
    const int32_t left = f.i32(), top = f.i32(), right = f.i32(), bottom = f.i32();
    std::printf(" rect=(%d,%d)-(%d,%d)", left, top, right, bottom);
}

void printFields(const D3d8TraceRecord& record) {
    D3d8TraceFields f = record.fields();
    uint32_t count = 0;
    switch (record.op) {
        case D3d8TraceOp::device: {
            const uint32_t w = f.u32(), h = f.u32(), format = f.u32(), depth = f.u32(), depthFormat = f.u32();
            const uint32_t back = f.u32(), autoDepth = f.u32();
            std::printf(" %ux%u format=%u autoDepth=%u depthFormat=%u backBuffer=#%u depthSurface=#%u", w, h, format,
                        depth, depthFormat, back, autoDepth);
            break;
        }
        case D3d8TraceOp::createTexture: {
            const uint32_t id = f.u32(), w = f.u32(), h = f.u32(), levels = f.u32(), usage = f.u32();
            const uint32_t format = f.u32(), pool = f.u32();
            std::printf(" #%u %ux%u levels=%u usage=0x%x format=%u pool=%u", id, w, h, levels, usage, format, pool);
            break;
        }
        case D3d8TraceOp::createSurface: {
            const uint32_t id = f.u32(), kind = f.u32(), w = f.u32(), h = f.u32(), format = f.u32();
            static const char* const kinds[] = {"?", "renderTarget", "depthStencil", "image"};
            std::printf(" #%u %s %ux%u format=%u", id, kinds[kind < 4 ? kind : 0], w, h, format);
            break;
        }
        case D3d8TraceOp::textureLevel: {
            const uint32_t id = f.u32(), texture = f.u32(), level = f.u32();
            std::printf(" #%u = texture #%u level %u", id, texture, level);
            break;
        }
        case D3d8TraceOp::createVertexBuffer: {
            const uint32_t id = f.u32(), length = f.u32(), usage = f.u32(), fvf = f.u32(), pool = f.u32();
            std::printf(" #%u length=%u usage=0x%x fvf=0x%x pool=%u", id, length, usage, fvf, pool);
            break;
        }
        case D3d8TraceOp::textureData:
        case D3d8TraceOp::surfaceData: {
            std::printf(" #%u", f.u32());
            if (record.op == D3d8TraceOp::textureData) std::printf(" level=%u", f.u32());
            printRect(f);
            const uint32_t rowBytes = f.u32();
            f.bytes(&count);
            std::printf(" rowBytes=%u bytes=%u", rowBytes, count);
            break;
        }
        case D3d8TraceOp::vertexData: {
            const uint32_t id = f.u32(), offset = f.u32();
            f.bytes(&count);
            std::printf(" #%u offset=%u bytes=%u", id, offset, count);
            break;
        }
        case D3d8TraceOp::release:
        case D3d8TraceOp::frameEnd: std::printf(" %u", f.u32()); break;
        case D3d8TraceOp::frameBegin: {
            const uint32_t frame = f.u32();
            const double music = f.f64();
            std::printf(" %u music=%.6f", frame, music);
            break;
        }
        case D3d8TraceOp::setTransform: {
            std::printf(" %u", f.u32());
            for (int i = 0; i < 16; ++i)
                std::printf("%s%g", i == 0 ? " [" : (i % 4 == 0 ? " | " : " "), double(f.f32()));
            std::printf("]");
            break;
        }
        case D3d8TraceOp::setViewport: {
            const uint32_t x = f.u32(), y = f.u32(), w = f.u32(), h = f.u32();
            const float minZ = f.f32(), maxZ = f.f32();
            std::printf(" %u %u %ux%u z=%g..%g", x, y, w, h, double(minZ), double(maxZ));
            break;
        }
        case D3d8TraceOp::clear: {
            count = f.u32();
            std::printf(" rects=%u", count);
            for (uint32_t i = 0; i < count && !f.failed; ++i) printRect(f);
            const uint32_t flags = f.u32(), color = f.u32();
            const float z = f.f32();
            const uint32_t stencil = f.u32();
            std::printf(" flags=0x%x colour=0x%08x z=%g stencil=%u", flags, color, double(z), stencil);
            break;
        }
        case D3d8TraceOp::drawPrimitiveUP: {
            const uint32_t type = f.u32(), primitives = f.u32(), stride = f.u32();
            f.bytes(&count);
            std::printf(" type=%u primitives=%u stride=%u bytes=%u", type, primitives, stride, count);
            break;
        }
        case D3d8TraceOp::copyRects: {
            const uint32_t from = f.u32(), to = f.u32();
            count = f.u32();
            const uint32_t points = f.u32();
            std::printf(" #%u -> #%u rects=%u", from, to, count);
            for (uint32_t i = 0; i < count && !f.failed; ++i) printRect(f);
            for (uint32_t i = 0; points != 0 && i < count && !f.failed; ++i) {
                const int32_t x = f.i32(), y = f.i32();
                std::printf(" at=(%d,%d)", x, y);
            }
            break;
        }
        case D3d8TraceOp::setTexture:
        case D3d8TraceOp::setStreamSource:
        case D3d8TraceOp::setRenderTarget:
        case D3d8TraceOp::updateTexture:
        case D3d8TraceOp::setLOD:
        case D3d8TraceOp::setRenderState:
        case D3d8TraceOp::setTextureStageState:
        case D3d8TraceOp::setVertexShader:
        case D3d8TraceOp::drawPrimitive:
        case D3d8TraceOp::beginScene:
        case D3d8TraceOp::endScene:
        case D3d8TraceOp::present:
            while (!f.atEnd() && !f.failed) std::printf(" %u", f.u32());
            break;
    }
    if (f.failed) std::printf(" (record cut short)");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zelvaro-d3d8trace TRACE\n  prints a Direct3D 8 call trace, one record per line\n");
        return 2;
    }
    D3d8TraceFile file;
    std::string error;
    if (!file.load(argv[1], &error)) {
        std::fprintf(stderr, "zelvaro-d3d8trace: %s\n", error.c_str());
        return 1;
    }
    D3d8TraceRecord record{};
    while (file.next(&record, &error)) {
        std::printf("%s", d3d8TraceOpName(record.op).c_str());
        printFields(record);
        std::printf("\n");
    }
    if (!error.empty()) {
        std::fprintf(stderr, "zelvaro-d3d8trace: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
