#include "loaders/jpegreader.h"

#include "files/utf8path.h"

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>

#ifdef RASTIX_HAVE_LIBJPEG
#include <jpeglib.h>
#endif

namespace rastix {

namespace {

#ifdef JCS_EXTENSIONS
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

// libjpeg reports errors by calling back and never returning; the session gives up at the
// setjmp in decode(). Only libjpeg's own frames lie in between.
[[noreturn]] void giveUp(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void onMessage(j_common_ptr info, int level) {
    if (level < 0) // a warning: the data is damaged
        giveUp(info);
}

void quiet(j_common_ptr) {}

// Everything decode() changes after its setjmp lives here, outside its frame.
struct Session {
    jpeg_decompress_struct info;
    ErrorManager error;
    bool created = false;
    bool begun = false;
};

// Feeds libjpeg from the file in large blocks: its own file source reads 4 KB at a time, which
// measurably slows decoding, and reading the whole file first costs a copy and fresh memory.
struct BlockSource {
    static constexpr std::size_t kBlock = std::size_t{1} << 18;

    jpeg_source_mgr base;
    std::FILE* file = nullptr;
    std::unique_ptr<JOCTET[]> block;

    static BlockSource& of(j_decompress_ptr info) {
        return *reinterpret_cast<BlockSource*>(info->src);
    }
    static void start(j_decompress_ptr) {}
    static boolean fill(j_decompress_ptr info) {
        BlockSource& self = of(info);
        const std::size_t n = std::fread(self.block.get(), 1, kBlock, self.file);
        if (n == 0) // the file ends before the picture does
            giveUp(reinterpret_cast<j_common_ptr>(info));
        self.base.next_input_byte = self.block.get();
        self.base.bytes_in_buffer = n;
        return TRUE;
    }
    static void skip(j_decompress_ptr info, long count) {
        BlockSource& self = of(info);
        while (count > 0) {
            if (self.base.bytes_in_buffer == 0)
                fill(info);
            const auto step = std::min(static_cast<std::size_t>(count), self.base.bytes_in_buffer);
            self.base.next_input_byte += step;
            self.base.bytes_in_buffer -= step;
            count -= static_cast<long>(step);
        }
    }
    static void finish(j_decompress_ptr) {}

    // False when the file cannot be opened or there is no memory for the block.
    bool open(const std::string& path) {
        file = openFile(path, "rb");
        if (!file)
            return false;
        std::setvbuf(file, nullptr, _IONBF, 0); // blocks go straight into ours
        block.reset(new (std::nothrow) JOCTET[kBlock]);
        base.next_input_byte = nullptr;
        base.bytes_in_buffer = 0;
        base.init_source = start;
        base.fill_input_buffer = fill;
        base.skip_input_data = skip;
        base.resync_to_restart = jpeg_resync_to_restart;
        base.term_source = finish;
        return block != nullptr;
    }
    ~BlockSource() {
        if (file)
            std::fclose(file);
    }
};

// 0xAARRGGBB in native byte order.
constexpr J_COLOR_SPACE kPixelLayout =
    std::endian::native == std::endian::little ? JCS_EXT_BGRA : JCS_EXT_ARGB;

bool fillRows(Session& s, std::uint32_t* rows, int count, int width) {
    JSAMPROW pointers[RowSink::kChunkRows];
    for (int i = 0; i < count; ++i)
        pointers[i] = reinterpret_cast<JSAMPROW>(rows + std::ptrdiff_t(i) * width);
    for (int done = 0; done < count;) {
        const auto n = static_cast<int>(
            jpeg_read_scanlines(&s.info, pointers + done, static_cast<JDIMENSION>(count - done)));
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

RowStreamResult decode(Session& s, BlockSource& source, RowSink& sink, int& width, int& height) {
    s.info.err = jpeg_std_error(&s.error.base);
    s.error.base.error_exit = giveUp;
    s.error.base.emit_message = onMessage;
    s.error.base.output_message = quiet;
    if (setjmp(s.error.jump)) {
        if (s.begun)
            sink.end(false);
        if (s.created)
            jpeg_destroy_decompress(&s.info);
        return s.begun ? RowStreamResult::Incomplete : RowStreamResult::NotTaken;
    }
    jpeg_create_decompress(&s.info);
    s.created = true;
    s.info.src = &source.base;
    jpeg_read_header(&s.info, TRUE);
    const J_COLOR_SPACE space = s.info.jpeg_color_space;
    if (space != JCS_GRAYSCALE && space != JCS_YCbCr && space != JCS_RGB) {
        jpeg_destroy_decompress(&s.info); // CMYK and the like: left to Qt, which knows them
        return RowStreamResult::NotTaken;
    }
    s.info.out_color_space = kPixelLayout;
    jpeg_start_decompress(&s.info);
    width = static_cast<int>(s.info.output_width);
    height = static_cast<int>(s.info.output_height);
    if (s.info.output_components != 4 || !sink.begin(width, height)) {
        jpeg_destroy_decompress(&s.info);
        return RowStreamResult::NotTaken;
    }
    s.begun = true;
    bool allRows = true;
    while (allRows && static_cast<int>(s.info.output_scanline) < height) {
        const int top = static_cast<int>(s.info.output_scanline);
        const int count = std::min(RowSink::kChunkRows, height - top);
        std::uint32_t* rows = sink.rowsToFill(top, count);
        allRows = rows && fillRows(s, rows, count, width);
        if (allRows)
            sink.rowsFilled();
    }
    // Read on to the end marker, as Qt's reader does: bytes left over before it are all that
    // shows of data whose flipped bits still decoded, so the picture is only kept when libjpeg
    // finds nothing amiss up to there.
    if (allRows)
        jpeg_finish_decompress(&s.info);
    const bool taken = sink.end(allRows);
    s.begun = false;
    jpeg_destroy_decompress(&s.info);
    return taken ? RowStreamResult::Complete : RowStreamResult::Incomplete;
}
#endif

} // namespace

bool jpegStreamingAvailable() {
#ifdef JCS_EXTENSIONS
    return true;
#else
    return false;
#endif
}

RowStreamResult streamJpeg(const std::string& path, RowSink& sink, int& width, int& height) {
#ifdef JCS_EXTENSIONS
    BlockSource source;
    if (!source.open(path))
        return RowStreamResult::NotTaken;
    Session session;
    return decode(session, source, sink, width, height);
#else
    // Without libjpeg-turbo's 32-bit pixel layouts, pictures are left to Qt's reader.
    (void)path;
    (void)sink;
    (void)width;
    (void)height;
    return RowStreamResult::NotTaken;
#endif
}

} // namespace rastix
