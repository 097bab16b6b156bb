#pragma once

#include <QStringList>

namespace glyphmill {

// The volumes the drive list offers: drive letters ("c:") on Windows, the mount points of real
// file systems elsewhere. Tests hand in a fake.
class Volumes {
public:
    virtual ~Volumes() = default;
    // In the order the drive list shows them.
    virtual QStringList names() const = 0;
    // False when the volume cannot be browsed now (no medium, network share gone, no access).
    virtual bool isReadable(const QString& volume) const = 0;
};

class SystemVolumes final : public Volumes {
public:
    QStringList names() const override;
    bool isReadable(const QString& volume) const override;
};

} // namespace glyphmill
