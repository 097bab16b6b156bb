#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace rastix {

class StagedFile;

// What committing a file does when its target exists by then.
enum class ExistingFile {
    Replace,
    Keep, // the commit fails, and the check and the move are one step
};

// Writes through a temporary file in the destination folder that is renamed over the target
// only once everything is on disk, so a failure never leaves a half-written or clobbered file.
class AtomicFileWriter {
public:
    virtual ~AtomicFileWriter() = default;
    // Opens the temporary file for path, to be filled piece by piece; null and a message when it
    // cannot be created. Safe to call from several threads.
    std::unique_ptr<StagedFile> stage(const std::string& path, std::string& error);

protected:
    // Seams for tests: a disk that fails part-way; a system without unnamed files; a program
    // stopped as it moves a file into place (within the staging section).
    virtual bool writeChunk(std::FILE* file, const std::uint8_t* data, std::size_t size);
    virtual bool tryUnnamedFiles() const { return true; }
    virtual void aboutToMove(const std::string& target) { (void)target; }

private:
    friend class StagedFile;
};

// A file being written under a temporary name beside its target. commit() renames it into
// place; a staged file destroyed without a successful commit removes its temporary file.
class StagedFile {
public:
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    const std::string& path() const { return m_path; }
    // Appends at the end; false once anything failed (later appends are ignored).
    bool append(const std::uint8_t* data, std::size_t size);
    // Puts everything on disk and closes the file, still under its temporary name (or none);
    // false and a message when anything failed since it was staged.
    bool finish(std::string& error);
    // Finishes the file and moves it into place.
    bool commit(ExistingFile existing, std::string& error);

private:
    friend class AtomicFileWriter;
    friend bool commitTogether(const std::vector<StagedFile*>& files, ExistingFile existing,
                               std::string& error);
    StagedFile(AtomicFileWriter& writer, std::string path, std::string temp, std::FILE* file);

    // commit() after finish(), within a staging section.
    bool moveIntoPlace(ExistingFile existing, std::string& error);

    AtomicFileWriter& m_writer;
    std::string m_path;
    std::string m_temp; // empty while the file has no name yet
    std::FILE* m_file;
    bool m_ok = true;
    int m_errno = 0;
    bool m_committed = false;
};

// Commits files that make one result (a map and its palette) all or none: nothing is moved into
// place before every file is complete on disk, and when a move fails, the files this call
// already moved are taken back: a new file is removed, a replaced one is put back (where the
// file system allows it a second name meanwhile; elsewhere the new one stays).
bool commitTogether(const std::vector<StagedFile*>& files, ExistingFile existing,
                    std::string& error);

} // namespace rastix
