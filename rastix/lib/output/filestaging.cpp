#include "output/filestaging.h"

#include "files/utf8path.h"
#include "output/hiddennames.h"
#include "output/outputlock.h"
#include "output/stagingsection.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace rastix {

namespace fs = std::filesystem;

namespace {

// Renames from to to, unless to exists (file_exists), in one step: another program creating
// the file meanwhile must not lose it.
std::error_code moveUnlessTaken(const std::string& from, const std::string& to) {
#ifdef _WIN32
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken.
    if (MoveFileExW(utf8Path(from).c_str(), utf8Path(to).c_str(), MOVEFILE_WRITE_THROUGH))
        return {};
    const DWORD code = GetLastError();
    if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS)
        return std::make_error_code(std::errc::file_exists);
    return {static_cast<int>(code), std::system_category()};
#else
#ifdef __linux__
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return {};
    if (errno != EINVAL && errno != ENOSYS)
        return {errno, std::generic_category()};
#endif
    // A hard link is refused the same way when the name is taken.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return {};
    }
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP)
        return {errno, std::generic_category()};
    // A file system without hard links either (FAT): check, then move.
    std::error_code ec;
    if (fs::exists(to, ec))
        return std::make_error_code(std::errc::file_exists);
    fs::rename(from, to, ec);
    return ec;
#endif
}

#ifdef __linux__
// Gives a complete unnamed file its temporary name beside path; empty on failure (errno).
std::string linkUnnamed(std::FILE* file, const std::string& path) {
    const std::string self = "/proc/self/fd/" + std::to_string(::fileno(file));
    const StagingSection section;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temp = utf8Text(temporaryName(path));
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            noteHiddenFile(temp);
            return temp;
        }
        if (errno != EEXIST)
            break;
    }
    return {};
}
#endif

} // namespace

bool AtomicFileWriter::writeChunk(std::FILE* file, const std::uint8_t* data, std::size_t size) {
    return std::fwrite(data, 1, size, file) == size;
}

std::unique_ptr<StagedFile> AtomicFileWriter::stage(const std::string& path, std::string& error) {
    const fs::path dir = folderOf(path);
#ifdef __linux__
    // Unnamed until it is complete, so that nothing at all is left behind if the program is
    // stopped or killed meanwhile.
    if (tryUnnamedFiles() && ::access("/proc/self/fd", X_OK) == 0) {
        const int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd >= 0) {
            if (std::FILE* file = ::fdopen(fd, "wb"))
                return std::unique_ptr<StagedFile>(new StagedFile(*this, path, {}, file));
            ::close(fd);
        }
    }
#endif
    // Where the system or the file system has no unnamed files: a hidden temporary name.
    std::FILE* file = nullptr;
    fs::path temp;
    {
        // Made and noted in one step, so that a stopped run removes it.
        const StagingSection section;
        for (int attempt = 0; attempt < 100 && !file; ++attempt) {
            temp = temporaryName(path);
            // Never reuse or follow an existing name.
            file = createNewFile(temp);
            if (!file && errno != EEXIST)
                break;
        }
        if (file)
            noteHiddenFile(temp);
    }
    if (!file) {
        error =
            "cannot create a temporary file in '" + utf8Text(dir) + "': " + std::strerror(errno);
        return nullptr;
    }
    return std::unique_ptr<StagedFile>(new StagedFile(*this, path, utf8Text(temp), file));
}

StagedFile::StagedFile(AtomicFileWriter& writer, std::string path, std::string temp,
                       std::FILE* file)
    : m_writer(writer)
    , m_path(std::move(path))
    , m_temp(std::move(temp))
    , m_file(file) {}

StagedFile::~StagedFile() {
    if (m_file)
        std::fclose(m_file);
    if (!m_committed && !m_temp.empty()) {
        const StagingSection section;
        std::error_code ignored;
        fs::remove(utf8Path(m_temp), ignored);
        forgetHiddenFile(utf8Path(m_temp));
    }
}

