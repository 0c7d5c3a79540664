// The editor's word tools: word choice (Ctrl+W), word registration (Ctrl+R), and find and
// replace; each connects the main window's actions and keeps its own dialogs.
#pragma once

#include <editorcore/wordchoice.h>

#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace yv::trans {

class CMainFrame;
class FindReplace;
class WordChoiceDialog;

class WordTools final : public QObject, private editor::RegistrationHost {
    Q_OBJECT
public:
    explicit WordTools(CMainFrame& frame);
    ~WordTools() override;

    // 訳語選択 on the active pane; true when a translation was put in.
    bool wordChoice();
    // 単語登録 on the source pane's selection; "訳語追加" passes its headword.
    editor::Registration registerSelection();
    editor::Registration registerHeadword(std::string_view cp932Word);

    FindReplace& findReplace() { return *m_findReplace; }
    void updateCommandStates();

    // The modal dialogs as the commands run them; tests put their own in. The direction
    // question answers 1 (EJ), 2 (JE) or 0 (cancelled).
    std::function<int(WordChoiceDialog&)> runWordChoiceDialog;
    std::function<int()> askDirection;

private:
    // RegistrationHost
    bool engineBusy() const override;
    int askDictionaryDirection() override;
    std::optional<std::string> userDictionary(int direction) override;
    bool openRegistration(int direction, std::string_view cp932Word, std::string_view dictionary) override;
    void registrationFailed() override;

    int runDirectionDialog();

    CMainFrame& m_frame;
    std::unique_ptr<FindReplace> m_findReplace;
};

} // namespace yv::trans
