#include "loaders/qtfile.h"

#include "files/utf8path.h"

namespace rastix {

void pointReaderAt(QImageReader& reader, QFile& device, const std::string& path) {
    const QString name = QString::fromStdString(path);
    if (name.toStdString() == path) {
        reader.setFileName(name);
        return;
    }
    // A file that cannot be opened now (it went since it was checked) leaves the device closed,
    // and the reader says so.
    if (std::FILE* file = openFile(path, "rb"))
        if (!device.open(file, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
            std::fclose(file);
    reader.setDevice(&device);
}

} // namespace rastix
