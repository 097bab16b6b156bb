#include "output.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>

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
    if (MoveFileExW(fs::path(from).c_str(), fs::path(to).c_str(), MOVEFILE_WRITE_THROUGH))
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

fs::path folderOf(const std::string& path) {
    const fs::path target(path);
    return target.has_parent_path() ? target.parent_path() : fs::path(".");
}

// A hidden name beside path, not in use when it was made up (callers create it exclusively).
fs::path temporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    return folderOf(path) /
           ("." + fs::path(path).filename().string() + ".rastix-" +
            std::to_string(stamp % 1000000007ULL) + "-" + std::to_string(counter++) + ".tmp");
}

#ifdef __linux__
// Gives a complete unnamed file its temporary name beside path; empty on failure (errno).
std::string linkUnnamed(std::FILE* file, const std::string& path) {
    const std::string self = "/proc/self/fd/" + std::to_string(::fileno(file));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temp = temporaryName(path).string();
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return temp;
        if (errno != EEXIST)
            break;
    }
    return {};
}
#endif

} // namespace

std::string baseName(const std::string& picturePath) {
    std::size_t start = picturePath.find_last_of("/\\");
    start = start == std::string::npos ? 0 : start + 1;
    std::string name = picturePath.substr(start);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

std::string labelFor(const std::string& base) {
    std::string label;
    for (const char c : base) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        label += ok ? c : '_';
    }
    if (label.empty() || (label[0] >= '0' && label[0] <= '9'))
        label.insert(label.begin(), '_');
    return label;
}

std::string joinPath(const std::string& dir, const std::string& name) {
    if (dir.empty())
        return name;
    const char last = dir.back();
    return (last == '/' || last == '\\') ? dir + name : dir + "/" + name;
}

std::string modelDescription(const Settings& s) {
    std::string text = s.model == ColourModel::Rgb16 ? "RGB16" : "CRY16";
    if (s.model == ColourModel::Cry16) {
        if (s.cryEncoding == CryEncoding::Glass) {
            text += " glass";
            if (s.grayOnly)
                text += " gray";
            text += s.kept == KeptDeltas::Positive   ? " positive"
                    : s.kept == KeptDeltas::Negative ? " negative"
                                                     : " both";
        } else {
            text += s.grayOnly ? " normal gray" : " normal";
        }
    }
    if (s.fifteenBits)
        text += ", 15 bits";
    return text;
}

namespace {

const char kHex[] = "0123456789ABCDEF";

void appendHexWord(std::string& out, unsigned w) {
    out += '$';
    out += kHex[(w >> 12) & 15];
    out += kHex[(w >> 8) & 15];
    out += kHex[(w >> 4) & 15];
    out += kHex[w & 15];
}

void appendHexByte(std::string& out, unsigned b) {
    out += '$';
    out += kHex[(b >> 4) & 15];
    out += kHex[b & 15];
}

int depthCode(int bits) {
    switch (bits) {
    case 1:
        return 0;
    case 2:
        return 1;
    case 4:
        return 2;
    case 8:
        return 3;
    default:
        return 4;
    }
}

} // namespace

