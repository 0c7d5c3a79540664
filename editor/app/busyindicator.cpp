// Drawing of the busy animation.
#include "busyindicator.h"

#include <QPainter>

namespace yv::trans {

namespace {

constexpr int kDots = 8;
constexpr int kFrameMs = 100;
constexpr int kSize = 16;

} // namespace

BusyIndicator::BusyIndicator(QWidget* parent) : QWidget(parent)
{
    setFixedSize(kSize, kSize);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % kDots;
        update();
    });
}

void BusyIndicator::start()
{
    m_timer.start(kFrameMs);
    update();
}

void BusyIndicator::stop()
{
    m_timer.stop();
    update();
}

QSize BusyIndicator::sizeHint() const { return {kSize, kSize}; }

void BusyIndicator::paintEvent(QPaintEvent*)
{
    if (!isRunning())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.translate(width() / 2.0, height() / 2.0);
    QColor dot = palette().color(QPalette::WindowText);
    for (int i = 0; i < kDots; ++i) {
        // The leading dot is the darkest; the others fade behind it.
        dot.setAlphaF(static_cast<float>((i - m_step + kDots) % kDots + 1) / kDots);
        painter.setBrush(dot);
        painter.drawEllipse(QPointF(0, -kSize / 3.0), 1.6, 1.6);
        painter.rotate(360.0 / kDots);
    }
}

} // namespace yv::trans
