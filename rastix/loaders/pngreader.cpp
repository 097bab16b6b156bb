#include "loaders/pngreader.h"

#include "files/pictureproblems.h"
#include "files/utf8path.h"

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <memory>

#ifdef RASTIX_HAVE_LIBPNG
#include <png.h>
#endif

namespace rastix {

namespace {

#ifdef RASTIX_HAVE_LIBPNG
// libpng reports errors by calling back and never returning; the session gives up at the
// setjmp in decode().
[[noreturn]] void giveUp(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

// A warning that means damage would make Qt's reader refuse the picture: give up on it too,
// and leave the verdict to that reader. Others (an odd colour profile) change no pixel.
void onWarning(png_structp png, png_const_charp message) {
    if (meansDamage(message))
        giveUp(png, message);
}

struct Session {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::FILE* file = nullptr;
    bool begun = false;
    ~Session() {
        if (png)
            png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        if (file)
            std::fclose(file);
    }
};

// Only what Qt's reader turns into 0xFFRRGGBB words without further ado: no transparency (which
// must be known before any row is encoded, see rowsink.h), no interlacing (whose rows come
// last), no 16-bit or packed samples (which Qt scales its own way).
bool streamable(png_structp png, png_infop info) {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int depth = 0;
    int type = 0;
    int interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &type, &interlace, nullptr, nullptr);
    return depth == 8 && (type == PNG_COLOR_TYPE_RGB || type == PNG_COLOR_TYPE_GRAY) &&
           interlace == PNG_INTERLACE_NONE && !png_get_valid(png, info, PNG_INFO_tRNS) &&
           width > 0 && height > 0 && width <= 0x7FFFFFFF && height <= 0x7FFFFFFF;
}

// Opens the file and sets libpng up to read it; false when either fails.
bool openSession(Session& s, const std::string& path) {
    s.file = openFile(path, "rb");
    if (!s.file)
        return false;
    s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, giveUp, onWarning);
    if (!s.png)
        return false;
    s.info = png_create_info_struct(s.png);
    return s.info != nullptr;
}

RowStreamResult decode(Session& s, RowSink& sink, int& width, int& height) {
    if (setjmp(png_jmpbuf(s.png))) {
        if (s.begun)
            sink.end(false);
        return s.begun ? RowStreamResult::Incomplete : RowStreamResult::NotTaken;
    }
    png_init_io(s.png, s.file);
    png_read_info(s.png, s.info);
    if (!streamable(s.png, s.info))
        return RowStreamResult::NotTaken;
    if (png_get_color_type(s.png, s.info) == PNG_COLOR_TYPE_GRAY)
        png_set_gray_to_rgb(s.png);
    // 0xAARRGGBB in native byte order.
    if (std::endian::native == std::endian::little) {
        png_set_bgr(s.png);
        png_set_filler(s.png, 0xFF, PNG_FILLER_AFTER);
    } else {
        png_set_filler(s.png, 0xFF, PNG_FILLER_BEFORE);
    }
    png_read_update_info(s.png, s.info);
    width = static_cast<int>(png_get_image_width(s.png, s.info));
    height = static_cast<int>(png_get_image_height(s.png, s.info));
    if (png_get_rowbytes(s.png, s.info) != static_cast<std::size_t>(width) * 4 ||
        !sink.begin(width, height))
        return RowStreamResult::NotTaken;
    s.begun = true;
    bool allRows = true;
    for (int top = 0; allRows && top < height; top += RowSink::kChunkRows) {
        const int count = std::min(RowSink::kChunkRows, height - top);
        std::uint32_t* rows = sink.rowsToFill(top, count);
        allRows = rows != nullptr;
        for (int i = 0; allRows && i < count; ++i)
            png_read_row(s.png, reinterpret_cast<png_bytep>(rows + std::ptrdiff_t(i) * width),
                         nullptr);
        if (allRows)
            sink.rowsFilled();
    }
    // The rest of the file up to its end chunk: a checksum that fails there, or a file cut
    // short, is damage Qt's reader reports, so the rows are only kept when it is whole.
    if (allRows)
        png_read_end(s.png, nullptr);
    s.begun = false;
    return sink.end(allRows) ? RowStreamResult::Complete : RowStreamResult::Incomplete;
}
#endif

} // namespace

bool pngStreamingAvailable() {
#ifdef RASTIX_HAVE_LIBPNG
    return true;
#else
    return false;
#endif
}

bool pngStreamable(const std::string& path) {
#ifdef RASTIX_HAVE_LIBPNG
    Session s;
    if (!openSession(s, path))
        return false;
    if (setjmp(png_jmpbuf(s.png)))
        return false;
    png_init_io(s.png, s.file);
    png_read_info(s.png, s.info);
    return streamable(s.png, s.info);
#else
    (void)path;
    return false;
#endif
}

RowStreamResult streamPng(const std::string& path, RowSink& sink, int& width, int& height) {
#ifdef RASTIX_HAVE_LIBPNG
    Session session;
    if (!openSession(session, path))
        return RowStreamResult::NotTaken;
    return decode(session, sink, width, height);
#else
    // Without libpng, pictures are left to Qt's reader.
    (void)path;
    (void)sink;
    (void)width;
    (void)height;
    return RowStreamResult::NotTaken;
#endif
}

} // namespace rastix
