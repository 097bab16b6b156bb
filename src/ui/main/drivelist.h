#pragma once

#include <QComboBox>

namespace glyphmill {

// The drive list: the volumes of the machine, one of them selected. Choosing one, by hand or by
// setting `drive`, raises driveChanged.
class DriveList : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QString drive READ drive WRITE setDrive NOTIFY driveChanged)
public:
    explicit DriveList(QWidget* parent = nullptr);

    // Replaces the volumes offered, keeping the selection quiet.
    void setVolumes(const QStringList& volumes);

    QString drive() const;
    // Selects `drive`, adding it when the list lacks it.
    void setDrive(const QString& drive);

signals:
    void driveChanged(const QString& drive);
};

} // namespace glyphmill
