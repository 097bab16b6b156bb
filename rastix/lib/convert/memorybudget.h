#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

namespace rastix {

// Memory the system can give this program now without swapping or killing it: the smallest of
// what the kernel reports available, what the control group still allows and what is left of
// the address space limit (Linux), or the available physical memory (Windows). UINT64_MAX when
// the system does not say.
std::uint64_t availableMemoryBytes();

// "3.2 GB", "712 MB": for messages.
std::string memoryText(std::uint64_t bytes);

// The memory of one run, shared by the pictures converted at the same time, so that several
// large ones wait for each other instead of exhausting it together.
class MemoryBudget {
public:
    explicit MemoryBudget(std::uint64_t bytes)
        : m_total(bytes) {}

    // Held by one conversion; gives its memory back when destroyed.
    class Share {
    public:
        Share() = default;
        ~Share();
        Share(const Share&) = delete;
        Share& operator=(const Share&) = delete;

        // Makes the share `bytes` large, waiting while other conversions hold the memory
        // needed. A later, larger call that does not fit beside the others gives its share back
        // before it waits, so that two growing conversions never wait for each other (it is
        // made when a picture that was to stream is decoded whole after all: what it holds
        // meanwhile is small). False and a message when the budget can never hold it.
        bool resize(MemoryBudget& budget, std::uint64_t bytes, std::string& error);
        std::uint64_t bytes() const { return m_bytes; }

    private:
        MemoryBudget* m_budget = nullptr;
        std::uint64_t m_bytes = 0;
    };

    std::uint64_t total() const { return m_total; }
    std::uint64_t held() const;

private:
    const std::uint64_t m_total;
    std::uint64_t m_held = 0;
    mutable std::mutex m_mutex;
    std::condition_variable m_released;
};

} // namespace rastix
