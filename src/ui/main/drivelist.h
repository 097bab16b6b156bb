#pragma once

#include <QComboBox>

#include <functional>

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
    // Asked again each time the list opens, so that media put in since show up.
    void setVolumeSource(std::function<QStringList()> source);
    void showPopup() override;

    QString drive() const;
    // Selects `drive`, adding it when the list lacks it.
    void setDrive(const QString& drive);

signals:
    void driveChanged(const QString& drive);

private:
    std::function<QStringList()> m_volumeSource;
};

} // namespace glyphmill
