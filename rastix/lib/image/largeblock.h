#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
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
    // resize(n) leaves new elements uninitialised (default-initialised), so a buffer that is
    // about to be overwritten is not filled twice; assign(n, value) and the like still fill.
    template <typename U> void construct(U* p) noexcept(noexcept(U())) {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args> void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
    template <typename U> bool operator==(const LargeBlockAllocator<U>&) const noexcept {
        return true;
    }
};

using ByteBuffer = std::vector<std::uint8_t, LargeBlockAllocator<std::uint8_t>>;

} // namespace rastix
