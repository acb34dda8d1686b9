#include "transport/FormTimer.h"

namespace kadrel {

FormTimer::FormTimer(int intervalMs, bool enabled, std::function<void()> handler)
{
    m_timer.setInterval(intervalMs);
    QObject::connect(&m_timer, &QTimer::timeout, std::move(handler));
    setEnabled(enabled);
}

void FormTimer::setEnabled(bool on)
{
    if (on == m_timer.isActive())
        return;
    if (on) {
        m_timer.start();
        ++m_countsStarted;
    } else {
        m_timer.stop();
    }
}

}  // namespace kadrel
