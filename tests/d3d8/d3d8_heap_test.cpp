// The heap warm-up: pages written once on a second thread, then left free in
// the heap for the program's next allocations.
#include "../../platform/d3d8/d3d8_heap.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

long residentKb() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

}  // namespace

TEST(HeapWarmup, PagesComeInOnceAndServeTheNextAllocations) {
    const size_t bytes = 64u << 20;
    const long before = residentKb();
    D3d8HeapWarmup warmup;
    const bool started = warmup.start(bytes);
    warmup.finish();
    if (!started) GTEST_SKIP() << "this process warmed its heap already, or its heap keeps nothing freed";
    EXPECT_EQ(warmup.blockCount(), 16u);  // blocks of 4 MB
    EXPECT_GE(residentKb() - before, 60L * 1024) << "every page was written";
#if defined(__GLIBC__)
    EXPECT_GE(mallinfo2().fordblks, bytes) << "and every block is free again";
#endif
    // Written in full, a new block of 8 MB finds its pages in memory already.
    const long warmed = residentKb();
    void* block = std::malloc(8u << 20);
    ASSERT_NE(block, nullptr);
    std::memset(block, 1, 8u << 20);
    EXPECT_LT(residentKb() - warmed, 1024L);
    std::free(block);
    // Once a process.
    D3d8HeapWarmup again;
    EXPECT_FALSE(again.start(bytes));
    EXPECT_EQ(again.blockCount(), 0u);
}
