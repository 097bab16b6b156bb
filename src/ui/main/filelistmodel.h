#pragma once

#include <QAbstractListModel>
#include <QStringList>

namespace glyphmill {

// The names of one folder's files, as plain read-only rows. Leaner than one item object per
// entry, which matters in folders of many thousand files.
class FileListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void setNames(QStringList names);
    const QStringList& names() const { return m_names; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QStringList m_names;
};

} // namespace glyphmill
