#pragma once

#include <filesystem>

namespace rastix {

// Every hidden file this run makes, moves into place or removes is handled within a staging
// section, and a stopped run (see stopsignals.h) waits for the section in progress, then takes
// the sections for good and removes the hidden files that are left: so a signal between the two
// moves of a pair, or while a named temporary file is written, leaves neither half a pair nor a
// hidden file. Sections of one process follow one another.
class StagingSection {
public:
    // Waits for the section in progress; never returns once the run is being stopped.
    StagingSection();
    // A thread leaving its section while the run is stopped goes no further: the run ends
    // with the signal, not with what the thread would do next.
    ~StagingSection();
    StagingSection(const StagingSection&) = delete;
    StagingSection& operator=(const StagingSection&) = delete;
};

// Within a section: a hidden file this run has made, and one it has moved away or removed.
void noteHiddenFile(const std::filesystem::path& path);
void forgetHiddenFile(const std::filesystem::path& path);

// The lock file of an output set while this run holds it, removed too when the run is stopped
// (holding the lock, this run alone may remove it). Outside sections: the lock is taken before.
void noteHeldLock(const std::filesystem::path& path);
// Forgets the held lock and removes its file, still held (or only forgets it where removing is
// left to the system).
void dropHeldLock(const std::filesystem::path& path, bool removeFile);

// For the stop handler: waits for the section in progress, then removes every hidden file and
// held lock this run noted and keeps every thread out of sections from now on.
void stopStaging();
bool stagingStopped();

} // namespace rastix
