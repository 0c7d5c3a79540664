// The first-run dialog "初期ﾃﾞｰﾀ設定": the user names a data folder, and the user dictionaries
// and the example-sentence data are copied into it.
#pragma once

#include <QDialog>

#include <filesystem>
#include <functional>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace yv::toolbox {

class FirstRunDialog final : public QDialog {
    Q_OBJECT

public:
    // `documentsDir` stands for "ドキュメント" in the folder field (the desktop's documents
    // folder when empty).
    explicit FirstRunDialog(QWidget* parent = nullptr, std::filesystem::path documentsDir = {});

    // The OK button: checks the folder, copies the data and closes the dialog; false (and the
    // dialog stays) after a message.
    bool applyFolder();

    QLineEdit* folderEdit() const { return m_folder; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }
    QPushButton* browseButton() const { return m_browse; }
    QProgressBar* progressBar() const { return m_progress; }
    const std::filesystem::path& documentsDir() const { return m_documentsDir; }

    // Asks for a folder (a directory dialog); tests put their own answer here.
    std::function<QString(QWidget* parent, const QString& start)> chooseFolder;

    void reject() override;

private:
    void browse();
    void setBusy(bool busy);
    bool copySampleData(const std::filesystem::path& folder, std::filesystem::path* copied);

    std::filesystem::path m_documentsDir;
    QLineEdit* m_folder = nullptr;
    QPushButton* m_browse = nullptr;
    QLabel* m_wait = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    bool m_busy = false;
};

} // namespace yv::toolbox
