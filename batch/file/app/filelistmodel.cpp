// The list view's model: rows of the batch list, icons drawn once.
#include "filelistmodel.h"

#include <QPainter>
#include <QPixmap>

namespace yv::filebox {

namespace {

constexpr const char* kHeaders[] = {"名前", "出力先", "状態", "パス"};

// The three state icons: a hollow circle (not translated), an orange arrow (being
// translated), a green check (translated).
QIcon stateIcon(Image image)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (image) {
    case Image::NotTranslated:
        p.setPen(QPen(QColor(0x70, 0x70, 0x70), 1.5));
        p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
        break;
    case Image::Translating:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xE0, 0x80, 0x10));
        p.drawPolygon(QPolygonF({QPointF(3, 2), QPointF(14, 8), QPointF(3, 14)}));
        break;
    case Image::Translated:
        p.setPen(QPen(QColor(0x20, 0x90, 0x30), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(2.5, 8.5), QPointF(6.5, 12.5), QPointF(13.5, 3.5)}));
        break;
    }
    return QIcon(pixmap);
}

} // namespace

FileListModel::FileListModel(BatchList& list, QObject* parent)
    : QAbstractTableModel(parent),
      m_list(list),
      m_icons{stateIcon(Image::NotTranslated), stateIcon(Image::Translating), stateIcon(Image::Translated)}
{
}

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_list.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 4;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= m_list.size())
        return {};
    const Row& row = m_list.row(static_cast<std::size_t>(index.row()));
    if (role == Qt::DecorationRole && index.column() == 0)
        return m_icons.at(static_cast<std::size_t>(row.image));
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case 0:
        return QString::fromStdString(row.name);
    case 1:
        return QString::fromStdString(row.output);
    case 2:
        return QString::fromStdString(row.state);
    default:
        return QString::fromStdString(row.path);
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 3)
        return {};
    return QString::fromUtf8(kHeaders[section]);
}

std::optional<int> FileListModel::addPath(const std::string& path)
{
    if (m_list.find(path))
        return std::nullopt;
    // The row's place is known once it is in: insert, then tell the view where.
    BatchList probe = m_list;
    const auto at = probe.add(path);
    if (!at)
        return std::nullopt;
    const int row = static_cast<int>(*at);
    beginInsertRows({}, row, row);
    m_list = std::move(probe);
    endInsertRows();
    return row;
}

void FileListModel::removeRowAt(int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= m_list.size())
        return;
    beginRemoveRows({}, row, row);
    m_list.remove(static_cast<std::size_t>(row));
    endRemoveRows();
}

void FileListModel::refresh(const std::string& path)
{
    if (const auto at = m_list.find(path)) {
        const int row = static_cast<int>(*at);
        emit dataChanged(index(row, 0), index(row, 3));
    }
}

} // namespace yv::filebox
