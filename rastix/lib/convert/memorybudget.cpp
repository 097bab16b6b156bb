#include "convert/memorybudget.h"

#include "convert/controlgroup.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#elif defined(__linux__)
#include <sys/resource.h>
#endif

namespace rastix {

namespace {

constexpr std::uint64_t kUnknown = std::numeric_limits<std::uint64_t>::max();

#ifdef __linux__
std::string fileText(const char* path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::uint64_t kernelAvailable() {
    std::ifstream in("/proc/meminfo");
    std::string key;
    std::uint64_t kilobytes = 0;
    std::string unit;
    while (in >> key >> kilobytes) {
        std::getline(in, unit);
        if (key == "MemAvailable:")
            return kilobytes * 1024;
    }
    return kUnknown;
}

// A limit on the address space (ulimit -v) makes allocations fail beyond it, however much the
// machine has; what is mapped already counts against it.
std::uint64_t addressSpaceAvailable() {
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return kUnknown;
    std::ifstream status("/proc/self/status");
    std::string key;
    std::uint64_t mapped = 0;
    while (status >> key) {
        if (key == "VmSize:") {
            status >> mapped;
            mapped *= 1024;
            break;
        }
        status.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    const auto cap = static_cast<std::uint64_t>(limit.rlim_cur);
    return cap > mapped ? cap - mapped : 0;
}
#endif

} // namespace

std::uint64_t availableMemoryBytes() {
#if defined(_WIN32)
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (GlobalMemoryStatusEx(&status))
        return std::min<std::uint64_t>(status.ullAvailPhys, status.ullAvailVirtual);
    return kUnknown;
#elif defined(__linux__)
    return std::min(
        {kernelAvailable(),
         controlGroupAvailable(fileText("/proc/self/mountinfo"), fileText("/proc/self/cgroup")),
         addressSpaceAvailable()});
#else
    return kUnknown;
#endif
}

std::string memoryText(std::uint64_t bytes) {
    constexpr double kMegabyte = 1024.0 * 1024.0;
    char text[32];
    if (bytes >= (std::uint64_t{10} << 30))
        std::snprintf(text, sizeof text, "%.0f GB", static_cast<double>(bytes) / kMegabyte / 1024);
    else if (bytes >= (std::uint64_t{1} << 30))
        std::snprintf(text, sizeof text, "%.1f GB", static_cast<double>(bytes) / kMegabyte / 1024);
    else
        std::snprintf(text, sizeof text, "%.0f MB", static_cast<double>(bytes) / kMegabyte);
    return text;
}

MemoryBudget::Share::~Share() {
    if (!m_budget)
        return;
    {
        std::lock_guard lock(m_budget->m_mutex);
        m_budget->m_held -= m_bytes;
    }
    m_budget->m_released.notify_all();
}

bool MemoryBudget::Share::resize(MemoryBudget& budget, std::uint64_t bytes, std::string& error) {
    if (m_budget && m_budget != &budget)
        return false;
    if (bytes <= m_bytes)
        return true;
    if (bytes > budget.m_total) {
        error = "needs about " + memoryText(bytes) + " of memory to convert, but only " +
                memoryText(budget.m_total) + " are available";
        return false;
    }
    std::unique_lock lock(budget.m_mutex);
    if (budget.m_held - m_bytes > budget.m_total - bytes) {
        // Holding nothing while it waits, it cannot hold up the others.
        budget.m_held -= m_bytes;
        m_bytes = 0;
        budget.m_released.notify_all();
        budget.m_released.wait(
            lock, [&] { return budget.m_held == 0 || budget.m_held <= budget.m_total - bytes; });
    }
    budget.m_held += bytes - m_bytes;
    m_bytes = bytes;
    m_budget = &budget;
    return true;
}

std::uint64_t MemoryBudget::held() const {
    std::lock_guard lock(m_mutex);
    return m_held;
}

} // namespace rastix
