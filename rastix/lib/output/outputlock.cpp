#include "output/outputlock.h"

#include "files/utf8path.h"
#include "output/hiddennames.h"
#include "output/stagingsection.h"

#include <cerrno>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace rastix {

namespace fs = std::filesystem;

OutputLock::OutputLock(const std::string& outputPath) {
    const fs::path folder = folderOf(outputPath);
    const std::string set = utf8Text(utf8Path(outputPath).stem());
    m_path = folder / utf8Path(hiddenName(set, ".rastix-lock", longestNameIn(folder)));
}

#ifdef _WIN32

bool OutputLock::take(bool wait) {
    if (m_handle)
        return true;
    // A file removed by its last holder may refuse to open for a moment, until it is gone.
    int refusals = 0;
    for (;;) {
        const HANDLE handle = CreateFileW(
            m_path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
            FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT,
            nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            m_handle = handle;
            // Nothing to remove on a stop: the system does when the handle goes.
            return true;
        }
        const DWORD code = GetLastError();
        const bool held =
            code == ERROR_SHARING_VIOLATION || (code == ERROR_ACCESS_DENIED && ++refusals < 500);
        if (!held || !wait)
            return false;
        Sleep(10);
    }
}

void OutputLock::unlock() {
    if (!m_handle)
        return;
    CloseHandle(static_cast<HANDLE>(m_handle));
    m_handle = nullptr;
}

#else

bool OutputLock::take(bool wait) {
    if (m_fd >= 0)
        return true;
    for (;;) {
        bool made = true;
        int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0 && errno == EEXIST) {
            made = false;
            fd = ::open(m_path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
            if (fd < 0 && errno == ENOENT)
                continue; // its holder removed it meanwhile
        }
        if (fd < 0)
            return false;
        int locked;
        do
            locked = ::flock(fd, wait ? LOCK_EX : LOCK_EX | LOCK_NB);
        while (locked != 0 && errno == EINTR);
        if (locked != 0) {
            const bool held = errno == EWOULDBLOCK;
            if (made && !held)
                ::unlink(m_path.c_str()); // no locks here: leave nothing
            ::close(fd);
            return false;
        }
        // A holder removes the file before it lets go, so the lock is held only if the name
        // still leads to the file that was locked; otherwise the next one is tried.
        struct stat lockedFile {};
        struct stat named {};
        if (::fstat(fd, &lockedFile) == 0 && ::lstat(m_path.c_str(), &named) == 0 &&
            lockedFile.st_dev == named.st_dev && lockedFile.st_ino == named.st_ino) {
            m_fd = fd;
            noteHeldLock(m_path);
            return true;
        }
        ::close(fd);
    }
}

void OutputLock::unlock() {
    if (m_fd < 0)
        return;
    dropHeldLock(m_path, true); // removed while still held, for the reason above
    ::close(m_fd);
    m_fd = -1;
}

#endif

} // namespace rastix
