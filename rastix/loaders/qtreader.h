#pragma once

#include "convert/loadedpicture.h"
#include "loaders/decodermessages.h"

#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QSize>
#include <QString>

#include <cstdint>
#include <string>

namespace rastix {

// Qt's readers refuse any picture above 128 MB unless told otherwise; rastix weighs each
// picture against the memory it has itself (see LoadedPicture::admit), so Qt's limit only
// guards readers that cannot tell a picture's size before decoding it. Not thread-safe: call
// before converting.
void allowDecodingUpTo(std::uint64_t bytes);

// The size a reader will decode, from the header: Qt's GIF reader tells the first frame's size
// but decodes the whole logical screen.
QSize headerSize(QImageReader& reader);

// Asks the caller (LoadedPicture::admit) whether the picture may be loaded, before anything
// large is allocated, given the size and the pixel format it is decoded in (streamed: into the
// row sink instead). Given the file's path and format, a size that file could not hold is
// refused first, and what the JPEG decoder holds besides is counted. A reader that cannot tell
// the size from the header is left to Qt's allocation limit.
bool admitted(const LoadedPicture& picture, const QSize& size, QImage::Format format, bool streamed,
              std::string& error, const std::string& path = {}, const QByteArray& fileFormat = {});

// Decodes a picture whole with Qt's image readers into 32-bit ARGB, without a copy when the
// decoder already produces that layout. What the decoders said while heard was listening judges
// whether the picture is damaged.
bool decodeWithQt(const std::string& path, LoadedPicture& picture, const DecoderMessages& heard,
                  std::string& error);

} // namespace rastix
