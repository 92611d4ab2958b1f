// The device's use of the C library's heap: what it keeps when memory is
// freed, and pages made ready on a second thread for the textures a program
// loads right after it makes its device.
#ifndef ZELVARO_PLATFORM_D3D8_HEAP_H
#define ZELVARO_PLATFORM_D3D8_HEAP_H

#include <cstddef>
#include <thread>
#include <vector>

// Keeps freed memory in the heap rather than handing it back to the kernel
// at once (glibc only; elsewhere nothing changes).
void d3d8KeepHeapForDrawing();

// Takes `bytes` of heap in blocks, has a thread of its own touch every page
// of each block and free it again, so that the heap's next allocations find
// pages the kernel has already supplied and cleared. Only the first warm-up
// of a process does anything (the heap keeps what it got), and nothing is
// done where the heap does not keep freed memory (other C libraries, the
// sanitizers' allocators).
class D3d8HeapWarmup {
public:
    D3d8HeapWarmup() = default;
    D3d8HeapWarmup(const D3d8HeapWarmup&) = delete;
    D3d8HeapWarmup& operator=(const D3d8HeapWarmup&) = delete;
    ~D3d8HeapWarmup() { finish(); }

    // True when this call started the process's warm-up.
    bool start(size_t bytes);
    // Waits for the thread; every block is free again afterwards.
    void finish();
    // The blocks the warm-up took; free again once finish() returned.
    size_t blockCount() const { return blocks.size(); }

private:
    std::vector<void*> blocks;
    std::thread worker;
};

#endif  // ZELVARO_PLATFORM_D3D8_HEAP_H
