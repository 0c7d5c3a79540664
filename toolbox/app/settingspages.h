// The pages of the settings sheet. Their controls carry object names, by which the sheet's
// tests reach them as a user would.
#pragma once

#include "settingssheet.h"

#include <Etc.h>

#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QSlider;

namespace yv::toolbox {

class HotKeyEdit;

// "キー": the four hot keys ("translate", "dictionary", "cdrom", "example").
class KeysSettingsPage final : public SettingsPage {
public:
    explicit KeysSettingsPage(SheetServices& services);
    bool validate() override;
    void save() override;

private:
    KeySettings current() const;
    std::array<HotKeyEdit*, 4> m_keys{};
};

// "翻訳": the engines' options, the precision and the direction.
class TransSettingsPage final : public SettingsPage {
public:
    explicit TransSettingsPage(SheetServices& services);
    void save() override;
    // Checks the direction buttons from the stored direction.
    void followDirection();

private:
    // A group of radio buttons (ids from 1) whose change marks the engine of `engine` (or none).
    QButtonGroup* group(const char* name, const std::vector<const char*>& labels, std::string_view description,
                        int engine);
    QButtonGroup* m_subject = nullptr;
    QButtonGroup* m_imperative = nullptr;
    QButtonGroup* m_style = nullptr;
    QButtonGroup* m_you = nullptr;
    QButtonGroup* m_direction = nullptr;
    QSlider* m_precision = nullptr;
    bool m_ejChanged = false;
    bool m_jeChanged = false;
};

// "英日辞書" / "日英辞書": the user dictionary and up to five others of a direction.
class DictionarySettingsPage final : public SettingsPage {
public:
    DictionarySettingsPage(SheetServices& services, int direction);
    bool validate() override;
    void save() override;

private:
    void browseUserDictionary();
    void addDictionary();
    void removeDictionary();
    void moveDictionary(int by);
    void createUserDictionary();
    void startTool(std::string_view program);
    // A dictionary file chosen by the user, refused unless it ends in ".dic".
    std::optional<std::string> chooseDictionary(const QString& caption);

    int m_direction;
    const char* m_subkey;
    QLineEdit* m_user = nullptr;
    QListWidget* m_others = nullptr;
};

// "一括翻訳": the batch box's folder.
class BatchSettingsPage final : public SettingsPage {
public:
    explicit BatchSettingsPage(SheetServices& services);
    void save() override;

private:
    QLineEdit* m_folder = nullptr;
};

// "ソフト": the text editor, the Office versions and the cursor capture.
class SoftSettingsPage final : public SettingsPage {
public:
    explicit SoftSettingsPage(SheetServices& services);
    bool validate() override;
    void save() override;

private:
    void updateEnabled();
    // The check box and note of the hook's entry in the session start-up file, as it is now.
    void showSessionHook();
    void applySessionHook();
    QComboBox* m_editor = nullptr;
    QLineEdit* m_editorPath = nullptr;
    QPushButton* m_editorBrowse = nullptr;
    std::array<QCheckBox*, 3> m_officeAuto{};
    std::array<QComboBox*, 3> m_officeVersion{};
    QCheckBox* m_spyglass = nullptr;
    QSlider* m_delay = nullptr;
    QLabel* m_delayText = nullptr;
    QButtonGroup* m_mode = nullptr;
    QCheckBox* m_sessionHook = nullptr;
    QLabel* m_sessionNote = nullptr;
    bool m_sessionHookChanged = false;
};

// "音声": speech recognition and synthesis.
class VoiceSettingsPage final : public SettingsPage {
public:
    explicit VoiceSettingsPage(SheetServices& services);
    void save() override;

private:
    void updateEnabled();
    std::array<QCheckBox*, 4> m_checks{};
    bool m_speechAvailable = false;
};

} // namespace yv::toolbox
