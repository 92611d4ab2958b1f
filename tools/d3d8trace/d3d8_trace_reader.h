// Reading a Direct3D 8 call trace (the layout is in d3d8_trace_format.h):
// the whole file in memory, walked record by record with bounds checks, so
// that a damaged file gives a clear error instead of a crash.
#ifndef ZELVARO_TOOLS_D3D8TRACE_READER_H
#define ZELVARO_TOOLS_D3D8TRACE_READER_H

#include <cstdint>
#include <string>
#include <vector>

#include "d3d8_trace_format.h"

// The payload of one record, read front to back. Reading past its end sets
// `failed` and gives zeros.
class D3d8TraceFields {
public:
    D3d8TraceFields(const uint8_t* data, uint32_t size) : data(data), size(size) {}
    uint32_t u32();
    int32_t i32() { return static_cast<int32_t>(u32()); }
    float f32();
    double f64();
    // A u32 count, then that many bytes: points into the record, or null.
    const uint8_t* bytes(uint32_t* count);
    bool failed = false;
    bool atEnd() const { return at == size; }

private:
    const uint8_t* data;
    uint32_t size;
    uint32_t at = 0;
};

struct D3d8TraceRecord {
    D3d8TraceOp op;
    const uint8_t* data;
    uint32_t size;
    D3d8TraceFields fields() const { return D3d8TraceFields(data, size); }
};

class D3d8TraceFile {
public:
    // Reads and checks the file; false with the reason in *error.
    bool load(const std::string& path, std::string* error);
    // The next record; false at the end, or with *error set when the file is cut short.
    bool next(D3d8TraceRecord* record, std::string* error);
    void rewind() { at = 8; }
    size_t position() const { return at; }
    void seek(size_t position) { at = position; }

private:
    std::vector<uint8_t> bytes;
    size_t at = 0;
};

// The op's name as the text printer shows it ("setRenderState"); "op N" when unknown.
std::string d3d8TraceOpName(D3d8TraceOp op);

#endif  // ZELVARO_TOOLS_D3D8TRACE_READER_H
