#pragma once

#include <functional>
#include <string>
#include <vector>

namespace rastix {

// Why a picture file cannot be opened for reading ("No such file or directory", "Permission
// denied", "is a folder, not a picture", "is a pipe, not a picture file"); empty when it can.
// openError tries to open the file and gives errno on failure, 0 on success (a seam: the real
// one uses the file system); it is not called for what is not a file.
using OpenError = std::function<int(const std::string& path)>;
std::string pictureAccessProblem(const std::string& path, const OpenError& openError);
std::string pictureAccessProblem(const std::string& path);

// Whether something a decoder said while reading means that picture data is missing or corrupt
// (a file cut short, a bad checksum, a damaged stream), rather than a harmless remark.
bool meansDamage(const std::string& message);

// Whether a BMP or GIF file ends before the data its headers promise: Qt's readers fill in the
// missing rows of such a file without a word. Says how it falls short; empty when it does not
// (or for any other format, and for compressed BMP).
std::string truncatedPicture(const std::string& path, const std::string& format);

// Whether a PNG file declares a chunk longer than what is left of the file. libpng allocates
// what a chunk declares before it reads it (a file of 48 bytes can ask for 1.6 GB), so this is
// asked before any decoder sees the file. Says which chunk falls short; empty when none does,
// or when the file is no PNG.
std::string pngChunkPastTheEnd(const std::string& path);

// The decoders' own words, each once and in order, as one line for a message about the picture.
std::string foldMessages(const std::vector<std::string>& messages);

} // namespace rastix
