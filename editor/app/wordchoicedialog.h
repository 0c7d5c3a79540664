// The dialog "訳語選択": the unit's source text, its look-up through the dialog's own engine
// links, and the list of translations to choose from.
#pragma once

#include "enginelinks.h"

#include <enginelink/lookupresult.h>
#include <editorcore/wordchoice.h>

#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CEngineLink;
class QTreeWidget;

namespace yv::trans {

// Settings subkey of the list's column widths.
inline constexpr const char* kWordChoiceKey = "訳語選択";

class WordChoiceDialog final : public QDialog {
    Q_OBJECT
public:
    // `registerHeadword` runs "訳語追加" with the CP932 word cut from the first row.
    WordChoiceDialog(const editor::WordChoiceUnit& unit, std::function<void(const std::string&)> registerHeadword,
                     QWidget* parent);
    ~WordChoiceDialog() override;

    // Starts the look-up; the dialog does so itself once it is shown.
    void startLookUp();
    // The look-up has answered, or failed with its message.
    bool lookUpDone() const { return m_lookUpDone; }
    QTreeWidget* list() const { return m_list; }
    // CP932 text of the row chosen with "選択".
    const std::string& chosenTranslation() const { return m_chosen; }

    // What the look-up callback does with the engine's string: fills the list.
    void showEntries(std::string_view cp932);
    // "選択": closes with the first selected row, or asks for one.
    void choose();
    // "訳語追加"
    void addWord();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    static int lookUpCallback(const char* result, void* context);
    CEngineLink& link(int direction);

    editor::WordChoiceUnit m_unit;
    std::function<void(const std::string&)> m_registerHeadword;
    QTreeWidget* m_list;
    std::vector<enginelink::LookUpRow> m_rows;
    std::string m_chosen;
    EngineLinks m_links;
    bool m_lookUpStarted = false;
    bool m_lookUpDone = false;
};

} // namespace yv::trans
