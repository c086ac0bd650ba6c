#include "zelm2008/engine/KeyingPlayer.h"

#include "zelm2008/engine/Trainer.h"

namespace zelm {

KeyingPlayer::KeyingPlayer(Trainer &trainer, ToneOutput &output, Clock &clock, QObject *parent)
    : QObject(parent), m_trainer(trainer), m_output(output), m_clock(clock) {}

KeyingPlayer::~KeyingPlayer() {
    if (m_running) {
        m_clock.cancel();
        m_output.stopNow();
    }
}

bool KeyingPlayer::KeyText() {
    if (m_running)
        return false;
    m_count = m_trainer.prepareKeyText();
    m_run = std::make_unique<KeyingRun>(m_count.B);
    m_pending.clear();
    m_running = true;
    m_originUs = m_clock.nowUs();
    m_output.beginRun();
    emit started();
    // The first check point is now; it runs from the event loop like every later one, so the
    // window finishes its click handler first.
    m_clock.callAt(m_originUs, [this] { onPoint(); });
    return true;
}

void KeyingPlayer::requestStop() { m_trainer.StopRequested = true; }

void KeyingPlayer::onPoint() {
    if (m_trainer.StopRequested) {
        finish(true, m_run->timeMs());
        return;
    }
    m_pending = m_run->advance(m_trainer.keyingView());
    runDue();
}

void KeyingPlayer::runDue() {
    // Carry out the actions whose time has come; wait for the next one.
    while (!m_pending.isEmpty()) {
        const KeyAction a = m_pending.front();
        const qint64 dueUs = m_originUs + a.atMs * 1000;
        if (dueUs > m_clock.nowUs()) {
            scheduleNext();
            return;
        }
        m_pending.removeFirst();
        switch (a.kind) {
        case KeyAction::Kind::ToneOn:
            m_output.ToneOn(m_trainer.toneImage, a.atMs);
            break;
        case KeyAction::Kind::ToneOff:
            m_output.ToneOff(a.atMs);
            break;
        case KeyAction::Kind::Point:
            // Back through the event loop, so pending window events run before the check.
            m_clock.callAt(dueUs, [this] { onPoint(); });
            return;
        case KeyAction::Kind::End:
            finish(false, a.atMs);
            return;
        }
    }
}

void KeyingPlayer::scheduleNext() {
    const qint64 dueUs = m_originUs + m_pending.front().atMs * 1000;
    m_clock.callAt(dueUs, [this] {
        if (m_pending.front().kind == KeyAction::Kind::Point) {
            m_pending.removeFirst();
            onPoint();
        } else {
            runDue();
        }
    });
}

void KeyingPlayer::finish(bool stopped, qint64 atMs) {
    m_pending.clear();
    m_running = false;
    m_output.endRun(atMs);
    emit finished(stopped);
}

} // namespace zelm
