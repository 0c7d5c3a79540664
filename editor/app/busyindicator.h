// The status bar's busy animation: a ring of dots that turns while a translation runs.
#pragma once

#include <QTimer>
#include <QWidget>

namespace yv::trans {

class BusyIndicator final : public QWidget {
public:
    explicit BusyIndicator(QWidget* parent = nullptr);

    void start();
    void stop();
    bool isRunning() const { return m_timer.isActive(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer m_timer;
    int m_step = 0;
};

} // namespace yv::trans
