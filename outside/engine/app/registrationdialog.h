// The engine's own registration dialog: a headword, its translation and part of speech,
// written into a user dictionary.
#pragma once

#include <QDialog>

#include <filesystem>
#include <string>

class QComboBox;
class QLineEdit;

namespace yv::engineapp {

class RegistrationDialog final : public QDialog {
public:
    // `word` is CP932; `dictionary` the user dictionary's path without extension.
    RegistrationDialog(const std::string& word, std::filesystem::path dictionary, bool japaneseToEnglish);

private:
    void registerWord();

    std::filesystem::path m_dictionary;
    QLineEdit* m_headword;
    QLineEdit* m_translation;
    QComboBox* m_partOfSpeech;
};

} // namespace yv::engineapp
