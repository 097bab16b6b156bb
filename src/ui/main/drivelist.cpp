#include "drivelist.h"

namespace glyphmill {

DriveList::DriveList(QWidget* parent)
    : QComboBox(parent) {
    connect(this, &QComboBox::currentTextChanged, this, &DriveList::driveChanged);
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
