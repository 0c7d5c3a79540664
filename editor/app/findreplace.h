// Find and replace in the editor's active pane: the modeless dialogs "文字列の検索" and
// "文字列の置換", their histories and flags, and find next / previous (F3 / Shift+F3).
#pragma once

#include <editorcore/transdoc.h>

#include <QDialog>
#include <QObject>
#include <QPointer>

#include <string>

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;

namespace yv::trans {

class CMainFrame;
class FindReplace;

// Longest search or replacement text the dialogs take, in characters.
inline constexpr int kSearchTextLimit = 127;

class FindDialog final : public QDialog {
    Q_OBJECT
public:
    FindDialog(FindReplace& owner, QWidget* parent);

    QComboBox* searchText() const { return m_text; }
    QCheckBox* matchCase() const { return m_matchCase; }
    QRadioButton* up() const { return m_up; }
    QRadioButton* down() const { return m_down; }
    // "検索(&F)"
    void find();

private:
    FindReplace& m_owner;
    QComboBox* m_text;
    QCheckBox* m_matchCase;
    QRadioButton* m_up;
    QRadioButton* m_down;
    QPushButton* m_find;
};

class ReplaceDialog final : public QDialog {
    Q_OBJECT
public:
    ReplaceDialog(FindReplace& owner, QWidget* parent);

    QComboBox* searchText() const { return m_search; }
    QComboBox* replacementText() const { return m_replacement; }
    QCheckBox* matchCase() const { return m_matchCase; }
    // "次を検索(&F)", "置換(&R)", "すべて置換(&A)"
    void findNext();
    void replace();
    void replaceAll();

private:
    void saveHistories();

    FindReplace& m_owner;
    QComboBox* m_search;
    QComboBox* m_replacement;
    QCheckBox* m_matchCase;
};

class FindReplace final : public QObject {
    Q_OBJECT
public:
    explicit FindReplace(CMainFrame& frame);
    ~FindReplace() override;

    // The commands: an open dialog comes to the front instead of a second one.
    FindDialog* openFind();
    ReplaceDialog* openReplace();
    // F3 (down) and Shift+F3 (up) with the last search text and case flag.
    bool findAgain(bool up);
    bool hasSearchText() const { return !m_lastSearch.empty(); }
    void updateCommandStates();

    FindDialog* findDialog() const { return m_findDialog; }
    ReplaceDialog* replaceDialog() const { return m_replaceDialog; }

    // What the dialogs run on the active pane; each search becomes the last search.
    bool search(const QString& text, bool matchCase, bool up);
    void replace(const QString& text, const QString& replacement, bool matchCase);
    std::size_t replaceAll(const QString& text, const QString& replacement, bool matchCase);

private:
    editor::Side side() const;
    editor::EditPane& pane();
    bool paneEditable();
    void afterChange();

    CMainFrame& m_frame;
    QPointer<FindDialog> m_findDialog;
    QPointer<ReplaceDialog> m_replaceDialog;
    std::string m_lastSearch;  // CP932
    bool m_lastMatchCase = false;
};

} // namespace yv::trans
