// The device's use of the heap (see d3d8_heap.h).
#include "d3d8_heap.h"

#include <atomic>
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#include <unistd.h>
#endif

namespace {

// The sanitizers' allocators keep freed memory their own way.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ZELVARO_SANITIZER_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define ZELVARO_SANITIZER_HEAP 1
#endif
#endif

#if defined(__GLIBC__) && !defined(ZELVARO_SANITIZER_HEAP)
const bool heapKeepsFreedMemory = true;
#else
const bool heapKeepsFreedMemory = false;
#endif

// Well below the 32 MB at which the heap would map a block on its own (and
// give it back to the kernel when freed), and small enough that the first
// block is free again within a few milliseconds: allocations made before
// then come from beyond the blocks and add to the peak.
const size_t warmBlockBytes = 4u << 20;

std::atomic<bool> warmedOnce{false};

}  // namespace

// A software GL (llvmpipe) bins each batch of draws into memory of its own,
// 64 KB blocks, a few per state change, and frees them all when the batch is
// drawn. glibc hands the top of the heap back to the kernel as soon as more
// than 128 KB are free there, so every batch faulted its blocks in again:
// with small draws, more than half of the drawing time went to page faults
// and zeroed pages. The heap now keeps up to 256 MB free for the next batch,
// and blocks of up to 32 MB come from the heap rather than from mappings of
// their own. Nothing changes for memory in use; only what is given back.
void d3d8KeepHeapForDrawing() {
#if defined(__GLIBC__)
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
#endif
}

// Each page of new heap costs a fault and a page cleared by the kernel on the
// thread that first writes it: for the textures a program loads at start
// (GL's storage of every level, and the copies in system memory) that was
// about a fifth of the time to the first frame. The blocks are taken here, on
// the program's thread (taking them touches nothing), and the warm-up thread
// writes one byte a page and frees each block as soon as it is done, so the
// program's next allocations are carved from blocks already in memory. Until
// a block is freed, allocations come from beyond it, as they would have.
bool D3d8HeapWarmup::start(size_t bytes) {
    if (!heapKeepsFreedMemory || bytes == 0 || worker.joinable()) return false;
    if (warmedOnce.exchange(true)) return false;
    d3d8KeepHeapForDrawing();  // without it the freed blocks would go straight back
    for (size_t taken = 0; taken < bytes; taken += warmBlockBytes) {
        void* block = std::malloc(warmBlockBytes);
        if (block == nullptr) break;
        blocks.push_back(block);
    }
    if (blocks.empty()) return false;
    try {
        worker = std::thread([this] {
#if defined(__GLIBC__)
            const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
#else
            const size_t page = 4096;
#endif
            for (void* block : blocks) {
                volatile unsigned char* bytes = static_cast<unsigned char*>(block);
                for (size_t offset = 0; offset < warmBlockBytes; offset += page) bytes[offset] = 0;
                std::free(block);
            }
        });
    } catch (...) {
        // No thread to be had: the blocks go back untouched.
        for (void* block : blocks) std::free(block);
        blocks.clear();
        return false;
    }
    return true;
}

void D3d8HeapWarmup::finish() {
    if (worker.joinable()) worker.join();
}
