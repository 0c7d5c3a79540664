// The add-in's dialogs: the progress dialog of a request and the finished note.
#pragma once

#include "mytrans.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QProgressBar;

namespace yv::addin {

// "翻訳中...": a progress bar and "中止", on top of every window and owned by none. Closing it
// counts as "中止".
class ProgressDialog final : public QDialog {
    Q_OBJECT
public:
    ProgressDialog();
    void setPercent(int percent);
    bool cancelRequested() const { return m_cancelRequested; }

protected:
    void reject() override;

private:
    QProgressBar* m_bar;
    bool m_cancelRequested = false;
};

// "翻訳が終了しました。…" with the box "今後、このメッセージを表示しない。" and OK.
class FinishedNote final : public QDialog {
    Q_OBJECT
public:
    FinishedNote();
    bool dontShowAgain() const;

private:
    QCheckBox* m_box;
};

// The request view of the program: the two dialogs above.
class DialogRequestView final : public RequestView {
public:
    DialogRequestView();
    ~DialogRequestView() override;
    void showProgress() override;
    void setProgress(int percent) override;
    bool cancelRequested() const override;
    void closeProgress() override;
    bool showFinishedNote() override;

private:
    std::unique_ptr<ProgressDialog> m_progress;
};

} // namespace yv::addin
