#include "d3d8_trace_writer.h"

#include <cerrno>
#include <cstring>

D3d8TraceWriter::~D3d8TraceWriter() {
    if (file != nullptr) std::fclose(file);
}

bool D3d8TraceWriter::open(const std::string& path, std::string* error) {
    file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        *error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    filePath = path;
    pending.assign(kD3d8TraceMagic, kD3d8TraceMagic + 4);
    u32(kD3d8TraceVersion);
    writeFailed = std::fwrite(pending.data(), 1, pending.size(), file) != pending.size();
    pending.clear();
    return true;
}

bool D3d8TraceWriter::close(std::string* error) {
    if (file == nullptr) return true;
    const bool closed = std::fclose(file) == 0;
    file = nullptr;
    if (writeFailed || !closed) {
        *error = "cannot write " + filePath;
        return false;
    }
    return true;
}

void D3d8TraceWriter::begin(D3d8TraceOp op) {
    pending.clear();
    pending.push_back(static_cast<uint8_t>(op));
    pending.resize(5);  // the length comes in end()
}

void D3d8TraceWriter::u32(uint32_t value) {
    const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
    pending.insert(pending.end(), bytes, bytes + 4);
}

void D3d8TraceWriter::f32(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    u32(bits);
}

void D3d8TraceWriter::f64(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, 8);
    u32(uint32_t(bits));
    u32(uint32_t(bits >> 32));
}

void D3d8TraceWriter::bytes(const void* data, uint32_t count) {
    u32(count);
    const auto* from = static_cast<const uint8_t*>(data);
    if (count > 0) pending.insert(pending.end(), from, from + count);
}

void D3d8TraceWriter::rows(const void* first, uint32_t rowBytes, uint32_t rowCount, int32_t pitch) {
    u32(rowBytes * rowCount);
    const auto* row = static_cast<const uint8_t*>(first);
    for (uint32_t y = 0; y < rowCount; ++y, row += pitch) pending.insert(pending.end(), row, row + rowBytes);
}

void D3d8TraceWriter::end() {
    if (file == nullptr) return;
    const auto length = static_cast<uint32_t>(pending.size() - 5);
    pending[1] = uint8_t(length);
    pending[2] = uint8_t(length >> 8);
    pending[3] = uint8_t(length >> 16);
    pending[4] = uint8_t(length >> 24);
    if (std::fwrite(pending.data(), 1, pending.size(), file) != pending.size()) writeFailed = true;
}
