// The search views: the key entry with its history, the result list CSearchListView and the
// result text CMyEditView, and the worker that searches beside the window.
#pragma once

#include <examplestore/searchsession.h>

#include <QComboBox>
#include <QObject>
#include <QPlainTextEdit>
#include <QTreeWidget>

#include <atomic>
#include <functional>
#include <memory>

namespace yv::samplebox {

// An editable combo box whose drop-down is filled from the key history as it opens.
class KeyEntry final : public QComboBox {
    Q_OBJECT
public:
    explicit KeyEntry(std::function<QStringList()> history, QWidget* parent = nullptr);
    void showPopup() override;

private:
    std::function<QStringList()> m_history;
};

class CSearchListView final : public QTreeWidget {
    Q_OBJECT
public:
    explicit CSearchListView(QWidget* parent = nullptr);
    void load(const std::vector<examplestore::ResultRow>& rows);
    const std::vector<examplestore::ResultRow>& rows() const { return m_rows; }

signals:
    void opened(int row);

private:
    std::vector<examplestore::ResultRow> m_rows;
};

class CMyEditView final : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CMyEditView(QWidget* parent = nullptr);
    // The result text (Shift_JIS, CR LF) as shown.
    void setResultText(const std::string& sjis);
    const std::string& resultText() const { return m_sjis; }
    void setWrapping(bool on);

private:
    std::string m_sjis;
};

// Runs searches on its own thread over a session that keeps both indexes open while the box
// lives. Only that thread touches the session.
class SearchWorker final : public QObject {
    Q_OBJECT
public:
    explicit SearchWorker(std::filesystem::path dataDir);
    ~SearchWorker() override;

    // Asks the running or the next queued search to stop at its next hit (any thread).
    void requestStop() { m_stop.store(true); }
    // Called before a search is queued: a stop asked for before it is forgotten.
    void clearStop() { m_stop.store(false); }

public slots:
    void search(const QString& key, bool markKey, const yv::examplestore::FolderNames& folders);
    // Lets go of the indexes, so that the box can write them.
    void release();
    int opens();

signals:
    void progress(int percent);
    void finished(const yv::examplestore::SearchResult& result, const QString& key);

private:
    examplestore::SearchSession m_session;
    std::atomic<bool> m_stop{false};
};

} // namespace yv::samplebox

Q_DECLARE_METATYPE(yv::examplestore::SearchResult)
