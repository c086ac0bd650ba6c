#include "zelm2008/engine/Clock.h"

#include <algorithm>

namespace zelm {

SystemClock::SystemClock(QObject *parent) : QObject(parent) {
    m_elapsed.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &SystemClock::fire);
}

qint64 SystemClock::nowUs() const { return m_elapsed.nsecsElapsed() / 1000; }

void SystemClock::callAt(qint64 atUs, std::function<void()> fn) {
    m_fn = std::move(fn);
    m_dueUs = atUs;
    // Whole ms, rounded up: a precise timer never fires early, so the call-back is at most a
    // timer tick late and never ahead of its time.
    const qint64 waitUs = std::max<qint64>(0, atUs - nowUs());
    m_timer.start(int((waitUs + 999) / 1000));
}

void SystemClock::cancel() {
    m_timer.stop();
    m_fn = nullptr;
}

void SystemClock::fire() {
    // A timer that woke a little early (rounding of the platform) waits for the rest.
    const qint64 left = m_dueUs - nowUs();
    if (left > 0) {
        m_timer.start(int((left + 999) / 1000));
        return;
    }
    auto fn = std::move(m_fn);
    m_fn = nullptr;
    if (fn)
        fn();
}

void VirtualClock::callAt(qint64 atUs, std::function<void()> fn) {
    m_dueUs = std::max(atUs, m_nowUs);
    m_fn = std::move(fn);
}

void VirtualClock::advanceTo(qint64 atUs) {
    while (m_fn && m_dueUs <= atUs) {
        m_nowUs = m_dueUs;
        auto fn = std::move(m_fn);
        m_fn = nullptr;
        fn();
    }
    m_nowUs = std::max(m_nowUs, atUs);
}

int VirtualClock::runUntilIdle(int limit) {
    int ran = 0;
    while (m_fn && ran < limit) {
        m_nowUs = m_dueUs;
        auto fn = std::move(m_fn);
        m_fn = nullptr;
        fn();
        ++ran;
    }
    return ran;
}

} // namespace zelm
