#include "drivelist.h"

#include <QSignalBlocker>

namespace glyphmill {

DriveList::DriveList(QWidget* parent)
    : QComboBox(parent) {
    connect(this, &QComboBox::currentTextChanged, this, &DriveList::driveChanged);
}

void DriveList::setVolumes(const QStringList& volumes) {
    const QSignalBlocker quiet(this);
    const QString selected = currentText();
    clear();
    addItems(volumes);
    const int index = findText(selected);
    setCurrentIndex(index);
}

void DriveList::setVolumeSource(std::function<QStringList()> source) {
    m_volumeSource = std::move(source);
    if (m_volumeSource)
        setVolumes(m_volumeSource());
}

void DriveList::showPopup() {
    if (m_volumeSource) {
        QStringList volumes = m_volumeSource();
        // The drive in use stays listed even when its volume went away.
        if (!drive().isEmpty() && !volumes.contains(drive()))
            volumes.append(drive());
        setVolumes(volumes);
    }
    QComboBox::showPopup();
}

QString DriveList::drive() const {
    return currentText();
}

void DriveList::setDrive(const QString& drive) {
    int index = findText(drive);
    if (index < 0) {
        addItem(drive);
        index = count() - 1;
    }
    setCurrentIndex(index);
}

} // namespace glyphmill
