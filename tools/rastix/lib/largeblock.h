#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace rastix {

// Memory for whole pictures. Blocks of several megabytes are asked for in huge pages where the
// system offers them: touching tens of megabytes page by page costs more than encoding them on
// some machines (notably virtual ones).
void* allocateLargeBlock(std::size_t bytes);
void freeLargeBlock(void* block, std::size_t bytes);

template <typename T> struct LargeBlockAllocator {
    using value_type = T;
    LargeBlockAllocator() = default;
    template <typename U> LargeBlockAllocator(const LargeBlockAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) { return static_cast<T*>(allocateLargeBlock(n * sizeof(T))); }
    void deallocate(T* p, std::size_t n) noexcept { freeLargeBlock(p, n * sizeof(T)); }
    template <typename U> bool operator==(const LargeBlockAllocator<U>&) const noexcept {
        return true;
    }
};

using ByteBuffer = std::vector<std::uint8_t, LargeBlockAllocator<std::uint8_t>>;

} // namespace rastix
