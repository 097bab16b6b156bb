#pragma once

#include <QComboBox>

namespace glyphmill {

// The drive list: the volumes of the machine, one of them selected.
class DriveList : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QString drive READ drive WRITE setDrive NOTIFY driveChanged)
public:
    explicit DriveList(QWidget* parent = nullptr);

    QString drive() const;
    void setDrive(const QString& drive);

signals:
    void driveChanged(const QString& drive);
};

} // namespace glyphmill
