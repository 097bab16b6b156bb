#include "encode/framestreaming.h"

#include "output/sourcetext.h"

namespace rastix {

namespace {

// Text is written in pieces of about this size (see writeSourceText).
constexpr std::size_t kPiece = std::size_t{1} << 20;

std::optional<EncodedPicture> failed(StagedFile& file, std::string& error) {
    if (file.finish(error))
        error = "cannot write '" + file.path() + "'";
    return std::nullopt;
}

bool append(StagedFile& file, const std::string& text) {
    return file.append(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

} // namespace

std::optional<EncodedPicture> encodeFramesToFile(FramesEncoder& frames, const Settings& s,
                                                 StagedFile& file,
                                                 const std::optional<FrameSourceNames>& source,
                                                 std::string& error) {
    if (!source) {
        std::optional<EncodedPicture> picture = frames.encode(
            [&](const std::uint8_t* bytes, std::size_t size) { return file.append(bytes, size); });
        return picture ? picture : failed(file, error);
    }
    std::optional<EncodedPicture> picture =
        frames.encode([](const std::uint8_t*, std::size_t) { return true; });
    const EncodedPicture& shape = *picture;
    if (!append(file, sourceHeader(shape, s, source->sourceName, source->label)))
        return failed(file, error);
    std::string text;
    const auto flush = [&] {
        const bool written = append(file, text);
        text.clear();
        return written;
    };
    const bool rows = frames.encodeStoredAgain([&](const std::uint8_t* bytes, std::size_t) {
        appendSourceRows(text, bytes, shape.height, shape, s);
        return text.size() < kPiece || flush();
    });
    if (!rows || !flush() || !append(file, sourceTrailer(shape, s, source->label)))
        return failed(file, error);
    return picture;
}

} // namespace rastix
