// The settings sheet "環境設定": seven pages over the stored settings, modal to the toolbox.
// Each page loads its values, checks them and stores them when the sheet is applied; the line
// at the bottom of a page describes the control under the mouse.
#pragma once

#include <QDialog>
#include <QTimer>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QLabel;
class QPushButton;
class QTabWidget;
class QVBoxLayout;

namespace yv::toolbox {

// What the pages ask of the world outside the sheet: file dialogs, programs, the engines and
// the speech engine. The defaults are the real ones; tests put their own in.
struct SheetServices {
    std::function<QString(QWidget* parent, const QString& caption, const QString& filter)> openFile;
    std::function<QString(QWidget* parent, const QString& caption, const QString& filter)> saveFile;
    std::function<QString(QWidget* parent, const QString& caption, const QString& start)> chooseFolder;
    // A program from the toolbox's directory: false when it is not there.
    std::function<bool(std::string_view program)> startProgram;
    std::function<void(std::uint64_t topic)> showHelp;
    // A new user dictionary (path without extension) through the engine of a direction.
    std::function<bool(int direction, const std::string& path)> createDictionary;
    // Whether a speech voice can be made on this machine.
    std::function<bool()> speechAvailable;
    // The desktop's default text editor, as the user knows it (empty when none is set).
    std::function<QString()> defaultTextEditor;
    // The capture hook that the X session's start-up file is to preload.
    std::function<std::filesystem::path()> captureHook;

    static SheetServices real();
};

class SettingsPage : public QWidget {
    Q_OBJECT
public:
    explicit SettingsPage(SheetServices& services, QWidget* parent = nullptr);

    // Checks what would be stored: a refusal has shown its message and returns false.
    virtual bool validate() { return true; }
    // Stores the page's values (what changed).
    virtual void save() = 0;

    bool changed() const { return m_changed; }
    QString description() const;
    // Describes the control (and its children) under the mouse.
    void describeAt(QWidget* widgetUnderMouse);

protected:
    void markChanged() { m_changed = true; }
    void setSaved() { m_changed = false; }
    // The control's description, shown while the mouse is over it.
    static void describe(QWidget* control, std::string_view text);
    // Shows a message owned by the sheet.
    void tell(unsigned style, const std::string& text) const;

    SheetServices& m_services;
    QVBoxLayout* m_body = nullptr;

private:
    QLabel* m_descriptionLine = nullptr;
    bool m_changed = false;
};

class CMyPropSheet final : public QDialog {
    Q_OBJECT
public:
    enum Page { KeysPage, TransPage, EjDictionaryPage, JeDictionaryPage, BatchPage, SoftPage, VoicePage, PageCount };

    // Opens on `page`, or on the page shown last when it is out of range.
    explicit CMyPropSheet(int page, SheetServices services = SheetServices::real(), QWidget* parent = nullptr);

    void showPage(int page);
    int currentPage() const;
    SettingsPage* page(int index) const;
    QPushButton* applyButton() const { return m_apply; }

    // Checks every page, then stores every page; false (nothing stored) when a page refuses,
    // which is then shown.
    bool apply();
    // The direction changed elsewhere: the translation page follows.
    void directionChanged();
    // The description line of the current page, for the control under the mouse.
    void describeUnderMouse();

    // The page last shown, as stored.
    static int storedPage();

    // OK: applies, and closes unless a page refused.
    void accept() override;

private:
    SheetServices m_services;
    QTabWidget* m_tabs = nullptr;
    std::vector<SettingsPage*> m_pages;
    QPushButton* m_apply = nullptr;
    QTimer m_describeTimer;
};

} // namespace yv::toolbox