std::string assemblySource(const EncodedPicture& p, const Settings& s,
                           const std::string& sourceName, const std::string& label) {
    std::string out;
    out.reserve(p.data.size() * 4 + 1024);
    const std::string mode =
        p.isColourMap()
            ? "colour map, " + std::to_string(p.palette.size()) + " colours" +
                  (p.transparentIndexZero ? " (index 0 transparent)" : "") +
                  (p.quantised ? ", reduced from " + std::to_string(p.sourceColours) : "")
            : "true colour";
    out += "; Generated by rastix from " + sourceName + "\n";
    out += "; size:          " + std::to_string(p.width) + " x " + std::to_string(p.height) +
           " pixels\n";
    out += "; model:         " + modelDescription(s) + "\n";
    out += "; mode:          " + mode + "\n";
    out += "; bits per pixel: " + std::to_string(p.bitsPerPixel) + "\n";
    out += "; padded width:  " + std::to_string(p.paddedWidth()) + " pixels (" +
           std::to_string(p.phrasesPerRow()) + " phrases), rows padded with transparent pixels\n";
    out += "\n";
    const auto equate = [&](const std::string& name, long long value, const std::string& note) {
        out += label + "_" + name + " = " + std::to_string(value) + "\t; " + note + "\n";
    };
    equate("width", p.width, "pixels");
    equate("height", p.height, "lines");
    equate("phrases", p.phrasesPerRow(), "phrases per line (DWIDTH, IWIDTH)");
    equate("depth", depthCode(p.bitsPerPixel), "object DEPTH field");
    equate("bpp", p.bitsPerPixel, "bits per pixel");
    if (p.isColourMap())
        equate("colours", static_cast<long long>(p.palette.size()), "palette entries");
    out += "\n\t.data\n\t.phrase\n";
    out += "\t.globl\t" + label + "\n";
    out += label + ":\n";

    if (!p.isColourMap()) {
        for (int y = 0; y < p.height; ++y) {
            const std::uint8_t* row = p.data.data() + static_cast<std::size_t>(y) * p.rowBytes;
            const int words = p.rowBytes / 2;
            for (int i = 0; i < words; ++i) {
                out += i % 8 == 0 ? "\tdc.w\t" : ",";
                appendHexWord(out, static_cast<unsigned>(row[2 * i] << 8 | row[2 * i + 1]));
                if (i % 8 == 7 || i == words - 1)
                    out += '\n';
            }
        }
        return out;
    }
    for (int y = 0; y < p.height; ++y) {
        const std::uint8_t* row = p.data.data() + static_cast<std::size_t>(y) * p.rowBytes;
        for (int i = 0; i < p.rowBytes; ++i) {
            out += i % 16 == 0 ? "\tdc.b\t" : ",";
            appendHexByte(out, row[i]);
            if (i % 16 == 15 || i == p.rowBytes - 1)
                out += '\n';
        }
    }
    out += "\n\t.phrase\n";
    out += "\t.globl\t" + label + "_clut\n";
    out += label + "_clut:\n";
    for (std::size_t i = 0; i < p.palette.size(); ++i) {
        out += i % 8 == 0 ? "\tdc.w\t" : ",";
        appendHexWord(out, p.palette[i]);
        if (i % 8 == 7 || i == p.palette.size() - 1)
            out += '\n';
    }
    return out;
}

std::string trueColourBinaryPath(const Settings& s, const std::string& picturePath) {
    return joinPath(s.targetDir,
                    baseName(picturePath) + (s.model == ColourModel::Rgb16 ? ".rgb" : ".cry"));
}

std::vector<OutputFile> outputsFor(EncodedPicture p, const Settings& s,
                                   const std::string& picturePath) {
    const std::string base = baseName(picturePath);
    std::vector<OutputFile> files;
    if (s.format == OutputFormat::Assembly) {
        std::string src = assemblySource(p, s, picturePath, labelFor(base));
        files.push_back(
            {joinPath(s.targetDir, base + ".s"), ByteBuffer(src.begin(), src.end()), nullptr});
        return files;
    }
    if (!p.isColourMap()) {
        files.push_back({trueColourBinaryPath(s, picturePath), std::move(p.data), nullptr});
        return files;
    }
    files.push_back({joinPath(s.targetDir, base + ".map"), std::move(p.data), nullptr});
    ByteBuffer clut;
    for (const std::uint16_t w : p.palette) {
        clut.push_back(static_cast<std::uint8_t>(w >> 8));
        clut.push_back(static_cast<std::uint8_t>(w));
    }
    files.push_back({joinPath(s.targetDir, base + ".clut"), std::move(clut), nullptr});
    return files;
}

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
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        temp = temporaryName(path);
        // "x": never reuse or follow an existing name.
        file = std::fopen(temp.string().c_str(), "wbx");
        if (!file && errno != EEXIST)
            break;
    }
    if (!file) {
        error = "cannot create a temporary file in '" + dir.string() + "': " + std::strerror(errno);
        return nullptr;
    }
    return std::unique_ptr<StagedFile>(new StagedFile(*this, path, temp.string(), file));
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
        std::error_code ignored;
        fs::remove(m_temp, ignored);
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

bool StagedFile::commit(ExistingFile existing, std::string& error) {
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
    if (!m_ok) {
        error =
            "cannot write '" + m_path + "': " + (m_errno ? std::strerror(m_errno) : "write failed");
        return false;
    }
    std::error_code ec;
    if (existing == ExistingFile::Replace)
        fs::rename(m_temp, m_path, ec);
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
    return true;
}

bool AtomicFileWriter::write(const std::string& path, const ByteBuffer& bytes,
                             ExistingFile existing, std::string& error) {
    const std::unique_ptr<StagedFile> file = stage(path, error);
    if (!file)
        return false;
    file->append(bytes.data(), bytes.size());
    return file->commit(existing, error);
}

} // namespace rastix
