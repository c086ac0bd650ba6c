// Time for the keying player: a monotonic clock that calls back at a given time, on the UI
// thread's event loop for real, or on a virtual time line that tests and offline renders advance.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

namespace zelm {

/// A monotonic clock with one pending call-back. Times are µs on the clock's own scale.
class Clock {
public:
    virtual ~Clock() = default;
    virtual qint64 nowUs() const = 0;
    /// Calls `fn` once, at `atUs` or as soon as possible after it (at once if it has passed, but
    /// never from inside this call). Replaces a call-back still pending.
    virtual void callAt(qint64 atUs, std::function<void()> fn) = 0;
    /// Forgets the pending call-back, if any.
    virtual void cancel() = 0;
};

/// The real clock: QElapsedTimer for now, a single-shot QTimer with Qt::PreciseTimer on the
/// calling thread's event loop for the call-back (never a blocking sleep).
class SystemClock final : public QObject, public Clock {
    Q_OBJECT
public:
    explicit SystemClock(QObject *parent = nullptr);
    qint64 nowUs() const override;
    void callAt(qint64 atUs, std::function<void()> fn) override;
    void cancel() override;

private:
    void fire();
    QElapsedTimer m_elapsed;
    QTimer m_timer;
    qint64 m_dueUs = 0;
    std::function<void()> m_fn;
};

/// A virtual clock: time stands still until advanced; advancing runs every call-back that falls
/// due on the way, at its own time. A whole keying run completes instantly.
class VirtualClock final : public Clock {
public:
    qint64 nowUs() const override { return m_nowUs; }
    void callAt(qint64 atUs, std::function<void()> fn) override;
    void cancel() override { m_fn = nullptr; }

    bool hasPending() const { return bool(m_fn); }
    qint64 pendingAtUs() const { return m_dueUs; }
    /// Advances to `atUs`, running the call-backs due up to then (each at its own time).
    void advanceTo(qint64 atUs);
    /// Runs call-backs one after another, jumping the time to each, until none is pending or
    /// `limit` call-backs have run. Returns how many ran.
    int runUntilIdle(int limit = 100000000);

private:
    qint64 m_nowUs = 0;
    qint64 m_dueUs = 0;
    std::function<void()> m_fn;
};

} // namespace zelm
