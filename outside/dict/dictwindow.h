// The dictionary box: a word typed or handed over (+8) is looked up through the engine of its
// direction, and the entries are listed.
#pragma once

#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>

class CEngineLink;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace yv::dict {

class DictWindow final : public QWidget {
    Q_OBJECT

public:
    explicit DictWindow(QWidget* parent = nullptr);
    ~DictWindow() override;

    // Messages of other programs: +8 (a word to look up), +12 (come to the front), WM_CLOSE.
    std::int64_t handleMessage(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam);

    // Looks up the word in the input line; the entries arrive later from the engine.
    void lookUp();
    // True while a look-up has been sent and its entries have not come back.
    bool lookingUp() const { return m_pending > 0; }

    QLineEdit* wordEdit() const { return m_word; }
    QTreeWidget* entryList() const { return m_entries; }
    QString statusText() const;

private:
    static int onEntries(const char* result, void* context);
    void showEntries(const std::string& cp932Result);
    CEngineLink& linkFor(int direction);

    QLineEdit* m_word = nullptr;
    QPushButton* m_search = nullptr;
    QTreeWidget* m_entries = nullptr;
    QLabel* m_status = nullptr;
    std::unique_ptr<CEngineLink> m_linkEJ;
    std::unique_ptr<CEngineLink> m_linkJE;
    int m_pending = 0;
    bool m_inDicRead = false;
};

} // namespace yv::dict
