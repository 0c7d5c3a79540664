// The folder tree CMyTreeView and the document list CMyListView: what they show, what can be
// dragged from them and dropped on them. The window decides what a drop does.
#pragma once

#include <examplestore/store.h>

#include <QMimeData>
#include <QTreeWidget>

#include <filesystem>
#include <memory>
#include <vector>

namespace yv::samplebox {

// Drags inside the box carry node ids (a tree folder) or list rows (list entries).
inline constexpr const char* kFolderMime = "application/x-yorvane5-sample-folder";
inline constexpr const char* kEntriesMime = "application/x-yorvane5-sample-entries";
// What a drag of a tree folder or of list rows carries.
std::unique_ptr<QMimeData> folderMime(examplestore::NodeId node);
std::unique_ptr<QMimeData> entriesMime(const std::vector<int>& rows);

class CMyTreeView final : public QTreeWidget {
    Q_OBJECT
public:
    explicit CMyTreeView(QWidget* parent = nullptr);

    // Fills the tree from the store's folders, keeping what was expanded.
    void load(const examplestore::FolderTree& tree);
    examplestore::NodeId currentNode() const;
    void selectNode(examplestore::NodeId node);
    QTreeWidgetItem* itemOf(examplestore::NodeId node) const;
    // Starts editing the name of the node in place.
    void editName(examplestore::NodeId node);
    bool editing() const { return state() == QAbstractItemView::EditingState; }

signals:
    void nodeSelected(examplestore::NodeId node);
    void renamed(examplestore::NodeId node, const QString& name);
    void folderDropped(examplestore::NodeId folder, examplestore::NodeId target);
    void entriesDropped(const std::vector<int>& rows, examplestore::NodeId target);
    void deletePressed();

protected:
    void startDrag(Qt::DropActions actions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_loading = false;
};

class CMyListView final : public QTreeWidget {
    Q_OBJECT
public:
    explicit CMyListView(QWidget* parent = nullptr);

    void load(const std::vector<examplestore::ListEntry>& entries);
    const std::vector<examplestore::ListEntry>& entries() const { return m_entries; }
    std::vector<int> selectedRows() const;
    std::vector<examplestore::ListEntry> selectedEntries() const;
    bool editing() const { return state() == QAbstractItemView::EditingState; }

signals:
    void opened(int row);
    void renamed(int row, const QString& name);
    void filesDropped(const std::vector<std::filesystem::path>& files);
    void deletePressed();

protected:
    void startDrag(Qt::DropActions actions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::vector<examplestore::ListEntry> m_entries;
    bool m_loading = false;
};

} // namespace yv::samplebox
