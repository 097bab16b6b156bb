#pragma once

#include <QString>

namespace glyphmill {

// The file-attribute queries the windows make. Tests hand in a fake.
class FileAttributes {
public:
    virtual ~FileAttributes() = default;
    virtual bool isDirectory(const QString& path) const = 0;
    virtual bool exists(const QString& path) const = 0;
    virtual bool isExecutable(const QString& path) const = 0;
};

class SystemFileAttributes final : public FileAttributes {
public:
    bool isDirectory(const QString& path) const override;
    bool exists(const QString& path) const override;
    bool isExecutable(const QString& path) const override;
};

} // namespace glyphmill
