#pragma once

#include <QFile>
#include <QImageReader>

#include <string>

namespace rastix {

// Points reader at the picture file at path. Qt keeps file names as UTF-16 and gives them to
// Linux as UTF-8, so a name whose bytes are not UTF-8 cannot reach its file through Qt: such a
// file is opened here, into device, and the reader reads it open, telling its format by the
// content alone (by name, Qt tries the format the extension names first). device must outlive
// the reader's use of it.
void pointReaderAt(QImageReader& reader, QFile& device, const std::string& path);

} // namespace rastix
