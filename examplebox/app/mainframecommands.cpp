// The commands of the folder tree and the document list: folders, documents, opening.
#include "mainframe.h"

#include "folderviews.h"
#include "searchviews.h"

#include <Etc.h>
#include <HandOver.h>
#include <examplestore/messages.h>
#include <platform/codec.h>
#include <platform/messagebox.h>
#include <sampleview/boxrules.h>

#include <QAction>
#include <QCoreApplication>
#include <QFileDialog>
#include <QProcess>
#include <QProgressBar>
#include <QLabel>
#include <QTimer>

#include <cstdio>
#include <utility>

namespace yv::samplebox {

namespace es = examplestore;

namespace {

QString q(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

bool startDetached(const std::vector<std::string>& command)
{
    if (command.empty())
        return false;
    QStringList arguments;
    for (std::size_t i = 1; i < command.size(); ++i)
        arguments << QString::fromStdString(command[i]);
    return QProcess::startDetached(QString::fromStdString(command.front()), arguments);
}

} // namespace

void CMainFrame::updateCommands()
{
    const es::NodeId node = m_tree->currentNode();
    const bool hasNode = m_store->tree().isValid(node);
    command(Command::NewFolder)->setEnabled(hasNode);
    command(Command::RenameFolder)->setEnabled(hasNode);
    command(Command::DeleteFolder)->setEnabled(hasNode);
    command(Command::AddDocument)->setEnabled(hasNode);
    command(Command::OpenDocument)->setEnabled(!m_list->selectedRows().empty());
    command(Command::DeleteDocuments)->setEnabled(!m_list->selectedRows().empty());
    command(Command::StopSearch)->setEnabled(m_searching);
}

es::StoreProgress CMainFrame::storeProgress()
{
    es::StoreProgress progress;
    progress.status = [this](std::string_view text) {
        m_pane0->setText(q(text));
        m_progress->setVisible(!text.empty());
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    progress.percent = [this](int percent) { m_progress->setValue(percent); };
    return progress;
}

template <typename Write>
void CMainFrame::writingIndexes(Write&& write)
{
    releaseIndexes();
    m_writing = true;
    write();
    m_writing = false;
    if (std::exchange(m_searchAfterWrite, false))
        searchCommand();
}

void CMainFrame::reloadTree(es::NodeId select)
{
    m_tree->load(m_store->tree());
    if (select != es::kNoNode)
        m_tree->selectNode(select);
}

void CMainFrame::showFolder(es::NodeId node)
{
    if (!m_store->tree().isValid(node))
        return;
    m_shown = node;
    refreshList();
}

void CMainFrame::refreshList()
{
    m_list->load(m_store->tree().isValid(m_shown) ? m_store->list(m_shown) : std::vector<es::ListEntry>());
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CMainFrame::updateCommands,
            Qt::UniqueConnection);
    updateCommands();
}

void CMainFrame::newFolder()
{
    const es::NodeId parent = m_tree->currentNode();
    const es::NodeId created = m_commands->createFolder(parent);
    if (created == es::kNoNode)
        return;
    reloadTree(parent);
    if (QTreeWidgetItem* item = m_tree->itemOf(parent))
        item->setExpanded(true);
    m_tree->editName(created);
}

void CMainFrame::renameFolder()
{
    m_tree->editName(m_tree->currentNode());
}

void CMainFrame::renameNode(es::NodeId node, const QString& name)
{
    const bool renamed = !name.isEmpty() && m_commands->renameFolder(node, name.toStdString());
    // A refused or empty name puts the old one back.
    QTimer::singleShot(0, this, [this, node, renamed] {
        reloadTree(node);
        if (renamed)
            refreshList();
    });
}

void CMainFrame::renameListRow(int row, const QString& name)
{
    const auto& entries = m_list->entries();
    if (row < 0 || static_cast<std::size_t>(row) >= entries.size())
        return;
    const es::ListEntry entry = entries[static_cast<std::size_t>(row)];
    if (name.toStdString() != entry.name && !name.isEmpty())
        m_commands->renameEntry(entry, name.toStdString());
    QTimer::singleShot(0, this, [this] {
        reloadTree(m_shown);
        refreshList();
    });
}

void CMainFrame::deleteFolder()
{
    const es::NodeId parent = m_commands->deleteFolder(m_tree->currentNode());
    if (parent != es::kNoNode)
        reloadTree(parent);
}

void CMainFrame::dropFolder(es::NodeId folder, es::NodeId target)
{
    if (!m_commands->moveFolder(folder, target))
        return;
    const es::NodeId select = m_store->tree().isValid(folder) ? target : m_store->tree().node(target).parent;
    reloadTree(m_store->tree().isValid(select) ? select : target);
    if (QTreeWidgetItem* item = m_tree->itemOf(target))
        item->setExpanded(true);
}

void CMainFrame::dropListRows(const std::vector<int>& rows, es::NodeId target)
{
    std::vector<es::ListEntry> entries;
    for (const int row : rows) {
        if (row >= 0 && static_cast<std::size_t>(row) < m_list->entries().size())
            entries.push_back(m_list->entries()[static_cast<std::size_t>(row)]);
    }
    if (entries.empty())
        return;
    m_commands->dropEntries(entries, target);
    reloadTree(m_shown);
    refreshList();
}

void CMainFrame::addDocuments()
{
    if (chooseFiles) {
        addFiles(chooseFiles());
        return;
    }
    const QStringList files = QFileDialog::getOpenFileNames(this, q("ｻﾝﾌﾟﾙ文書ﾌｧｲﾙの追加"), QString(),
                                                            q("ﾃｷｽﾄﾌｧｲﾙ(*.txt)"));
    std::vector<std::filesystem::path> paths;
    for (const QString& file : files)
        paths.emplace_back(file.toStdString());
    addFiles(paths);
}

void CMainFrame::addFiles(const std::vector<std::filesystem::path>& files)
{
    if (files.empty())
        return;
    const es::NodeId folder = m_tree->currentNode();
    writingIndexes([&] {
        if (!m_commands->addFiles(folder, files, storeProgress()).empty())
            refreshList();
    });
}

void CMainFrame::deleteDocuments()
{
    const std::vector<es::ListEntry> entries = m_list->selectedEntries();
    if (entries.empty())
        return;
    writingIndexes([&] {
        if (m_commands->deleteEntries(m_shown, entries, storeProgress())) {
            reloadTree(m_shown);
            refreshList();
        }
    });
}

void CMainFrame::openSelected()
{
    const std::vector<int> rows = m_list->selectedRows();
    if (!rows.empty())
        openListRow(rows.front());
}

void CMainFrame::openListRow(int row)
{
    const auto& entries = m_list->entries();
    if (row < 0 || static_cast<std::size_t>(row) >= entries.size())
        return;
    const es::ListEntry entry = entries[static_cast<std::size_t>(row)];
    if (entry.isFolder)
        m_tree->selectNode(entry.node);
    else
        openDocument(entry.document);
}

void CMainFrame::openResultRow(int row)
{
    const auto& rows = m_results->rows();
    if (row < 0 || static_cast<std::size_t>(row) >= rows.size())
        return;
    const es::SampleRef ref = rows[static_cast<std::size_t>(row)].ref;
    char name[16];
    std::snprintf(name, sizeof name, "%08u.sam", static_cast<unsigned>(ref & 0xFFFF));
    openDocument(es::DocumentRef{static_cast<int>(ref >> 16), name});
}

void CMainFrame::openDocument(const es::DocumentRef& document)
{
    SoftSettings soft{};
    LoadEnvSoft(&soft);
    const std::string editor(soft.txtExe, strnlen(soft.txtExe, sizeof soft.txtExe));
    const std::vector<std::string> command = sampleview::openCommand(editor, m_store->documentPath(document));
    const bool started = startEditor ? startEditor(command) : startDetached(command);
    if (!started) {
        char text[512];
        std::snprintf(text, sizeof text, handover::kProgramMissing.data(), command.front().c_str());
        msgbox::show(m_windowHandle, msgbox::Ok | msgbox::IconExclamation, text);
    }
}

} // namespace yv::samplebox
