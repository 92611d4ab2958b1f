#include "d3d8_trace_reader.h"

#include <cstdio>
#include <cstring>

uint32_t D3d8TraceFields::u32() {
    if (failed || size - at < 4) {
        failed = true;
        return 0;
    }
    const uint8_t* p = data + at;
    at += 4;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

float D3d8TraceFields::f32() {
    const uint32_t bits = u32();
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

double D3d8TraceFields::f64() {
    const uint64_t low = u32();
    const uint64_t high = u32();
    const uint64_t bits = low | high << 32;
    double value;
    std::memcpy(&value, &bits, 8);
    return value;
}

const uint8_t* D3d8TraceFields::bytes(uint32_t* count) {
    *count = u32();
    if (failed || size - at < *count) {
        failed = true;
        *count = 0;
        return nullptr;
    }
    const uint8_t* p = data + at;
    at += *count;
    return p;
}

bool D3d8TraceFile::load(const std::string& path, std::string* error) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        *error = "cannot open " + path;
        return false;
    }
    bytes.clear();
    uint8_t buffer[1 << 16];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
    const bool readError = std::ferror(file) != 0;
    std::fclose(file);
    if (readError) {
        *error = "cannot read " + path;
        return false;
    }
    if (bytes.size() < 8 || std::memcmp(bytes.data(), kD3d8TraceMagic, 4) != 0) {
        *error = path + " is not a Direct3D 8 call trace";
        return false;
    }
    D3d8TraceFields header(bytes.data() + 4, 4);
    const uint32_t version = header.u32();
    if (version != kD3d8TraceVersion) {
        *error = path + ": trace version " + std::to_string(version) + ", this program reads version " +
                 std::to_string(kD3d8TraceVersion);
        return false;
    }
    at = 8;
    return true;
}

bool D3d8TraceFile::next(D3d8TraceRecord* record, std::string* error) {
    if (at >= bytes.size()) return false;
    if (bytes.size() - at < 5) {
        *error = "the trace ends inside a record header";
        return false;
    }
    D3d8TraceFields length(bytes.data() + at + 1, 4);
    const uint32_t size = length.u32();
    if (bytes.size() - at - 5 < size) {
        *error = "the trace ends inside a record of " + std::to_string(size) + " bytes";
        return false;
    }
    record->op = static_cast<D3d8TraceOp>(bytes[at]);
    record->data = bytes.data() + at + 5;
    record->size = size;
    at += 5 + size_t(size);
    return true;
}

std::string d3d8TraceOpName(D3d8TraceOp op) {
    switch (op) {
        case D3d8TraceOp::device: return "device";
        case D3d8TraceOp::createTexture: return "createTexture";
        case D3d8TraceOp::createSurface: return "createSurface";
        case D3d8TraceOp::textureLevel: return "textureLevel";
        case D3d8TraceOp::createVertexBuffer: return "createVertexBuffer";
        case D3d8TraceOp::textureData: return "textureData";
        case D3d8TraceOp::surfaceData: return "surfaceData";
        case D3d8TraceOp::vertexData: return "vertexData";
        case D3d8TraceOp::release: return "release";
        case D3d8TraceOp::frameBegin: return "frameBegin";
        case D3d8TraceOp::frameEnd: return "frameEnd";
        case D3d8TraceOp::setRenderState: return "setRenderState";
        case D3d8TraceOp::setTextureStageState: return "setTextureStageState";
        case D3d8TraceOp::setTransform: return "setTransform";
        case D3d8TraceOp::setViewport: return "setViewport";
        case D3d8TraceOp::setTexture: return "setTexture";
        case D3d8TraceOp::setStreamSource: return "setStreamSource";
        case D3d8TraceOp::setVertexShader: return "setVertexShader";
        case D3d8TraceOp::setRenderTarget: return "setRenderTarget";
        case D3d8TraceOp::clear: return "clear";
        case D3d8TraceOp::beginScene: return "beginScene";
        case D3d8TraceOp::endScene: return "endScene";
        case D3d8TraceOp::present: return "present";
        case D3d8TraceOp::drawPrimitive: return "drawPrimitive";
        case D3d8TraceOp::drawPrimitiveUP: return "drawPrimitiveUP";
        case D3d8TraceOp::copyRects: return "copyRects";
        case D3d8TraceOp::updateTexture: return "updateTexture";
        case D3d8TraceOp::setLOD: return "setLOD";
    }
    return "op " + std::to_string(int(op));
}
