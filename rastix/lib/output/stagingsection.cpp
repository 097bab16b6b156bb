#include "output/stagingsection.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>

namespace rastix {

namespace fs = std::filesystem;

namespace {

struct Staging {
    std::mutex section;
    std::set<fs::path> hiddenFiles; // under section
    std::mutex locks;
    std::set<fs::path> heldLocks; // under locks
    std::atomic<bool> stopped{false};
};

// Never destroyed: a signal may come while the program ends.
Staging& staging() {
    static Staging* const s = new Staging;
    return *s;
}

// Until the stop handler ends the process.
[[noreturn]] void waitForTheEnd() {
    for (;;)
        std::this_thread::sleep_for(std::chrono::hours(1));
}

} // namespace

StagingSection::StagingSection() {
    Staging& s = staging();
    if (s.stopped)
        waitForTheEnd();
    s.section.lock();
    if (s.stopped) { // came in just before the stop handler
        s.section.unlock();
        waitForTheEnd();
    }
}

StagingSection::~StagingSection() {
    Staging& s = staging();
    s.section.unlock();
    if (s.stopped)
        waitForTheEnd();
}

void noteHiddenFile(const fs::path& path) {
    staging().hiddenFiles.insert(path);
}

void forgetHiddenFile(const fs::path& path) {
    staging().hiddenFiles.erase(path);
}

void noteHeldLock(const fs::path& path) {
    Staging& s = staging();
    std::unique_lock guard(s.locks);
    if (s.stopped) { // too late for the stop handler to see it
        std::error_code ignored;
        fs::remove(path, ignored);
        guard.unlock();
        waitForTheEnd();
    }
    s.heldLocks.insert(path);
}

void dropHeldLock(const fs::path& path, bool removeFile) {
    Staging& s = staging();
    const std::lock_guard guard(s.locks);
    s.heldLocks.erase(path);
    std::error_code ignored;
    if (removeFile)
        fs::remove(path, ignored);
}

void stopStaging() {
    Staging& s = staging();
    s.stopped = true;
    s.section.lock(); // for good
    std::error_code ignored;
    for (const fs::path& path : s.hiddenFiles)
        fs::remove(path, ignored);
    s.hiddenFiles.clear();
    const std::lock_guard guard(s.locks);
    for (const fs::path& path : s.heldLocks)
        fs::remove(path, ignored);
    s.heldLocks.clear();
}

bool stagingStopped() {
    return staging().stopped;
}

} // namespace rastix
