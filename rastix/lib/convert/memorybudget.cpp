#include "convert/memorybudget.h"

#include "convert/controlgroup.h"
#include "encode/pictureencoder.h"
#include "image/image.h"

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

std::uint64_t pixelBytes(std::uint64_t width, std::uint64_t height) {
    return width * height * 4;
}

// Rows of encoded data, each padded to whole phrases.
std::uint64_t encodedBytes(std::uint64_t width, std::uint64_t height, int bitsPerPixel) {
    return (width * static_cast<std::uint64_t>(bitsPerPixel) + 63) / 64 * 8 * height;
}

// Assembly text takes at most "$XX," (or "0xXX,") and a share of "\t.byte\t...\n" for each data
// byte.
constexpr std::uint64_t kTextPerByte = 5;

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

std::uint64_t conversionPeakBytes(int width, int height, std::uint64_t decodedBytes,
                                  const Settings& s, bool outputsToDisk) {
    std::uint64_t w = static_cast<std::uint64_t>(std::max(width, 0));
    std::uint64_t h = static_cast<std::uint64_t>(std::max(height, 0));
    // Each stage is made from the one before, which is let go once the next exists.
    std::uint64_t peak = decodedBytes;
    std::uint64_t held = decodedBytes;
    if (s.cut) {
        w = std::min(w, static_cast<std::uint64_t>(std::max(s.cut->width, 0)));
        h = std::min(h, static_cast<std::uint64_t>(std::max(s.cut->height, 0)));
        peak = std::max(peak, held + pixelBytes(w, h));
        held = pixelBytes(w, h);
    }
    if (s.rotateDegrees % 360 != 0) {
        const RotatedSize turned = rotatedSize(w, h, s.rotateDegrees);
        w = turned.width;
        h = turned.height;
        // A quarter turn is read from the picture while it is encoded, unless it is dithered.
        if (s.rotateDegrees % 90 != 0 || s.dither != Dither::None) {
            peak = std::max(peak, held + pixelBytes(w, h));
            held = pixelBytes(w, h);
        }
    }
    // A colour map packs at most 8 bits a pixel; its words are made again row by row on each
    // pass, but a dithered map keeps a palette index for each pixel besides.
    const std::uint64_t encoded = encodedBytes(w, h, s.colourMap ? 8 : 16);
    const std::uint64_t dithered = s.dither != Dither::None ? w * h : 0;
    const std::uint64_t encoding = s.colourMap ? encoded + dithered : encoded;
    peak = std::max(peak, held + encoding);
    if (s.format == OutputFormat::Assembly && !outputsToDisk)
        peak = std::max(peak, encoded + encoded * kTextPerByte);
    return peak;
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
