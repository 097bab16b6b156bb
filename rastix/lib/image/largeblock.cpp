#include "image/largeblock.h"

#include <new>

#if defined(__linux__)
#include <cstdlib>
#include <sys/mman.h>
#endif

namespace rastix {

namespace {
#if defined(__linux__)
constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kLargeBlock = std::size_t{4} << 20;
#endif
} // namespace

void* allocateLargeBlock(std::size_t bytes) {
#if defined(__linux__)
    if (bytes >= kLargeBlock) {
        const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        void* block = std::aligned_alloc(kHugePage, rounded);
        if (!block)
            throw std::bad_alloc();
        madvise(block, rounded, MADV_HUGEPAGE); // advice only; failure is harmless
        return block;
    }
#endif
    return ::operator new(bytes);
}

void freeLargeBlock(void* block, std::size_t bytes) {
#if defined(__linux__)
    if (bytes >= kLargeBlock) {
        std::free(block);
        return;
    }
#endif
    ::operator delete(block, bytes);
}

} // namespace rastix
