// The folder tree and the document list.
#include "folderviews.h"

#include <QDataStream>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QSet>
#include <QStyle>
#include <QUrl>

namespace yv::samplebox {

namespace es = examplestore;

namespace {

constexpr int kNodeRole = Qt::UserRole;

QByteArray encodeInts(const std::vector<int>& values)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << static_cast<qint32>(values.size());
    for (const int v : values)
        out << static_cast<qint32>(v);
    return bytes;
}

std::vector<int> decodeInts(const QByteArray& bytes)
{
    QDataStream in(bytes);
    qint32 count = 0;
    in >> count;
    std::vector<int> values;
    for (qint32 i = 0; i < count && in.status() == QDataStream::Ok && !in.atEnd(); ++i) {
        qint32 v = 0;
        in >> v;
        values.push_back(v);
    }
    return values;
}

// Files dropped from the desktop: local files only.
std::vector<std::filesystem::path> localFiles(const QMimeData* mime)
{
    std::vector<std::filesystem::path> files;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile())
            files.emplace_back(url.toLocalFile().toStdString());
    }
    return files;
}

} // namespace

std::unique_ptr<QMimeData> folderMime(es::NodeId node)
{
    auto mime = std::make_unique<QMimeData>();
    mime->setData(QString::fromLatin1(kFolderMime), encodeInts({node}));
    return mime;
}

std::unique_ptr<QMimeData> entriesMime(const std::vector<int>& rows)
{
    auto mime = std::make_unique<QMimeData>();
    mime->setData(QString::fromLatin1(kEntriesMime), encodeInts(rows));
    return mime;
}

CMyTreeView::CMyTreeView(QWidget* parent)
    : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (!m_loading && item)
            emit nodeSelected(item->data(0, kNodeRole).toInt());
    });
    connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) {
        if (!m_loading)
            emit renamed(item->data(0, kNodeRole).toInt(), item->text(0));
    });
}

void CMyTreeView::load(const es::FolderTree& tree)
{
    m_loading = true;
    QSet<int> expanded;
    for (QTreeWidgetItemIterator it(this); *it; ++it) {
        if ((*it)->isExpanded())
            expanded.insert((*it)->data(0, kNodeRole).toInt());
    }
    clear();
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon binIcon = style()->standardIcon(QStyle::SP_TrashIcon);
    std::vector<std::pair<es::NodeId, QTreeWidgetItem*>> pending;
    for (const es::NodeId top : tree.topNodes())
        pending.emplace_back(top, nullptr);
    for (std::size_t i = 0; i < pending.size(); ++i) {
        const auto [id, parent] = pending[i];
        const es::FolderNode& node = tree.node(id);
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
        item->setText(0, QString::fromStdString(node.name));
        item->setData(0, kNodeRole, id);
        item->setIcon(0, tree.isRecycleBin(id) ? binIcon : folderIcon);
        item->setFlags(item->flags() | Qt::ItemIsEditable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled);
        item->setExpanded(expanded.contains(id));
        for (const es::NodeId child : tree.children(id))
            pending.emplace_back(child, item);
    }
    m_loading = false;
}

es::NodeId CMyTreeView::currentNode() const
{
    const QTreeWidgetItem* item = currentItem();
    return item ? item->data(0, kNodeRole).toInt() : es::kNoNode;
}

QTreeWidgetItem* CMyTreeView::itemOf(es::NodeId node) const
{
    for (QTreeWidgetItemIterator it(const_cast<CMyTreeView*>(this)); *it; ++it) {
        if ((*it)->data(0, kNodeRole).toInt() == node)
            return *it;
    }
    return nullptr;
}

void CMyTreeView::selectNode(es::NodeId node)
{
    QTreeWidgetItem* item = itemOf(node);
    if (!item)
        return;
    for (QTreeWidgetItem* p = item->parent(); p; p = p->parent())
        p->setExpanded(true);
    if (currentItem() == item)
        emit nodeSelected(node);
    else
        setCurrentItem(item);
    scrollToItem(item);
}

