#pragma once
// A window timer as the forms use it: switched by Enabled, and switching on a timer that
// already runs leaves its count running instead of starting it again.

#include <QTimer>

#include <functional>

namespace kadrel {

class FormTimer {
public:
    FormTimer(int intervalMs, bool enabled, std::function<void()> handler);

    bool enabled() const { return m_timer.isActive(); }
    void setEnabled(bool on);
    int interval() const { return m_timer.interval(); }
    void setInterval(int ms) { m_timer.setInterval(ms); }
    // How many times a count began since the timer was made.
    int countsStarted() const { return m_countsStarted; }

private:
    QTimer m_timer;
    int m_countsStarted = 0;
};

}  // namespace kadrel