bool StagedFile::append(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kChunk = 1 << 20;
    errno = 0;
    for (std::size_t at = 0; m_ok && at < size; at += kChunk) {
        m_ok = m_writer.writeChunk(m_file, data + at, std::min(kChunk, size - at));
        if (!m_ok)
            m_errno = errno;
    }
    return m_ok;
}

bool StagedFile::finish(std::string& error) {
    if (m_file) {
        if (m_ok && std::fflush(m_file) != 0) {
            m_ok = false;
            m_errno = errno;
        }
#ifdef __linux__
        if (m_ok && m_temp.empty()) {
            // Complete: named now, then moved into place like any temporary file.
            m_temp = linkUnnamed(m_file, m_path);
            if (m_temp.empty()) {
                m_ok = false;
                m_errno = errno;
            }
        }
#endif
        const bool closed = std::fclose(m_file) == 0;
        m_file = nullptr;
        if (m_ok && !closed) {
            m_ok = false;
            m_errno = errno;
        }
    }
    if (!m_ok) {
        error =
            "cannot write '" + m_path + "': " + (m_errno ? std::strerror(m_errno) : "write failed");
        return false;
    }
    return true;
}

bool StagedFile::commit(ExistingFile existing, std::string& error) {
    if (!finish(error))
        return false;
    const StagingSection section;
    return moveIntoPlace(existing, error);
}

bool StagedFile::moveIntoPlace(ExistingFile existing, std::string& error) {
    m_writer.aboutToMove(m_path);
    std::error_code ec;
    if (existing == ExistingFile::Replace)
        fs::rename(utf8Path(m_temp), utf8Path(m_path), ec);
    else
        ec = moveUnlessTaken(m_temp, m_path);
    if (ec == std::errc::file_exists) {
        error = "'" + m_path + "' exists already, not overwritten (use --overwrite)";
        return false;
    }
    if (ec) {
        error = "cannot write '" + m_path + "': " + ec.message();
        return false;
    }
    m_committed = true;
    forgetHiddenFile(utf8Path(m_temp));
    return true;
}

bool commitTogether(const std::vector<StagedFile*>& files, ExistingFile existing,
                    std::string& error) {
    // Everything that can run out of room happens before the first file is moved into place.
    for (StagedFile* file : files)
        if (!file->finish(error))
            return false;
    // Another run committing the same set meanwhile would leave a mix of the two.
    std::optional<OutputLock> setLock;
    if (files.size() > 1) {
        setLock.emplace(files.front()->path());
        setLock->lock();
    }
    // A signal now waits until every file is in place, or every move is taken back.
    const StagingSection section;
    struct Moved {
        const std::string* path;
        fs::path previous; // a second name for the file that was replaced, if any
        bool replacedOne;
    };
    std::vector<Moved> moved;
    const auto dropPrevious = [](const fs::path& previous) {
        std::error_code ignored;
        if (!previous.empty())
            fs::remove(previous, ignored);
    };
    for (StagedFile* file : files) {
        Moved m{&file->path(), {}, false};
        std::error_code ec;
        if (existing == ExistingFile::Replace && files.size() > 1 &&
            fs::exists(fs::symlink_status(utf8Path(file->path()), ec))) {
            // Kept under a hidden name until the others are in place too, to be put back if
            // one of them fails.
            m.replacedOne = true;
            m.previous = temporaryName(file->path());
            fs::create_hard_link(utf8Path(file->path()), m.previous, ec);
            if (ec)
                m.previous.clear();
        }
        if (!file->moveIntoPlace(existing, error)) {
            dropPrevious(m.previous);
            for (auto done = moved.rbegin(); done != moved.rend(); ++done) {
                std::error_code ignored;
                if (!done->previous.empty())
                    fs::rename(done->previous, utf8Path(*done->path), ignored);
                else if (!done->replacedOne) // ours alone; a file that was there stays
                    fs::remove(utf8Path(*done->path), ignored);
            }
            return false;
        }
        moved.push_back(std::move(m));
    }
    for (const Moved& m : moved)
        dropPrevious(m.previous);
    return true;
}

} // namespace rastix
