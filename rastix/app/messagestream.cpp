#include "messagestream.h"

#include <iostream>

#ifdef _WIN32
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <streambuf>
#endif

namespace rastix {

#ifdef _WIN32

namespace {

class FileBuffer final : public std::streambuf {
public:
    explicit FileBuffer(std::FILE* file)
        : m_file(file) {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        return std::fputc(c, m_file) == EOF ? traits_type::eof() : c;
    }
    std::streamsize xsputn(const char* data, std::streamsize size) override {
        return static_cast<std::streamsize>(
            std::fwrite(data, 1, static_cast<std::size_t>(size), m_file));
    }
    int sync() override { return std::fflush(m_file) == 0 ? 0 : -1; }

private:
    std::FILE* m_file;
};

std::ostream* makeStream() {
    std::fflush(stderr);
    const int original = _dup(_fileno(stderr));
    const int nul = _open("NUL", _O_WRONLY);
    std::FILE* ours = original >= 0 ? _fdopen(original, "w") : nullptr;
    if (!ours || nul < 0) // keep everything as it is rather than lose our own lines
        return &std::cerr;
    _dup2(nul, _fileno(stderr));
    _close(nul);
    static FileBuffer buffer(ours);
    static std::ostream stream(&buffer);
    return &stream;
}

} // namespace

std::ostream& messageStream() {
    static std::ostream* const stream = makeStream();
    return *stream;
}

#else

std::ostream& messageStream() {
    return std::cerr;
}

#endif

} // namespace rastix
