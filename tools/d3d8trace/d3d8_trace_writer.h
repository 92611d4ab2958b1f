// Writing a Direct3D 8 call trace (layout: d3d8_trace_format.h): one record
// at a time, assembled in memory and appended to the file.
#ifndef ZELVARO_TOOLS_D3D8TRACE_WRITER_H
#define ZELVARO_TOOLS_D3D8TRACE_WRITER_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "d3d8_trace_format.h"

class D3d8TraceWriter {
public:
    ~D3d8TraceWriter();
    // Creates the file and writes its header; false with the reason in *error.
    bool open(const std::string& path, std::string* error);
    // Flushes and closes; false when anything could not be written.
    bool close(std::string* error);

    void begin(D3d8TraceOp op);
    void u32(uint32_t value);
    void i32(int32_t value) { u32(static_cast<uint32_t>(value)); }
    void f32(float value);
    void f64(double value);
    void bytes(const void* data, uint32_t count);
    // Rows of `rowBytes` each, `pitch` apart in memory, as one "bytes" field.
    void rows(const void* first, uint32_t rowBytes, uint32_t rowCount, int32_t pitch);
    void end();
    // A whole record of u32 fields.
    template <typename... Values>
    void record(D3d8TraceOp op, Values... values) {
        begin(op);
        (u32(static_cast<uint32_t>(values)), ...);
        end();
    }

private:
    FILE* file = nullptr;
    std::string filePath;
    std::vector<uint8_t> pending;  // the record being assembled
    bool writeFailed = false;
};

#endif  // ZELVARO_TOOLS_D3D8TRACE_WRITER_H
