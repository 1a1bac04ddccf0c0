#pragma once
// How long the event loop was held up at worst: a timer due every period
// notes the longest gap between two of its ticks. A window that waits on
// anything shows here, whatever it was doing.

#include <QTimer>
#include <algorithm>
#include <chrono>

namespace varnelo::test {

class StallProbe {
public:
    using Clock = std::chrono::steady_clock;

    explicit StallProbe(std::chrono::milliseconds period) {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const auto now = Clock::now();
            m_worst = std::max(m_worst, now - m_last);
            m_last = now;
        });
        m_timer.start(period);
    }
    Clock::duration worst() const { return m_worst; }
    double worstMs() const { return std::chrono::duration<double, std::milli>(m_worst).count(); }

private:
    QTimer m_timer;
    Clock::time_point m_last = Clock::now();
    Clock::duration m_worst{};
};

}  // namespace varnelo::test