void CMyTreeView::editName(es::NodeId node)
{
    if (QTreeWidgetItem* item = itemOf(node)) {
        scrollToItem(item);
        editItem(item, 0);
    }
}

void CMyTreeView::startDrag(Qt::DropActions)
{
    const es::NodeId node = currentNode();
    if (node == es::kNoNode)
        return;
    QDrag drag(this);
    drag.setMimeData(folderMime(node).release());  // the drag owns it
    drag.exec(Qt::MoveAction);
}

void CMyTreeView::dragEnterEvent(QDragEnterEvent* event)
{
    const QMimeData* mime = event->mimeData();
    if (mime->hasFormat(QString::fromLatin1(kFolderMime)) || mime->hasFormat(QString::fromLatin1(kEntriesMime)))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CMyTreeView::dragMoveEvent(QDragMoveEvent* event)
{
    if (itemAt(event->position().toPoint()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CMyTreeView::dropEvent(QDropEvent* event)
{
    QTreeWidgetItem* target = itemAt(event->position().toPoint());
    const QMimeData* mime = event->mimeData();
    if (!target) {
        event->ignore();
        return;
    }
    const es::NodeId targetNode = target->data(0, kNodeRole).toInt();
    event->setDropAction(Qt::MoveAction);
    event->accept();
    // The drop is answered before the questions and refusals it may bring.
    if (mime->hasFormat(QString::fromLatin1(kFolderMime))) {
        const std::vector<int> nodes = decodeInts(mime->data(QString::fromLatin1(kFolderMime)));
        if (!nodes.empty())
            emit folderDropped(nodes.front(), targetNode);
    } else if (mime->hasFormat(QString::fromLatin1(kEntriesMime))) {
        emit entriesDropped(decodeInts(mime->data(QString::fromLatin1(kEntriesMime))), targetNode);
    }
}

void CMyTreeView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && state() != QAbstractItemView::EditingState) {
        emit deletePressed();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

CMyListView::CMyListView(QWidget* parent)
    : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setColumnCount(1);
    setHeaderLabels({QString::fromUtf8("名前")});
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    setIconSize(QSize(16, 16));
    connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        emit opened(indexOfTopLevelItem(item));
    });
    connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) {
        if (!m_loading)
            emit renamed(indexOfTopLevelItem(item), item->text(0));
    });
}

void CMyListView::load(const std::vector<es::ListEntry>& entries)
{
    m_loading = true;
    m_entries = entries;
    clear();
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon documentIcon = style()->standardIcon(QStyle::SP_FileIcon);
    for (const es::ListEntry& entry : m_entries) {
        auto* item = new QTreeWidgetItem(this);
        item->setText(0, QString::fromStdString(entry.name));
        item->setIcon(0, entry.isFolder ? folderIcon : documentIcon);
        item->setFlags(item->flags() | Qt::ItemIsEditable | Qt::ItemIsDragEnabled);
    }
    m_loading = false;
}

std::vector<int> CMyListView::selectedRows() const
{
    std::vector<int> rows;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (topLevelItem(i)->isSelected())
            rows.push_back(i);
    }
    return rows;
}

std::vector<es::ListEntry> CMyListView::selectedEntries() const
{
    std::vector<es::ListEntry> selected;
    for (const int row : selectedRows())
        selected.push_back(m_entries.at(static_cast<std::size_t>(row)));
    return selected;
}

void CMyListView::startDrag(Qt::DropActions)
{
    const std::vector<int> rows = selectedRows();
    if (rows.empty())
        return;
    QDrag drag(this);
    drag.setMimeData(entriesMime(rows).release());  // the drag owns it
    drag.exec(Qt::MoveAction);
}

void CMyListView::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void CMyListView::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void CMyListView::dropEvent(QDropEvent* event)
{
    const std::vector<std::filesystem::path> files = localFiles(event->mimeData());
    if (files.empty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit filesDropped(files);
}

void CMyListView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && state() != QAbstractItemView::EditingState) {
        emit deletePressed();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

} // namespace yv::samplebox
