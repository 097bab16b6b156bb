#pragma once

#include <string>
#include <vector>

namespace rastix {

// What Qt and the decoders under it (libpng, libjpeg, ...) say on this thread while one of these
// lives: taken off stderr, where it would make a second line about the picture, to be judged
// and folded into the one line that names the file.
class DecoderMessages {
public:
    // fileName: what Qt's TIFF reader calls "foo" in libtiff's messages is named so.
    explicit DecoderMessages(std::string fileName = {});
    ~DecoderMessages();
    DecoderMessages(const DecoderMessages&) = delete;
    DecoderMessages& operator=(const DecoderMessages&) = delete;

    // All that was said, folded into one text.
    std::string said() const;
    // What of it tells of a damaged picture, folded into one text; empty when nothing does.
    std::string damage() const;

    struct Heard {
        std::vector<std::string> messages; // through Qt's message handler
        std::string written;               // written straight to stderr (libpng's errors)
        std::string fileName;
    };

private:
    std::vector<std::string> lines() const;

    Heard m_heard;
    Heard* m_outer;
};

} // namespace rastix
