// The progress of a file conversion that reports to the toolbox: a small always-on-top window
// "翻訳中..." with a bar and a stop button. It never takes the focus from the user's program.
#pragma once

#include <QWidget>

class QProgressBar;
class QPushButton;

namespace yv::toolbox {

class ConversionProgress final : public QWidget {
    Q_OBJECT
public:
    ConversionProgress();

    // A progress report (percent): shows the window, moves the bar, and closes the window once
    // the conversion is complete (100) or no job holds the engine any more.
    void report(long long percent);
    // The conversion has ended or was stopped.
    void finish();

    int value() const;
    QPushButton* stopButton() const { return m_stop; }

signals:
    // The user asked to stop, with the button or by closing the window.
    void stopRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    QProgressBar* m_bar = nullptr;
    QPushButton* m_stop = nullptr;
    int m_watch = 0;
};

} // namespace yv::toolbox
