// The toolbox window: an always-on-top utility window that never takes the focus, with one
// row of buttons, a two-part status bar, the hot keys, the cursor-capture timer and the
// messages the other boxes send it.
#pragma once

#include "boxes.h"
#include "settingssheet.h"

#include <toolboxcore/toolboxtexts.h>

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QToolButton;

namespace yv::toolbox {

class ConversionProgress;
class GuiBridge;
class HotKeys;
class Spyglass;

// A second toolbox hands its command line to the first with this message (as WM_COPYDATA):
// wParam is the length of the encoded arguments in the text block.
inline constexpr std::uint32_t kPassCommandLine = 0x004A;

class CToolboxWnd final : public QWidget {
    Q_OBJECT
public:
    explicit CToolboxWnd(QWidget* parent = nullptr);
    ~CToolboxWnd() override;

    // Window messages from the bus (+3, +4, +11, +12, +13, WM_CLOSE, the command line).
    std::int64_t handleMessage(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam);

    // Registers the four hot keys from the stored codes; a key that cannot be registered is
    // reported and stored as 0.
    void registerHotKeys();
    void releaseHotKeys();
    // Starts the cursor-capture timer from the stored settings.
    void startSpyglass();

    // A button's command, or an action of a hot key (with the window in front).
    void runCommand(Command command);
    void runAction(ActionKind kind);
    // The command line: its first argument is a file whose text opens in the editor.
    void openCommandLine(const std::vector<std::string>& arguments);

    QString statusText(int part) const;
    ConversionProgress& conversionProgress() const { return *m_progress; }
    // The settings sheet while it is open.
    CMyPropSheet* settingsSheet() const { return m_sheet; }
    // Opens the settings sheet on `page` (the page shown last when out of range), or turns an
    // open sheet to it and brings it to the front.
    void showSettingsSheet(int page);
    QToolButton* button(Command command) const;
    // Capture workers still running.
    int runningActions() const;
    bool hotKeysAvailable() const;

    // Where the help pages are, and how one is shown (the desktop's browser by default).
    std::filesystem::path helpDirectory;
    std::function<bool(const std::filesystem::path&)> openHelpPage;

signals:
    // The toolbox has closed the suite; the program ends.
    void suiteClosed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildButtons();
    void place();
    void savePosition();
    void closeSuite();
    void showHelp(std::uint64_t topic);
    void settingsSheetClosed();
    void runBatchBox();
    void showStatus(Command command);
    void stopConversion();
    HotKeyCode hotKeyOf(Command command) const;

    std::shared_ptr<GuiBridge> m_bridge;
    std::unique_ptr<HotKeys> m_hotKeys;
    std::unique_ptr<Spyglass> m_spyglass;
    std::unique_ptr<ConversionProgress> m_progress;
    QPointer<CMyPropSheet> m_sheet;
    std::map<Command, QToolButton*> m_buttons;
    QLabel* m_statusDescription = nullptr;
    QLabel* m_statusKey = nullptr;
    bool m_closing = false;
};

} // namespace yv::toolbox
