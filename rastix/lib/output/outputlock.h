#pragma once

#include <filesystem>
#include <string>

namespace rastix {

// Keeps other rastix runs (and other threads) from committing the same output set at once, so
// that two runs writing one map and palette never leave the map of one beside the palette of
// the other. The lock is a hidden file beside the outputs (".NAME.rastix-lock"), held through the
// system (flock; on Windows a handle nobody may share), so it dies with a run that is killed. It
// is removed by whoever holds it when done, and by the system on Windows; only a run killed
// outright while it takes the lock can leave the empty file behind, which the next run uses.
class OutputLock {
public:
    // For the outputs of one picture: any of them names the set (NAME is its name without the
    // extension).
    explicit OutputLock(const std::string& outputPath);
    ~OutputLock() { unlock(); }
    OutputLock(const OutputLock&) = delete;
    OutputLock& operator=(const OutputLock&) = delete;

    // Waits while another holds the lock; false when it cannot be had at all (a folder where
    // the file cannot be made, a file system without locks): the commit goes ahead unlocked and
    // reports its own errors.
    bool lock() { return take(true); }
    // Does not wait: false while another holds it, too.
    bool tryLock() { return take(false); }
    void unlock();

    const std::filesystem::path& path() const { return m_path; }

private:
    bool take(bool wait);

    std::filesystem::path m_path;
#ifdef _WIN32
    void* m_handle = nullptr;
#else
    int m_fd = -1;
#endif
};

} // namespace rastix
