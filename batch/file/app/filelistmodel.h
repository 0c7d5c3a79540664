// The list view's model over the batch list: four columns, the state icon in the first.
#pragma once

#include <filebox/batchlist.h>

#include <QAbstractTableModel>
#include <QIcon>

#include <array>

namespace yv::filebox {

class FileListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit FileListModel(BatchList& list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The list changes through these, so that the view follows.
    std::optional<int> addPath(const std::string& path);
    void removeRowAt(int row);
    // After the run changed a row's state.
    void refresh(const std::string& path);

    BatchList& list() { return m_list; }

private:
    BatchList& m_list;
    std::array<QIcon, 3> m_icons;
};

} // namespace yv::filebox
